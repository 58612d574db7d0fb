// Growth of the model's containers: adding many uniquely named parameters or
// interfaces to one component (each add checks the name is new), and the
// heap a one-column array value of some megabytes holds once read into rows.
// Both must grow linearly: time per item and heap per input byte stay flat
// as the size doubles.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "HeapInUse.h"
#include "ArrayInst.h"
#include "DrvInst.h"
#include "Interface.h"
#include "Param.h"
#include "Port.h"

namespace {

using TavSoftware::String;


void BM_AddParameters(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TavSoftware::DrvInst drv;
    for (int i = 0; i < n; ++i)
      drv.AddProperty(TavSoftware::DrvInst::PARAMETERS,
                      new TavSoftware::Param("C_P" + std::to_string(i)));
    benchmark::DoNotOptimize(drv.GetPropSeqRef(TavSoftware::DrvInst::PARAMETERS).size());
  }
  state.counters["ns_per_add"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddParameters)->Arg(25000)->Arg(50000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

void BM_AddInterfaces(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TavSoftware::DrvInst drv;
    for (int i = 0; i < n; ++i) {
      auto* itf = new TavSoftware::Interface();
      itf->SetName("if_" + std::to_string(i));
      drv.AddProperty(TavSoftware::DrvInst::INTERFACES, itf);
    }
    benchmark::DoNotOptimize(drv.GetPropSeqRef(TavSoftware::DrvInst::INTERFACES).size());
  }
  state.counters["ns_per_add"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_AddInterfaces)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

// "(0,1,2,...)" of about `mb` megabytes.
String OneColumn(size_t mb) {
  String text = "(";
  for (size_t i = 0; text.size() < (mb << 20); ++i) text += std::to_string(i % 1000) + ",";
  text.back() = ')';
  return text;
}

// Read (the value set and its rows counted, as a reader and `tavsw parse`
// do), then the rows built, as a look at them or a write does.
void BM_ArrayOneColumn(benchmark::State& state) {
  const String text = OneColumn(static_cast<size_t>(state.range(0)));
  size_t read = 0, built = 0, rows = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    auto array = std::make_unique<TavSoftware::ArrayInst>();
    array->SetName("table");
    array->SetMdtValuePtr(new MdtBase::StrVal());
    array->SetValueStr(text);
    rows = array->GetRowCount();
    read = HeapInUse() - before;
    benchmark::DoNotOptimize(array->GetPropSeqRef(TavSoftware::ArrayInst::ELEMENTS).size());
    built = HeapInUse() - before;
  }
  const double bytes = static_cast<double>(text.size());
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["read_heap_per_byte"] = static_cast<double>(read) / bytes;
  state.counters["built_heap_per_byte"] = static_cast<double>(built) / bytes;
}
BENCHMARK(BM_ArrayOneColumn)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

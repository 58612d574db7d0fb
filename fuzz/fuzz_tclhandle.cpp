// Feeds arbitrary words to the tget_handle and tget_value commands. The
// words are handed to the command procedures directly (never evaluated as a
// script); "$N" stands for the N-th handle seen so far, so the fuzzer can
// walk real nodes as well as forge handles.
#include <memory>
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "Driver.h"
#include "FuzzCommon.h"
#include "HwDbFile.h"
#include "HwTclIf.h"
#include "Library.h"
#include "OsInst.h"
#include "Processor.h"
#include "SwRTClass.h"
#include "SwTclIf.h"

namespace {

using namespace TavSoftware;

struct World {
  std::unique_ptr<SwRTClass> model = std::make_unique<SwRTClass>();
  boost::shared_ptr<TavHwDb::HwDbFile> hw;
  std::unique_ptr<TavTclHwDb::HwTclIf> hwIf;
  std::unique_ptr<SwTclIf> tcl;
  std::vector<std::string> handles;

  World() {
    int errors = 0;
    hw = TavHwDb::HwDbFile::FromText(
        R"({"format":1,"instances":[{"name":"cpu","class":"PROCESSOR","addressable":["u",""]},)"
        R"({"name":"u","type":"uart","version":"1.00.a","parameters":{"A":"1"}}]})",
        "fuzz.json", errors);
    auto* proc = new Processor();
    proc->SetName("cpu");
    proc->CreateAddPropertySetValue(DrvInst::PARAMETERS, "HW_INSTANCE", "cpu");
    proc->SetHwInstance("cpu");
    auto* drv = new Driver();
    drv->SetName("uart");
    drv->CreateAddPropertySetValue(DrvInst::PARAMETERS, "HW_INSTANCE", "u");
    drv->GetInstSeqRef().push_back("u");
    auto* array = new ArrayInst();
    array->SetName("tbl");
    array->SetMdtValuePtr(new MdtBase::StrVal());
    array->SetValueStr("((1,2),(3))");
    drv->AddProperty(DrvInst::ARRAYS, array);
    auto* lib = new Library();
    lib->SetName("fs");
    auto* os = new OsInst();
    os->SetName("standalone");
    for (MdtBase::NameValue* c : std::initializer_list<MdtBase::NameValue*>{proc, drv, lib, os})
      model->AddNameValue(c);
    proc->GetDriverSeqRef().push_back(drv);
    proc->GetLibrarySeqRef().push_back(lib);
    proc->SetOsInstance(os);
    for (auto* c : model->GetPsfCompSeqRef(Mss::DRIVERS)) c->SetOwner(model.get());
    hwIf = std::make_unique<TavTclHwDb::HwTclIf>(hw);
    tcl.reset(SwTclIf::ConstructSwTclIf(model.get(), hwIf.get()));
    handles.push_back(Tcl_GetVar(tcl->GetInterp(), "::tavsw::model", TCL_GLOBAL_ONLY));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tavfuzz::Quiet();
  static World world;
  std::vector<std::string> words{""};
  for (size_t i = 0; i < size && words.size() <= 6; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == ' ' || c == '\n')
      words.emplace_back();
    else
      words.back() += c;
  }
  if (words.size() < 2) return 0;
  std::vector<Tcl_Obj*> objv;
  for (size_t i = 1; i < words.size(); ++i) {
    std::string w = words[i];
    if (w.size() > 1 && w[0] == '$') {
      size_t n = static_cast<size_t>(static_cast<unsigned char>(w[1])) % world.handles.size();
      w = world.handles[n];
    }
    objv.push_back(Tcl_NewStringObj(w.data(), static_cast<int>(w.size())));
    Tcl_IncrRefCount(objv.back());
  }
  const bool value = !words[0].empty() && (words[0][0] & 1);
  Tcl_Interp* interp = world.tcl->GetInterp();
  const int objc = static_cast<int>(objv.size());
  int code = value ? SwTclIf::MdtSwGetValue(world.tcl.get(), interp, objc, objv.data())
                   : SwTclIf::MdtSwGetHandle(world.tcl.get(), interp, objc, objv.data());
  if (code == TCL_OK) {
    // Remember the handles the answer holds, so later inputs can use them.
    Tcl_Obj* result = Tcl_GetObjResult(interp);
    int n = 0;
    Tcl_Obj** items = nullptr;
    if (Tcl_ListObjGetElements(nullptr, result, &n, &items) == TCL_OK)
      for (int i = 0; i < n && world.handles.size() < 256; ++i)
        if (MdtBase::BaseTclIf::GetPtrFromTclObj(items[i])) world.handles.push_back(Tcl_GetString(items[i]));
  }
  Tcl_ResetResult(interp);
  for (Tcl_Obj* o : objv) Tcl_DecrRefCount(o);
  return 0;
}

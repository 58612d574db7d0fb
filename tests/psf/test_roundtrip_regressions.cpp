// Inputs the round-trip fuzzer found: each read cleanly, but the file written
// from it did not read back to the same components.
#include <memory>
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "DrvInst.h"
#include "Element.h"
#include "LibInst.h"
#include "Mss.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "TestSupport.h"
#include "WriteMss.h"

namespace {

using namespace TavSoftware;

std::vector<std::string> Rows(const ArrayInst* a) {
  std::vector<std::string> out;
  for (const auto* row : a->GetPropSeqRef(ArrayInst::ELEMENTS)) {
    std::string r;
    for (const auto* cell : static_cast<const Element*>(row)->GetPropSeqRef(Element::PARAMETERS))
      r += "[" + cell->GetValueStr() + "]";
    out.push_back(r);
  }
  return out;
}

class RoundTripRegression : public tavtest::ScratchTest {
 protected:
  // Reads `text`, writes it and reads the result; both reads must be clean.
  void RoundTrip(const std::string& text) {
    first = std::make_unique<Mss>();
    second = std::make_unique<Mss>();
    ASSERT_EQ(ParseMss::Parse(dir.Write("in.mss", text), first.get()), 0);
    ASSERT_EQ(WriteMss::Write(dir / "out.mss", first.get()), 0);
    ASSERT_EQ(ParseMss::Parse(dir / "out.mss", second.get()), 0)
        << tavtest::ReadFile(dir / "out.mss");
  }
  std::unique_ptr<Mss> first, second;
};

TEST_F(RoundTripRegression, PrefixNamingParameterAddsNoSecondNameParameter) {
  RoundTrip(
      "BEGIN OS\n PARAMETER OS_NAMEX = standalone\n PARAMETER OS_VER = 2.00.a\nEND\n"
      "BEGIN LIBRARY\n PARAMETER FILESYS_NAME = tavfs\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = a\n PARAMETER DRIVER_NAMES = b\nEND\n");
  for (Mss* m : {first.get(), second.get()}) {
    auto* os = static_cast<OsInst*>(m->GetPsfCompSeqRef(Mss::OSES).at(0));
    EXPECT_EQ(os->GetName(), "standalone");
    EXPECT_EQ(os->GetPropertyByName(LibInst::PARAMETERS, "OS_NAME"), nullptr);
    auto* lib = static_cast<LibInst*>(m->GetPsfCompSeqRef(Mss::LIBRARIES).at(0));
    EXPECT_EQ(lib->GetName(), "tavfs");
    EXPECT_EQ(lib->GetPropSeqRef(LibInst::PARAMETERS).size(), 1u);
    // The variant names the instance but leaves DRIVER_NAME's own value.
    auto* drv = static_cast<DrvInst*>(m->GetPsfCompSeqRef(Mss::DRIVERS).at(0));
    EXPECT_EQ(drv->GetName(), "b");
    EXPECT_EQ(drv->GetPropertyValueStr(DrvInst::PARAMETERS, "DRIVER_NAME"), "a");
  }
}

TEST_F(RoundTripRegression, ValuelessTopLevelParameterIsNotWritten) {
  RoundTrip("PARAMETER VERSION = 2.2.0\nPARAMETER ? VERSION = 2.2\nPARAMETER OTHER = x\n");
  EXPECT_EQ(first->GetPsfCompSeqRef(Mss::PARAMETERS).size(), 3u);
  ASSERT_EQ(second->GetPsfCompSeqRef(Mss::PARAMETERS).size(), 1u);
  EXPECT_EQ(second->GetPsfCompValueStr(Mss::PARAMETERS, "VERSION"), "2.2.0");
}

TEST_F(RoundTripRegression, ArrayRowsSurviveWriting) {
  struct Row {
    const char* value;
    std::vector<std::string> rows;
  } rows[] = {
      {"((x out), (1, out), (2, in))", {"[x out]", "[1][out]", "[2][in]"}},
      {"((0, a), ( (1, out), (2, in))", {"[0][a]", "[(1][out]", "[2][in]"}},
      {"((0, ,), (2, c))", {"[0][]", "[2][c]"}},
      {"((), (1, 2))", {"", "[1][2]"}},
      {"(a, b, ,)", {"[a]", "[b]", "[]"}},
      {"(a, (b)", {"[a]", "[(b]"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.value);
    RoundTrip(std::string("BEGIN DRIVER\n PARAMETER DRIVER_NAME = d\n PARAMETER map = ") + r.value +
              "\nEND\n");
    for (Mss* m : {first.get(), second.get()}) {
      auto* drv = static_cast<DrvInst*>(m->GetPsfCompSeqRef(Mss::DRIVERS).at(0));
      auto* a = static_cast<ArrayInst*>(drv->GetPropertyByName(DrvInst::ARRAYS, "map"));
      ASSERT_NE(a, nullptr);
      EXPECT_EQ(Rows(a), r.rows);
    }
  }
}

}  // namespace

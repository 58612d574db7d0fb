// Folding several instances of one driver, interrupt handlers, and the
// allowed values of level-dependent parameters.
#include "ArrayInst.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "FakeHwDb.h"
#include "Mdd.h"
#include "RuntimeFixture.h"

namespace TavSoftware {
namespace {

class ConsolidateTest : public tavtest::RuntimeTest {
 protected:
  // Binds and merges every driver instance of the MSS, in order.
  void MergeAll() {
    auto& repos = Repos();
    for (auto* c : mss->GetPsfCompSeqRef(Mss::DRIVERS)) {
      auto* inst = static_cast<DrvInst*>(c);
      ASSERT_EQ(0, DrvInstUtil::AssignSwCore(inst, repos));
      merged.push_back(std::make_unique<DrvInst>());
      DrvInstUtil::MergeMddDrvObj(
          inst, static_cast<const Mdd*>(inst->GetBaseNodePtr(DrvInst::DEFINITION)),
          merged.back().get());
    }
    msgs.Clear();
  }
  std::vector<std::unique_ptr<DrvInst>> merged;
};

TEST_F(ConsolidateTest, FoldingComparesValuesAndCollectsInterruptHandlers) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "PARAM name = BAUDRATE, default = 9600;\n"
            "PARAM name = OLD, default = 1, state = DEPRECATED;\n"
            "BEGIN ARRAY tbl\nPARAM name = v, default = 0;\nEND ARRAY\n"
            "BEGIN ARRAY interrupt_handler\nPARAM name = int_handler, default = h;\n"
            "PARAM name = int_port, default = p;\nEND ARRAY\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = u0\n"
          " PARAMETER BAUDRATE = 9600\n PARAMETER OLD = 1\n PARAMETER tbl = ((1),(2))\n"
          " PARAMETER interrupt_handler = ((h0,Intr))\nEND\n"
          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = u1\n"
          " PARAMETER baudrate = 9600\n PARAMETER OLD = 2\n"
          " PARAMETER interrupt_handler = ((h1,Tx))\nEND\n"
          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = u2\n"
          " PARAMETER BAUDRATE = 19200\n PARAMETER tbl = ((1),(2),(3))\nEND\n");
  MergeAll();
  DrvInst* driver = merged[0].get();
  // Equal values, another hardware instance, a deprecated parameter: no error.
  EXPECT_EQ(0, DrvInstUtil::MergeDrvInsts(driver, merged[1].get()));
  EXPECT_EQ("h0", DrvInstUtil::GetIntHandlerValue(driver, "intr"));
  EXPECT_EQ("h1", DrvInstUtil::GetIntHandlerValue(driver, "Tx"));
  const auto* handlers =
      static_cast<const ArrayInst*>(driver->GetPropertyByName(DrvInst::ARRAYS, "interrupt_handler"));
  EXPECT_EQ(handlers, handlers->GetPropSeqRef(ArrayInst::ELEMENTS).at(1)->GetOwner());
  // A different value and a different number of rows; rows are not compared then.
  EXPECT_EQ(2, DrvInstUtil::MergeDrvInsts(driver, merged[2].get()));
  EXPECT_EQ((std::vector<std::string>{
                "ERROR: \n" + At(4, "Parameter BAUDRATE has different values for different "
                                    "instantiation. \nCannot support multiple values of BAUDRATE "
                                    "for a driver\n"),
                "ERROR: " + At(6, "Parameter tbl has different configuration values for different "
                                  "instantiation. \nCannot support multiple values of tbl for a "
                                  "driver\n")}),
            Said());
  EXPECT_EQ("9600", driver->GetPropertyValueStr(DrvInst::PARAMETERS, "BAUDRATE"));
  EXPECT_EQ(2u, handlers->GetPropSeqRef(ArrayInst::ELEMENTS).size());
}

TEST_F(ConsolidateTest, RowsAreComparedByPosition) {
  ArrayInst x, y;
  x.SetName("t");
  y.SetName("t");
  x.SetMdtValuePtr(new MdtBase::StrVal());
  y.SetMdtValuePtr(new MdtBase::StrVal());
  x.SetValueStr("((1,2),(3,4),(5,6))");
  y.SetValueStr("((1,2),(3),(5,7))");
  EXPECT_EQ(2, DrvInstUtil::MergeDrvInstArray(&x, &y));
  EXPECT_EQ((std::vector<std::string>{
                "ERROR: \n line 0 - Array Element has incorrect number of parameters.\n",
                "ERROR: \n line 0 - Parameter  has different values for different "
                "instantiation. \nCannot support multiple values of  for a driver\n"}),
            Said());
  EXPECT_EQ(1, DrvInstUtil::MergeDrvInstArray(nullptr, &y));
  EXPECT_EQ(0, DrvInstUtil::MergeDrvInstElement(nullptr, &y));
}

TEST_F(ConsolidateTest, LevelDependentRanges) {
  AddDriver("repo", "drivers", "intc", "1.00.a",
            "PARAM name = level, default = 1;\n"
            "BEGIN BLOCK, dep = (level = 1)\n"
            "PARAM name = mode, type = enum, values = (\"Fast\" = fast, \"Slow\" = slow), default = fast;\n"
            "END BLOCK\n"
            "BEGIN BLOCK, dep = (LEVEL = 2)\nPARAM name = mode, range = (a, b, c), default = a;\n"
            "END BLOCK\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = intc\nEND\n");
  DrvInst* inst = Comp<DrvInst>(Mss::DRIVERS);
  std::vector<String> out{"kept"};
  EXPECT_EQ(1, DrvInstUtil::GetRangeForLevelDepParam(inst, "1", "mode", out));  // unbound
  ASSERT_EQ(0, DrvInstUtil::AssignSwCore(inst, Repos()));
  EXPECT_EQ(0, DrvInstUtil::GetRangeForLevelDepParam(inst, "1", "MODE", out));
  EXPECT_EQ((std::vector<String>{"kept", "fast", "slow"}), out);
  EXPECT_EQ(0, DrvInstUtil::GetRangeForLevelDepParam(inst, "2", "mode", out));
  EXPECT_EQ((std::vector<String>{"a", "b", "c"}), out);
  EXPECT_EQ(1, DrvInstUtil::GetRangeForLevelDepParam(inst, "3", "mode", out));
  EXPECT_EQ(3u, out.size());
}

TEST_F(ConsolidateTest, SettingAHandlerMakesTheArrayOnlyWhenNeeded) {
  DrvInst inst;
  inst.SetName("uart");
  DrvInstUtil::SetIntHandlerValue(&inst, "Intr", "");
  EXPECT_TRUE(inst.GetPropSeqRef(DrvInst::ARRAYS).empty());
  DrvInstUtil::SetIntHandlerValue(&inst, "Intr", "isr");
  EXPECT_EQ("isr", DrvInstUtil::GetIntHandlerValue(&inst, "INTR"));
  const auto* array = inst.GetPropSeqRef(DrvInst::ARRAYS).at(0);
  EXPECT_EQ(&inst, array->GetOwner());
  EXPECT_EQ(array, static_cast<const ArrayInst*>(array)->GetPropSeqRef(ArrayInst::ELEMENTS)[0]->GetOwner());
  DrvInstUtil::SetIntHandlerValue(&inst, "Intr", "");
  EXPECT_EQ("", DrvInstUtil::GetIntHandlerValue(&inst, "Intr"));
}

TEST_F(ConsolidateTest, RequiredParametersChooseAValueForEachStar) {
  AddDriver("repo", "drivers", "con", "1.00.a",
            "PARAM name = dev, type = peripheral_instance, range = (uart), default = none;\n"
            "PARAM name = mode, type = enum, values = (\"A\" = x, \"B\" = y), default = x;\n"
            "PARAM name = on, type = bool, default = false;\n"
            "PARAM name = label, type = string, default = a;\n"
            "BEGIN ARRAY devs\nPARAM name = d, type = peripheral_instance, range = (uart);\nEND ARRAY\n"
            "BEGIN ARRAY pairs\nPARAM name = a;\nPARAM name = b;\nEND ARRAY\n");
  ReadMss("BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = con\nEND\n");
  auto hw = tavtest::MakeFakeHwDb();
  hw->Add("cpu_0", "cpu", "1.00.a", "PROCESSOR").Add("uart_0", "uart", "1.00.a").Add("uart_1", "uart", "1.00.a");
  hw->Addressable("cpu_0", {"uart_0", "uart_1"});
  DrvInst* dst = Comp<DrvInst>(Mss::DRIVERS);
  ASSERT_EQ(0, DrvInstUtil::AssignSwCore(dst, Repos()));
  DrvInst src;
  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"DRIVER_VER", "9.99.z"}, {"dev", "*"}, {"mode", "*"}, {"on", "*"}, {"label", "**"},
           {"devs", "*"}, {"pairs", "*"}, {"FOO", "*"}})
    src.CreateAddPropertySetValue(DrvInst::PARAMETERS, name, value);
  DrvInstUtil::AssignRequiredParams(mss.get(), hw, man.get(), &src, dst);
  auto value = [&](int seq, const char* name) {
    const auto* p = dst->GetPropertyByName(seq, name);
    return p ? std::string("=") + p->GetValueStr() : std::string("absent");
  };
  EXPECT_EQ("=uart_0", value(DrvInst::PARAMETERS, "dev"));
  EXPECT_EQ("=x", value(DrvInst::PARAMETERS, "mode"));
  EXPECT_EQ("=true", value(DrvInst::PARAMETERS, "on"));
  EXPECT_EQ("=**", value(DrvInst::PARAMETERS, "label"));
  EXPECT_EQ("absent", value(DrvInst::PARAMETERS, "DRIVER_VER"));
  EXPECT_EQ("absent", value(DrvInst::PARAMETERS, "FOO"));
  EXPECT_EQ("=((uart_0),(uart_1))", value(DrvInst::ARRAYS, "devs"));
  EXPECT_EQ("=", value(DrvInst::ARRAYS, "pairs"));

  // Without a fitting instance a parameter gets nothing, an array an empty value.
  auto bare = tavtest::MakeFakeHwDb();
  bare->Add("cpu_0", "cpu", "1.00.a", "PROCESSOR");
  DrvInst fresh;
  fresh.SetBaseNodePtr(DrvInst::CORE, dst->GetBaseNodePtr(DrvInst::CORE));
  DrvInstUtil::AssignRequiredParams(mss.get(), bare, man.get(), &src, &fresh);
  EXPECT_EQ(nullptr, fresh.GetPropertyByName(DrvInst::PARAMETERS, "dev"));
  ASSERT_NE(nullptr, fresh.GetPropertyByName(DrvInst::ARRAYS, "devs"));
  EXPECT_EQ("", fresh.GetPropertyByName(DrvInst::ARRAYS, "devs")->GetValueStr());
  // An unbound destination is left alone.
  DrvInst unbound;
  DrvInstUtil::AssignRequiredParams(mss.get(), hw, man.get(), &src, &unbound);
  EXPECT_TRUE(unbound.GetPropSeqRef(DrvInst::PARAMETERS).empty());
}

}  // namespace
}  // namespace TavSoftware

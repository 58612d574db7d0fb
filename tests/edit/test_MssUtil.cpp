// MssUtil: compiler options, adding and removing components, making an MSS
// from the hardware and from a template, renaming a hardware instance.
#include "ArrayInst.h"
#include "EditFixture.h"
#include "Mss.h"
#include "MssUtil.h"
#include "ProcInst.h"
#include "SwRTUtil.h"

namespace TavSoftware {
namespace {

using tavtest::FakeHwDb;

class MssUtilTest : public tavtest::EditTest {};

TEST(MssUtilFlags, CompilerOptionTable) {
  struct Row {
    const char* type;
    std::vector<std::pair<std::string, std::string>> params;  // of the processor, or of "fpu:"
    const char* fpuType;
    const char* expected;
  } rows[] = {
      {"tindracore",
       {{"C_ENDIANNESS", "1"}, {"C_USE_HW_MUL", "2"}, {"C_USE_BARREL", "1"},
        {"C_USE_PCMP_INSTR", "0"}, {"C_USE_FPU", "2"}, {"C_USE_DIV", "1"}},
       nullptr,
       "-mlittle-endian -mno-tn-soft-mul -mtn-multiply-high -mtn-barrel-shift -mhard-float "
       "-mtn-float-convert -mtn-float-sqrt -mno-tn-soft-div -mcpu=v8.00.b "},
      {"TindraCore", {{"C_ENDIANNESS", "0"}, {"C_USE_HW_MUL", "0"}}, nullptr,
       "-mtn-soft-mul -mcpu=v8.00.b "},
      {"tindracore",
       {{"C_USE_HW_MUL", "1"}, {"C_USE_PCMP_INSTR", "1"}, {"C_USE_FPU", "1"}}, nullptr,
       "-mno-tn-soft-mul -mtn-pattern-compare -mhard-float -mcpu=v8.00.b "},
      {"ppc440_tolvan5", {{"fpu:C_FULL_FEATURES", "1"}, {"fpu:C_DOUBLE_PRECISION", "0"}}, "apu_fpu",
       "-mfpu=sp_full -mcpu=440 "},
      {"ppc440_tolvan5", {{"fpu:C_FULL_FEATURES", "1"}, {"fpu:C_DOUBLE_PRECISION", "1"}}, "apu_fpu",
       "-mfpu=dp_full -mcpu=440 "},
      {"ppc440_tolvan5", {{"fpu:C_FULL_FEATURES", "0"}, {"fpu:C_DOUBLE_PRECISION", "1"}}, "APU_FPU",
       "-mfpu=dp_lite -mcpu=440 "},
      {"ppc405", {{"fpu:C_DOUBLE_PRECISION", "0"}}, "apu_fpu", "-mfpu=sp_lite "},
      // A derived FPU has no lite variant.
      {"ppc405", {{"fpu:C_FULL_FEATURES", "0"}, {"fpu:C_DOUBLE_PRECISION", "1"}}, "apu_fpu_virtex",
       "-mfpu=dp_full "},
      {"ppc405", {}, nullptr, ""},
  };
  for (const Row& r : rows) {
    auto hw = tavtest::MakeFakeHwDb();
    hw->Add("p", r.type, " 8.00.b ", "PROCESSOR").Add("fpu", r.fpuType ? r.fpuType : "uart", "1.00.a");
    hw->Addressable("p", {"", "fpu"});
    for (const auto& [k, v] : r.params)
      if (k.rfind("fpu:", 0) == 0) hw->Param("fpu", k.substr(4), v);
      else hw->Param("p", k, v);
    EXPECT_EQ(r.expected, MssUtil::GetHwInfFlagsForProc(hw, "p")) << r.type;
  }
  EXPECT_EQ("", MssUtil::GetHwInfFlagsForProc(nullptr, "p"));
  EXPECT_EQ("", MssUtil::GetHwInfFlagsForProc(tavtest::MakeFakeHwDb(), ""));
}

TEST_F(MssUtilTest, AddDriverLibraryAndDelLibraryResultCodes) {
  Mss m;
  DrvInst* d = nullptr;
  EXPECT_EQ(-1, MssUtil::AddDriver(&m, man.get(), "uart_0", false, "nosuch", "*", &d));
  EXPECT_EQ(nullptr, d);
  // A library of that name is no driver.
  EXPECT_EQ(-1, MssUtil::AddDriver(&m, man.get(), "uart_0", false, "fs", "*", &d));
  EXPECT_EQ(0, MssUtil::AddDriver(&m, man.get(), "uart_0", false, "uart", "*", &d));
  EXPECT_EQ("uart:2.00.a@uart_0", List(&m, Mss::DRIVERS));
  EXPECT_NE(nullptr, d->GetBaseNodePtr(DrvInst::DEFINITION));
  EXPECT_EQ(1, MssUtil::AddDriver(&m, man.get(), "uart_0", false, "uart", "1.00.a", &d));
  EXPECT_EQ("uart:1.00.a@uart_0", List(&m, Mss::DRIVERS));
  EXPECT_EQ(0, MssUtil::AddDriver(&m, man.get(), "cpu_0", true, "cpu", "1.00.a", &d));
  EXPECT_TRUE(MdtBase::BaseNode::IsBaseNodeType(d, "TavSoftware_ProcInst"));
  EXPECT_EQ("cpu:1.00.a@cpu_0", List(&m, Mss::PROCESSORS));
  EXPECT_EQ(-2, MssUtil::AddDriver(nullptr, man.get(), "uart_0", false, "uart", "*", &d));
  EXPECT_EQ(-2, MssUtil::AddDriver(&m, nullptr, "uart_0", false, "uart", "*", nullptr));

  LibInst* l = nullptr;
  EXPECT_EQ(-1, MssUtil::AddLibrary(&m, man.get(), "fs", "9.00.a", "cpu_0", &l));
  EXPECT_EQ(0, MssUtil::AddLibrary(&m, man.get(), "fs", "1.00.a", "cpu_0", &l));
  LibInst* first = l;
  EXPECT_EQ(2, MssUtil::AddLibrary(&m, man.get(), "FS", "1.00.A", "cpu_0", &l));
  EXPECT_EQ(first, l);
  // "*" keeps the library present in any version (and its parameters).
  EXPECT_EQ(2, MssUtil::AddLibrary(&m, man.get(), "fs", "*", "cpu_0", &l));
  EXPECT_EQ(first, l);
  EXPECT_EQ(1, MssUtil::AddLibrary(&m, man.get(), "fs", "2.00.a", "cpu_0", &l));
  EXPECT_EQ("fs:2.00.a@cpu_0", List(&m, Mss::LIBRARIES));
  EXPECT_EQ(-2, MssUtil::AddLibrary(nullptr, man.get(), "fs", "*", "cpu_0", &l));

  EXPECT_EQ(2, MssUtil::DelLibrary(&m, "fs", "*", "cpu_9"));
  EXPECT_EQ(1, MssUtil::DelLibrary(&m, "fs", "1.00.a", "cpu_0"));
  EXPECT_EQ(0, MssUtil::DelLibrary(&m, "fs", "*", "cpu_0"));
  EXPECT_EQ("", List(&m, Mss::LIBRARIES));
  EXPECT_EQ(-2, MssUtil::DelLibrary(nullptr, "fs", "*", "cpu_0"));
}

TEST_F(MssUtilTest, DefaultMssAndOsChoice) {
  struct Row {
    const char* osName;
    const char* osVersion;
    const char* os;
  } rows[] = {
      {"", "", "standalone:3.00.a@cpu_0"},           // the processor's default OS
      {"standalone", "*", "standalone:3.00.a@cpu_0"},  // "*": the newest
      {"standalone", "", "standalone:3.00.a@cpu_0"},
      {"standalone", "2.00.a", "standalone:2.00.a@cpu_0"},
      {"standalone", "9.00.a", ""},
  };
  for (const Row& r : rows) {
    Mss m;
    MssUtil::CreateDefaultMss(&m, hw, man.get(), "cpu_0", r.osName, r.osVersion);
    EXPECT_EQ("2.2.0", m.GetPsfCompValueStr(Mss::PARAMETERS, "VERSION"));
    EXPECT_EQ("uart:2.00.a@uart_0 uart:2.00.a@uart_1 generic:1.00.a@ram_0", List(&m, Mss::DRIVERS));
    EXPECT_EQ("cpu:1.00.a@cpu_0", List(&m, Mss::PROCESSORS));
    EXPECT_EQ(r.os, List(&m, Mss::OSES)) << r.osName << " " << r.osVersion;
  }
  EXPECT_TRUE(msgs.Messages().empty() ||
              msgs.Count(MsgSeverity::kDebug) == msgs.Messages().size());

  // A board-support package gets its connected peripherals filled in.
  Mss m;
  OsInst* os = nullptr;
  MssUtil::CreateDefaultMss(&m, hw, man.get(), "cpu_0", "board", "*");
  ASSERT_EQ(1u, m.GetPsfCompSeqRef(Mss::OSES).size());
  os = static_cast<OsInst*>(m.GetPsfCompSeqRef(Mss::OSES)[0]);
  EXPECT_EQ("((uart_0),(uart_1))", os->GetPropertyValueStr(LibInst::ARRAYS, "connected_periphs"));
  // A second call finds the OS there.
  OsInst* again = nullptr;
  EXPECT_EQ(0, MssUtil::InitializeOsInfo(&m, hw, man.get(), "cpu_0", "standalone", "*", &again));
  EXPECT_EQ(os, again);
  EXPECT_EQ(-2, MssUtil::InitializeOsInfo(&m, nullptr, man.get(), "cpu_0", "", "", &again));
  EXPECT_EQ(nullptr, again);
  MssUtil::CreateDefaultMss(&m, nullptr, man.get(), "cpu_0", "", "");  // no crash, no change
}

TEST_F(MssUtilTest, InitializeDrvInfoByDriverName) {
  Mss m;
  DrvInst* d = nullptr;
  EXPECT_EQ(-1, MssUtil::InitializeDrvInfo(&m, hw, "nosuch", "*", man.get(), "cpu_0", &d));
  EXPECT_EQ(-2, MssUtil::InitializeDrvInfo(&m, hw, "generic", "*", man.get(), "cpu_0", &d));
  EXPECT_EQ(0, MssUtil::InitializeDrvInfo(&m, hw, "uart", "1.00.a", man.get(), "cpu_0", &d));
  EXPECT_EQ(0, MssUtil::InitializeDrvInfo(&m, hw, "uart", "*", man.get(), "cpu_0", &d));
  EXPECT_EQ("uart:1.00.a@uart_0 uart:2.00.a@uart_1", List(&m, Mss::DRIVERS));
  EXPECT_EQ(-3, MssUtil::InitializeDrvInfo(&m, hw, "uart", "*", man.get(), "cpu_0", &d));
  EXPECT_EQ(-4, MssUtil::InitializeDrvInfo(nullptr, hw, "uart", "*", man.get(), "cpu_0", &d));
}

TEST_F(MssUtilTest, TemplateIsCarriedOver) {
  ReadMss(
      "PARAMETER VERSION = 2.2.0\n"
      "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER OS_VER = 2.00.a\n"
      " PARAMETER PROC_INSTANCE = cpu_9\n PARAMETER stdout = *\nEND\n"
      "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = cpu_9\n"
      " PARAMETER COMPILER = gcc\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
      " PARAMETER HW_INSTANCE = uart_1\n PARAMETER BAUD = 115200\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = uart_7\n"
      " PARAMETER peer = *\n PARAMETER label = *\nEND\n"
      "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER LIBRARY_VER = 1.00.a\nEND\n");
  Mss m;
  EXPECT_EQ(0, MssUtil::CreateAndInitMss(&m, hw, man.get(), "cpu_0", mss.get()));
  // The first template driver keeps its hardware instance, the second takes
  // the first free one; ram_0 gets its default.
  EXPECT_EQ("uart:1.00.a@uart_1 uart:2.00.a@uart_0 generic:1.00.a@ram_0", List(&m, Mss::DRIVERS));
  auto* d0 = static_cast<DrvInst*>(m.GetPsfCompSeqRef(Mss::DRIVERS)[0]);
  auto* d1 = static_cast<DrvInst*>(m.GetPsfCompSeqRef(Mss::DRIVERS)[1]);
  EXPECT_EQ("115200", d0->GetPropertyValueStr(1, "BAUD"));
  EXPECT_EQ("uart_0", d1->GetPropertyValueStr(1, "peer"));  // "*": the first fitting instance
  EXPECT_EQ("cpu:1.00.a@cpu_0", List(&m, Mss::PROCESSORS));
  EXPECT_EQ("gcc", static_cast<DrvInst*>(m.GetPsfCompSeqRef(Mss::PROCESSORS)[0])
                       ->GetPropertyValueStr(1, "COMPILER"));
  EXPECT_EQ("standalone:2.00.a@cpu_0", List(&m, Mss::OSES));
  EXPECT_EQ("uart_0", static_cast<OsInst*>(m.GetPsfCompSeqRef(Mss::OSES)[0])
                          ->GetPropertyValueStr(1, "stdout"));
  EXPECT_EQ("fs:1.00.a@cpu_0", List(&m, Mss::LIBRARIES));
  EXPECT_EQ(-2, MssUtil::CreateAndInitMss(nullptr, hw, man.get(), "cpu_0", mss.get()));

  // Without a template the standalone OS is chosen.
  Mss bare;
  EXPECT_EQ(0, MssUtil::CreateAndInitMss(&bare, hw, man.get(), "cpu_0", nullptr));
  EXPECT_EQ("standalone:3.00.a@cpu_0", List(&bare, Mss::OSES));
}

TEST_F(MssUtilTest, RenameTouchesOnlyPeripheralInstanceValues) {
  AddDriver("repo", "drivers", "dma", "1.00.a",
            "OPTION supported_peripherals = (dma);\n"
            "BEGIN ARRAY chans\n PARAM name = n, type = int;\n"
            " PARAM name = dev, type = peripheral_instance;\nEND ARRAY\n");
  Repos();
  ReadMss(
      "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER OS_VER = 3.00.a\n"
      " PARAMETER PROC_INSTANCE = cpu_0\n PARAMETER stdout = UART_0\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 2.00.a\n"
      " PARAMETER HW_INSTANCE = uart_0\n PARAMETER peer = uart_0\n PARAMETER label = uart_0\nEND\n"
      "BEGIN DRIVER\n PARAMETER DRIVER_NAME = dma\n PARAMETER HW_INSTANCE = dma_0\n"
      " PARAMETER chans = ((uart_0, uart_0), (1, uart_1))\nEND\n");
  SwRTUtil::AssignSwCore(mss.get(), man.get());
  EXPECT_EQ(3, MssUtil::RenameIPInstanceName(mss.get(), "uart_0", "serial_0"));
  auto* os = Comp<OsInst>(Mss::OSES);
  auto* uart = Comp<DrvInst>(Mss::DRIVERS, 0);
  auto* dma = Comp<DrvInst>(Mss::DRIVERS, 1);
  EXPECT_EQ("serial_0", os->GetPropertyValueStr(1, "stdout"));
  EXPECT_EQ("serial_0", uart->GetPropertyValueStr(1, "peer"));
  EXPECT_EQ("uart_0", uart->GetPropertyValueStr(1, "label"));
  EXPECT_EQ("uart_0", uart->GetPropertyValueStr(1, "HW_INSTANCE"));
  EXPECT_EQ("((uart_0,serial_0),(1,uart_1))", dma->GetPropertyValueStr(2, "chans"));
  EXPECT_EQ(0, MssUtil::RenameIPInstanceName(nullptr, "uart_0", "x"));
}

TEST_F(MssUtilTest, InterruptHandlers) {
  Mss m;
  MssUtil::SetIntHandlerValue(&m, "irq", "");
  EXPECT_TRUE(m.GetPsfCompSeqRef(Mss::ARRAYS).empty());
  MssUtil::SetIntHandlerValue(&m, "irq", "on_irq");
  EXPECT_EQ("on_irq", MssUtil::GetIntHandlerValue(&m, "IRQ"));
  MssUtil::SetIntHandlerValue(&m, "irq", "");
  EXPECT_EQ("", MssUtil::GetIntHandlerValue(&m, "irq"));
  EXPECT_EQ("", MssUtil::GetIntHandlerValue(nullptr, "irq"));
}

TEST_F(MssUtilTest, DeletePsfCompsForInstanceTracesOnTheDebugChannelOnly) {
  Mss m;
  MssUtil::CreateDefaultMss(&m, hw, man.get(), "cpu_0", "", "");
  MssUtil::AddLibrary(&m, man.get(), "fs", "*", "cpu_0", nullptr);
  msgs.Clear();
  MssUtil::DeletePsfCompsForInstance(&m, "uart_1");
  EXPECT_EQ("uart:2.00.a@uart_0 generic:1.00.a@ram_0", List(&m, Mss::DRIVERS));
  MssUtil::DeletePsfCompsForInstance(&m, "CPU_0");
  EXPECT_EQ("", List(&m, Mss::PROCESSORS) + List(&m, Mss::OSES) + List(&m, Mss::LIBRARIES));
  EXPECT_EQ(msgs.Count(MsgSeverity::kDebug), msgs.Messages().size());
}

}  // namespace
}  // namespace TavSoftware

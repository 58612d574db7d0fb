// Finding one component in an MSS or in a list of components: by hardware
// instance, by name and version, by processor; entries of another class are
// passed over, never taken.
#include <memory>

#include "../repos/RepoFixture.h"
#include "Driver.h"
#include "Library.h"
#include "Mss.h"
#include "MssUtil.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "Processor.h"
#include "SwRTUtil.h"

namespace TavSoftware {
namespace {

const char* kMss =
    "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
    " PARAMETER HW_INSTANCE = uart_0\nEND\n"
    "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 2.00.a\n"
    " PARAMETER HW_INSTANCE = uart_1\nEND\n"
    "BEGIN DRIVER\n PARAMETER DRIVER_NAME = spare\nEND\n"
    "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER DRIVER_VER = 1.00.a\n"
    " PARAMETER HW_INSTANCE = cpu_0\nEND\n"
    "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER OS_VER = 2.00.a\n"
    " PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
    "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER LIBRARY_VER = 1.00.a\n"
    " PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
    "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = net\n PARAMETER PROC_INSTANCE = CPU_1\nEND\n"
    "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER LIBRARY_VER = 1.00.b\n"
    " PARAMETER PROC_INSTANCE = cpu_1\nEND\n";

class SwRTLookupTest : public tavtest::ScratchTest {
 protected:
  void SetUp() override { ASSERT_EQ(0, ParseMss::Parse(dir.Write("sys.mss", kMss), &mss)); }
  MdtBase::PsfComp* At(int seq, size_t i) { return mss.GetPsfCompSeqRef(seq).at(i); }
  Mss mss;
};

TEST_F(SwRTLookupTest, MssInstancesByHardwareNameAndVersion) {
  MdtBase::PsfComp* uart0 = At(Mss::DRIVERS, 0);
  MdtBase::PsfComp* uart1 = At(Mss::DRIVERS, 1);
  MdtBase::PsfComp* cpu = At(Mss::PROCESSORS, 0);
  struct Case {
    const MdtBase::PsfComp* got;
    const MdtBase::PsfComp* want;
  } cases[] = {
      {MssUtil::GetDrvInstByHwInstName(&mss, "UART_1"), uart1},
      {MssUtil::GetDrvInstByHwInstName(&mss, "cpu_0"), cpu},  // processor when no driver has it
      {MssUtil::GetDrvInstByHwInstName(&mss, ""), nullptr},  // never the one without HW_INSTANCE
      {MssUtil::GetDrvInstByHwInstName(nullptr, "uart_0"), nullptr},
      {MssUtil::GetDrvInstByNameVer(&mss, "UART", ""), uart0},  // any version: the first
      {MssUtil::GetDrvInstByNameVer(&mss, "uart", "2.00.A"), uart1},
      {MssUtil::GetDrvInstByNameVer(&mss, "uart", "3.00.a"), nullptr},
      {MssUtil::GetDrvInstByNameVer(&mss, "cpu", "1.00.a"), cpu},
      {MssUtil::GetOsInstByNameVer(&mss, "standalone", "2.00.a"), At(Mss::OSES, 0)},
      {MssUtil::GetOsInstByNameVer(&mss, "standalone", "1.00.a"), nullptr},
      {MssUtil::GetLibInstByNameVer(&mss, "fs", "1.00.b"), At(Mss::LIBRARIES, 2)},
      {MssUtil::GetLibInstByNameVer(&mss, "fs", ""), At(Mss::LIBRARIES, 0)},
      {MssUtil::GetLibInstByNameVer(nullptr, "fs", ""), nullptr},
      {SwRTUtil::GetPsfCompByHwInstName(&mss, "Cpu_0"), cpu},
      {SwRTUtil::GetPsfCompByHwInstName(&mss, "uart_0"), uart0},
      {SwRTUtil::GetPsfCompByHwInstName(&mss, ""), nullptr},
      {SwRTUtil::GetDriverByInstName(mss.GetPsfCompSeqRef(Mss::DRIVERS), "uart_1"), uart1},
      {SwRTUtil::GetDriverByInstName(mss.GetPsfCompSeqRef(Mss::DRIVERS), ""), nullptr},
      {SwRTUtil::GetOsByProcInstName(&mss, "CPU_0"), At(Mss::OSES, 0)},
      {SwRTUtil::GetOsByProcInstName(&mss, "cpu_1"), nullptr},
      {SwRTUtil::GetLibraryByProcInstName(&mss, "cpu_1", "FS"), At(Mss::LIBRARIES, 2)},
      {SwRTUtil::GetLibraryByProcInstName(&mss, "cpu_0", "net"), nullptr},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].want, cases[i].got) << i;

  std::vector<LibInst*> libs;
  EXPECT_EQ(2, MssUtil::GetLibInstSeqByHwInstName(&mss, "cpu_1", libs));
  ASSERT_EQ(2u, libs.size());
  EXPECT_EQ("net", libs[0]->GetName());
  EXPECT_EQ(At(Mss::LIBRARIES, 2), libs[1]);
  EXPECT_EQ(0, MssUtil::GetLibInstSeqByHwInstName(nullptr, "cpu_1", libs));
}

// Runtime lists hold components of every kind; each lookup takes only its own.
TEST_F(SwRTLookupTest, ComponentListsSkipOtherClasses) {
  Processor proc;
  proc.SetName("same");
  OsInst os;
  os.SetName("same");
  os.CreateAddPropertySetValue(1, "PROC_INSTANCE", "cpu_0");
  Library lib;
  lib.SetName("same");
  lib.CreateAddPropertySetValue(1, "PROC_INSTANCE", "cpu_0");
  Driver drv;
  drv.SetName("same");
  drv.GetInstSeqRef() = {"uart_0", "uart_1"};
  MdtBase::Property stranger(String("same"));
  NVSeq list = {&stranger, &proc, &os, &lib, &drv};

  EXPECT_EQ(&drv, SwRTUtil::GetDriverByName(list, "SAME"));
  EXPECT_EQ(&lib, SwRTUtil::GetLibraryByName(list, "same"));
  EXPECT_EQ(&os, SwRTUtil::GetOsByName(list, "same"));
  EXPECT_EQ(&os, SwRTUtil::GetOsByProcInstName(list, "CPU_0"));
  EXPECT_EQ(&lib, SwRTUtil::GetLibraryByProcInstName(list, "cpu_0", "same"));
  // A driver serving several hardware instances is found by any of them.
  EXPECT_EQ(&drv, SwRTUtil::GetDriverByInstName(list, "UART_1"));
  EXPECT_EQ(nullptr, SwRTUtil::GetDriverByInstName(list, "uart_2"));
  std::vector<Driver*> drivers = {nullptr, &drv};
  EXPECT_EQ(&drv, SwRTUtil::GetDriverByInstName(drivers, "uart_0"));
  EXPECT_EQ(&drv, SwRTUtil::GetDriverByName(drivers, "same"));
  EXPECT_EQ(nullptr, SwRTUtil::GetDriverByName(drivers, "other"));

  PsfCompSeq comps = {&stranger, &os, &lib};
  EXPECT_EQ(&os, SwRTUtil::GetOsByProcInstName(comps, "cpu_0"));
  EXPECT_EQ(&lib, SwRTUtil::GetLibraryByProcInstName(comps, "cpu_0", "same"));
  EXPECT_EQ(nullptr, SwRTUtil::GetDriverByInstName(comps, "uart_0"));
}

}  // namespace
}  // namespace TavSoftware

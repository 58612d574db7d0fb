// Binding instances to their definitions, the not-found report, the check of
// undeclared entries with its exempt names, and the list services.
#include <functional>

#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mdd.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"
#include "RuntimeFixture.h"
#include "SwCore.h"

namespace TavSoftware {
namespace {

class ResolveTest : public tavtest::RuntimeTest {};

TEST_F(ResolveTest, BindsTheNamedVersionAndLinksDefinitionAndCore) {
  AddDriver("repo", "drivers", "timer", "1.00.a");
  AddDriver("repo", "drivers", "timer", "2.00.a", "PARAM name = C_BITS, default = 32;\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = timer\n PARAMETER DRIVER_VER = 2.00.a\nEND\n");
  auto& repos = Repos();
  DrvInst* inst = Comp<DrvInst>(Mss::DRIVERS);
  EXPECT_EQ(0, DrvInstUtil::AssignSwCore(inst, repos));
  auto* mdd = dynamic_cast<Mdd*>(inst->GetBaseNodePtr(DrvInst::DEFINITION));
  ASSERT_NE(nullptr, mdd);
  EXPECT_NE(nullptr, mdd->GetPropertyByName(Mdd::PARAMETERS, "C_BITS"));
  auto* core = dynamic_cast<SwCore*>(inst->GetBaseNodePtr(DrvInst::CORE));
  ASSERT_NE(nullptr, core);
  EXPECT_EQ("2.00.a", core->GetVersion());
  EXPECT_EQ(mdd, DrvInstUtil::GetMddForDrvInst(inst, repos));
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(ResolveTest, DefinitionReadWithErrorsIsBoundAndItsCodeReturned) {
  dir.Write("repo/drivers/bad_v1_00_a/data/bad_v2_1_0.mdd",
            "BEGIN DRIVER bad\nPARAM = ;\nEND DRIVER\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = bad\nEND\n");
  DrvInst* inst = Comp<DrvInst>(Mss::DRIVERS);
  EXPECT_GT(DrvInstUtil::AssignSwCore(inst, Repos()), 0);
  EXPECT_NE(nullptr, inst->GetBaseNodePtr(DrvInst::DEFINITION));
}

// Each variant's not-found report: error, "Directories Searched", then the
// category directories of every repository in search order.
TEST_F(ResolveTest, NotFoundReportNamesEveryDirectorySearched) {
  AddDriver("r1", "drivers", "other", "1.00.a");
  AddLibrary("r2", "sw_services", "other", "1.00.a");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = timer\n PARAMETER DRIVER_VER = 2.00.a\nEND\n"
          "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\nEND\n"
          "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER LIBRARY_VER = 1.00.b\nEND\n"
          "BEGIN OS\n PARAMETER OS_NAME = rtos\nEND\n");
  auto& repos = Repos({"r1", "r2"});
  const std::string r1 = Repo("r1") + "/", r2 = Repo("r2") + "/";
  struct Case {
    std::function<int()> assign;
    std::vector<std::string> said;
  } cases[] = {
      {[&] { return DrvInstUtil::AssignSwCore(Comp<DrvInst>(Mss::DRIVERS), repos); },
       {"ERROR: Cannot find MDD for the driver timer 2.00.a\n", "INFO: Directories Searched :\n",
        "STATUS:   - " + r1 + "drivers/timer_v2_00_a/data\n",
        "STATUS:   - " + r1 + "pcores/timer_v2_00_a/data\n",
        "STATUS:   - " + r2 + "drivers/timer_v2_00_a/data\n",
        "STATUS:   - " + r2 + "pcores/timer_v2_00_a/data\n"}},
      {[&] { return ProcInstUtil::AssignSwCore(Comp<ProcInst>(Mss::PROCESSORS), repos); },
       {"ERROR: Cannot find MDD for the driver cpu \n", "INFO: Directories Searched :\n",
        "STATUS:   - " + r1 + "drivers/cpu/data\n", "STATUS:   - " + r1 + "pcores/cpu/data\n",
        "STATUS:   - " + r2 + "drivers/cpu/data\n", "STATUS:   - " + r2 + "pcores/cpu/data\n"}},
      {[&] { return LibInstUtil::AssignSwCore(Comp<LibInst>(Mss::LIBRARIES), repos); },
       {"ERROR: Cannot find MLD for the library fs 1.00.b\n", "INFO: Directories Searched :\n",
        "STATUS:   - " + r1 + "sw_services/fs_v1_00_b/data\n",
        "STATUS:   - " + r2 + "sw_services/fs_v1_00_b/data\n"}},
      {[&] { return OsInstUtil::AssignSwCore(Comp<OsInst>(Mss::OSES), repos); },
       {"ERROR: Cannot find MLD for the os rtos \n", "INFO: Directories Searched :\n",
        "STATUS:   - " + r1 + "bsp/rtos/data\n", "STATUS:   - " + r2 + "bsp/rtos/data\n"}},
  };
  for (auto& c : cases) {
    msgs.Clear();
    EXPECT_EQ(2, c.assign());
    EXPECT_EQ(c.said, Said());
  }
  // The check form names the instance's file and line.
  msgs.Clear();
  EXPECT_EQ(1, DrvInstUtil::CheckDrvInst(Comp<DrvInst>(Mss::DRIVERS), man.get()));
  ASSERT_FALSE(Said().empty());
  EXPECT_EQ("ERROR: " + At(1, "Cannot find MDD for the driver timer 2.00.a\n"), Said()[0]);
  EXPECT_EQ(nullptr, Comp<DrvInst>(Mss::DRIVERS)->GetBaseNodePtr(DrvInst::DEFINITION));
}

TEST_F(ResolveTest, NamelessInstanceIsOneErrorWhetherBoundOrChecked) {
  AddDriver("repo", "drivers", "timer", "1.00.a");
  ReadMss("BEGIN DRIVER\n PARAMETER HW_INSTANCE = t0\nEND\n"
          "BEGIN LIBRARY\n PARAMETER PROC_INSTANCE = cpu\nEND\n");
  auto& repos = Repos();
  EXPECT_EQ(1, DrvInstUtil::AssignSwCore(Comp<DrvInst>(Mss::DRIVERS), repos));
  EXPECT_EQ(1, DrvInstUtil::CheckDrvInst(Comp<DrvInst>(Mss::DRIVERS), man.get()));
  EXPECT_EQ(1, LibInstUtil::CheckLibInst(Comp<LibInst>(Mss::LIBRARIES), man.get()));
  EXPECT_EQ((std::vector<std::string>{
                "ERROR: " + At(1, "Driver Name is not specified in MSS file\n"),
                "ERROR: " + At(1, "Driver Name is not specified in MSS file\n"),
                "ERROR: " + At(4, "Library Name is not specified in MSS file\n")}),
            Said());
}

TEST_F(ResolveTest, UndeclaredEntriesAndTheExemptNames) {
  AddDriver("repo", "drivers", "timer", "1.00.a",
            "PARAM name = C_BITS, default = 32;\n"
            "BEGIN BLOCK, dep = (MODE = 2)\nPARAM name = BASE_ADDRESS, default = 0;\nEND BLOCK\n");
  AddLibrary("repo", "sw_services", "fs", "1.00.a", "LIBRARY",
             "PARAM name = size, default = 1;\n");
  AddLibrary("repo", "bsp", "rtos", "1.00.a", "OS", "PARAM name = ticks, default = 1;\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = timer\n PARAMETER LIBRARY_VER = 1\n"
          " PARAMETER BASE_ADDRESS = 4\n PARAMETER FOO = 1\n PARAMETER HW_INSTANCE = (1)\nEND\n"
          "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER DRIVER_NAME = x\n"
          " PARAMETER PROC_INSTANCE = cpu\nEND\n"
          "BEGIN OS\n PARAMETER OS_NAME = rtos\n PARAMETER LIBRARY_VER = 2\nEND\n");
  Repos();
  // HW_INSTANCE written as a list is an array value: array values have no
  // exempt names.
  EXPECT_EQ(2, DrvInstUtil::CheckDrvInst(Comp<DrvInst>(Mss::DRIVERS), man.get()));
  EXPECT_EQ(0, LibInstUtil::CheckLibInst(Comp<LibInst>(Mss::LIBRARIES), man.get()));
  EXPECT_EQ(1, OsInstUtil::CheckOsInst(Comp<OsInst>(Mss::OSES), man.get()));
  // Against another library DRIVER_NAME is no longer exempt.
  LibInst ref;
  ref.SetName("ref");
  EXPECT_EQ(1, LibInstUtil::CheckProperty(Comp<LibInst>(Mss::LIBRARIES), &ref));
  EXPECT_EQ((std::vector<std::string>{
                "ERROR: " + At(5, "FOO is not a configurable parameter for driver timer\n"),
                "ERROR: " + At(6, "HW_INSTANCE is not a configurable parameter for driver timer\n"),
                "ERROR: " + At(15, "LIBRARY_VER is not a configurable parameter for os rtos\n"),
                "ERROR: " + At(10, "DRIVER_NAME is not a configurable parameter for library ref\n")}),
            Said());
}

TEST_F(ResolveTest, ProcessorAgainstProcessorLooksAtParametersOnly) {
  ReadMss("BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER DEBUG_PERIPHERAL = d\n"
          " PARAMETER LIBRARY = x\n PARAMETER tbl = (1,2)\nEND\n");
  ProcInst ref;
  ref.SetName("cpu2");
  EXPECT_EQ(1, ProcInstUtil::CheckProperty(Comp<ProcInst>(Mss::PROCESSORS), &ref));
  EXPECT_EQ(std::vector<std::string>{"ERROR: " +
                                     At(4, "LIBRARY is not a configurable parameter for driver cpu2\n")},
            Said());
}

TEST_F(ResolveTest, EntryDeclaredOnlyInsideAnIncludedBlock) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "PARAM name = MODE, default = 1;\n"
            "BEGIN BLOCK, dep = (MODE = 2)\nPARAM name = FIFO, default = 16;\nEND BLOCK\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER MODE = 2\nEND\n"
          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\nEND\n");
  auto& repos = Repos();
  const Mdd* mdd = DrvInstUtil::GetMddForDrvInst(Comp<DrvInst>(Mss::DRIVERS), repos);
  ASSERT_NE(nullptr, mdd);
  EXPECT_TRUE(DrvInstUtil::IsDrvPropertyValid(Comp<DrvInst>(Mss::DRIVERS, 0), mdd, Mdd::PARAMETERS, "fifo"));
  EXPECT_FALSE(DrvInstUtil::IsDrvPropertyValid(Comp<DrvInst>(Mss::DRIVERS, 1), mdd, Mdd::PARAMETERS, "FIFO"));
  EXPECT_TRUE(DrvInstUtil::IsDrvPropertyValid(Comp<DrvInst>(Mss::DRIVERS, 1), mdd, Mdd::PARAMETERS, "MODE"));
  EXPECT_FALSE(DrvInstUtil::IsDrvPropertyValid(Comp<DrvInst>(Mss::DRIVERS, 1), mdd, Mdd::BLOCKS, "MODE"));
}

TEST_F(ResolveTest, IdentitySettersAndFinders) {
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = Uart_0\nEND\n"
          "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\nEND\n");
  auto& drivers = mss->GetPsfCompSeqRef(Mss::DRIVERS);
  EXPECT_EQ(drivers[0], DrvInstUtil::GetDrvInstByHwInstName(drivers, "UART_0"));
  // Entries of another class are skipped, never cast.
  std::vector<MdtBase::PsfComp*> mixed{mss->GetPsfCompSeqRef(Mss::LIBRARIES)[0], drivers[0]};
  EXPECT_EQ(drivers[0], DrvInstUtil::GetDrvInstByHwInstName(mixed, "uart_0"));
  EXPECT_EQ(nullptr, DrvInstUtil::GetDrvInstByHwInstName(mixed, ""));
  EXPECT_EQ(mixed[0], LibInstUtil::GetLibInstByHwInstName(mixed, ""));

  OsInst os;
  OsInstUtil::SetOsInstInfo(&os, "cpu_0", "standalone", "2.00.a");
  EXPECT_EQ("standalone", os.GetName());
  std::vector<std::string> names;
  for (const auto* p : os.GetPropSeqRef(LibInst::PARAMETERS))
    names.push_back(p->GetName() + "=" + p->GetValueStr());
  EXPECT_EQ((std::vector<std::string>{"OS_NAME=standalone", "OS_VER=2.00.a", "PROC_INSTANCE=cpu_0"}),
            names);
  std::vector<OsInst*> oses{&os};
  EXPECT_EQ(&os, OsInstUtil::GetOsInstByHwInstName(oses, "CPU_0"));
  EXPECT_EQ(&os, OsInstUtil::GetOsInstByName(oses, "STANDALONE"));
  EXPECT_FALSE(ProcInstUtil::VerifyPropType(3, nullptr));
}

}  // namespace
}  // namespace TavSoftware

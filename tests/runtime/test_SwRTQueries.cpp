// Queries on a scratch repository with deprecated, obsolete and generic
// cores; version order; hardware instances fitting a parameter; property
// trees and their release.
#include <memory>
#include <string>
#include <vector>

#include "../repos/RepoFixture.h"
#include "FakeHwDb.h"
#include "LibInst.h"
#include "Mdd.h"
#include "MddUtil.h"
#include "Mld.h"
#include "Mss.h"
#include "Param.h"
#include "ParseMss.h"
#include "PropTree.h"
#include "SwCore.h"
#include "SwRTUtil.h"
#include "SwRepos.h"
#include "SwReposMan.h"

namespace TavSoftware {
namespace {

using Names = std::vector<std::string>;

Names CoreNames(const std::vector<SwCore*>& cores) {
  Names out;
  for (const SwCore* c : cores) out.push_back(c->GetName() + " " + c->GetVersion());
  return out;
}

Names Strings(const std::vector<String>& v) { return Names(v.begin(), v.end()); }

class SwRTQueryTest : public tavtest::RepoTest {
 protected:
  void SetUp() override {
    const std::string uartlite = "OPTION supported_peripherals = (uartlite);\n";
    AddDriver("r1", "drivers", "uart", "1.00.a", uartlite);
    AddDriver("r1", "drivers", "uart", "1.00.b",
              "OPTION supported_peripherals = (uartlite_v1_00_[a-z]);\n"
              "BEGIN INTERFACE stdin\nEND INTERFACE\n");
    AddDriver("r1", "drivers", "uartold", "1.00.a", uartlite + "OPTION driver_state = DEPRECATED;\n");
    AddDriver("r1", "drivers", "uartdead", "1.00.a", uartlite + "OPTION driver_state = OBSOLETE;\n");
    AddDriver("r1", "drivers", "generic", "1.00.a");
    AddDriver("r1", "drivers", "aemc", "1.00.a", "OPTION supported_peripherals = (emc);\n");
    AddDriver("r1", "drivers", "flash", "1.00.a", "OPTION supported_peripherals = (emc);\n");
    AddDriver("r1", "drivers", "tavcpu", "1.00.a",
              "OPTION supported_peripherals = (tavcpu);\nOPTION default_os = standalone_v2_00_a;\n");
    const std::string forCpu = "OPTION supported_peripherals = (tavcpu);\n";
    AddLibrary("r1", "bsp", "standalone", "2.00.a", "OS", forCpu);
    AddLibrary("r1", "bsp", "rtos", "1.00.a", "OS", "OPTION supported_peripherals = (othercpu);\n");
    AddLibrary("r1", "bsp", "oldos", "1.00.a", "OS", "OPTION os_state = DEPRECATED;\n");
    AddLibrary("r1", "bsp", "mybsp", "1.00.a", "OS", "OPTION bsp = true;\n");
    AddLibrary("r1", "sw_services", "fs", "1.00.a", "LIBRARY", "OPTION requires_os = (rtos);\n");
    AddLibrary("r1", "sw_services", "net", "1.00.a");
    AddLibrary("r1", "sw_services", "oldlib", "1.00.a", "LIBRARY",
               "OPTION library_state = DEPRECATED;\n");
    // The second repository is searched first and repeats a core.
    AddDriver("r2", "drivers", "uart", "1.00.a", uartlite);
    AddLibrary("r2", "bsp", "standalone", "3.00.a", "OS", forCpu);
    man.AddSwRepos(Repo("r1"), 0);
    man.AddSwRepos(Repo("r2"), 0);

    hw->Add("cpu_0", "tavcpu", "1.00.a", "PROCESSOR")
        .Add("uart_0", "uartlite", "1.00.a")
        .Add("uart_1", "uartlite", "1.00.a")
        .Add("gpio_0", "gpio", "1.00.a")
        .Addressable("cpu_0", {"uart_0", "", "gpio_0"});
  }
  void ReadMss(const std::string& text) {
    ASSERT_EQ(0, ParseMss::Parse(dir.Write("sys.mss", text), &mss));
  }
  SwCore* Core(const char* name, const char* version) { return man.GetCoreByName(name, version); }

  SwReposMan man{false};
  Mss mss;
  boost::shared_ptr<tavtest::FakeHwDb> hw = tavtest::MakeFakeHwDb();
};

TEST_F(SwRTQueryTest, VersionsStandNewestFirstByteWise) {
  struct Case {
    Names add, want;
  } cases[] = {
      {{"1.00.a", "2.00.a", "1.00.a"}, {"2.00.a", "1.00.a"}},
      {{"1.00.a", "1.00.b", "1.00.B"}, {"1.00.b", "1.00.a"}},
      {{"9.00.a", "10.00.a"}, {"9.00.a", "10.00.a"}},  // plain string order
      {{"1.00", "1.00.a"}, {"1.00.a", "1.00"}},        // the longer is greater
  };
  for (const Case& c : cases) {
    std::vector<String> list;
    for (const std::string& v : c.add) SwRTUtil::CheckAndAddVerToList(list, v);
    EXPECT_EQ(c.want, Strings(list));
  }

  std::vector<SwCore*> cores;
  for (auto [n, v] : {std::pair{"uart", "1.00.a"}, {"uart", "1.00.b"}, {"net", "1.00.a"},
                      {"uart", "1.00.a"}})
    SwRTUtil::CheckAndAddCoreToList(cores, Core(n, v));
  SwRTUtil::CheckAndAddCoreToList(cores, nullptr);
  EXPECT_EQ((Names{"net 1.00.a", "uart 1.00.b", "uart 1.00.a"}), CoreNames(cores));
  EXPECT_TRUE(SwRTUtil::IsCorePresentinList("UART", "", cores));
  EXPECT_FALSE(SwRTUtil::IsCorePresentinList("uart", "2.00.a", cores));
  std::vector<String> versions;
  SwRTUtil::GetAllVerForDrv("Uart", cores, versions);
  EXPECT_EQ((Names{"1.00.b", "1.00.a"}), Strings(versions));
}

TEST_F(SwRTQueryTest, DriversForAPeripheral) {
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uartold\n PARAMETER DRIVER_VER = 1.00.a\nEND\n");
  auto& repos = man.GetSwReposSeqRef();
  struct Case {
    bool generic, deprecated;
    const Mss* mss;
    Names want;
  } cases[] = {
      {false, false, nullptr, {"uart 1.00.b", "uart 1.00.a"}},
      {true, false, nullptr, {"uart 1.00.b", "uart 1.00.a", "generic 1.00.a"}},
      {false, true, nullptr, {"uartold 1.00.a", "uartdead 1.00.a", "uart 1.00.b", "uart 1.00.a"}},
      {false, false, &mss, {"uartold 1.00.a", "uart 1.00.b", "uart 1.00.a"}},  // in use
  };
  for (const Case& c : cases) {
    std::vector<SwCore*> out = {Core("net", "")};  // replaced, not appended to
    SwRTUtil::GetDrvListForPeriph("uartlite", "1.00.a", out, repos, c.generic, c.mss,
                                  c.deprecated);
    EXPECT_EQ(c.want, CoreNames(out));
  }
  EXPECT_EQ(Core("uart", "1.00.b"), SwRTUtil::GetDrvForPeriph("uartlite", "1.00.a", repos));
  EXPECT_EQ(Core("generic", "1.00.a"), SwRTUtil::GetDrvForPeriph("nothing", "1.00.a", repos));
  // Both drivers list the memory controller; the flash driver is not its default.
  EXPECT_EQ(Core("aemc", "1.00.a"), SwRTUtil::GetDrvForPeriph("EMC", "1.00.a", repos));
  std::vector<SwRepos*> none;
  EXPECT_EQ(nullptr, SwRTUtil::GetDrvForPeriph("nothing", "1.00.a", none));
}

TEST_F(SwRTQueryTest, OperatingSystemsAndLibraries) {
  ReadMss("BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = oldlib\n PARAMETER LIBRARY_VER = 1.00.a\n"
          "END\n");
  auto list = [](auto query) {
    std::vector<SwCore*> out;
    query(out);
    return CoreNames(out);
  };
  using V = std::vector<SwCore*>;
  EXPECT_EQ((Names{"standalone 3.00.a", "standalone 2.00.a"}),
            list([&](V& o) { SwRTUtil::GetOsListForProc("tavcpu", "1.00.a", o, man, nullptr, 0); }));
  // Versions of one name stand newest first only when they arrive one after
  // another; a core meeting another name first goes to the front.
  EXPECT_EQ((Names{"standalone 2.00.a", "oldos 1.00.a", "standalone 3.00.a"}),
            list([&](V& o) { SwRTUtil::GetOsListForProc("tavcpu", "1.00.a", o, man, nullptr, 1); }));
  EXPECT_EQ(Names{"mybsp 1.00.a"},
            list([&](V& o) { SwRTUtil::GetBspListForProc("tavcpu", "1.00.a", o, man, nullptr, 0); }));
  EXPECT_EQ((Names{"standalone 2.00.a", "rtos 1.00.a", "standalone 3.00.a"}),
            list([&](V& o) { SwRTUtil::GetOsList(o, man, 0); }));
  EXPECT_EQ((Names{"net 1.00.a", "fs 1.00.a"}), list([&](V& o) { SwRTUtil::GetLibList(o, man, 0); }));
  EXPECT_EQ((Names{"oldlib 1.00.a", "net 1.00.a", "fs 1.00.a"}),
            list([&](V& o) { SwRTUtil::GetLibList(o, man, 1); }));
  // A library that requires another OS is left out only when the OS is fully named.
  EXPECT_EQ((Names{"oldlib 1.00.a", "net 1.00.a"}), list([&](V& o) {
              SwRTUtil::GetAllLibInRepos(man, o, &mss, "standalone", "2.00.a", 0);
            }));
  EXPECT_EQ((Names{"net 1.00.a", "fs 1.00.a"}),
            list([&](V& o) { SwRTUtil::GetAllLibInRepos(man, o, nullptr, "standalone", "", 0); }));
  EXPECT_EQ((Names{"net 1.00.a", "fs 1.00.a"}),
            list([&](V& o) { SwRTUtil::GetAllLibInRepos(man, o, nullptr, "rtos", "1.00.a", 0); }));

  EXPECT_EQ(Core("standalone", "3.00.a"),
            SwRTUtil::GetOsForProc("tavcpu", "1.00.a", "STANDALONE", "", man));
  EXPECT_EQ(Core("standalone", "2.00.a"),
            SwRTUtil::GetOsForProc("tavcpu", "1.00.a", "standalone", "2.00.a", man));
  EXPECT_EQ(nullptr, SwRTUtil::GetOsForProc("tavcpu", "1.00.a", "rtos", "", man));
  EXPECT_EQ(Core("mybsp", "1.00.a"), SwRTUtil::GetBspForProc("tavcpu", "1.00.a", "mybsp", "", man));
  EXPECT_EQ(1, SwRTUtil::IsOsType("RTOS", man));
  EXPECT_EQ(0, SwRTUtil::IsOsType("oldos", man));
  EXPECT_EQ(0, SwRTUtil::IsOsType("net", man));

  auto* cpu = dynamic_cast<Mdd*>(Core("tavcpu", "1.00.a")->GetPsfFileObj(SwCore::MDD));
  auto* plain = dynamic_cast<Mdd*>(Core("uart", "1.00.a")->GetPsfFileObj(SwCore::MDD));
  EXPECT_EQ(Core("standalone", "2.00.a"), SwRTUtil::GetDefaultOsForProc(cpu, man));
  EXPECT_EQ(nullptr, SwRTUtil::GetDefaultOsForProc(plain, man));
  EXPECT_EQ(Core("standalone", "3.00.a"),
            SwRTUtil::GetDefaultOsForProc(plain, "tavcpu", "1.00.a", man));

  std::vector<String> versions;
  SwRTUtil::GetAllVerForName("standalone", man, versions, nullptr, 0);
  EXPECT_EQ((Names{"3.00.a", "2.00.a"}), Strings(versions));
  versions.clear();
  SwRTUtil::GetAllVerForName("oldos", man, versions, nullptr, 0);
  EXPECT_TRUE(versions.empty());
  struct Case {
    const char* name;
    int kind;
    Names want;
  } cases[] = {{"uart", 0, {"1.00.b", "1.00.a"}},
               {"uartold", 0, {}},
               {"uartdead", 0, {}},
               {"standalone", 1, {"3.00.a", "2.00.a"}},
               {"net", 2, {"1.00.a"}},
               {"oldlib", 2, {}},
               {"uart", 1, {}}};  // a driver has no MLD
  for (const Case& c : cases)
    EXPECT_EQ(c.want, Strings(SwRTUtil::GetVersionsForSwCore(c.name, man, c.kind))) << c.name;
}

TEST_F(SwRTQueryTest, HardwareInstancesForAParameter) {
  struct Case {
    const char* type;
    const char* proc;
    Names want;
  } cases[] = {{"uartlite", "", {"uart_0", "uart_1"}},
               {"UARTLITE", "cpu_0", {"uart_0"}},  // only what the processor addresses
               {"tavcpu", "cpu_0", {"cpu_0"}},     // the processor itself, alone
               {"gpio", "cpu_9", {}}};
  for (const Case& c : cases) {
    std::vector<String> out;
    SwRTUtil::GetCoreListByIPName(c.type, hw, out, c.proc);
    EXPECT_EQ(c.want, Strings(out)) << c.type;
  }
  std::vector<String> out;
  SwRTUtil::GetCoreListByIPName("uartlite", SwRTUtil::HwDbPtr(), out, "");
  EXPECT_TRUE(out.empty());

  // Range entries may be patterns; an instance fitting two entries comes once.
  auto p = std::make_unique<Param>(String("stdin"));
  auto* range = new MdtBase::PsfComp(String("range"));
  range->SetMdtValuePtr(new MdtBase::ListStrVal("uartlite_v1_00_[a-z], gpio, uartlite", ","));
  p->AddPsfComp(range);
  SwRTUtil::GetCoreListForPeriphInst(p.get(), hw, out, "");
  EXPECT_EQ((Names{"uart_0", "uart_1", "gpio_0"}), Strings(out));

  out.clear();
  auto* uartB = dynamic_cast<Mdd*>(Core("uart", "1.00.b")->GetPsfFileObj(SwCore::MDD));
  EXPECT_EQ(0, SwRTUtil::GetCoreListForDrv(uartB, hw, out, "cpu_0"));
  EXPECT_EQ(Names{"uart_0"}, Strings(out));
  auto* generic = dynamic_cast<Mdd*>(Core("generic", "1.00.a")->GetPsfFileObj(SwCore::MDD));
  EXPECT_EQ(-1, SwRTUtil::GetCoreListForDrv(generic, hw, out, ""));
  // A driver whose supported types overlap lists each instance once, also
  // against what the list already held.
  dir.Write("twice.mdd", tavtest::MddText("twice", "OPTION supported_peripherals = "
                                                   "(uartlite uartlite_v1_00_a gpio UARTLITE);\n"));
  int status = 0;
  std::unique_ptr<Mdd> twice(MddUtil::Parse(dir / "twice.mdd", status));
  ASSERT_EQ(0, status);
  out = {"UART_1"};
  EXPECT_EQ(0, SwRTUtil::GetCoreListForDrv(twice.get(), hw, out, ""));
  EXPECT_EQ((Names{"UART_1", "uart_0", "gpio_0"}), Strings(out));

  // Only the 1.00.b driver offers stdin.
  ReadMss("BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = tavcpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
          " PARAMETER HW_INSTANCE = uart_1\nEND\n"
          "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.b\n"
          " PARAMETER HW_INSTANCE = uart_0\nEND\n");
  out.clear();
  SwRTUtil::GetCoreListByDrvPropName(&mss, Mdd::INTERFACES, "STDIN", &man, out);
  EXPECT_EQ(Names{"uart_0"}, Strings(out));
  auto* req = new MdtBase::PsfComp(String("requires_interface"));
  req->SetMdtValuePtr(new MdtBase::ListStrVal("stdin", ","));
  p->AddPsfComp(req);
  out.clear();
  SwRTUtil::GetCoreListForDrvParam(hw, &mss, p.get(), &man, out);
  EXPECT_EQ(Names{"uart_0"}, Strings(out));
}

// --- Property trees ---------------------------------------------------------------

const char* kTreeMld =
    "PARAM name = use_net, type = bool, default = false;\n"
    "PARAM name = net_mode, type = string, default = slow, dep = (use_net = true);\n"
    "PARAM name = net_speed, type = int, default = 1, dep = (net_mode = fast);\n"
    "PARAM name = orphan, type = int, default = 1, dep = (missing = 1);\n"
    "PARAM name = hwflag, type = int, default = 0, dep = (C_FPU = 1);\n"
    "BEGIN CATEGORY fsys_cache\n"  // before the category it hangs under
    "PARAM name = fsys_cache, type = bool, default = false, dep = (fsys = true);\n"
    "PARAM name = cache_size, type = int, default = 4;\n"
    "END CATEGORY\n"
    "BEGIN CATEGORY fsys\n"
    "PARAM name = fsys, type = bool, default = true;\n"
    "PARAM name = fs_blocks, type = int, default = 8;\n"
    "END CATEGORY\n"
    "BEGIN CATEGORY netcat\n"
    "PARAM name = netcat, type = bool, default = true, dep = (use_net = true);\n"
    "END CATEGORY\n"
    "BEGIN ARRAY table\nPROPERTY size = 2;\nPARAM name = col, type = int;\nEND ARRAY\n";

class SwRTTreeTest : public tavtest::RepoTest {
 protected:
  void SetUp() override {
    AddLibrary("r", "sw_services", "tree", "1.00.a", "LIBRARY", kTreeMld);
    man.AddSwRepos(Repo("r"), 0);
    lib.SetName("tree");
    lib.SetBaseNodePtr(LibInst::CORE, man.GetCoreByName("tree", ""));
    mld = dynamic_cast<Mld*>(lib.GetBaseNodePtr(LibInst::DEFINITION));
    ASSERT_NE(nullptr, mld);
    hw->Add("cpu_0", "tavcpu", "1.00.a", "PROCESSOR");
  }
  // "name:level" per node, children in brackets.
  static Names Shape(const std::vector<PropTree*>& tree) {
    Names out;
    for (const PropTree* n : tree) {
      std::string s = n->GetProperty()->GetName() + ":" + std::to_string(n->GetLevel());
      if (!n->GetChildren().empty()) {
        s += "[";
        for (const std::string& c : Shape(n->GetChildren())) s += c + " ";
        s += "]";
      }
      out.push_back(s);
      EXPECT_FALSE(n->GetOwnsProperty());
    }
    return out;
  }

  SwReposMan man{false};
  LibInst lib;
  Mld* mld = nullptr;
  boost::shared_ptr<tavtest::FakeHwDb> hw = tavtest::MakeFakeHwDb();
  std::vector<PropTree*> tree;
};

TEST_F(SwRTTreeTest, DependantsFollowWhatTheyDependOn) {
  struct Case {
    const char* proc;
    const char* fpu;  // the processor's hardware parameter, null when absent
    Names want;
  } cases[] = {
      {"", nullptr,
       {"use_net:0", "net_mode:1", "net_speed:2", "netcat:1", "fsys:0", "fsys_cache:1",
        "table:0"}},
      {"cpu_0", "1",  // the hardware satisfies the condition: at the top
       {"use_net:0", "net_mode:1", "net_speed:2", "netcat:1", "hwflag:0", "fsys:0",
        "fsys_cache:1", "table:0"}},
      {"cpu_0", "0",  // the hardware contradicts it: left out
       {"use_net:0", "net_mode:1", "net_speed:2", "netcat:1", "fsys:0", "fsys_cache:1",
        "table:0"}},
  };
  for (const Case& c : cases) {
    if (c.fpu) hw->Param("cpu_0", "C_FPU", c.fpu);
    EXPECT_EQ(static_cast<int>(c.want.size()),
              SwRTUtil::PopulatePsfCompPropTree(&lib, hw, c.proc, tree));
    EXPECT_EQ(c.want, Shape(tree)) << c.proc;
    SwRTUtil::ReleasePropTree(tree);
    EXPECT_TRUE(tree.empty());
  }
  // The definition keeps its properties.
  ASSERT_NE(nullptr, mld->GetPropertyByName(Mld::PARAMETERS, "net_speed"));
  EXPECT_EQ("1", mld->GetPropertyValueStr(Mld::PARAMETERS, "net_speed"));

  MdtBase::PsfComp stranger(String("x"));
  EXPECT_EQ(0, SwRTUtil::PopulatePsfCompPropTree(&stranger, hw, "", tree));
  EXPECT_EQ(std::vector<std::string>{"Unknown PsfComponent MdtBas_PsfComp used ... \n"},
            msgs.Texts(MsgSeverity::kWarning));
}

TEST_F(SwRTTreeTest, CategoriesHangUnderTheirParent) {
  // netcat depends on a parameter, not a category: it is in no tree.
  EXPECT_EQ(6 + 2 + 2, SwRTUtil::CreatePropTreeList(&lib, tree));
  EXPECT_EQ((Names{"use_net:0", "net_mode:0", "net_speed:0", "orphan:0", "hwflag:0", "table:0",
                   "fsys:0[fsys_cache:0 ]"}),
            Shape(tree));
  SwRTUtil::ReleasePropTree(tree);
  EXPECT_TRUE(tree.empty());
  EXPECT_NE(nullptr, mld->GetPropertyByName(Mld::CATEGORIES, "cache_size"));

  // A tree a caller assembled with a node listed twice is still released once.
  auto* a = new PropTree();
  auto* b = new PropTree();
  a->AddChild(b);
  std::vector<PropTree*> mixed = {a, b, nullptr};
  SwRTUtil::ReleasePropTree(mixed);
  EXPECT_TRUE(mixed.empty());

  MdtBase::PsfComp stranger(String("x"));
  EXPECT_EQ(0, SwRTUtil::CreatePropTreeList(&stranger, tree));
  EXPECT_EQ(std::vector<std::string>{"Internal error while creating property list for comp: x.\n"},
            msgs.Texts(MsgSeverity::kWarning));
}

}  // namespace
}  // namespace TavSoftware

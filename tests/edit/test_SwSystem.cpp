// The editing session: creating, reading, changing and writing an MSS, and
// components that never point at a destroyed instance.
#include <filesystem>
#include <thread>

#include "EditFixture.h"
#include "HwDbFile.h"
#include "Mdd.h"
#include "Mss.h"
#include "Param.h"
#include "SwComponent.h"
#include "SwComponentUtil.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwSystem.h"

namespace TavSoftware {
namespace {

class SwSystemTest : public tavtest::EditTest {
 protected:
  std::unique_ptr<SwSystem> Session() {
    auto s = std::make_unique<SwSystem>(hw, "sys");
    s->SetBaseNodePtr(SwSystem::REPOS_MAN, man.get());
    return s;
  }
};

TEST_F(SwSystemTest, CreateMssVersionsAndTemplates) {
  auto s = Session();
  EXPECT_EQ(-1, s->CreateMss("cpu_0", "nosuch", "*"));
  EXPECT_TRUE(s->GetMss()->GetPsfCompSeqRef(Mss::PARAMETERS).empty());
  EXPECT_TRUE(s->GetSwComponentSeqRef().empty());

  EXPECT_EQ(0, s->CreateMss("cpu_0", "standalone", "*"));
  EXPECT_EQ("standalone", s->GetOsName());
  EXPECT_EQ("3.00.a", s->GetOsVersion());
  EXPECT_EQ("cpu_0", s->GetProcessorName());
  EXPECT_EQ("2.00.a", s->GetDriverVersion("uart_1"));
  ASSERT_EQ(4u, s->GetSwComponentSeqRef().size());
  std::vector<SwComponent*> procs;
  EXPECT_EQ(1, s->GetSwComponentSeqByIpType(SwSystem::PROCESSORS, procs));
  EXPECT_EQ(s->GetMss()->GetPsfCompSeqRef(Mss::OSES).at(0), procs[0]->GetBaseNodePtr(SwComponent::OS));
  EXPECT_EQ(0, s->GetSwComponentSeqByIpType(3, procs));

  // Without an OS name: the processor's default OS.
  auto t = Session();
  EXPECT_EQ(0, t->CreateMss("cpu_0", "", "*"));
  EXPECT_EQ("standalone", t->GetOsName());

  // An OS core holding "<name>.mss" makes it the template.
  dir.Write("repo/bsp/standalone_v2_00_a/data/standalone.mss",
            "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER OS_VER = *\n"
            " PARAMETER stdout = *\nEND\n"
            "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\nEND\n");
  auto u = Session();
  EXPECT_EQ(0, u->CreateMss("cpu_0", "standalone", "2.00.a"));
  EXPECT_EQ("1.00.a", u->GetDriverVersion("uart_0"));
  EXPECT_EQ("3.00.a", u->GetOsVersion());  // "*" in the template: the newest
  EXPECT_EQ("uart_0", static_cast<OsInst*>(u->GetMss()->GetPsfCompSeqRef(Mss::OSES).at(0))
                          ->GetPropertyValueStr(1, "stdout"));

  dir.Write("bad.mss", "BEGIN DRIVER\n PARAMETER\n");
  auto v = Session();
  msgs.Clear();
  EXPECT_EQ(-1, v->CreateMssFromTemplate("cpu_0", (dir / "bad.mss").c_str()));
  EXPECT_EQ("Unable to parse the template MSS file: " + (dir / "bad.mss") + ".\n",
            msgs.Texts(MsgSeverity::kError).back());
  EXPECT_EQ(-2, SwSystem(nullptr, "x").CreateMss("cpu_0", "", "*"));
}

TEST_F(SwSystemTest, DemoHardwareGivesACleanModel) {
  int errors = 0;
  auto demoHw = TavHwDb::HwDbFile::Read(TAVSW_EXAMPLES "/hw/system.json", errors);
  ASSERT_EQ(0, errors);
  SwReposMan demoRepos(false);
  demoRepos.AddSwRepos(TAVSW_EXAMPLES "/repo", 0);
  SwSystem s(demoHw, "demo");
  s.SetBaseNodePtr(SwSystem::REPOS_MAN, &demoRepos);
  ASSERT_EQ(0, s.CreateMss("cpu_0", "", "*"));
  std::unique_ptr<SwRTClass> model(
      SwRTUtil::CreateSwRTObject(demoHw, s.GetMss(), demoRepos, errors, nullptr));
  EXPECT_EQ(0, errors) << ::testing::PrintToString(msgs.Texts(MsgSeverity::kError));
}

TEST_F(SwSystemTest, ParseEditAndNoDanglingComponent) {
  auto s = Session();
  EXPECT_GE(s->ParseMss((dir / "missing.mss").c_str()) & 1, 1);
  EXPECT_TRUE(s->GetSwComponentSeqRef().empty());
  s->ClearInfo();
  ASSERT_EQ(0, s->CreateMss("cpu_0", "standalone", "*"));
  SwComponent* uart = s->GetSwComponentByHwInstName("UART_0");
  ASSERT_NE(nullptr, uart);
  EXPECT_NE(nullptr, uart->GetBaseNodePtr(SwComponent::DEFINITION));

  // Removing the driver leaves the component with no link; reading it is safe.
  EXPECT_EQ(0, s->RemoveDriver("uart_0"));
  EXPECT_EQ(nullptr, uart->GetBaseNodePtr(SwComponent::DRIVER));
  EXPECT_EQ("", SwComponentUtil::GetDriverName(uart));
  EXPECT_EQ(1, s->RemoveDriver("uart_0"));
  // Setting a driver again links the same component to the new instance.
  EXPECT_EQ(-1, s->SetDriver("uart_0", "nosuch", "*"));
  EXPECT_EQ(0, s->SetDriver("uart_0", "uart", "1.00.a"));
  EXPECT_EQ("uart", SwComponentUtil::GetDriverName(uart));
  SwComponent* uart1 = s->GetSwComponentByHwInstName("uart_1");
  EXPECT_EQ(1, s->SetDriver("uart_1", "uart", "1.00.a"));  // replaced: relinked
  EXPECT_EQ("1.00.a", uart1->GetDrvInst()->GetPropertyValueStr(1, "DRIVER_VER"));

  // Choosing through the component: 2, 3, 4, then clearing (1) deletes it.
  EXPECT_EQ(2, SwComponentUtil::SetDriverInfo(hw, uart, "uart", "1.00.A"));
  EXPECT_EQ(3, SwComponentUtil::SetDriverInfo(hw, uart, "uart", "2.00.a"));
  EXPECT_EQ(-1, SwComponentUtil::SetDriverInfo(hw, uart, "uart", "9.00.a"));
  EXPECT_EQ(4, SwComponentUtil::SetDriverInfo(hw, uart, "generic", "*"));
  EXPECT_EQ("generic", s->GetDriverName("uart_0"));
  EXPECT_EQ(1, SwComponentUtil::SetDriverInfo(hw, uart, "", ""));
  EXPECT_EQ("", s->GetDriverName("uart_0"));
  EXPECT_EQ(-2, SwComponentUtil::SetDriverInfo(hw, nullptr, "uart", ""));
  SwComponent loose("uart_0");
  EXPECT_EQ(-2, SwComponentUtil::SetDriverInfo(hw, &loose, "uart", ""));
  // A detached instance belongs to the component (no leak, no double free).
  EXPECT_EQ(0, SwComponentUtil::InitializeDriverInfo(hw, man.get(), &loose));
  EXPECT_TRUE(loose.OwnsBaseNodePtr(SwComponent::DRIVER));

  SwComponent* cpu = s->GetSwComponentByHwInstName("cpu_0");
  EXPECT_EQ(3, SwComponentUtil::SetOsInfo(cpu, "standalone", "2.00.a"));
  EXPECT_EQ("2.00.a", s->GetOsVersion());
  EXPECT_EQ(4, SwComponentUtil::SetOsInfo(cpu, "board", "*"));
  EXPECT_EQ("board", s->GetOsName());
  EXPECT_EQ(1u, s->GetMss()->GetPsfCompSeqRef(Mss::OSES).size());
  EXPECT_EQ(4, SwComponentUtil::SetOsInfo(cpu, "standalone", "2.00.a"));
  EXPECT_EQ(s->GetMss()->GetPsfCompSeqRef(Mss::OSES).at(0), cpu->GetBaseNodePtr(SwComponent::OS));

  // Versions and parameters.
  EXPECT_TRUE(s->ChangeComponentVersion("standalone", "3.00.a"));
  EXPECT_EQ("3.00.a", s->GetComponentVersion("standalone"));
  EXPECT_TRUE(s->ChangeComponentVersion("uart", "2.00.a"));
  EXPECT_FALSE(s->ChangeComponentVersion("nosuch", "1.00.a"));
  DrvInst* d = uart1->GetDrvInst();
  EXPECT_EQ(0, s->SetParamInMss(d, 1, "baud", "TRUE"));
  EXPECT_EQ("TRUE", d->GetPropertyValueStr(1, "BAUD"));
  Param def("BAUD");
  def.AddPsfComp(new MdtBase::PsfComp("TYPE"));
  def.GetPsfCompByName("TYPE")->SetValueStr("bool");
  def.AddPsfComp(new MdtBase::PsfComp("DEFAULT"));
  def.GetPsfCompByName("DEFAULT")->SetValueStr("false");
  EXPECT_EQ("true", s->GetParamValue(&def, "uart", 0));
  EXPECT_EQ("false", s->GetParamValue(&def, "standalone", 1));
  EXPECT_EQ("false", s->GetParamDefaultValue(&def, "", 0));
  EXPECT_EQ((std::vector<String>{"true", "false"}), s->GetParamListOfValues(&def, "", 0));
  EXPECT_EQ(0, s->DeleteParamInMss(d, 1, "baud"));
  EXPECT_EQ(1, s->DeleteParamInMss(d, 1, "baud"));
  EXPECT_EQ(-1, s->SetParamInMss(nullptr, 1, "x", "y"));
}

TEST_F(SwSystemTest, ComponentListGrowsOnCreateAndIsRebuiltOnParse) {
  auto s = Session();
  ASSERT_EQ(0, s->CreateMss("cpu_0", "standalone", "*"));
  ASSERT_EQ(4u, s->GetSwComponentSeqRef().size());
  // A second create appends a second set; the first still points into the Mss.
  ASSERT_EQ(0, s->CreateMss("cpu_0", "standalone", "*"));
  ASSERT_EQ(8u, s->GetSwComponentSeqRef().size());
  const auto& comps = s->GetSwComponentSeqRef();
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(comps[i]->GetHwInstName(), comps[i + 4]->GetHwInstName());
    EXPECT_EQ(comps[i]->GetBaseNodePtr(SwComponent::DRIVER), comps[i + 4]->GetBaseNodePtr(SwComponent::DRIVER));
  }
  std::vector<SwComponent*> procs;
  EXPECT_EQ(2, s->GetSwComponentSeqByIpType(SwSystem::PROCESSORS, procs));
  dir.Write("tmpl.mss", "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER OS_VER = 2.00.a\nEND\n");
  ASSERT_EQ(0, s->CreateMssFromTemplate("cpu_0", (dir / "tmpl.mss").c_str()));
  EXPECT_EQ(12u, s->GetSwComponentSeqRef().size());

  // ParseMss empties the list first.
  const std::string path = dir / "sys.mss";
  ASSERT_EQ(0, s->WriteMss(path.c_str()));
  s->ClearInfo();
  msgs.Clear();
  EXPECT_EQ(0, s->ParseMss(path.c_str())) << ::testing::PrintToString(Said());
  EXPECT_EQ(4u, s->GetSwComponentSeqRef().size());
  // Read again without ClearInfo: the Mss holds every instance twice (and
  // says so), the list holds one component per hardware instance.
  EXPECT_NE(0, s->ParseMss(path.c_str()));
  EXPECT_EQ(4u, s->GetSwComponentSeqRef().size());
}

TEST_F(SwSystemTest, ParseMssChecksTheHardwareOnce) {
  dir.Write("sys.mss",
            "PARAMETER VERSION = 2.2.0\n"
            "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER DRIVER_VER = 1.00.a\n"
            " PARAMETER HW_INSTANCE = cpu_0\nEND\n"
            "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
            " PARAMETER HW_INSTANCE = uart_9\nEND\n");
  auto s = Session();
  msgs.Clear();
  // The reader is clean; the checks (2) and their sum with the binding (4) are not.
  EXPECT_EQ(6, s->ParseMss((dir / "sys.mss").c_str()));
  const auto errors = msgs.Texts(MsgSeverity::kError);
  ASSERT_EQ(1u, errors.size()) << ::testing::PrintToString(errors);
  EXPECT_NE(std::string::npos, errors[0].find("uart_9")) << errors[0];
}

TEST_F(SwSystemTest, ChangingAVersionSwitchesTheDefinition) {
  auto s = Session();
  ASSERT_EQ(0, s->CreateMss("cpu_0", "standalone", "*"));
  SwComponent* uart = s->GetSwComponentByHwInstName("uart_0");
  ASSERT_NE(nullptr, uart);
  auto* before = static_cast<const Mdd*>(uart->GetBaseNodePtr(SwComponent::DEFINITION));
  ASSERT_NE(nullptr, before);
  EXPECT_NE(nullptr, before->GetPropertyByName(Mdd::PARAMETERS, "label"));
  ASSERT_TRUE(s->ChangeComponentVersion("uart", "1.00.a"));
  auto* after = static_cast<const Mdd*>(uart->GetBaseNodePtr(SwComponent::DEFINITION));
  ASSERT_NE(nullptr, after);
  EXPECT_NE(before, after);
  EXPECT_EQ(nullptr, after->GetPropertyByName(Mdd::PARAMETERS, "label"));
}

TEST_F(SwSystemTest, WriteMssIfChangedInAllThreeCases) {
  namespace fs = std::filesystem;
  auto s = Session();
  ASSERT_EQ(0, s->CreateMss("cpu_0", "standalone", "*"));
  EXPECT_EQ(-1, s->WriteMssIfChanged());  // no file name yet
  const std::string path = dir / "out.mss";
  s->SetMssFileName(path.c_str());
  auto leftovers = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      n += e.path().filename().string().rfind("out.mss", 0) == 0 && e.path() != path;
    return n;
  };
  EXPECT_EQ(1, s->WriteMssIfChanged());  // new file
  const auto stamp = fs::last_write_time(path);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(0, s->WriteMssIfChanged());  // unchanged
  EXPECT_EQ(stamp, fs::last_write_time(path));
  s->ChangeComponentVersion("uart", "1.00.a");
  EXPECT_EQ(1, s->WriteMssIfChanged());  // changed
  EXPECT_NE(std::string::npos, tavtest::ReadFile(path).find("DRIVER_VER = 1.00.a"));
  EXPECT_EQ(0, leftovers());

  // What was written reads back into the same session state.
  auto r = Session();
  EXPECT_EQ(0, r->ParseMss(path.c_str()));
  EXPECT_EQ(4u, r->GetSwComponentSeqRef().size());
  EXPECT_EQ(0, r->WriteMssIfChanged());
}

}  // namespace
}  // namespace TavSoftware

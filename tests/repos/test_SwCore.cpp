#include <filesystem>

#include "Mdd.h"
#include "Mld.h"
#include "Param.h"
#include "RepoFixture.h"
#include "SwCore.h"
#include "SwRepos.h"

using namespace TavSoftware;
namespace fs = std::filesystem;

namespace {

class SwCoreTest : public tavtest::RepoTest {
 protected:
  // A core for the driver or library at `coreDir` (…/data), as a scan makes it.
  static std::unique_ptr<SwCore> MakeCore(const std::string& dataDir, const char* nameVersion,
                                          int kind) {
    auto c = std::make_unique<SwCore>();
    EXPECT_TRUE(c->SetNameVersion(nameVersion));
    c->SetCoreDir(dataDir);
    c->SetPsfKind(kind);
    return c;
  }
  // Puts a parameter into `file` that only survives when it is not read again.
  static void Mark(MdtBase::PsfComp* file) {
    static_cast<Mdd*>(file)->AddProperty(Mdd::PARAMETERS, new Param("marker"));
  }
  static bool Marked(MdtBase::PsfComp* file) {
    return static_cast<Mdd*>(file)->GetPropertyByName(Mdd::PARAMETERS, "marker") != nullptr;
  }
};

TEST_F(SwCoreTest, NamesVersionsAndFileNameParts) {
  SwCore c;
  EXPECT_STREQ(MdtBase::BaseNode::GetBaseNode(&c), "TavSoftware_SwCore");
  EXPECT_EQ(c.GetPsfVersion(), "_v2_1_0");
  EXPECT_EQ(SwCore::GetPsfVerFilenameStr(), "2_1_0");
  EXPECT_TRUE(c.SetNameVersion("my_vga_v1_00_a"));
  EXPECT_EQ(c.GetName(), "my_vga");
  EXPECT_EQ(c.GetVersion(), "1.00.a");
  EXPECT_EQ(c.GetNameVersion(), "my_vga_v1.00.a");
  EXPECT_FALSE(c.SetNameVersion("noversion"));
  EXPECT_EQ(c.GetName(), "my_vga");
  // Without a core directory nothing is found and nothing is reported.
  EXPECT_EQ(c.GetPsfFileObj(SwCore::MDD), nullptr);
  EXPECT_TRUE(c.IsPsfFileMissing(SwCore::MDD));
  EXPECT_EQ(c.GetPsfFileObj(SwCore::BOTH), nullptr);
  EXPECT_EQ(c.GetPsfFileObj(-3), nullptr);
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(SwCoreTest, FileIsReadOnceAndOwnedByTheCore) {
  std::string path = AddDriver("r", "drivers", "uart", "1.00.a",
                               "PARAM name = baud, type = int, default = 9600;\n");
  auto core = MakeCore(fs::path(path).parent_path().string(), "uart_v1_00_a", SwCore::MDD);
  EXPECT_FALSE(core->IsPsfFileObjLoaded(SwCore::MDD));
  auto* mdd = core->GetPsfFileObj(SwCore::MDD);
  ASSERT_NE(mdd, nullptr);
  EXPECT_EQ(mdd->GetOwner(), core.get());
  EXPECT_NE(static_cast<Mdd*>(mdd)->GetPropertyByName(Mdd::PARAMETERS, "baud"), nullptr);
  EXPECT_EQ(core->GetPsfFileObj(SwCore::MDD), mdd);
  // A driver core has no MLD.
  EXPECT_EQ(core->GetPsfFileObj(SwCore::MLD), nullptr);
  EXPECT_TRUE(core->IsPsfFileMissing(SwCore::MLD));
  EXPECT_EQ(core->Destroy(SwCore::BOTH), 1);
  EXPECT_EQ(core->Destroy(SwCore::MDD), 0);
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(SwCoreTest, FileWithErrorsIsReportedOnceAndStaysInUse) {
  std::string path = dir.Write("r/drivers/bad_v1_00_a/data/bad_v2_1_0.mdd",
                               "BEGIN DRIVER bad\nOPTION = nothing;\nEND DRIVER\n");
  SwRepos r;
  r.SetReposDir(Repo("r"));
  ASSERT_EQ(r.ParsePsfFiles(SwRepos::ANY), 1);
  auto* first = r.GetCoreByName(SwRepos::DRIVER, "bad", "");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(r.GetCoreByName(SwRepos::DRIVER, "bad", ""), first);
  std::vector<std::string> ours;
  for (const std::string& t : msgs.Texts(MsgSeverity::kError))
    if (t.rfind("Errors while parsing", 0) == 0) ours.push_back(t);
  EXPECT_EQ(ours, std::vector<std::string>{"Errors while parsing MDD file " + path + "\n"});
}

TEST_F(SwCoreTest, SetPsfFileObjChecksTheKind) {
  SwCore core;
  auto* mld = new Mld();
  EXPECT_EQ(core.SetPsfFileObj(SwCore::MDD, mld), -1);
  EXPECT_EQ(core.SetPsfFileObj(SwCore::BOTH, mld), -1);
  EXPECT_EQ(core.SetPsfFileObj(SwCore::MLD, mld), 0);
  EXPECT_EQ(mld->GetOwner(), &core);
  EXPECT_EQ(core.GetPsfFileObj(SwCore::MLD), mld);
  // A second object replaces (and destroys) the first.
  EXPECT_EQ(core.SetPsfFileObj(SwCore::MLD, new Mld()), 0);
  EXPECT_NE(core.GetPsfFileObj(SwCore::MLD), nullptr);
  EXPECT_EQ(core.SetPsfFileObj(SwCore::MLD, nullptr), 0);
  EXPECT_FALSE(core.IsPsfFileObjLoaded(SwCore::MLD));
}

TEST_F(SwCoreTest, ReloadReadsOnlyFilesNewerThanTheirObject) {
  std::string path = AddDriver("r", "drivers", "uart", "1.00.a");
  auto core = MakeCore(fs::path(path).parent_path().string(), "uart_v1_00_a", SwCore::MDD);
  auto* mdd = core->GetPsfFileObj(SwCore::MDD);
  ASSERT_NE(mdd, nullptr);
  Mark(mdd);
  // Unchanged on disk: kept as it is.
  EXPECT_EQ(core->ReloadPsfFileObj(SwCore::MDD), 0);
  EXPECT_EQ(core->GetPsfFileObj(SwCore::MDD), mdd);
  EXPECT_TRUE(Marked(mdd));

  RewriteNewer(path, tavtest::MddText("uart", "PARAM name = added, type = int, default = 1;\n"));
  EXPECT_EQ(core->ReloadPsfFileObj(SwCore::MDD), 0);
  auto* again = core->GetPsfFileObj(SwCore::MDD);
  EXPECT_EQ(again, mdd);  // emptied and reused
  EXPECT_FALSE(Marked(again));
  EXPECT_NE(static_cast<Mdd*>(again)->GetPropertyByName(Mdd::PARAMETERS, "added"), nullptr);

  // Gone from disk: the object is kept, the result says so.
  fs::remove(path);
  EXPECT_EQ(core->ReloadPsfFileObj(SwCore::MDD), 1);
  EXPECT_EQ(core->GetPsfFileObj(SwCore::MDD), mdd);
  EXPECT_EQ(core->ReloadPsfFileObj(SwCore::BOTH), 1);
  EXPECT_EQ(core->ReloadPsfFileObj(5), -1);
}

TEST_F(SwCoreTest, ReloadGivesUpObsoleteDefinitions) {
  std::string mddPath = AddDriver("r", "drivers", "old", "1.00.a");
  auto drv = MakeCore(fs::path(mddPath).parent_path().string(), "old_v1_00_a", SwCore::MDD);
  ASSERT_NE(drv->GetPsfFileObj(SwCore::MDD), nullptr);
  RewriteNewer(mddPath, tavtest::MddText("old", "OPTION DRIVER_STATE = obsolete;\n"));
  EXPECT_EQ(drv->ReloadPsfFileObj(SwCore::MDD), 0);
  EXPECT_FALSE(drv->IsPsfFileObjLoaded(SwCore::MDD));
  EXPECT_TRUE(drv->IsPsfFileMissing(SwCore::MDD));
  EXPECT_EQ(drv->GetPsfFileObj(SwCore::MDD), nullptr);

  std::string mldPath =
      AddLibrary("r", "bsp", "oldos", "1.00.a", "OS", "OPTION OS_STATE = OBSOLETE;\n");
  auto os = MakeCore(fs::path(mldPath).parent_path().string(), "oldos_v1_00_a", SwCore::MLD);
  EXPECT_EQ(os->ReloadPsfFileObj(SwCore::MLD), 0);
  EXPECT_EQ(os->GetPsfFileObj(SwCore::MLD), nullptr);
}

}  // namespace

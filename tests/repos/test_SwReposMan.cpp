#include <cstdlib>
#include <filesystem>
#include <optional>

#include "Mdd.h"
#include "Param.h"
#include "RepoFixture.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"

using namespace TavSoftware;
namespace fs = std::filesystem;

namespace {

// Sets or unsets an environment variable for one test and restores it.
class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    if (const char* v = std::getenv(name)) old_ = v;
  }
  ~EnvGuard() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  void Set(const std::string& value) { ::setenv(name_, value.c_str(), 1); }
  void Unset() { ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class SwReposManTest : public tavtest::RepoTest {
 protected:
  std::string Found(SwReposMan& man, const char* name, const char* version = "") {
    SwCore* c = man.GetCoreByName(name, version);
    if (!c) return "none";
    // Which repository: the directory name under the scratch directory.
    return fs::path(std::string(static_cast<SwRepos*>(c->GetOwner())->GetReposDir()))
               .filename()
               .string() +
           ":" + std::string(c->GetVersion());
  }
};

TEST_F(SwReposManTest, LaterRepositoryWinsAndOrderCanBeChanged) {
  AddDriver("a", "drivers", "uart", "1.00.a");
  AddDriver("a", "drivers", "only_a", "1.00.a");
  AddDriver("b", "drivers", "uart", "1.00.a");
  SwReposMan man(false);
  EXPECT_STREQ(MdtBase::BaseNode::GetBaseNode(&man), "TavSoftware_SwReposMan");
  EXPECT_EQ(man.AddSwRepos(Repo("a"), 0), 0);
  EXPECT_EQ(man.AddSwRepos(Repo("b") + "/./", 0), 0);
  ASSERT_EQ(man.GetSwReposSeqRef().size(), 2u);
  EXPECT_EQ(man.GetSwReposSeqRef()[0]->GetReposDir(), Repo("b"));
  EXPECT_EQ(man.GetSwReposSeqRef()[0]->GetReposType(), 0);
  EXPECT_EQ(Found(man, "uart"), "b:1.00.a");
  EXPECT_EQ(Found(man, "only_a"), "a:1.00.a");
  EXPECT_EQ(Found(man, "uart", "2.00.a"), "none");

  EXPECT_EQ(man.GetSwReposForDir(Repo("a")), man.GetSwReposSeqRef()[1]);
  EXPECT_EQ(man.GetSwReposForDir(Repo("a") + "/"), nullptr);  // exact text only
  EXPECT_EQ(man.SwapOrder(Repo("a"), Repo("b")), 0);
  EXPECT_EQ(Found(man, "uart"), "a:1.00.a");
  EXPECT_EQ(man.SwapOrder(Repo("a"), dir / "nosuch"), -1);
  EXPECT_EQ(Found(man, "uart"), "a:1.00.a");

  std::vector<SwCore*> all;
  EXPECT_EQ(man.GetSwCoreSeqRef(all), 3);
  man.GetSwReposForDir(Repo("a"))->SetValid(false);
  all.clear();
  EXPECT_EQ(man.GetSwCoreSeqRef(all), 1);

  EXPECT_EQ(man.RemoveSwRepos(Repo("a") + "/x/.."), 0);
  EXPECT_EQ(Found(man, "uart"), "b:1.00.a");
  EXPECT_EQ(Found(man, "only_a"), "none");
  EXPECT_EQ(man.RemoveSwRepos(Repo("a")), 1);
  EXPECT_EQ(man.SwapOrder(Repo("a"), Repo("b")), -1);
}

TEST_F(SwReposManTest, ParsePsfFilesScansAgainWithoutDuplicatesOrReading) {
  AddDriver("a", "drivers", "d", "1.00.a");
  AddLibrary("a", "bsp", "l", "1.00.a");
  AddLibrary("a", "sw_services", "o", "1.00.a", "OS");
  SwReposMan man(false);
  man.AddSwRepos(Repo("a"), 0);
  std::vector<SwCore*> cores;
  ASSERT_EQ(man.GetSwCoreSeqRef(cores), 3);
  // The driver scan and the library scan each report the list's length.
  EXPECT_EQ(man.ParsePsfFiles(), 6);
  for (SwCore* c : cores) EXPECT_FALSE(c->IsPsfFileObjLoaded(c->GetPsfKind()));
  AddDriver("a", "pcores", "p", "1.00.a");
  EXPECT_EQ(man.ParsePsfFiles(), 8);
  cores.clear();
  EXPECT_EQ(man.GetSwCoreSeqRef(cores), 4);
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(SwReposManTest, RescanFollowsTheDisk) {
  std::string kept = AddDriver("a", "drivers", "kept", "1.00.a");
  std::string changed = AddDriver("a", "drivers", "changed", "1.00.a");
  std::string removed = AddDriver("a", "drivers", "removed", "1.00.a");
  std::string unread = AddLibrary("a", "bsp", "unread", "1.00.a");
  SwReposMan man(false);
  man.AddSwRepos(Repo("a"), 0);
  auto mddOf = [&](const char* name) {
    return static_cast<Mdd*>(man.GetCoreByName(name, "")->GetPsfFileObj(SwCore::MDD));
  };
  Mdd* keptMdd = mddOf("kept");
  Mdd* changedMdd = mddOf("changed");
  SwCore* removedCore = man.GetCoreByName("removed", "");
  ASSERT_NE(mddOf("removed"), nullptr);
  keptMdd->AddProperty(Mdd::PARAMETERS, new Param("marker"));
  EXPECT_EQ(man.Rescan(), 0);
  EXPECT_NE(keptMdd->GetPropertyByName(Mdd::PARAMETERS, "marker"), nullptr);

  RewriteNewer(changed, tavtest::MddText("changed", "PARAM name = p, type = int, default = 1;\n"));
  fs::remove_all(fs::path(removed).parent_path().parent_path());
  fs::remove(unread);
  AddDriver("a", "pcores", "fresh", "1.00.a");
  AddDriver("a", "drivers", "kept", "2.00.a");
  EXPECT_EQ(man.Rescan(), 5);  // changed, removed, unread, fresh, kept 2.00.a

  EXPECT_EQ(Found(man, "removed"), "none");
  EXPECT_EQ(Found(man, "unread"), "none");
  EXPECT_EQ(Found(man, "fresh"), "a:1.00.a");
  EXPECT_EQ(Found(man, "kept"), "a:2.00.a");
  EXPECT_EQ(mddOf("changed"), changedMdd);
  EXPECT_NE(changedMdd->GetPropertyByName(Mdd::PARAMETERS, "p"), nullptr);
  EXPECT_EQ(man.GetCoreByName("kept", "1.00.a")->GetPsfFileObj(SwCore::MDD), keptMdd);
  EXPECT_NE(keptMdd->GetPropertyByName(Mdd::PARAMETERS, "marker"), nullptr);
  // A core taken out stays alive for components that still link to it.
  EXPECT_EQ(removedCore->GetName(), "removed");
  EXPECT_NE(removedCore->GetPsfFileObj(SwCore::MDD), nullptr);

  // A removed core coming back is found again.
  AddDriver("a", "drivers", "removed", "1.00.a");
  EXPECT_EQ(man.Rescan(), 1);
  EXPECT_EQ(Found(man, "removed"), "a:1.00.a");
  EXPECT_EQ(man.Rescan(), 0);
  EXPECT_EQ(man.GetSwReposSeqRef()[0]->RescanPsfFiles(4), 1);
  EXPECT_TRUE(msgs.Texts(MsgSeverity::kError).empty());
}

TEST_F(SwReposManTest, RescanDropsCoresThatBecameObsolete) {
  std::string path = AddDriver("a", "drivers", "old", "1.00.a");
  SwReposMan man(false);
  man.AddSwRepos(Repo("a"), 0);
  ASSERT_NE(man.GetCoreByName("old", "")->GetPsfFileObj(SwCore::MDD), nullptr);
  RewriteNewer(path, tavtest::MddText("old", "OPTION DRIVER_STATE = OBSOLETE;\n"));
  EXPECT_EQ(man.Rescan(), 1);
  EXPECT_EQ(Found(man, "old"), "none");
  EXPECT_EQ(man.Rescan(), 0);  // not brought back by the scan
}

TEST_F(SwReposManTest, InstallationRootFromTheEnvironment) {
  EnvGuard env("QUARLY_VEK");
  env.Unset();
  {
    SwReposMan man;
    EXPECT_TRUE(man.GetSwReposSeqRef().empty());
    EXPECT_EQ(man.GetInstalledReposCount(), 0);
  }
  env.Set(dir / "nowhere");
  EXPECT_TRUE(SwReposMan(true).GetSwReposSeqRef().empty());
  env.Set("");
  EXPECT_TRUE(SwReposMan(true).GetSwReposSeqRef().empty());
  dir.Write("inst/sw", "a file where the sw directory belongs");
  env.Set(dir / "inst");
  EXPECT_TRUE(SwReposMan(true).GetSwReposSeqRef().empty());
  EXPECT_TRUE(msgs.Messages().empty());

  AddDriver("root/sw/one", "drivers", "uart", "1.00.a");
  AddDriver("root/sw/two", "drivers", "uart", "2.00.a");
  dir.Write("root/sw/notrepo/readme", "x");
  dir.Write("root/sw/afile", "x");
  env.Set(dir / "root");
  SwReposMan man;
  EXPECT_EQ(man.GetInstalledReposCount(), 2);
  ASSERT_EQ(man.GetSwReposSeqRef().size(), 2u);
  EXPECT_EQ(man.GetSwReposSeqRef()[0]->GetReposType(), SwRepos::INSTALLED);
  // Added in listing order, so the last listed is searched first.
  EXPECT_EQ(Found(man, "uart"), "two:2.00.a");
  EXPECT_TRUE(msgs.Messages().empty());
}

}  // namespace

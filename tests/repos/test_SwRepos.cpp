#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "Mdd.h"
#include "Mld.h"
#include "RepoFixture.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"

using namespace TavSoftware;
namespace fs = std::filesystem;

namespace {

class SwReposTest : public tavtest::RepoTest {
 protected:
  // Scans `repo` (both families) into a fresh repository.
  std::unique_ptr<SwRepos> Scan(const std::string& repo) {
    auto r = std::make_unique<SwRepos>();
    r->SetReposDir(Repo(repo));
    r->ParsePsfFiles(SwRepos::ANY);
    return r;
  }
  // Three versions of a driver in two categories; an OS and a library of
  // one name.
  void AddVersions(const std::string& repo) {
    AddDriver(repo, "pcores", "uart", "3.00.a");
    AddDriver(repo, "drivers", "uart", "1.00.a");
    AddDriver(repo, "drivers", "uart", "2.00.a");
    AddLibrary(repo, "sw_services", "kern", "1.00.a", "OS");
    AddLibrary(repo, "bsp", "kern", "2.00.a", "LIBRARY");
  }
  static std::vector<std::string> NameVersions(const SwRepos& r) {
    std::vector<std::string> out;
    for (const SwCore* c : r.GetSwCoreSeqRef()) out.push_back(c->GetNameVersion());
    return out;
  }
};

using Strings = std::vector<std::string>;

TEST_F(SwReposTest, ScanFindsCoresInCategoryOrderWithoutReadingThem) {
  AddDriver("r", "drivers", "tavuart", "1.00.a");
  AddDriver("r", "pcores", "gpio", "2.00.b");
  AddLibrary("r", "bsp", "standalone", "1.00.a", "OS");
  AddLibrary("r", "sw_services", "tavmfs", "1.00.a");
  auto r = Scan("r");
  EXPECT_EQ(NameVersions(*r),
            (Strings{"gpio_v2.00.b", "tavuart_v1.00.a", "tavmfs_v1.00.a", "standalone_v1.00.a"}));
  for (const SwCore* c : r->GetSwCoreSeqRef()) {
    EXPECT_FALSE(c->IsPsfFileObjLoaded(SwCore::MDD));
    EXPECT_FALSE(c->IsPsfFileObjLoaded(SwCore::MLD));
    EXPECT_EQ(c->GetOwner(), r.get());
  }
  EXPECT_EQ(r->GetSwCoreSeqRef()[1]->GetCoreDir().GetFullName(),
            dir / "r/drivers/tavuart_v1_00_a/data");
  // Scanning again adds no second entry for the same directories.
  EXPECT_EQ(r->ParsePsfFiles(SwRepos::ANY), 4);
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(SwReposTest, LargeScanKeepsTheOrderOfASmallOne) {
  // Enough directories for the two kinds of cores to be looked at side by
  // side; some of each kind are no cores.
  Strings expected, libraries;
  for (int i = 0; i < 300; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "c%03d", i);
    if (i % 7 == 0) {
      dir.Write(std::string("r/drivers/") + name + "_v1_00_a/readme", "no data");
      dir.Write(std::string("r/sw_services/") + name + "_v1_00_a/readme", "no data");
      continue;
    }
    AddDriver("r", "drivers", name, "1.00.a");
    AddLibrary("r", "sw_services", name, "2.00.a");
    expected.push_back(std::string(name) + "_v1.00.a");
    libraries.push_back(std::string(name) + "_v2.00.a");
  }
  expected.insert(expected.end(), libraries.begin(), libraries.end());
  auto r = Scan("r");
  EXPECT_EQ(NameVersions(*r), expected);
  EXPECT_EQ(r->ParsePsfFiles(SwRepos::ANY), static_cast<int>(expected.size()));
  EXPECT_EQ(r->GetSwCoreSeqRef().front()->GetPsfKind(), SwCore::MDD);
  EXPECT_EQ(r->GetSwCoreSeqRef().back()->GetPsfKind(), SwCore::MLD);
}

TEST_F(SwReposTest, RepositoryRecognitionAndCategoryPlacement) {
  dir.Write("apps/sw_apps/hello/readme", "x");
  EXPECT_TRUE(SwRepos::IsRepository(Repo("apps")));
  EXPECT_EQ(Scan("apps")->GetSwCoreSeqRef().size(), 0u);

  dir.Write("plain/other/readme", "x");
  dir.Write("plain/drivers", "a file, not a directory");
  EXPECT_FALSE(SwRepos::IsRepository(Repo("plain")));
  EXPECT_FALSE(SwRepos::IsRepository(dir / "absent"));

  // Categories one level down are used when the root has none of that name.
  AddDriver("deep", "x/drivers", "a", "1.00.a");
  AddDriver("deep", "y/drivers", "b", "1.00.a");
  AddLibrary("deep", "y/bsp", "c", "1.00.a");
  EXPECT_EQ(NameVersions(*Scan("deep")), (Strings{"a_v1.00.a", "b_v1.00.a", "c_v1.00.a"}));

  // A category directly under the root hides deeper ones of that name only.
  AddDriver("mixed", "drivers", "top", "1.00.a");
  AddDriver("mixed", "x/drivers", "hidden", "1.00.a");
  AddDriver("mixed", "x/pcores", "lower", "1.00.a");
  SwRepos probe;
  EXPECT_EQ(probe.FindCoreRootDirectory(Repo("mixed"), "drivers").GetFullName(),
            dir / "mixed/drivers");
  EXPECT_EQ(probe.FindCoreRootDirectory(Repo("mixed"), "pcores").GetFullName(),
            dir / "mixed/x/pcores");
  EXPECT_TRUE(probe.FindCoreRootDirectory(Repo("mixed"), "bsp").IsEmpty());
  EXPECT_EQ(NameVersions(*Scan("mixed")), (Strings{"lower_v1.00.a", "top_v1.00.a"}));
}

TEST_F(SwReposTest, DirectoriesThatAreNotCoresAreSkipped) {
  AddDriver("r", "drivers", "good", "1.00.a");
  dir.Write("r/drivers/nodata_v1_00_a/readme", "no data directory");
  dir.Write("r/drivers/nofile_v1_00_a/data/other_v2_1_0.mdd", tavtest::MddText("other"));
  dir.Write("r/drivers/wrongext_v1_00_a/data/wrongext_v2_1_0.mld",
            tavtest::MldText("wrongext", "LIBRARY"));
  dir.Write("r/drivers/datafile_v1_00_a/data", "a file where the data directory belongs");
  dir.Write("r/drivers/dirfile_v1_00_a/data/dirfile_v2_1_0.mdd/x", "a directory named like it");
  dir.Write("r/drivers/noversion/data/noversion_v2_1_0.mdd", tavtest::MddText("noversion"));
  dir.Write("r/drivers/stray_v1_00_a", "a file named like a core");
  dir.Write("r/bsp", "a file where a category belongs");
  auto r = Scan("r");
  EXPECT_EQ(NameVersions(*r), (Strings{"good_v1.00.a"}));
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(SwReposTest, MissingAndUnreadableDirectoriesYieldNoCores) {
  EXPECT_EQ(Scan("absent")->GetSwCoreSeqRef().size(), 0u);
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
  AddDriver("r", "drivers", "hidden", "1.00.a");
  AddDriver("r", "pcores", "seen", "1.00.a");
  fs::permissions(dir / "r/drivers", fs::perms::none);
  EXPECT_EQ(NameVersions(*Scan("r")), (Strings{"seen_v1.00.a"}));
}

TEST_F(SwReposTest, LinkLoopsDoNotHangTheScan) {
  AddDriver("r", "drivers", "real", "1.00.a");
  fs::create_directory_symlink("..", dir / "r/drivers/up");
  // Named like a core and pointing at its own category: the scan looks only
  // for its data directory and never walks further.
  fs::create_directory_symlink(dir / "r/drivers", dir / "r/drivers/loop_v1_00_a");
  fs::create_directory_symlink(dir / "r", dir / "r/again");
  auto r = Scan("r");
  EXPECT_EQ(NameVersions(*r), (Strings{"real_v1.00.a"}));
  EXPECT_TRUE(SwRepos::IsRepository(Repo("r")));
}

TEST_F(SwReposTest, LookupByNameAndVersion) {
  AddVersions("r");
  auto r = Scan("r");
  auto core = [&](const char* name, const char* version) {
    auto* c = static_cast<SwCore*>(r->GetCoreByName(SwRepos::ANY, name, version));
    return c ? std::string(c->GetVersion()) : std::string("none");
  };
  // "drivers" is scanned after "pcores", and in listing order, so the last
  // scanned core wins a lookup without version.
  EXPECT_EQ(core("uart", ""), "2.00.a");
  EXPECT_EQ(core("UART", "1.00.A"), "1.00.a");
  EXPECT_EQ(core("uart", "3.00.a"), "3.00.a");
  EXPECT_EQ(core("uart", "4.00.a"), "none");
  EXPECT_EQ(core("nosuch", ""), "none");

  auto* mdd = r->GetCoreByName(SwRepos::DRIVER, "uart", "1.00.a");
  ASSERT_NE(mdd, nullptr);
  EXPECT_STREQ(MdtBase::BaseNode::GetBaseNode(mdd), "TavSoftware_Mdd");
  EXPECT_EQ(r->GetCoreByName(SwRepos::DRIVER, "kern", ""), nullptr);

  // An OS lookup passes over the later library of the same name.
  auto* os = r->GetCoreByName(SwRepos::OS, "kern", "");
  ASSERT_NE(os, nullptr);
  EXPECT_EQ(static_cast<SwCore*>(os->GetOwner())->GetVersion(), "1.00.a");
  auto* lib = r->GetCoreByName(SwRepos::LIBRARY, "kern", "");
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(static_cast<SwCore*>(lib->GetOwner())->GetVersion(), "2.00.a");
  EXPECT_EQ(r->GetCoreByName(SwRepos::OS, "kern", "2.00.a"), nullptr);
  EXPECT_EQ(r->GetCoreByName(7, "kern", ""), nullptr);
}

TEST_F(SwReposTest, LookupsFollowTheListAsItChanges) {
  AddDriver("r", "drivers", "uart", "1.00.a");
  auto r = Scan("r");
  auto version = [&] {
    auto* c = static_cast<SwCore*>(r->GetCoreByName(SwRepos::ANY, "uart", ""));
    return c ? std::string(c->GetVersion()) : std::string("none");
  };
  EXPECT_EQ(version(), "1.00.a");
  AddDriver("r", "drivers", "uart", "2.00.a");
  r->Rescan();
  EXPECT_EQ(version(), "2.00.a");
  // Changed through the list itself, in place and by removal.
  auto& cores = r->GetSwCoreSeqRef();
  std::swap(cores.front(), cores.back());
  EXPECT_EQ(version(), "1.00.a");
  std::unique_ptr<SwCore> dropped(cores.back());
  cores.pop_back();
  EXPECT_EQ(version(), "2.00.a");
  static_cast<SwCore*>(r->GetCoreByName(SwRepos::ANY, "uart", ""))->SetName("renamed");
  EXPECT_EQ(version(), "none");
  EXPECT_NE(r->GetCoreByName(SwRepos::ANY, "RENAMED", ""), nullptr);
}

TEST_F(SwReposTest, DriverLookupPassesOverACoreWhoseFileVanished) {
  AddDriver("r", "drivers", "uart", "1.00.a");
  std::string newer = AddDriver("r", "drivers", "uart", "2.00.a");
  auto r = Scan("r");
  fs::remove(newer);
  auto* mdd = r->GetCoreByName(SwRepos::DRIVER, "uart", "");
  ASSERT_NE(mdd, nullptr);
  EXPECT_EQ(static_cast<SwCore*>(mdd->GetOwner())->GetVersion(), "1.00.a");
  // The miss is remembered: the file coming back is not seen before a reload.
  dir.Write("r/drivers/uart_v2_00_a/data/uart_v2_1_0.mdd", tavtest::MddText("uart"));
  auto* second = static_cast<SwCore*>(r->GetCoreByName(SwRepos::ANY, "uart", "2.00.a"));
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->IsPsfFileMissing(SwCore::MDD));
  EXPECT_EQ(second->GetPsfFileObj(SwCore::MDD), nullptr);
  EXPECT_EQ(second->ReloadPsfFileObj(SwCore::MDD), 0);
  EXPECT_NE(second->GetPsfFileObj(SwCore::MDD), nullptr);
}

TEST_F(SwReposTest, CoresOfANameListHighestVersionFirst) {
  for (const char* v : {"1.00.a", "2.00.a", "1.10.b", "1.00.b"}) AddDriver("r", "drivers", "d", v);
  AddDriver("r", "pcores", "D", "1.50.a");
  AddDriver("r", "drivers", "other", "9.00.a");
  auto r = Scan("r");
  std::vector<SwCore*> out;
  EXPECT_EQ(r->GetSwCoreSeqByName("d", out), 5);
  Strings versions;
  for (const SwCore* c : out) versions.push_back(c->GetVersion());
  EXPECT_EQ(versions, (Strings{"2.00.a", "1.50.a", "1.10.b", "1.00.b", "1.00.a"}));
  EXPECT_EQ(r->GetSwCoreSeqByName("none", out), 0);
  EXPECT_EQ(out.size(), 5u);
}

TEST_F(SwReposTest, DestroyPsfFileObjByKind) {
  AddDriver("r", "drivers", "d", "1.00.a");
  AddLibrary("r", "bsp", "l", "1.00.a");
  auto r = Scan("r");
  SwCore* d = r->GetSwCoreSeqRef()[0];
  SwCore* l = r->GetSwCoreSeqRef()[1];
  auto loadAll = [&] {
    d->GetPsfFileObj(SwCore::MDD);
    l->GetPsfFileObj(SwCore::MLD);
  };
  loadAll();
  r->DestroyPsfFileObj(SwRepos::LIBRARY);
  EXPECT_TRUE(d->IsPsfFileObjLoaded(SwCore::MDD));
  EXPECT_FALSE(l->IsPsfFileObjLoaded(SwCore::MLD));
  r->DestroyPsfFileObj(9);
  EXPECT_TRUE(d->IsPsfFileObjLoaded(SwCore::MDD));
  loadAll();
  r->DestroyPsfFileObj(SwRepos::ANY);
  EXPECT_FALSE(d->IsPsfFileObjLoaded(SwCore::MDD));
  EXPECT_FALSE(l->IsPsfFileObjLoaded(SwCore::MLD));
  // Destroyed objects are read again on the next use.
  EXPECT_NE(d->GetPsfFileObj(SwCore::MDD), nullptr);
}

TEST_F(SwReposTest, ListedRepositoryAnswersAsAScannedOne) {
  AddVersions("r");
  dir.Write("r/drivers/nofile_v1_00_a/data/other_v2_1_0.mdd", tavtest::MddText("other"));
  dir.Write("r/drivers/dirfile_v1_00_a/data/dirfile_v2_1_0.mdd/x", "a directory named like it");
  auto scanned = Scan("r");
  auto listed = std::make_unique<SwRepos>();
  listed->SetReposDir(Repo("r"));
  listed->ListPsfFiles();
  // What each lookup finds, as "<core version>" or "none".
  auto found = [](SwRepos& r, int kind, const char* name, const char* version) {
    MdtBase::BaseNode* hit = r.GetCoreByName(kind, name, version);
    if (hit && kind != SwRepos::ANY) hit = hit->GetOwner();
    return hit ? std::string(static_cast<SwCore*>(hit)->GetVersion()) : std::string("none");
  };
  const struct {
    int kind;
    const char* name;
    const char* version;
  } lookups[] = {{SwRepos::ANY, "uart", ""},      {SwRepos::DRIVER, "UART", "3.00.A"},
                 {SwRepos::ANY, "uart", "4.00.a"}, {SwRepos::OS, "kern", ""},
                 {SwRepos::LIBRARY, "kern", ""},   {SwRepos::DRIVER, "nofile", ""},
                 {SwRepos::ANY, "dirfile", ""},    {SwRepos::ANY, "nosuch", ""}};
  for (const auto& l : lookups)
    EXPECT_EQ(found(*listed, l.kind, l.name, l.version),
              found(*scanned, l.kind, l.name, l.version))
        << l.name << " " << l.version;
  EXPECT_TRUE(listed->HasCores());
  // A core handed out by a lookup keeps its place, and its file, in the list.
  auto* uart = static_cast<SwCore*>(listed->GetCoreByName(SwRepos::ANY, "uart", "1.00.a"));
  ASSERT_NE(uart, nullptr);
  ASSERT_NE(uart->GetPsfFileObj(SwCore::MDD), nullptr);
  listed->DestroyPsfFileObj(SwRepos::DRIVER);
  EXPECT_FALSE(uart->IsPsfFileObjLoaded(SwCore::MDD));
  uart->SetName("renamed");
  EXPECT_EQ(listed->GetCoreByName(SwRepos::ANY, "renamed", ""), uart);
  EXPECT_EQ(NameVersions(*listed), (Strings{"uart_v3.00.a", "renamed_v1.00.a", "uart_v2.00.a",
                                            "kern_v1.00.a", "kern_v2.00.a"}));
  EXPECT_EQ(listed->GetSwCoreSeqRef()[1], uart);

  // A repository without a core says so, looking at each directory once.
  dir.Write("empty/drivers/nodata_v1_00_a/readme", "no data directory");
  auto empty = std::make_unique<SwReposMan>(false);
  empty->AddSwRepos(Repo("empty"), 0, true);
  EXPECT_FALSE(empty->GetSwReposSeqRef().front()->HasCores());
  EXPECT_EQ(empty->GetSwReposSeqRef().front()->GetSwCoreSeqRef().size(), 0u);
  EXPECT_TRUE(msgs.Messages().empty());
}

}  // namespace

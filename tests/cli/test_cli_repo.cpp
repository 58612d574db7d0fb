// tavsw repo list and repo find over repositories made in the scratch dir.
#include <nlohmann/json.hpp>

#include "../repos/RepoFixture.h"
#include "CliRun.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;
using tavtest::ScopedInstallRoot;

class CliRepo : public tavtest::RepoTest {};

TEST_F(CliRepo, ListShowsCoresInSearchOrder) {
  ScopedInstallRoot none("");
  AddDriver("a", "drivers", "tavuart", "1.00.a");
  AddDriver("a", "drivers", "tavuart", "2.00.a");
  AddLibrary("a", "sw_services", "tavfs", "1.00.a");
  AddLibrary("a", "bsp", "standalone", "2.00.a", "OS");
  AddDriver("b", "pcores", "tavgpio", "1.00.a");
  auto r = RunTavsw({"repo", "list", "--repo", Repo("b"), "--repo", Repo("a")});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string uart2 =
      "  tavuart 2.00.a driver " + Repo("a") + "/drivers/tavuart_v2_00_a/data/tavuart_v2_1_0.mdd\n";
  const std::string expected =
      "repository " + Repo("b") + "\n  tavgpio 1.00.a driver " + Repo("b") +
      "/pcores/tavgpio_v1_00_a/data/tavgpio_v2_1_0.mdd\n" + "repository " + Repo("a") + "\n" +
      "  standalone 2.00.a os " + Repo("a") +
      "/bsp/standalone_v2_00_a/data/standalone_v2_1_0.mld\n" + "  tavfs 1.00.a library " +
      Repo("a") + "/sw_services/tavfs_v1_00_a/data/tavfs_v2_1_0.mld\n" + uart2 +
      "  tavuart 1.00.a driver " + Repo("a") + "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd\n";
  EXPECT_EQ(r.out, expected);
}

TEST_F(CliRepo, FindPicksWhatTheLookupPicks) {
  ScopedInstallRoot none("");
  AddDriver("a", "drivers", "tavuart", "1.00.a");
  AddDriver("b", "drivers", "tavuart", "1.00.a");
  AddLibrary("b", "bsp", "tavrtos", "1.00.a", "OS");
  AddLibrary("b", "sw_services", "tavrtos", "0.90.a", "LIBRARY");

  auto r = RunTavsw({"repo", "find", "TAVUART", "--repo", Repo("a"), "--repo", Repo("b")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "searched:\n  1 " + Repo("a") + "\n  2 " + Repo("b") +
                       "\nfound: tavuart 1.00.a driver " + Repo("a") +
                       "/drivers/tavuart_v1_00_a/data/tavuart_v2_1_0.mdd\n");

  r = RunTavsw({"repo", "find", "tavrtos", "--kind", "library", "--repo", Repo("b")});
  EXPECT_TRUE(Contains(r.out, "found: tavrtos 0.90.a library")) << r.out;
  r = RunTavsw({"repo", "find", "tavrtos", "--kind", "os", "--repo", Repo("b")});
  EXPECT_TRUE(Contains(r.out, "found: tavrtos 1.00.a os")) << r.out;
  r = RunTavsw({"repo", "find", "tavrtos", "1.00.A", "--kind", "library", "--repo", Repo("b")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "not found: tavrtos 1.00.A\n")) << r.out;

  EXPECT_EQ(RunTavsw({"repo", "find", "x", "--kind", "board"}).status, 2);
  EXPECT_EQ(RunTavsw({"repo", "find"}).status, 2);
  EXPECT_EQ(RunTavsw({"repo"}).status, 2);
}

TEST_F(CliRepo, InstalledRepositoriesComeFromTheInstallRoot) {
  AddDriver("root/sw/vendor", "drivers", "tavintc", "1.00.b");
  dir.Write("root/sw/notarepo/readme.txt", "");
  ScopedInstallRoot root(dir / "root");
  auto r = RunTavsw({"repo", "list"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "repository " + (dir / "root/sw/vendor") +
                       " (installed)\n  tavintc 1.00.b driver " + (dir / "root/sw/vendor") +
                       "/drivers/tavintc_v1_00_b/data/tavintc_v2_1_0.mdd\n");
  // A user repository is searched before the installed ones.
  AddDriver("mine", "drivers", "tavintc", "1.00.b");
  r = RunTavsw({"repo", "find", "tavintc", "--repo", Repo("mine")});
  EXPECT_TRUE(Contains(r.out, "found: tavintc 1.00.b driver " + Repo("mine"))) << r.out;

  // No repository at all: a list of nothing would pass for an empty one.
  ScopedInstallRoot bogus(dir / "missing");
  r = RunTavsw({"repo", "list"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "tavsw: no repository to search (QUARLY_VEK names no installation and no --repo was "
            "given)\n");
}

// What the user named must exist; what a scan passes over is said with
// --verbose; a broken definition file fails the command whatever its kind.
TEST_F(CliRepo, RepositoryProblemsAndExitCodes) {
  ScopedInstallRoot none("");
  AddDriver("a", "drivers", "tavuart", "1.00.a");
  const std::string file = dir.Write("plain.txt", "x\n");
  dir.Write("empty/drivers/readme", "");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"repo", "list", "--repo", dir / "nowhere"},
       1,
       "tavsw: " + dir / "nowhere" + ": no such directory\n"},
      {{"repo", "find", "tavuart", "--repo", file}, 1, "tavsw: " + file + ": not a directory\n"},
      {{"repo", "list", "--repo", dir / "empty"},
       0,
       "tavsw: " + dir / "empty" + ": holds no core\n"},
      {{"repo", "list"},
       1,
       "tavsw: no repository to search (QUARLY_VEK names no installation and no --repo was "
       "given)\n"},
      {{"repo", "find", "tavuart"},
       1,
       "tavsw: no repository to search (QUARLY_VEK names no installation and no --repo was "
       "given)\n"},
  };
  for (const auto& c : cases) {
    auto r = RunTavsw(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err, c.err);
  }

  dir.Write("a/drivers/noversion/data/noversion_v2_1_0.mdd", "");
  dir.Write("a/drivers/nodata_v1_00_a/readme", "");
  dir.Write("a/bsp/nofile_v1_00_a/data/other.mld", "");
  auto r = RunTavsw({"repo", "list", "--verbose", "--repo", Repo("a")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "tavsw: " + Repo("a") +
                       "/drivers/nodata_v1_00_a: skipped: no data/ directory\n" +
                       "tavsw: " + Repo("a") +
                       "/drivers/noversion: skipped: no version in the name (expected "
                       "NAME_vX_YY_Z)\n" +
                       "tavsw: " + Repo("a") +
                       "/bsp/nofile_v1_00_a: skipped: no data/nofile_v2_1_0.mld\n");

  // A broken MDD fails the list as a broken MLD does.
  for (const char* kind : {"mdd", "mld"}) {
    SCOPED_TRACE(kind);
    const std::string repo = std::string("broken_") + kind;
    if (std::string(kind) == "mdd")
      AddDriver(repo, "drivers", "tavbad", "1.00.a", "  BOGUS\n");
    else
      AddLibrary(repo, "sw_services", "tavbad", "1.00.a", "LIBRARY", "  BOGUS\n");
    r = RunTavsw({"repo", "list", "--repo", Repo(repo)});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "ERROR: ")) << r.err;
    // A lookup that reads the broken file prints its errors and fails too.
    r = RunTavsw({"repo", "find", "tavbad", "--kind",
                  std::string(kind) == "mdd" ? "driver" : "library", "--repo", Repo(repo)});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "ERROR: ")) << r.err;
  }
}

TEST_F(CliRepo, ListAsJson) {
  ScopedInstallRoot none("");
  AddDriver("a", "drivers", "tavuart", "1.00.a");
  AddLibrary("a", "bsp", "standalone", "2.00.a", "OS");
  auto r = RunTavsw({"repo", "list", "--json", "--repo", Repo("a")});
  EXPECT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  const auto& repo = j["repositories"][0];
  EXPECT_EQ(repo["directory"], Repo("a"));
  EXPECT_EQ(repo["installed"], false);
  ASSERT_EQ(repo["cores"].size(), 2u);
  EXPECT_EQ(repo["cores"][0], (nlohmann::json{{"name", "standalone"},
                                              {"version", "2.00.a"},
                                              {"kind", "os"},
                                              {"file", Repo("a") + "/bsp/standalone_v2_00_a/data/"
                                                                   "standalone_v2_1_0.mld"}}));
}

}  // namespace

// tavsw repo list and repo find over repositories made in the scratch dir.
#include <cstdlib>

#include "../repos/RepoFixture.h"
#include "CliRun.h"

namespace {

using tavtest::Contains;
using tavtest::RunTavsw;

// Sets QUARLY_VEK for one test and restores what was there.
class ScopedInstallRoot {
 public:
  explicit ScopedInstallRoot(const std::string& root) {
    if (const char* v = std::getenv("QUARLY_VEK")) saved_ = v, had_ = true;
    if (root.empty())
      ::unsetenv("QUARLY_VEK");
    else
      ::setenv("QUARLY_VEK", root.c_str(), 1);
  }
  ~ScopedInstallRoot() {
    if (had_)
      ::setenv("QUARLY_VEK", saved_.c_str(), 1);
    else
      ::unsetenv("QUARLY_VEK");
  }

 private:
  std::string saved_;
  bool had_ = false;
};

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

  ScopedInstallRoot bogus(dir / "missing");
  r = RunTavsw({"repo", "list"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "tavsw: no repository to search (QUARLY_VEK names no installation and no --repo was "
            "given)\n");
}

}  // namespace

// SwDb: every query with its separators, and the empty answers.
#include "EditFixture.h"
#include "SwDb.h"

namespace TavSoftware {
namespace {

class SwDbTest : public tavtest::EditTest {};

TEST_F(SwDbTest, QueriesAndSeparators) {
  AddLibrary("repo", "bsp", "tiny", "1.00.a", "OS",
             "OPTION supported_peripherals = (cpu);\nOPTION desc = \"Tiny kernel\";\n"
             "OPTION app_linker_flags = -ltiny;\n");
  Repos();
  auto db = SwDb::CreateSwDb(man.get());
  SwDb copy(*db);
  EXPECT_EQ(Repo("repo") + "/drivers/uart_v1_00_a/data", copy.GetSwCoreDir("UART", "1.00.a"));
  EXPECT_EQ("-DFS", db->GetSwCoreAppCompilerFlags("fs", "1.00.a"));
  EXPECT_EQ("-ltiny", db->GetSwCoreAppLinkerFlags("tiny", "1.00.a"));
  EXPECT_EQ("-ltiny", db->GetSwCoreAppLinkerFlags("tiny", ""));
  // A version is compared as written: "*" names no version.
  EXPECT_EQ("", db->GetSwCoreDir("uart", "*"));
  EXPECT_EQ("", db->GetSwCoreAppCompilerFlags("fs", "*"));
  EXPECT_EQ("", db->GetSwCoreAppLinkerFlags("tiny", "*"));
  EXPECT_EQ("", db->GetSwCoreArraySpec("fs", "*", "mounts"));
  EXPECT_EQ("", db->GetOsDesc("standalone", "*"));
  EXPECT_EQ("", db->GetLibDesc("fs", "*"));
  EXPECT_EQ("c1,int,Count:c2,string,:", db->GetSwCoreArraySpec("fs", "1.00.a", "mounts"));
  EXPECT_EQ("", db->GetSwCoreArraySpec("fs", "1.00.a", "MOUNTS"));  // array names keep case
  EXPECT_EQ("Bare metal", db->GetOsDesc("standalone", ""));
  EXPECT_EQ("Files", db->GetLibDesc("fs", "1.00.a"));
  EXPECT_EQ("tiny:1.00.a:Tiny kernel:standalone:3.00.a:Bare metal:standalone:2.00.a:Bare metal:",
            db->GetSupportedOSsForProc("cpu", "1.00.a"));
  EXPECT_EQ("board:1.00.a::", db->GetThirdPartyOSsForProc("cpu", "1.00.a"));
  EXPECT_EQ((std::vector<String>{"3.00.a", "2.00.a"}),
            db->GetAvailableComponentVersions("standalone", 1));
  EXPECT_EQ((std::vector<String>{"2.00.a", "1.00.a"}), db->GetAvailableComponentVersions("uart", 0));
  EXPECT_EQ((std::vector<String>{"fs_v2.00.a", "fs_v1.00.a"}),
            db->GetSwLibrariesForOS("standalone", "3.00.a"));
  EXPECT_EQ((std::vector<String>{"uart_v2.00.a", "uart_v1.00.a", "generic_v1.00.a"}),
            db->GetDriversForHwComponent("uart", "1.00.a"));
}

TEST_F(SwDbTest, UnknownNamesAndNullManagerGiveEmptyAnswers) {
  for (SwReposMan* m : {man.get(), static_cast<SwReposMan*>(nullptr)}) {
    auto db = SwDb::CreateSwDb(m);
    EXPECT_EQ("", db->GetSwCoreDir("nosuch", ""));
    EXPECT_EQ("", db->GetSwCoreAppCompilerFlags("nosuch", ""));
    EXPECT_EQ("", db->GetSwCoreAppLinkerFlags("nosuch", ""));
    EXPECT_EQ("", db->GetSwCoreArraySpec("nosuch", "", "a"));
    EXPECT_EQ("", db->GetOsDesc("nosuch", ""));
    EXPECT_EQ("", db->GetLibDesc("nosuch", ""));
    EXPECT_EQ("", db->GetSupportedOSsForProc("nosuch", "1.00.a"));
    EXPECT_EQ("", db->GetThirdPartyOSsForProc("nosuch", "1.00.a"));
    EXPECT_TRUE(db->GetAvailableComponentVersions("nosuch", 1).empty());
    EXPECT_TRUE(db->GetDriversForHwComponent("nosuch", "1.00.a").size() <= 1);  // generic only
  }
  EXPECT_TRUE(SwDb::CreateSwDb(nullptr)->GetSwLibrariesForOS("standalone", "").empty());
}

}  // namespace
}  // namespace TavSoftware

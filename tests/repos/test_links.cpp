// Components reach their definition file through the core they are bound to.
#include "DrvInst.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Mld.h"
#include "Param.h"
#include "RepoFixture.h"
#include "SwCore.h"
#include "SwReposMan.h"

namespace {

using namespace TavSoftware;

class LinkTest : public tavtest::RepoTest {};

TEST_F(LinkTest, DriverFallsBackToItsMdd) {
  AddDriver("r", "drivers", "tavuart", "1.00.a",
            "PARAM name = C_BAUD, DEFAULT = 9600, TYPE = int;\n"
            "BEGIN ARRAY fifo\nPROPERTY size = 2;\nPARAM name = depth, TYPE = int;\nEND ARRAY\n");
  SwReposMan man(false);
  man.AddSwRepos(Repo("r"), 0);
  SwCore* core = man.GetCoreByName("tavuart", "", 0);
  ASSERT_NE(core, nullptr);

  DrvInst inst;
  EXPECT_EQ(inst.GetBaseNodePtr(1000), nullptr);  // no core yet
  inst.SetBaseNodePtr(1001, core);
  auto* mdd = inst.GetBaseNodePtr(1000);
  ASSERT_TRUE(MdtBase::BaseNode::IsBaseNodeType(mdd, "TavSoftware_Mdd"));
  EXPECT_EQ(mdd->GetOwner(), core);

  EXPECT_EQ(inst.GetPropertyValueStrFromDrvInstOrMdd(1, "c_baud"), "9600");
  EXPECT_NE(inst.GetPropertyByNameFromDrvInstOrMdd(2, "fifo"), nullptr);  // array definitions
  EXPECT_EQ(inst.GetPropertyByNameFromDrvInstOrMdd(1, "missing"), nullptr);
  inst.CreateAddPropertySetValue(1, "C_BAUD", "115200");
  EXPECT_EQ(inst.GetPropertyValueStrFromDrvInstOrMdd(1, "C_BAUD"), "115200");

  // Setting the link from the file reaches the same core.
  DrvInst other;
  other.SetBaseNodePtr(1000, mdd);
  EXPECT_EQ(other.GetBaseNodePtr(1001), core);
  other.SetBaseNodePtr(1000, nullptr);
  EXPECT_EQ(other.GetBaseNodePtr(1001), nullptr);
}

TEST_F(LinkTest, LibraryFallsBackToItsMld) {
  AddLibrary("r", "sw_services", "tavfs", "1.00.a", "LIBRARY",
             "PARAM name = fs_blocks, DEFAULT = 8, TYPE = int;\n");
  SwReposMan man(false);
  man.AddSwRepos(Repo("r"), 0);
  LibInst lib;
  lib.SetBaseNodePtr(1001, man.GetCoreByName("tavfs", "1.00.A", 0));
  EXPECT_EQ(lib.GetPropertyValueStrFromLibInstOrMld(1, "FS_BLOCKS"), "8");
  EXPECT_TRUE(MdtBase::BaseNode::IsBaseNodeType(lib.GetBaseNodePtr(1000), "TavSoftware_Mld"));
}

TEST_F(LinkTest, LinkToSomethingThatIsNoCoreIsNeverFollowed) {
  DrvInst inst;
  Param notACore("x");
  inst.SetBaseNodePtr(1001, &notACore);
  EXPECT_EQ(inst.GetBaseNodePtr(1000), nullptr);
  EXPECT_EQ(inst.GetPropertyByNameFromDrvInstOrMdd(1, "x"), nullptr);
  EXPECT_EQ(inst.GetBaseNodePtr(7), nullptr);
}

}  // namespace

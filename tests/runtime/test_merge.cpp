// Merging instances with their definitions: precedence, parameter
// conditions, blocks, categories with their reports, arrays and interfaces.
#include "ArrayInst.h"
#include "Block.h"
#include "Category.h"
#include "Dep.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "Interface.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Library.h"
#include "Mdd.h"
#include "Mld.h"
#include "Param.h"
#include "RuntimeFixture.h"
#include "SwPropertyUtil.h"

namespace TavSoftware {
namespace {

// "name=value" for each property, "[mss]" appended when it carries MSS_VALUE.
std::string List(const PropSeq& seq) {
  std::string out;
  for (const auto* p : seq) {
    out += (out.empty() ? "" : " ") + p->GetName() + "=" + p->GetValueStr();
    if (const auto* m = p->GetPsfCompByName("MSS_VALUE")) out += "[" + m->GetValueStr() + "]";
  }
  return out;
}

// "size:rows" with rows as "a,b;c,d".
std::string Rows(const PropSeq& arrays, const std::string& name) {
  const auto* a = dynamic_cast<const ArrayInst*>(MdtBase::PropertyUtil::GetPropertyByName(arrays, name));
  if (!a) return "absent";
  std::string out = a->GetPropertyByName(ArrayInst::PROPERTIES, "size")->GetValueStr() + ":";
  bool firstRow = true;
  for (const auto* e : a->GetPropSeqRef(ArrayInst::ELEMENTS)) {
    out += firstRow ? "" : ";";
    firstRow = false;
    bool firstField = true;
    for (const auto* f : static_cast<const Element*>(e)->GetPropSeqRef(Element::PARAMETERS)) {
      out += (firstField ? "" : ",") + f->GetValueStr();
      firstField = false;
    }
  }
  return out;
}

class MergeTest : public tavtest::RuntimeTest {
 protected:
  // Binds the first driver instance and merges it into `drv`.
  int MergeDriver() {
    DrvInst* inst = Comp<DrvInst>(Mss::DRIVERS);
    EXPECT_EQ(0, DrvInstUtil::AssignSwCore(inst, Repos()));
    const auto* mdd = dynamic_cast<const Mdd*>(inst->GetBaseNodePtr(DrvInst::DEFINITION));
    msgs.Clear();
    return DrvInstUtil::MergeMddDrvObj(inst, mdd, &drv);
  }
  int MergeLibrary() {
    LibInst* inst = Comp<LibInst>(Mss::LIBRARIES);
    EXPECT_EQ(0, LibInstUtil::AssignSwCore(inst, Repos()));
    const auto* mld = dynamic_cast<const Mld*>(inst->GetBaseNodePtr(LibInst::DEFINITION));
    msgs.Clear();
    return LibInstUtil::MergeMldLibObj(inst, mld, &lib);
  }
  const PropSeq& Params() { return drv.GetPropSeqRef(DrvInst::PARAMETERS); }

  DrvInst drv;
  Library lib;
};

TEST_F(MergeTest, InstanceValuesOverDefaultsInDefinitionOrderThenIdentity) {
  AddDriver("repo", "drivers", "timer", "1.00.a",
            "PARAM name = A, default = 1;\nPARAM name = B, default = 2;\n"
            "PARAM name = C, default = x, dep = (A = 5);\nPARAM name = D, default = 0;\n"
            "OPTION supported = yes;\n");
  ReadMss("BEGIN DRIVER\n PARAMETER FOO = 1\n PARAMETER DRIVER_NAME = timer\n"
          " PARAMETER HW_INSTANCE = t0\n PARAMETER D = 7\n PARAMETER a = 1\nEND\n");
  EXPECT_EQ(1, MergeDriver());  // the undeclared FOO
  // C's condition fails, but the MSS does not set C: it stays, silently.
  EXPECT_EQ("DRIVER_NAME=timer A=1[1] B=2 C=x D=7[7] HW_INSTANCE=t0", List(Params()));
  EXPECT_EQ("SUPPORTED=yes", List(drv.GetPropSeqRef(DrvInst::OPTIONS)));
  // The undeclared FOO is reported by the merge's own check, at its MSS line.
  EXPECT_EQ(std::vector<std::string>{"ERROR: " + At(2, "FOO is not a configurable parameter for "
                                                       "driver timer\n")},
            Said());
  for (const auto* p : Params()) EXPECT_EQ(DrvInst::PARAMETERS, p->GetNodeType());
}

TEST_F(MergeTest, ParameterConditionsAreAConjunctionJudgedOnMergedValues) {
  struct Case {
    std::string defs, mss, params;
    std::vector<std::string> said;
  } cases[] = {
      // B is not set, its default satisfies the condition.
      {"PARAM name = B, default = 2;", " PARAMETER A = 1\n PARAMETER C = y\n", "A=1[1] B=2 C=y[y]", {}},
      // B's default fails: C is dropped and the warning quotes the first entry.
      {"PARAM name = B, default = 3;", " PARAMETER A = 1\n PARAMETER C = y\n", "A=1[1] B=3",
       {"WARNING: " + At(4, "PARAMETER C has a dependent condition: \"A = 1\" that is not "
                            "satsified. Discarding PARAMETER C ...\n")}},
      // Values compare ignoring case.
      {"PARAM name = B, default = TRUE;", " PARAMETER A = 1\n PARAMETER C = y\n PARAMETER B = true\n",
       "A=1[1] B=true[true] C=y[y]", {}},
      // A controlling parameter declared nowhere fails the condition.
      {"", " PARAMETER A = 1\n PARAMETER C = y\n", "A=1[1]",
       {"WARNING: " + At(4, "PARAMETER C has a dependent condition: \"A = 1\" that is not "
                            "satsified. Discarding PARAMETER C ...\n")}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "d" + std::to_string(n++);
    AddDriver("repo", "drivers", name, "1.00.a",
              "PARAM name = A, default = 0;\n" + c.defs +
                  "\nPARAM name = C, default = x, dep = (A = 1, B = " +
                  (c.defs.find("TRUE") != std::string::npos ? "true" : "2") + ");\n");
    ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = " + name + "\n" + c.mss + "END\n");
    drv.DelPropSeq(DrvInst::PARAMETERS);
    MergeDriver();
    EXPECT_EQ("DRIVER_NAME=" + name + " " + c.params, List(Params())) << name;
    EXPECT_EQ(c.said, Said()) << name;
  }
}

TEST_F(MergeTest, BlocksFollowTheMergedIntegerValue) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "PARAM name = MODE, default = 1;\n"
            "BEGIN BLOCK, dep = (MODE = 2)\nPARAM name = FIFO, default = 16;\n"
            "BEGIN ARRAY tbl\nPROPERTY size = 1;\nPARAM name = v, default = 0;\nEND ARRAY\n"
            "END BLOCK\n"
            "BEGIN BLOCK, dep = (MISSING = 1)\nPARAM name = GHOST, default = 1;\nEND BLOCK\n");
  struct Case {
    std::string mss, params, tbl;
  } cases[] = {
      {"", "MODE=1", "absent"},
      {" PARAMETER MODE = 2\n PARAMETER FIFO = 8\n", "MODE=2[2] FIFO=8[8]", "1:0"},
      {" PARAMETER MODE = 0x2\n", "MODE=0x2[0x2] FIFO=16", "1:0"},
      // A value that is no integer never includes the block, and says nothing.
      {" PARAMETER MODE = two\n PARAMETER FIFO = 8\n", "MODE=two[two]", "absent"},
  };
  for (const auto& c : cases) {
    ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n" + c.mss + "END\n");
    drv.DelPropSeq(DrvInst::PARAMETERS);
    drv.DelPropSeq(DrvInst::ARRAYS);
    MergeDriver();
    EXPECT_EQ("DRIVER_NAME=uart " + c.params, List(Params())) << c.mss;
    EXPECT_EQ(c.tbl, Rows(drv.GetPropSeqRef(DrvInst::ARRAYS), "tbl")) << c.mss;
    EXPECT_EQ(0u, msgs.Count(MsgSeverity::kWarning) + msgs.Count(MsgSeverity::kError)) << c.mss;
  }

  Block bare, nameless, valueless;
  auto* dep = new Dep();
  dep->SetMdtValuePtr(new MdtBase::IntVal(String("1")));
  nameless.SetName("n");
  nameless.AddProperty(Block::DEPS, dep);
  valueless.SetName("v");
  valueless.AddProperty(Block::DEPS, new Dep(String("MODE")));
  msgs.Clear();
  EXPECT_TRUE(SwPropertyUtil::IsBlockIncluded(&bare, &drv, &drv));
  EXPECT_FALSE(SwPropertyUtil::IsBlockIncluded(&nameless, &drv, &drv));
  EXPECT_FALSE(SwPropertyUtil::IsBlockIncluded(&valueless, &drv, static_cast<const Mdd*>(nullptr)));
  EXPECT_EQ((std::vector<std::string>{"ERROR: No DEP condition in block n \n",
                                      "ERROR: Invalid DEP condition value in block v \n"}),
            Said());
}

TEST_F(MergeTest, IgnoredCategoriesKeepDefaultsAndReportWhatTheMssSet) {
  AddLibrary("repo", "sw_services", "fs", "1.00.a", "LIBRARY",
             "PARAM name = medium, default = 1;\n"
             "BEGIN CATEGORY ram\nPARAM name = ram, type = bool, default = false;\n"
             "PARAM name = ram_size, type = int, default = 3;\n"
             "BEGIN ARRAY ram_tbl\nPROPERTY size = 1;\nPARAM name = v, default = 0;\nEND ARRAY\n"
             "END CATEGORY\n"
             "BEGIN CATEGORY flash\nPARAM name = flash, default = true, dep = (medium = 2);\n"
             "PARAM name = flash_base, default = 0;\nEND CATEGORY\n");
  const std::string ramDefault =
      "INFO: The following PARAMETERs of library fs are ignored as their category selection "
      "PARAMETER ram has a default value \"false\"\n";
  const std::string flashDependent =
      "INFO: The following PARAMETERs of library fs are ignored as PARAMETER flash's dependent "
      "parameter medium is either not selected (and hence the default value is \"false\") or set "
      "to \"false\" in MSS \n";
  struct Case {
    std::string mss, params, tbl;
    std::vector<std::string> said;
  } cases[] = {
      // Nothing of an ignored category set: nothing said.
      {"", "LIBRARY_NAME=fs medium=1 ram=false ram_size=3 flash=true flash_base=0", "1:0", {}},
      // Reason 1 by default: the header comes before the first ignored entry;
      // the MSS rows of the array are announced and not taken.
      {" PARAMETER ram_size = 5\n PARAMETER ram_tbl = (7)\n PARAMETER flash_base = 4\n",
       "LIBRARY_NAME=fs medium=1 ram=false ram_size=3[5] flash=true flash_base=0[4]", "1:0",
       {ramDefault, "WARNING: " + At(3, "Ignoring PARAMETER ram_size  ...\n"),
        "WARNING: " + At(4, "Ignoring PARAMETER ram_tbl  ...\n"), flashDependent,
        "WARNING: " + At(5, "Ignoring PARAMETER flash_base  ...\n")}},
      // Reason 1 set in the MSS: the header at once, the selection parameter
      // ignored too.
      {" PARAMETER ram = FALSE\n",
       "LIBRARY_NAME=fs medium=1 ram=false[FALSE] ram_size=3 flash=true flash_base=0", "1:0",
       {"INFO: The following PARAMETERs of library fs are ignored as their category selection "
        "PARAMETER ram is set to \"false\" in MSS \n",
        "WARNING: " + At(3, "Ignoring PARAMETER ram  ...\n")}},
      // Selected: the MSS values and rows are taken.
      {" PARAMETER ram = true\n PARAMETER ram_size = 5\n PARAMETER ram_tbl = (7)\n PARAMETER medium = 2\n",
       "LIBRARY_NAME=fs medium=2[2] ram=true[true] ram_size=5[5] flash=true flash_base=0", "1:7", {}},
  };
  for (const auto& c : cases) {
    ReadMss("BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n" + c.mss + "END\n");
    for (int k : {0, 1, 2, 3}) lib.DelPropSeq(k);
    EXPECT_EQ(0, MergeLibrary()) << c.mss;
    EXPECT_EQ(c.params, List(lib.GetPropSeqRef(LibInst::PARAMETERS))) << c.mss;
    EXPECT_EQ(c.tbl, Rows(lib.GetPropSeqRef(LibInst::ARRAYS), "ram_tbl")) << c.mss;
    EXPECT_EQ(c.said, Said()) << c.mss;
  }
}

TEST_F(MergeTest, CategoryWithoutSelectionParameterCountsAsIncluded) {
  Category c;
  c.SetName("orphan");
  LibInst inst, out;
  int reason = 0;
  EXPECT_TRUE(SwPropertyUtil::IsCategoryIncluded(&c, {}, &inst, &out, reason));
  EXPECT_TRUE(c.GetIsIncluded());
  // Its report, should one be asked for, names an empty dependent parameter.
  inst.SetName("fs");
  inst.CreateAddPropertySetValue(LibInst::PARAMETERS, "orphan", "x");
  SwPropertyUtil::PrintCategWarnMsg(&c, &inst, 5);
  EXPECT_EQ(std::vector<std::string>{"INFO: The following PARAMETERs of library fs are ignored as "
                                     "PARAMETER orphan's dependent parameter  is either not "
                                     "selected (and hence the default value is \"false\") or set "
                                     "to \"false\" in MSS \n"},
            Said());
}

TEST_F(MergeTest, ArrayRowsFromMssDefaultsAndSizes) {
  const std::string cols = "PARAM name = a, default = 10;\nPARAM name = b, default = 20;\n";
  struct Case {
    std::string props, mss, rows;
    std::vector<std::string> said;
  } cases[] = {
      {"", "((1,2),(3))", "2:1,2;3,20", {}},
      // The rejected row still counts in the size.
      {"", "((1,2,3),(4,5))", "2:4,5",
       {"ERROR: Parameters Mismatch for Array t \n.Base Array definition has 2 parameters in a "
        "element.MSS Array element has 3 parameters. Ignoring this array element...\n"}},
      {"PROPERTY size = 4;\nPROPERTY default = ((1,2),(3,4));\n", "((9,9))",
       "4:9,9;3,4;10,20;10,20", {}},
      {"PROPERTY size = 2;\n", "((1,1),(2,2),(3,3))", "3:1,1;2,2;3,3", {}},
      // A negative size holds no rows of its own: the MSS rows are kept.
      {"PROPERTY size = -1;\n", "((1,2))", "1:1,2", {}},
      {"PROPERTY size = NUM_CHANNELS;\n", "((1,2))", "1:1,2", {}},
      {"PROPERTY size = NUM_CHANNELS;\n", "", "NUM_CHANNELS:10,20;10,20;10,20", {}},
      {"PROPERTY size = 2;\nPROPERTY default = (5);\n", "", "2:5,5;10,20", {}},
      {"PROPERTY size = 0;\n", "", "absent", {}},
      {"", "", "absent", {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "a" + std::to_string(n++);
    AddDriver("repo", "drivers", name, "1.00.a",
              "PARAM name = NUM_CHANNELS, default = 3;\nBEGIN ARRAY t\n" + c.props + cols +
                  "END ARRAY\n");
    ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = " + name + "\n" +
            (c.mss.empty() ? "" : " PARAMETER t = " + c.mss + "\n") + "END\n");
    drv.DelPropSeq(DrvInst::ARRAYS);
    MergeDriver();
    EXPECT_EQ(c.rows, Rows(drv.GetPropSeqRef(DrvInst::ARRAYS), "t")) << name;
    EXPECT_EQ(c.said, Said()) << name;
  }
}

TEST_F(MergeTest, ArraySizedByAMissingOrZeroParameterIsLeftOut) {
  for (const std::string mss : {" PARAMETER N = 0\n", ""}) {
    AddDriver("repo", "drivers", "z", "1.00.a",
              std::string(mss.empty() ? "" : "PARAM name = N, default = 2;\n") +
                  "BEGIN ARRAY t\nPROPERTY size = N;\nPARAM name = a, default = 1;\nEND ARRAY\n");
    ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = z\n" + mss + "END\n");
    drv.DelPropSeq(DrvInst::ARRAYS);
    MergeDriver();
    EXPECT_EQ("absent", Rows(drv.GetPropSeqRef(DrvInst::ARRAYS), "t"));
    EXPECT_TRUE(msgs.Messages().empty());
  }
}

TEST_F(MergeTest, InterfacesComeFromTheDefinitionOnly) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "BEGIN INTERFACE serial\nPROPERTY header = s.h;\nFUNCTION name = open, value = "
            "s_open;\nEND INTERFACE\nBEGIN INTERFACE other\nEND INTERFACE\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n INTERFACE serial\n INTERFACE bogus\nEND\n");
  MergeDriver();
  const PropSeq& ifs = drv.GetPropSeqRef(DrvInst::INTERFACES);
  ASSERT_EQ(2u, ifs.size());
  const auto* serial = static_cast<const Interface*>(ifs[0]);
  EXPECT_EQ("serial", serial->GetName());
  EXPECT_EQ(3, serial->GetLineNum());  // where the MSS names it
  EXPECT_EQ("header=s.h", List(serial->GetPropSeqRef(Interface::PROPERTIES)));
  EXPECT_EQ(1u, serial->GetPropSeqRef(Interface::FUNCTIONS).size());
  EXPECT_EQ("other", ifs[1]->GetName());
}

TEST_F(MergeTest, KindTable) {
  EXPECT_EQ("TavSoftware_ArrayInst", SwPropertyUtil::GetPropertyClass("arrayinst"));
  EXPECT_EQ("", SwPropertyUtil::GetPropertyClass("PARAMETER"));
  EXPECT_EQ("", SwPropertyUtil::GetPropertyClass("PROPERTY"));
  EXPECT_EQ("CATEGORY", SwPropertyUtil::GetPropertyType("tavsoftware_category"));
  EXPECT_EQ("", SwPropertyUtil::GetPropertyType("TavSoftware_Element"));
  const std::pair<const char*, const char*> created[] = {
      {"ARRAY", "TavSoftware_ArrayInst"}, {"PARAMETER", "TavSoftware_Param"},
      {"TavSoftware_Function", "TavSoftware_Function"}, {"BLOCK", ""}, {"nonsense", ""}};
  for (const auto& [kind, tag] : created) {
    std::unique_ptr<MdtBase::Property> p(SwPropertyUtil::CreateDerivedProperty(kind));
    EXPECT_EQ(std::string(tag), MdtBase::BaseNode::GetBaseNode(p.get())) << kind;
  }
  MdtBase::ListStrVal words(String("a, b"), ",");
  MdtBase::StrVal text(String("t"));
  EXPECT_EQ("b", SwPropertyUtil::GetParamValForIndex(&words, 1));
  EXPECT_EQ("", SwPropertyUtil::GetParamValForIndex(&words, 2));
  EXPECT_EQ("t", SwPropertyUtil::GetParamValForIndex(&text, 7));
}

TEST_F(MergeTest, CopiedDriverHasEveryEntryOnce) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "PARAM name = A, default = 1;\nBEGIN ARRAY t\nPROPERTY size = 1;\nPARAM name = v, "
            "default = 0;\nEND ARRAY\nBEGIN INTERFACE s\nEND INTERFACE\n");
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = u0\nEND\n");
  MergeDriver();
  DrvInst copy;
  EXPECT_EQ(0, DrvInstUtil::CopyDrvInst(&copy, &drv));
  EXPECT_EQ("uart", copy.GetName());
  EXPECT_EQ(List(Params()), List(copy.GetPropSeqRef(DrvInst::PARAMETERS)));
  EXPECT_EQ("1:0", Rows(copy.GetPropSeqRef(DrvInst::ARRAYS), "t"));
  EXPECT_EQ(1u, copy.GetPropSeqRef(DrvInst::INTERFACES).size());
  EXPECT_EQ(0, DrvInstUtil::AssignOwner(&copy));
  EXPECT_EQ(&copy, copy.GetPropSeqRef(DrvInst::ARRAYS)[0]->GetOwner());
}

}  // namespace
}  // namespace TavSoftware

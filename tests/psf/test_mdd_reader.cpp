#include <chrono>
#include <string>
#include <vector>

#include "Array.h"
#include "MdtParse.h"
#include "Block.h"
#include "Dep.h"
#include "Function.h"
#include "Interface.h"
#include "Mdd.h"
#include "MddUtil.h"
#include "Option.h"
#include "Param.h"
#include "ParseMdd.h"
#include "Property.h"
#include "test_mdd_support.h"

using namespace TavSoftware;
using tavtest::CompNames;
using tavtest::MsgRow;
using tavtest::Names;
using tavtest::V;
using tavtest::ValueAs;
using tavtest::ValueOf;

namespace {

class MddReaderTest : public tavtest::DefReaderTest<Mdd, &ParseMdd::Parse> {
 protected:
  // The statement under test in ReadIn is line 2.
  MddReaderTest() : DefReaderTest("uart_v2_1_0.mdd", "BEGIN DRIVER d\n", "END DRIVER\n") {}
  Param* P(const char* name) {
    return dynamic_cast<Param*>(doc.GetPropertyByName(Mdd::PARAMETERS, name));
  }
  Mdd& mdd = doc;
};

TEST_F(MddReaderTest, StatementsLandWhereTheyBelong) {
  int rc = Read(
      "# a driver\n"
      "OPTION psf_version = 2.1.0;\n"
      "\n"
      "begin driver TavUart extra words\n"
      "  OPTION DRC = uart_drc;\n"
      "  OPTION supported_peripherals = (opb_uart plb_uart);\n"
      "  PARAM name = C_TOP, DEFAULT = 1, TYPE = int;\n"
      "  BEGIN BLOCK, DEP = (C_USE = 1)\n"
      "    OPTION DEPENDS = (a b);\n"
      "    PARAM name = C_IN_BLOCK;\n"
      "    BEGIN ARRAY Tab\n"
      "      PARAM name = col;\n"
      "      PROPERTY desc = \"the table\";\n"
      "    END ARRAY\n"
      "    BEGIN INTERFACE Ifb\n"
      "    END INTERFACE\n"
      "  END BLOCK\n"
      "  BEGIN INTERFACE Stdout\n"
      "    PROPERTY header = xuart.h;\n"
      "    FUNCTION NAME = outbyte, VALUE = XUart_SendByte;\n"
      "  END INTERFACE\n"
      "  BEGIN ARRAY top\n"
      "  END ARRAY\n"
      "END DRIVER\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(), V{});
  EXPECT_EQ(mdd.GetName(), "tavuart");
  EXPECT_EQ(mdd.GetFileNameStr(), path);

  EXPECT_EQ(Names(Seq(Mdd::OPTIONS)), (V{"DRC", "SUPPORTED_PERIPHERALS"}));
  EXPECT_EQ(tavtest::Typed(Seq(Mdd::OPTIONS)[1]), "list:opb_uart|plb_uart");
  EXPECT_EQ(Names(Seq(Mdd::PARAMETERS)), V{"C_TOP"});
  EXPECT_EQ(Seq(Mdd::PARAMETERS)[0]->GetLineNum(), 7);
  EXPECT_EQ(Seq(Mdd::PARAMETERS)[0]->GetFileNameStr(), path);
  EXPECT_EQ(Seq(Mdd::PARAMETERS)[0]->GetOwner(), &mdd);

  ASSERT_EQ(Seq(Mdd::BLOCKS).size(), 1u);
  auto* block = dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[0]);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->GetOwner(), &mdd);
  ASSERT_EQ(block->GetPropSeqRef(Block::DEPS).size(), 1u);
  auto* dep = block->GetPropSeqRef(Block::DEPS)[0];
  EXPECT_STREQ(MdtBase::BaseNode::GetBaseNode(dep), "TavSoftware_Dep");
  EXPECT_EQ(dep->GetName() + " " + tavtest::Typed(dep), "C_USE int:1");
  EXPECT_EQ(Names(block->GetPropSeqRef(Block::OPTIONS)), V{"DEPENDS"});
  EXPECT_EQ(Names(block->GetPropSeqRef(Block::PARAMETERS)), V{"C_IN_BLOCK"});
  EXPECT_EQ(Names(block->GetPropSeqRef(Block::ARRAYS)), V{"tab"});
  EXPECT_EQ(Names(block->GetPropSeqRef(Block::INTERFACES)), V{"ifb"});
  auto* tab = dynamic_cast<Array*>(block->GetPropSeqRef(Block::ARRAYS)[0]);
  EXPECT_EQ(Names(tab->GetPropSeqRef(Array::PARAMETERS)), V{"col"});
  EXPECT_EQ(tavtest::Describe(tab), "none {desc=str:the table}");
  EXPECT_EQ(tavtest::Describe(tab->GetPropSeqRef(Array::PROPERTIES).at(0)), "str:the table {}");
  EXPECT_EQ(tab->GetPropSeqRef(Array::PARAMETERS)[0]->GetOwner(), tab);

  EXPECT_EQ(Names(Seq(Mdd::INTERFACES)), V{"stdout"});
  auto* out = dynamic_cast<Interface*>(Seq(Mdd::INTERFACES)[0]);
  EXPECT_EQ(tavtest::Describe(out->GetPropSeqRef(Interface::PROPERTIES).at(0)), "str:xuart.h {}");
  ASSERT_EQ(out->GetPropSeqRef(Interface::FUNCTIONS).size(), 1u);
  auto* fn = out->GetPropSeqRef(Interface::FUNCTIONS)[0];
  EXPECT_STREQ(MdtBase::BaseNode::GetBaseNode(fn), "TavSoftware_Function");
  EXPECT_EQ(fn->GetName() + " = " + ValueOf(fn), "outbyte = XUart_SendByte");
  EXPECT_EQ(fn->GetOwner(), out);
  EXPECT_EQ(Names(Seq(Mdd::ARRAYS)), V{"top"});
}

// Each statement is read inside a driver; the parameter it makes, with its
// typed value and its components in the order written.
TEST_F(MddReaderTest, ParameterAttributes) {
  const struct {
    const char* line;
    const char* name;
    const char* described;
  } rows[] = {
      {"PARAMETER name = C_BASE, DEFAULT = 0, TYPE = int;", "C_BASE",
       "int:0 {DEFAULT=int:0, TYPE=str:int}"},
      {"PARAM name = plain, DEFAULT = \"hello\";", "plain", "str:hello {DEFAULT=str:hello}"},
      {"PARAM name = x, PERMIT = tool;", "x",
       "str: {PERMIT=str:tool, GUI_PERMIT=str:ADVANCED_USER}"},
      {"PARAM name = y, PERMIT = user, GUI_PERMIT = NONE;", "y",
       "str: {PERMIT=str:user, GUI_PERMIT=str:NONE}"},
      {"PARAM name = z, PERMIT = user;", "z", "str: {PERMIT=str:user, GUI_PERMIT=str:ALL_USERS}"},
      {"PARAM name = r, RANGE = (0, \"255\"), DESC = \"a, b\", STATE_DESC = \"s\", TYPE = bool, "
       "DEFAULT = true;",
       "r",
       "bool:true {RANGE=list:0|255, DESC=str:a, b, STATE_DESC=str:s, TYPE=str:bool, "
       "DEFAULT=bool:true}"},
      {"PARAM name = e, VALUES = (\"one\" = 1, two = 2), DEP = (C_A = 1, C_B = x), TYPE = enum;",
       "e", "str: {VALUES=pairs:(one = 1, two = 2), DEP=pairs:(C_A = 1, C_B = x), TYPE=str:enum}"},
      {"PARAM name = f, TYPE = file, REQUIRES_INTERFACE = (stdin), GUI_PERMIT = x;", "f",
       "file: {TYPE=str:file, REQUIRES_INTERFACE=list:stdin, GUI_PERMIT=str:x}"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    msgs.Clear();
    EXPECT_EQ(ReadIn(std::string(row.line) + "\n"), 0);
    EXPECT_EQ(Msgs(), V{});
    EXPECT_EQ(tavtest::Describe(P(row.name)), row.described);
  }
  EXPECT_EQ(ReadIn("PARAM name = u, TYPE = blob, DEFAULT = 5;\n"), 0);
  EXPECT_EQ(Msgs(), V{"W2: Unknown Data type blob specified. Assuming string"});
  EXPECT_EQ(tavtest::Describe(P("u")), "str:5 {TYPE=str:blob, DEFAULT=str:5}");

  // The default component gets a value of its own, and made components carry
  // the line they came from.
  ReadIn("PARAM name = p, PERMIT = tool, DEFAULT = 1, DEP = (C_A = 1, C_B = x), TYPE = int;\n");
  Param* p = P("p");
  EXPECT_NE(p->GetMdtValuePtr(), p->GetPsfCompByName("default")->GetMdtValuePtr());
  EXPECT_EQ(p->GetPsfCompByName("GUI_PERMIT")->GetLineNum(), 2);
  auto* deps = ValueAs<MdtBase::ListPsfCompVal>(p->GetPsfCompByName("DEP"));
  ASSERT_NE(deps, nullptr);
  EXPECT_EQ(deps->GetList()[1]->GetLineNum(), 2);
}

TEST_F(MddReaderTest, DriverOptionValues) {
  int rc = ReadIn(
      "OPTION copyfiles = (a.c b.c);\n"
      "OPTION driver_state = active;\n"
      "OPTION DEFAULT_OS = standalone;\n"
      "OPTION DESC = \"two\\nlines (x)\";\n"
      "OPTION FOO = (bar);\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(),
            V{"W6: Unrecognized Option name. List of possible Option names are : DRC, DESC, "
              "COPYFILES, DEPENDS, SUPPORTED_PERIPHERALS, DRIVER_STATE, DEFAULT_OS \n"});
  V got;
  for (const auto* o : Seq(Mdd::OPTIONS)) got.push_back(o->GetName() + " " + tavtest::Typed(o));
  EXPECT_EQ(got, (V{"COPYFILES list:a.c|b.c", "DRIVER_STATE str:ACTIVE",
                    "DEFAULT_OS str:standalone", "DESC str:two\nlines (x", "FOO str:bar"}));
}

TEST_F(MddReaderTest, MessagesOfRejectedStatements) {
  const std::string u = " Usage : \"DEP = (<cname> = <cvalue>\" ";
  const std::string fn = "Correct syntax is \"FUNCTION NAME = <name>, VALUE = <value>\"";
  const MsgRow rows[] = {
      {"BEGIN DRIVER again\n", {"E2: Using BEGIN DRIVER again... line ignored"}},
      {"BEGIN BLOCK DEP = (a = 1)\nEND BLOCK\n",
       {"E2: while parsing BLOCK. Correct format is \"BEGIN BLOCK, DEP = (condition)\""}},
      {"BEGIN BLOCK, DEPX\nEND BLOCK\n", {"E2: DEP condition is not specified." + u}},
      {"BEGIN BLOCK, DEP = ( = 1)\nEND BLOCK\n",
       {"E2: Condition name for DEP is not specified." + u}},
      {"BEGIN BLOCK, DEP = (a)\nEND BLOCK\n",
       {"E2: Condition value for DEP is not specified." + u}},
      {"BEGIN BLOCK, DEP = (a=1)\nBEGIN BLOCK, DEP = (b=1)\nEND BLOCK x\n",
       {"E3: Using BEGIN BLOCK again... line ignored",
        "E4: Any thing after keyword END BLOCK on the same line is ignored"}},
      {"END BLOCK\n", {"E2: Cannot use END BLOCK without using BEGIN BLOCK"}},
      {"BEGIN INTERFACE\nEND INTERFACE\n",
       {"E2: BEGIN INTERFACE should be followed by the interface name"}},
      {"BEGIN INTERFACE a\nBEGIN INTERFACE b\nEND INTERFACE z\n",
       {"E3: Using BEGIN INTERFACE again... line ignored",
        "E4: Any thing after keyword END INTERFACE on the same line is ignored"}},
      {"END INTERFACE\n", {"E2: Cannot use END INTERFACE without using BEGIN INTERFACE"}},
      {"BEGIN ARRAY\nEND ARRAY\n", {"E2: BEGIN ARRAY should be followed by array name"}},
      {"BEGIN ARRAY a\nBEGIN ARRAY b\nEND ARRAY z\n",
       {"E3: Using BEGIN ARRAY again... line ignored",
        "E4: Any thing after keyword END ARRAY on the same line is ignored"}},
      {"END ARRAY\n", {"E2: Cannot use END ARRAY without using BEGIN ARRAY"}},
      {"END DRIVER\nEND DRIVER\nBEGIN DRIVER d\n",
       {"E3: Cannot use END DRIVER without using BEGIN DRIVER"}},
      {"OPTION = x;\n", {"E2: Option name is not specified"}},
      {"OPTION DRC = ;\n", {"E2: Option value is not specified"}},
      {"OPTION DRIVER_STATE = retired;\n", {"E2: Unknown DRIVER_STATE value RETIRED"}},
      {"PARAM = x;\n", {"E2: Empty PARAMETER declaration"}},
      {"PARAM name = ;\n", {"E2: Empty PARAMETER value declaration"}},
      {"PARAM name = e, VALUES = (=1, b=, c=3);\n",
       {"E2: Nameless VALUES pair", "E2: Value not specified for VALUES pair"}},
      {"PARAM name = e, DEP = (=1, b=, c=3);\n",
       {"E2: Condition name for \"dep\" keyword is not specified. Usge : \"dep = (<cname1> = "
        "<cval1>, <cname1> = <cval1>, ..., <cnamen> = <cvaln>)\"",
        "E2: Condition value for \"dep\" keyword is not specified. Usge : \"dep = (<cname> = "
        "<cval>, <cname1> = <cval1>, ..., <cnamen> = <cvaln>)\""}},
      {"BEGIN INTERFACE i\nPROPERTY = x;\nPROPERTY header = ;\nEND INTERFACE\n",
       {"E3: PROPERTY name keyword is not specified", "E4: PROPERTY value is not specified"}},
      {"FUNCTION = x;\n", {"E2: Blank FUNCTION definition." + fn}},
      {"FUNCTION N = x, VALUE = y;\n",
       {"E2: NAME  keyword is not specified. Correct syntaxa is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\""}},
      {"FUNCTION NAME = , VALUE = y;\n", {"E2: FUNCTION name is not specified"}},
      {"FUNCTION NAME = x;\n", {"E2: Incomplete FUNCTION definition. " + fn}},
      {"FUNCTION NAME = x, V = y;\n", {"E2: VALUE  keyword is not specified. " + fn}},
      {"FUNCTION NAME = x, VALUE = ;\n", {"E2: FUNCTION value is not specified"}},
      {"FUNCTION NAME = x, VALUE = y;\n",
       {"E2: FUNCTION keyword specified outside INTERFACE block"}},
      // Lines the format ignores without a word.
      {"END\nEND FOO\nBEGIN FOO\nPROPERTY orphan = 1;\n", {}},
      // Sections still open at END DRIVER are dropped (and freed).
      {"BEGIN BLOCK, DEP = (a = 1)\nBEGIN INTERFACE i\nBEGIN ARRAY a\n",
       {"W5: No END BLOCK found in the MDD file. The BLOCK is ignored",
        "W5: No END INTERFACE found in the MDD file. The INTERFACE is ignored",
        "W5: No END ARRAY found in the MDD file. The ARRAY is ignored"}},
  };
  CheckRows(rows);
}

TEST_F(MddReaderTest, VersionOptionOutsideDriverStoresNothing) {
  const MsgRow rows[] = {
      {"OPTION psf_version = 2.1;\nBEGIN DRIVER d\nEND DRIVER\n", {}},
      {"OPTION PSF_VERSION = \"2.1.0\";\nBEGIN DRIVER d\nEND DRIVER\n", {}},
      {"OPTION psf_version = 2.2.0;\nBEGIN DRIVER d\nEND DRIVER\n",
       {"E1: Only PSF version 2.1.0 supported. Assuming psf version 2.1.0..."}},
      {"OPTION = 2.1;\nBEGIN DRIVER d\nEND DRIVER\n", {"E1: PSF_VERSION is not specified"}},
      {"OPTION DRC = x;\nBEGIN DRIVER d\nEND DRIVER\n",
       {"E1: Cannot use any other OPTION other than psf_version outside BEGIN DRIVER-END DRIVER "
        "block...ignored"}},
  };
  CheckRows(rows, false);
  EXPECT_EQ(Read(rows[2].body), 1);
  EXPECT_TRUE(Seq(Mdd::OPTIONS).empty());
}

TEST_F(MddReaderTest, KeywordsArePrefixesIgnoringCase) {
  EXPECT_EQ(Read("BEGIN DRIVERS x\nparameter name = p;\nOptionS DRC = 1;\nEND DRIVER\n"), 0);
  EXPECT_EQ(mdd.GetName(), "s");
  EXPECT_EQ(Names(Seq(Mdd::PARAMETERS)), V{"p"});
  // "OPTIONS" loses only six characters and leaves an unknown option name.
  EXPECT_EQ(Names(Seq(Mdd::OPTIONS)), V{"S DRC"});
  EXPECT_EQ(msgs.Count(MsgSeverity::kWarning), 1u);
}

TEST_F(MddReaderTest, CommentRunsBeforeQuotesAndTextAfterSemicolonIsTaken) {
  EXPECT_EQ(ReadIn("PARAM name = p, DESC = \"uses # inside\", TYPE = int;  # trailing\n"
                   "PARAM name = q; junk\n"),
            1);
  EXPECT_EQ(Msgs(), V{"E3: Line not empty after the ; delimiter"});
  EXPECT_EQ(CompNames(P("p")), V{"DESC"});
  EXPECT_EQ(P("p")->GetPsfCompValueStr("DESC"), "uses");
  ASSERT_NE(ValueAs<MdtBase::StrVal>(P("p")), nullptr);
  EXPECT_NE(P("q"), nullptr);
}

TEST_F(MddReaderTest, ArrayInitialisersAndSize) {
  int rc = ReadIn(
      "BEGIN ARRAY a\n"
      "PROPERTY default = (1, 2, 3), desc = x;\n"
      "PROPERTY size = 2;\n"
      "END ARRAY\n"
      "BEGIN ARRAY g\n"
      "PROPERTY size = 1;\n"
      "PROPERTY default = ((1,2),(3,4));\n"
      "PROPERTY size_max = 9;\n"
      "END ARRAY\n");
  EXPECT_EQ(rc, 2);
  EXPECT_EQ(Msgs(), (V{"E4: Array size defined as \"PROPERTY SIZE \" is less than the default "
                       "initalizers specified through \"PROPERTY DEFAULT\" construct for the array",
                       "E8: Default initializers for array greater than the array size defined"}));
  ASSERT_EQ(Seq(Mdd::ARRAYS).size(), 2u);
  // One size property, kept in its place and set to the declared size; each
  // property placed adds a desc component to the array.
  auto* a = dynamic_cast<Array*>(Seq(Mdd::ARRAYS)[0]);
  EXPECT_EQ(Names(a->GetPropSeqRef(Array::PROPERTIES)), (V{"default", "size"}));
  EXPECT_EQ(tavtest::Describe(a), "str:(1, 2, 3) {desc=str:(1,2,3), desc=str:2}");
  EXPECT_EQ(tavtest::Describe(a->GetPropSeqRef(Array::PROPERTIES)[0]),
            "nodes:(1,2,3) {desc=str:x}");
  EXPECT_EQ(tavtest::Describe(a->GetPropSeqRef(Array::PROPERTIES)[1]), "int:2 {}");

  auto* g = dynamic_cast<Array*>(Seq(Mdd::ARRAYS)[1]);
  EXPECT_EQ(Names(g->GetPropSeqRef(Array::PROPERTIES)), (V{"size", "default", "size_max"}));
  EXPECT_EQ(ValueOf(g), "((1,2)(3,4))");
  auto* groups = ValueAs<MdtBase::ListBaseNodePtrVal>(g->GetPropSeqRef(Array::PROPERTIES)[1]);
  ASSERT_EQ(groups->GetList().size(), 2u);
  auto* second = dynamic_cast<MdtBase::ListStrVal*>(groups->GetList()[1]);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetList(), (std::vector<String>{"3", "4"}));
  // size_max is a property of its own and leaves the size alone.
  EXPECT_EQ(tavtest::Describe(g->GetPropSeqRef(Array::PROPERTIES)[0]), "int:1 {}");
}

// A trailing comma still separates an (empty) last item, which the automatic
// size counts; a size equal to the number of initialisers, declared before
// or after them, is no error.
TEST_F(MddReaderTest, InitialiserCountAgainstTheSize) {
  int rc = ReadIn(
      "BEGIN ARRAY t\n"
      "PROPERTY default = (1,2,);\n"
      "END ARRAY\n"
      "BEGIN ARRAY before\n"
      "PROPERTY size = 3;\n"
      "PROPERTY default = (1, 2, 3);\n"
      "END ARRAY\n"
      "BEGIN ARRAY after\n"
      "PROPERTY default = ((1,2),(3,4));\n"
      "PROPERTY size = 2;\n"
      "END ARRAY\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(), V{});
  ASSERT_EQ(Seq(Mdd::ARRAYS).size(), 3u);
  const struct {
    const char* def;
    const char* size;
  } expected[] = {
      {"nodes:(1,2,) {}", "int:3 {}"}, {"nodes:(1,2,3) {}", "int:3 {}"}, {"", "int:2 {}"}};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    auto* a = dynamic_cast<Array*>(Seq(Mdd::ARRAYS)[i]);
    auto* def = a->GetPropertyByName(Array::PROPERTIES, "default");
    auto* size = a->GetPropertyByName(Array::PROPERTIES, "size");
    ASSERT_TRUE(def && size);
    if (*expected[i].def) {
      EXPECT_EQ(tavtest::Describe(def), expected[i].def);
    }
    EXPECT_EQ(tavtest::Describe(size), expected[i].size);
  }
}

TEST_F(MddReaderTest, DefaultInsideInterfaceSetsItsValue) {
  EXPECT_EQ(ReadIn("BEGIN INTERFACE i\nPROPERTY default = (a, b);\nEND INTERFACE\n"
                   "PROPERTY default = (c);\n"),
            0);
  EXPECT_EQ(ValueOf(Seq(Mdd::INTERFACES)[0]), "(a, b)");
}

// The three exits that stop the parse: the document keeps what was read, but
// records no error code and gets no owners.
TEST_F(MddReaderTest, FatalExits) {
  const struct {
    const char* text;
    int rc;
    V expected;
    size_t params;
  } rows[] = {
      // A bare BEGIN stops at once with 1; the error after it is never seen.
      {"BEGIN DRIVER d\nPARAM = x;\nPARAM name = p;\nBEGIN\nPARAM = y;\nEND DRIVER\n",
       1,
       {"E2: Empty PARAMETER declaration",
        "E4: BEGIN should be followed by DRIVER, BLOCK, INTERFACE or ARRAY"},
       1},
      {"BEGIN DRIVER d\nPARAM name = p;\nFOO = 1;\nPARAM = y;\nEND DRIVER\n",
       1,
       {"E3: Syntax error. Either an invalid Keyword is used in the MDD file or a PARAM/OPTION "
        "description is extended over multiple lines. Multiple lines descriptions not supported "
        "in MDDs for PSF version 2.1.0."},
       1},
      {"BEGIN DRIVER d\nPARAM name = p;\n", 1, {"E2: No END DRIVER found in the MDD file. "}, 1},
      // Sections still open here are freed (checked by LeakSanitizer).
      {"BEGIN DRIVER d\nBEGIN BLOCK, DEP = (a = 1)\nPARAM name = p;\nBEGIN INTERFACE i\n"
       "BEGIN ARRAY a\nPARAM name = q;\nBOGUS\n",
       1,
       {"E7: Syntax error. Either an invalid Keyword is used in the MDD file or a PARAM/OPTION "
        "description is extended over multiple lines. Multiple lines descriptions not supported "
        "in MDDs for PSF version 2.1.0."},
       0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    msgs.Clear();
    Mdd fresh;
    EXPECT_EQ(ParseMdd::Parse(dir.Write("f.mdd", row.text), &fresh), row.rc);
    EXPECT_EQ(Msgs(), row.expected);
    EXPECT_EQ(fresh.GetErrorCode(), 0);
    EXPECT_TRUE(fresh.GetPropSeqRef(Mdd::BLOCKS).empty());
    ASSERT_EQ(fresh.GetPropSeqRef(Mdd::PARAMETERS).size(), row.params);
    for (const auto* p : fresh.GetPropSeqRef(Mdd::PARAMETERS)) EXPECT_EQ(p->GetOwner(), nullptr);
  }
}

// A rejected BLOCK header, or a nameless INTERFACE or ARRAY, used to leave the
// previous section current, so its END added that section a second time
// (freed twice later).
TEST_F(MddReaderTest, RejectedSectionHeaderDoesNotReAddThePreviousSection) {
  EXPECT_EQ(ReadIn("BEGIN BLOCK, DEP = (a = 1)\nEND BLOCK\n"
                   "BEGIN BLOCK\nPARAM name = inside;\nBEGIN ARRAY arr\nEND ARRAY\nEND BLOCK\n"
                   "BEGIN INTERFACE i\nEND INTERFACE\nBEGIN INTERFACE\nPROPERTY p = 1;\n"
                   "END INTERFACE\nBEGIN ARRAY a\nEND ARRAY\nBEGIN ARRAY\nPARAM name = c;\n"
                   "END ARRAY\n"),
            3);
  ASSERT_EQ(Seq(Mdd::BLOCKS).size(), 1u);
  EXPECT_TRUE(dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[0])->GetPropSeqRef(Block::PARAMETERS).empty());
  EXPECT_EQ(Names(Seq(Mdd::PARAMETERS)), (V{"inside", "c"}));
  EXPECT_EQ(Names(Seq(Mdd::ARRAYS)), (V{"arr", "a"}));
  EXPECT_EQ(Names(Seq(Mdd::INTERFACES)), V{"i"});
}

TEST_F(MddReaderTest, SectionsAreFlagsNotAStack) {
  EXPECT_EQ(ReadIn("BEGIN BLOCK, DEP = (a = 1)\nBEGIN ARRAY late\nEND BLOCK\nEND ARRAY\n"
                   "BEGIN ARRAY early\nBEGIN BLOCK, DEP = (b = 2)\nEND ARRAY\nEND BLOCK\n"),
            0);
  EXPECT_EQ(Names(Seq(Mdd::ARRAYS)), V{"late"});
  ASSERT_EQ(Seq(Mdd::BLOCKS).size(), 2u);
  EXPECT_TRUE(dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[0])->GetPropSeqRef(Block::ARRAYS).empty());
  EXPECT_EQ(Names(dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[1])->GetPropSeqRef(Block::ARRAYS)),
            V{"early"});
}

TEST_F(MddReaderTest, BadFiles) {
  std::string missing = dir / "nope.mdd";
  EXPECT_EQ(ParseMdd::Parse(missing, &mdd), 2);
  ASSERT_EQ(msgs.Messages().size(), 1u);
  EXPECT_EQ(msgs.Messages()[0].severity, MsgSeverity::kError);
  EXPECT_EQ(msgs.Messages()[0].text, "Cannot open file \"" + missing + "\" for reading\n");
  EXPECT_EQ(ParseMdd::Parse(dir.Path(), &mdd), 2);  // a directory
  EXPECT_EQ(ParseMdd::Parse(dir.Write("x.mdd", ""), nullptr), -1);

  msgs.Clear();
  EXPECT_EQ(Read(""), 1);
  EXPECT_EQ(Msgs(), V{"E0: No BEGIN DRIVER found in the MDD file. "});
  // Without BEGIN DRIVER the name comes from the file and statements are kept.
  msgs.Clear();
  EXPECT_EQ(Read("PARAM name = p;\n"), 1);
  EXPECT_EQ(mdd.GetName(), "uart_v2_1_0");
  EXPECT_EQ(Msgs(), V{"E1: No BEGIN DRIVER found in the MDD file. "});
  EXPECT_EQ(Names(Seq(Mdd::PARAMETERS)), V{"p"});
}

TEST_F(MddReaderTest, OddBytesLineEndingsAndUnbalancedText) {
  std::string nul = std::string("PARAM name = n") + '\0' + "ul, DEFAULT = \xff\xfe;\n";
  int rc = Read("BEGIN DRIVER d\r\n" + nul +
                "PARAM name = q, DESC = \"no end, TYPE = int;\r\n"
                "PARAM name = r, RANGE = (1, 2, DEFAULT = 3;\n"
                "PARAM name = s, VALUES = ((a = 1;\n"
                "BEGIN ARRAY x\nPROPERTY default = ((1,2),(3;\nPROPERTY default = (;\nEND ARRAY\n"
                "END DRIVER");  // no newline at the end
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(), V{});
  ASSERT_EQ(Seq(Mdd::PARAMETERS).size(), 4u);
  EXPECT_EQ(Seq(Mdd::PARAMETERS)[0]->GetName(), std::string("n\0ul", 4));
  EXPECT_EQ(ValueOf(Seq(Mdd::PARAMETERS)[0]), "\xff\xfe");
  EXPECT_EQ(P("q")->GetPsfCompValueStr("DESC"), "no end, TYPE = int");
  EXPECT_EQ(CompNames(P("r")), V{"RANGE"});
  EXPECT_EQ(Seq(Mdd::PARAMETERS)[3]->GetLineNum(), 5);
}

TEST_F(MddReaderTest, LongLinesAndManyItemsReadInLinearTime) {
  const size_t items = 200000;
  std::string values = "PARAM name = big, VALUES = (";
  for (size_t i = 0; i < items; ++i)
    values += "v" + std::to_string(i) + " = " + std::to_string(i) + ", ";
  values += "), DESC = \"" + std::string(4u << 20, 'd') + "\";\n";
  std::string init = "BEGIN ARRAY a\nPROPERTY default = (";
  for (size_t i = 0; i < items; ++i) init += std::to_string(i) + ", ";
  init += "0);\nEND ARRAY\n";
  ASSERT_GT(values.size(), 6u << 20);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadIn(values + init), 0);
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(secs, 20.0);  // a quadratic reader takes hours here
  auto* list = ValueAs<MdtBase::ListPsfCompVal>(P("big")->GetPsfCompByName("VALUES"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetList().size(), items);
  EXPECT_EQ(P("big")->GetPsfCompValueStr("DESC").size(), 4u << 20);
  auto* a = dynamic_cast<Array*>(Seq(Mdd::ARRAYS)[0]);
  EXPECT_EQ(ValueOf(a->GetPropertyByName(Array::PROPERTIES, "size")), std::to_string(items + 1));
}

TEST_F(MddReaderTest, UtilWrappersReturnTheObjectEvenOnErrors) {
  path = dir.Write("bad.mdd", "BEGIN DRIVER d\nPARAM = x;\nEND DRIVER\n");
  int status = -5;
  std::unique_ptr<Mdd> read(MddUtil::Parse(path, status));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(read->GetName(), "d");
  std::unique_ptr<Mdd> none(MddUtil::Parse(dir / "missing.mdd", status));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(MddUtil::Parse(path, &mdd), 1);
  EXPECT_EQ(MddUtil::Parse(path, static_cast<Mdd*>(nullptr)), -1);
}

TEST_F(MddReaderTest, AParseInsideAnotherLeavesTheOuterStateAlone) {
  using MdtBase::BaseParser;
  BaseParser::ParseScope outer;
  std::string outerFile = dir.Write("outer.mss", "x\ny\n");
  ASSERT_EQ(BaseParser::InitData(outerFile, nullptr), 0);
  String line;
  ASSERT_TRUE(BaseParser::ReadLine(line));
  BaseParser::S().lineno = 1;
  BaseParser::PARSEERR("outer error");
  EXPECT_EQ(ReadIn("PARAM = x;\n"), 1);
  EXPECT_EQ(BaseParser::S().filename, outerFile);
  EXPECT_EQ(BaseParser::S().lineno, 1);
  EXPECT_EQ(BaseParser::S().numerr, 1);
  ASSERT_TRUE(BaseParser::ReadLine(line));
  EXPECT_EQ(line, "y");
}

TEST_F(MddReaderTest, SurvivesScrambledStatements) {
  const char* const pieces[] = {
      "BEGIN ", "END ",      "DRIVER ",   "BLOCK", ", DEP", "INTERFACE ", "ARRAY ",  "OPTION ",
      "PARAM ", "PROPERTY ", "FUNCTION ", "name",  "value", "default",    "size",    "desc",
      "=",      ",",         ";",         "(",     ")",     "\"",         "#",       " ",
      "x",      "RANGE",     "VALUES",    "DEP",   "TYPE",  "int",        "DEFAULT", "PERMIT"};
  SurvivesScrambled(pieces, 12345);
}

}  // namespace

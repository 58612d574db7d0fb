#include <chrono>
#include <string>
#include <vector>

#include "Array.h"
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
using tavtest::ReaderMsgs;
using tavtest::ValueAs;
using tavtest::ValueOf;
using V = std::vector<std::string>;

namespace {

class MddReaderTest : public tavtest::ScratchTest {
 protected:
  int Read(const std::string& content) {
    path = dir.Write("uart_v2_1_0.mdd", content);
    return ParseMdd::Parse(path, &mdd);
  }
  // The text inside a driver section; the statement under test is line 2.
  int ReadInDriver(const std::string& body) {
    return Read("BEGIN DRIVER d\n" + body + "END DRIVER\n");
  }
  V Msgs() const { return ReaderMsgs(msgs); }
  PropSeq& Seq(int nt) { return mdd.GetPropSeqRef(nt); }
  Param* P(const char* name) {
    return dynamic_cast<Param*>(mdd.GetPropertyByName(Mdd::PARAMETERS, name));
  }

  Mdd mdd;
  std::string path;
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
  EXPECT_EQ(mdd.GetErrorCode(), 0);

  EXPECT_EQ(tavtest::Names(Seq(Mdd::OPTIONS)), (V{"DRC", "SUPPORTED_PERIPHERALS"}));
  auto* periph = ValueAs<MdtBase::ListStrVal>(Seq(Mdd::OPTIONS)[1]);
  ASSERT_NE(periph, nullptr);
  EXPECT_EQ(periph->GetList(), (std::vector<String>{"opb_uart", "plb_uart"}));
  EXPECT_EQ(tavtest::Names(Seq(Mdd::PARAMETERS)), V{"C_TOP"});
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
  EXPECT_EQ(dep->GetName(), "C_USE");
  ASSERT_NE(ValueAs<MdtBase::IntVal>(dep), nullptr);
  EXPECT_EQ(ValueAs<MdtBase::IntVal>(dep)->GetInt(), 1);
  EXPECT_EQ(tavtest::Names(block->GetPropSeqRef(Block::OPTIONS)), V{"DEPENDS"});
  EXPECT_EQ(tavtest::Names(block->GetPropSeqRef(Block::PARAMETERS)), V{"C_IN_BLOCK"});
  EXPECT_EQ(tavtest::Names(block->GetPropSeqRef(Block::ARRAYS)), V{"tab"});
  EXPECT_EQ(tavtest::Names(block->GetPropSeqRef(Block::INTERFACES)), V{"ifb"});
  auto* tab = dynamic_cast<Array*>(block->GetPropSeqRef(Block::ARRAYS)[0]);
  EXPECT_EQ(tavtest::Names(tab->GetPropSeqRef(Array::PARAMETERS)), V{"col"});
  EXPECT_EQ(tavtest::Names(tab->GetPropSeqRef(Array::PROPERTIES)), V{"desc"});
  EXPECT_EQ(ValueOf(tab->GetPropSeqRef(Array::PROPERTIES)[0]), "the table");
  EXPECT_EQ(tab->GetPsfCompValueStr("desc"), "the table");
  EXPECT_EQ(tab->GetPropSeqRef(Array::PARAMETERS)[0]->GetOwner(), tab);

  EXPECT_EQ(tavtest::Names(Seq(Mdd::INTERFACES)), V{"stdout"});
  auto* out = dynamic_cast<Interface*>(Seq(Mdd::INTERFACES)[0]);
  EXPECT_EQ(tavtest::Names(out->GetPropSeqRef(Interface::PROPERTIES)), V{"header"});
  EXPECT_EQ(ValueOf(out->GetPropSeqRef(Interface::PROPERTIES)[0]), "xuart.h");
  ASSERT_EQ(out->GetPropSeqRef(Interface::FUNCTIONS).size(), 1u);
  auto* fn = out->GetPropSeqRef(Interface::FUNCTIONS)[0];
  EXPECT_STREQ(MdtBase::BaseNode::GetBaseNode(fn), "TavSoftware_Function");
  EXPECT_EQ(fn->GetName(), "outbyte");
  EXPECT_EQ(ValueOf(fn), "XUart_SendByte");
  EXPECT_EQ(fn->GetOwner(), out);
  EXPECT_EQ(tavtest::Names(Seq(Mdd::ARRAYS)), V{"top"});
}

TEST_F(MddReaderTest, ParameterAttributes) {
  int rc = ReadInDriver(
      "PARAMETER name = C_BASE, DEFAULT = 0, TYPE = int;\n"
      "PARAM name = plain, DEFAULT = \"hello\";\n"
      "PARAM name = x, PERMIT = tool;\n"
      "PARAM name = y, PERMIT = user, GUI_PERMIT = NONE;\n"
      "PARAM name = r, RANGE = (0, \"255\"), DESC = \"a, b\", STATE_DESC = \"s\", TYPE = bool, "
      "DEFAULT = true;\n"
      "PARAM name = e, VALUES = (\"one\" = 1, two = 2), DEP = (C_A = 1, C_B = x), TYPE = enum;\n"
      "PARAM name = f, TYPE = file, DEFAULT = a/b.c, REQUIRES_INTERFACE = (stdin);\n"
      "PARAM name = u, TYPE = blob, DEFAULT = 5;\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(), V{"W9: Unknown Data type blob specified. Assuming string"});

  Param* base = P("C_BASE");
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(tavtest::CompNames(base), (V{"DEFAULT", "TYPE"}));
  ASSERT_NE(ValueAs<MdtBase::IntVal>(base), nullptr);
  EXPECT_EQ(ValueAs<MdtBase::IntVal>(base)->GetInt(), 0);
  ASSERT_NE(ValueAs<MdtBase::IntVal>(base->GetPsfCompByName("default")), nullptr);
  EXPECT_NE(base->GetMdtValuePtr(), base->GetPsfCompByName("default")->GetMdtValuePtr());

  Param* plain = P("plain");
  EXPECT_EQ(tavtest::CompNames(plain), V{"DEFAULT"});
  ASSERT_NE(ValueAs<MdtBase::StrVal>(plain), nullptr);
  EXPECT_EQ(ValueOf(plain), "hello");

  EXPECT_EQ(tavtest::CompNames(P("x")), (V{"PERMIT", "GUI_PERMIT"}));
  EXPECT_EQ(P("x")->GetPsfCompValueStr("GUI_PERMIT"), "ADVANCED_USER");
  EXPECT_EQ(P("x")->GetPsfCompByName("GUI_PERMIT")->GetLineNum(), 4);
  EXPECT_EQ(tavtest::CompNames(P("y")), (V{"PERMIT", "GUI_PERMIT"}));
  EXPECT_EQ(P("y")->GetPsfCompValueStr("GUI_PERMIT"), "NONE");

  Param* r = P("r");
  auto* range = ValueAs<MdtBase::ListStrVal>(r->GetPsfCompByName("RANGE"));
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(range->GetList(), (std::vector<String>{"0", "255"}));
  EXPECT_EQ(r->GetPsfCompValueStr("DESC"), "a, b");
  EXPECT_EQ(r->GetPsfCompValueStr("STATE_DESC"), "s");
  ASSERT_NE(ValueAs<MdtBase::BoolVal>(r), nullptr);
  EXPECT_TRUE(ValueAs<MdtBase::BoolVal>(r)->GetBool());

  Param* e = P("e");
  auto* values = ValueAs<MdtBase::ListPsfCompVal>(e->GetPsfCompByName("VALUES"));
  ASSERT_NE(values, nullptr);
  ASSERT_EQ(values->GetList().size(), 2u);
  EXPECT_EQ(values->GetList()[0]->GetName(), "one");
  EXPECT_EQ(ValueOf(values->GetList()[0]), "1");
  auto* deps = ValueAs<MdtBase::ListPsfCompVal>(e->GetPsfCompByName("DEP"));
  ASSERT_NE(deps, nullptr);
  ASSERT_EQ(deps->GetList().size(), 2u);
  EXPECT_EQ(deps->GetList()[1]->GetName(), "C_B");
  EXPECT_EQ(ValueOf(deps->GetList()[1]), "x");
  EXPECT_EQ(deps->GetList()[1]->GetLineNum(), 7);
  EXPECT_EQ(tavtest::CompNames(e), (V{"VALUES", "DEP", "TYPE"}));

  Param* f = P("f");
  ASSERT_NE(ValueAs<MdtBase::FileNameVal>(f), nullptr);
  auto* req = ValueAs<MdtBase::ListStrVal>(f->GetPsfCompByName("REQUIRES_INTERFACE"));
  ASSERT_NE(req, nullptr);
  EXPECT_EQ(req->GetList(), std::vector<String>{"stdin"});
  ASSERT_NE(ValueAs<MdtBase::StrVal>(P("u")), nullptr);
  EXPECT_EQ(ValueOf(P("u")), "5");
}

TEST_F(MddReaderTest, DriverOptionValues) {
  int rc = ReadInDriver(
      "OPTION copyfiles = (a.c b.c);\n"
      "OPTION driver_state = active;\n"
      "OPTION DEFAULT_OS = standalone;\n"
      "OPTION DESC = \"two\\nlines (x)\";\n"
      "OPTION FOO = (bar);\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(),
            V{"W6: Unrecognized Option name. List of possible Option names are : DRC, DESC, "
              "COPYFILES, DEPENDS, SUPPORTED_PERIPHERALS, DRIVER_STATE, DEFAULT_OS \n"});
  ASSERT_NE(ValueAs<MdtBase::ListStrVal>(Seq(Mdd::OPTIONS)[0]), nullptr);
  EXPECT_EQ(ValueOf(Seq(Mdd::OPTIONS)[1]), "ACTIVE");
  EXPECT_EQ(ValueOf(Seq(Mdd::OPTIONS)[2]), "standalone");
  EXPECT_EQ(ValueOf(Seq(Mdd::OPTIONS)[3]), "two\nlines (x");
  EXPECT_EQ(ValueOf(Seq(Mdd::OPTIONS)[4]), "bar");
}

// Each row: one statement inside a driver (line 2) and the messages it gives.
struct MsgRow {
  const char* body;
  V expected;
};

TEST_F(MddReaderTest, MessagesOfRejectedStatements) {
  const std::string u = " Usage : \"DEP = (<cname> = <cvalue>\" ";
  const MsgRow rows[] = {
      {"BEGIN DRIVER again\n", {"E2: Using BEGIN DRIVER again... line ignored"}},
      {"BEGIN BLOCK DEP = (a = 1)\nEND BLOCK\n",
       {"E2: while parsing BLOCK. Correct format is \"BEGIN BLOCK, DEP = (condition)\""}},
      {"BEGIN BLOCK, DEPX\nEND BLOCK\n", {"E2: DEP condition is not specified." + u}},
      {"BEGIN BLOCK, DEP = ( = 1)\nEND BLOCK\n",
       {"E2: Condition name for DEP is not specified." + u}},
      {"BEGIN BLOCK, DEP = (a)\nEND BLOCK\n",
       {"E2: Condition value for DEP is not specified." + u}},
      {"BEGIN BLOCK, DEP = (a=1)\nBEGIN BLOCK, DEP = (b=1)\nEND BLOCK\n",
       {"E3: Using BEGIN BLOCK again... line ignored"}},
      {"BEGIN BLOCK, DEP = (a=1)\nEND BLOCK x\n",
       {"E3: Any thing after keyword END BLOCK on the same line is ignored"}},
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
      {"OPTION DRC = a; trailing\n", {"E2: Line not empty after the ; delimiter"}},
      {"PARAM = x;\n", {"E2: Empty PARAMETER declaration"}},
      {"PARAM name = ;\n", {"E2: Empty PARAMETER value declaration"}},
      {"PARAM name = e, VALUES = (=1, b=, c=3);\n",
       {"E2: Nameless VALUES pair", "E2: Value not specified for VALUES pair"}},
      {"PARAM name = e, DEP = (=1, b=, c=3);\n",
       {"E2: Condition name for \"dep\" keyword is not specified. Usge : \"dep = (<cname1> = "
        "<cval1>, <cname1> = <cval1>, ..., <cnamen> = <cvaln>)\"",
        "E2: Condition value for \"dep\" keyword is not specified. Usge : \"dep = (<cname> = "
        "<cval>, <cname1> = <cval1>, ..., <cnamen> = <cvaln>)\""}},
      {"BEGIN INTERFACE i\nPROPERTY = x;\nEND INTERFACE\n",
       {"E3: PROPERTY name keyword is not specified"}},
      {"BEGIN INTERFACE i\nPROPERTY header = ;\nEND INTERFACE\n",
       {"E3: PROPERTY value is not specified"}},
      {"FUNCTION = x;\n",
       {"E2: Blank FUNCTION definition.Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\""}},
      {"FUNCTION N = x, VALUE = y;\n",
       {"E2: NAME  keyword is not specified. Correct syntaxa is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\""}},
      {"FUNCTION NAME = , VALUE = y;\n", {"E2: FUNCTION name is not specified"}},
      {"FUNCTION NAME = x;\n",
       {"E2: Incomplete FUNCTION definition. Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\""}},
      {"FUNCTION NAME = x, V = y;\n",
       {"E2: VALUE  keyword is not specified. Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\""}},
      {"FUNCTION NAME = x, VALUE = ;\n", {"E2: FUNCTION value is not specified"}},
      {"FUNCTION NAME = x, VALUE = y;\n",
       {"E2: FUNCTION keyword specified outside INTERFACE block"}},
      // Lines the format ignores without a word.
      {"END\nEND FOO\nBEGIN FOO\nPROPERTY orphan = 1;\n", {}},
  };
  for (const MsgRow& row : rows) {
    SCOPED_TRACE(row.body);
    msgs.Clear();
    Mdd fresh;
    path = dir.Write("t.mdd", std::string("BEGIN DRIVER d\n") + row.body + "END DRIVER\n");
    int rc = ParseMdd::Parse(path, &fresh);
    EXPECT_EQ(Msgs(), row.expected);
    int errors = 0;
    for (const std::string& m : row.expected) errors += m[0] == 'E';
    EXPECT_EQ(rc, errors);
    EXPECT_EQ(fresh.GetErrorCode(), errors);
  }
}

TEST_F(MddReaderTest, VersionOptionOutsideDriver) {
  const MsgRow rows[] = {
      {"OPTION psf_version = 2.1;\n", {}},
      {"OPTION PSF_VERSION = \"2.1.0\";\n", {}},
      {"OPTION psf_version = 2.2.0;\n",
       {"E1: Only PSF version 2.1.0 supported. Assuming psf version 2.1.0..."}},
      {"OPTION = 2.1;\n", {"E1: PSF_VERSION is not specified"}},
      {"OPTION DRC = x;\n",
       {"E1: Cannot use any other OPTION other than psf_version outside BEGIN DRIVER-END DRIVER "
        "block...ignored"}},
  };
  for (const MsgRow& row : rows) {
    SCOPED_TRACE(row.body);
    msgs.Clear();
    Mdd fresh;
    path = dir.Write("t.mdd", std::string(row.body) + "BEGIN DRIVER d\nEND DRIVER\n");
    EXPECT_EQ(ParseMdd::Parse(path, &fresh), static_cast<int>(row.expected.size()));
    EXPECT_EQ(Msgs(), row.expected);
    EXPECT_TRUE(fresh.GetPropSeqRef(Mdd::OPTIONS).empty());
  }
}

TEST_F(MddReaderTest, KeywordsArePrefixesIgnoringCase) {
  EXPECT_EQ(Read("BEGIN DRIVERS x\nparameter name = p;\nOptionS DRC = 1;\nEND DRIVER\n"), 0);
  EXPECT_EQ(mdd.GetName(), "s");
  EXPECT_EQ(tavtest::Names(Seq(Mdd::PARAMETERS)), V{"p"});
  // "OPTIONS" loses only six characters and leaves an unknown option name.
  EXPECT_EQ(tavtest::Names(Seq(Mdd::OPTIONS)), V{"S DRC"});
  EXPECT_EQ(msgs.Count(MsgSeverity::kWarning), 1u);
}

TEST_F(MddReaderTest, WithoutBeginDriverTheNameComesFromTheFile) {
  EXPECT_EQ(Read("PARAM name = p;\n"), 1);
  EXPECT_EQ(mdd.GetName(), "uart_v2_1_0");
  EXPECT_EQ(Msgs(), V{"E1: No BEGIN DRIVER found in the MDD file. "});
  EXPECT_EQ(tavtest::Names(Seq(Mdd::PARAMETERS)), V{"p"});
}

TEST_F(MddReaderTest, CommentRunsBeforeQuotes) {
  EXPECT_EQ(ReadInDriver("PARAM name = p, DESC = \"uses # inside\", TYPE = int;  # trailing\n"), 0);
  EXPECT_EQ(tavtest::CompNames(P("p")), V{"DESC"});
  EXPECT_EQ(P("p")->GetPsfCompValueStr("DESC"), "uses");
  ASSERT_NE(ValueAs<MdtBase::StrVal>(P("p")), nullptr);
}

TEST_F(MddReaderTest, TextAfterSemicolonIsReportedButTaken) {
  EXPECT_EQ(ReadInDriver("PARAM name = p; junk\n"), 1);
  EXPECT_EQ(Msgs(), V{"E2: Line not empty after the ; delimiter"});
  EXPECT_NE(P("p"), nullptr);
}

TEST_F(MddReaderTest, ArrayInitialisersAndSize) {
  int rc = ReadInDriver(
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
  auto* a = dynamic_cast<Array*>(Seq(Mdd::ARRAYS)[0]);
  EXPECT_EQ(tavtest::Names(a->GetPropSeqRef(Array::PROPERTIES)), (V{"default", "size"}));
  EXPECT_EQ(ValueOf(a), "(1, 2, 3)");
  MdtBase::Property* size = a->GetPropertyByName(Array::PROPERTIES, "size");
  ASSERT_NE(ValueAs<MdtBase::IntVal>(size), nullptr);
  EXPECT_EQ(ValueAs<MdtBase::IntVal>(size)->GetInt(), 2);
  auto* init =
      ValueAs<MdtBase::ListBaseNodePtrVal>(a->GetPropertyByName(Array::PROPERTIES, "default"));
  ASSERT_NE(init, nullptr);
  ASSERT_EQ(init->GetList().size(), 3u);
  EXPECT_EQ(ValueOf(a->GetPropSeqRef(Array::PROPERTIES)[0]), init->GetValueStr());
  EXPECT_EQ(tavtest::CompNames(a->GetPropSeqRef(Array::PROPERTIES)[0]), V{"desc"});
  EXPECT_EQ(tavtest::CompNames(a), (V{"desc", "desc"}));

  auto* g = dynamic_cast<Array*>(Seq(Mdd::ARRAYS)[1]);
  EXPECT_EQ(ValueOf(g), "((1,2)(3,4))");
  EXPECT_EQ(tavtest::Names(g->GetPropSeqRef(Array::PROPERTIES)),
            (V{"size", "default", "size_max"}));
  auto* groups =
      ValueAs<MdtBase::ListBaseNodePtrVal>(g->GetPropertyByName(Array::PROPERTIES, "default"));
  ASSERT_EQ(groups->GetList().size(), 2u);
  auto* second = dynamic_cast<MdtBase::ListStrVal*>(groups->GetList()[1]);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetList(), (std::vector<String>{"3", "4"}));
  // size_max is a property of its own and leaves the size alone.
  EXPECT_EQ(ValueOf(g->GetPropertyByName(Array::PROPERTIES, "size")), "1");
}

TEST_F(MddReaderTest, DefaultInsideInterfaceSetsItsValue) {
  EXPECT_EQ(ReadInDriver("BEGIN INTERFACE i\nPROPERTY default = (a, b);\nEND INTERFACE\n"
                         "PROPERTY default = (c);\n"),
            0);
  EXPECT_EQ(ValueOf(Seq(Mdd::INTERFACES)[0]), "(a, b)");
}

TEST_F(MddReaderTest, FatalExits) {
  // A bare BEGIN stops at once with 1; the error after it is never seen.
  EXPECT_EQ(Read("BEGIN DRIVER d\nPARAM = x;\nBEGIN\nPARAM = y;\nEND DRIVER\n"), 1);
  EXPECT_EQ(Msgs(), (V{"E2: Empty PARAMETER declaration",
                       "E3: BEGIN should be followed by DRIVER, BLOCK, INTERFACE or ARRAY"}));
  EXPECT_EQ(mdd.GetErrorCode(), 0);

  msgs.Clear();
  Mdd second;
  path = dir.Write("s.mdd", "BEGIN DRIVER d\nPARAM name = p;\nFOO = 1;\nPARAM = y;\nEND DRIVER\n");
  EXPECT_EQ(ParseMdd::Parse(path, &second), 1);
  EXPECT_EQ(Msgs(), V{"E3: Syntax error. Either an invalid Keyword is used in the MDD file or a "
                      "PARAM/OPTION description is extended over multiple lines. Multiple lines "
                      "descriptions not supported in MDDs for PSF version 2.1.0."});
  ASSERT_EQ(second.GetPropSeqRef(Mdd::PARAMETERS).size(), 1u);
  EXPECT_EQ(second.GetPropSeqRef(Mdd::PARAMETERS)[0]->GetOwner(), nullptr);  // owners not assigned
  EXPECT_EQ(second.GetErrorCode(), 0);

  msgs.Clear();
  Mdd third;
  path = dir.Write("t.mdd", "BEGIN DRIVER d\nPARAM name = p;\n");
  EXPECT_EQ(ParseMdd::Parse(path, &third), 1);
  EXPECT_EQ(Msgs(), V{"E2: No END DRIVER found in the MDD file. "});
  EXPECT_EQ(third.GetPropSeqRef(Mdd::PARAMETERS)[0]->GetOwner(), nullptr);
}

TEST_F(MddReaderTest, SectionsOpenAtAFatalExitAreFreed) {
  // Run under LeakSanitizer: the block, interface and array never reached END.
  EXPECT_EQ(Read("BEGIN DRIVER d\nBEGIN BLOCK, DEP = (a = 1)\nPARAM name = p;\n"
                 "BEGIN INTERFACE i\nBEGIN ARRAY a\nPARAM name = q;\nBOGUS\n"),
            1);
  EXPECT_TRUE(Seq(Mdd::BLOCKS).empty());
}

TEST_F(MddReaderTest, SectionsLeftOpenAreReportedAsWarnings) {
  EXPECT_EQ(Read("BEGIN DRIVER d\nBEGIN BLOCK, DEP = (a = 1)\nBEGIN INTERFACE i\nBEGIN ARRAY a\n"
                 "END DRIVER\n"),
            0);
  EXPECT_EQ(Msgs(), (V{"W5: No END BLOCK found in the MDD file. The BLOCK is ignored",
                       "W5: No END INTERFACE found in the MDD file. The INTERFACE is ignored",
                       "W5: No END ARRAY found in the MDD file. The ARRAY is ignored"}));
}

// A rejected BLOCK header used to leave the previous block current, so its END
// BLOCK added that block to the Mdd a second time (freed twice later).
TEST_F(MddReaderTest, RejectedBlockHeaderDoesNotReAddThePreviousBlock) {
  EXPECT_EQ(
      ReadInDriver("BEGIN BLOCK, DEP = (a = 1)\nEND BLOCK\n"
                   "BEGIN BLOCK\nPARAM name = inside;\nBEGIN ARRAY arr\nEND ARRAY\nEND BLOCK\n"),
      1);
  ASSERT_EQ(Seq(Mdd::BLOCKS).size(), 1u);
  auto* first = dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[0]);
  EXPECT_TRUE(first->GetPropSeqRef(Block::PARAMETERS).empty());
  EXPECT_EQ(tavtest::Names(Seq(Mdd::PARAMETERS)), V{"inside"});
  EXPECT_EQ(tavtest::Names(Seq(Mdd::ARRAYS)), V{"arr"});
}

// The same for a nameless INTERFACE or ARRAY after a complete one.
TEST_F(MddReaderTest, NamelessSectionDoesNotReAddThePreviousOne) {
  EXPECT_EQ(ReadInDriver("BEGIN INTERFACE i\nEND INTERFACE\nBEGIN INTERFACE\nPROPERTY p = 1;\n"
                         "END INTERFACE\nBEGIN ARRAY a\nEND ARRAY\nBEGIN ARRAY\nPARAM name = c;\n"
                         "END ARRAY\n"),
            2);
  EXPECT_EQ(tavtest::Names(Seq(Mdd::INTERFACES)), V{"i"});
  EXPECT_EQ(tavtest::Names(Seq(Mdd::ARRAYS)), V{"a"});
  EXPECT_EQ(tavtest::Names(Seq(Mdd::PARAMETERS)), V{"c"});
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
  EXPECT_EQ(tavtest::CompNames(P("r")), V{"RANGE"});
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
  EXPECT_EQ(ReadInDriver(values + init), 0);
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
  EXPECT_EQ(ReadInDriver("PARAM = x;\n"), 1);
  EXPECT_EQ(BaseParser::S().filename, outerFile);
  EXPECT_EQ(BaseParser::S().lineno, 1);
  EXPECT_EQ(BaseParser::S().numerr, 1);
  ASSERT_TRUE(BaseParser::ReadLine(line));
  EXPECT_EQ(line, "y");
}

}  // namespace

namespace {

TEST_F(MddReaderTest, SectionsAreFlagsNotAStack) {
  EXPECT_EQ(ReadInDriver("BEGIN BLOCK, DEP = (a = 1)\nBEGIN ARRAY late\nEND BLOCK\nEND ARRAY\n"
                         "BEGIN ARRAY early\nBEGIN BLOCK, DEP = (b = 2)\nEND ARRAY\nEND BLOCK\n"),
            0);
  EXPECT_EQ(tavtest::Names(Seq(Mdd::ARRAYS)), V{"late"});
  ASSERT_EQ(Seq(Mdd::BLOCKS).size(), 2u);
  EXPECT_TRUE(dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[0])->GetPropSeqRef(Block::ARRAYS).empty());
  EXPECT_EQ(tavtest::Names(dynamic_cast<Block*>(Seq(Mdd::BLOCKS)[1])->GetPropSeqRef(Block::ARRAYS)),
            V{"early"});
}

// Lines stitched from keywords and punctuation; the reader must neither crash
// nor leak on any of them (run under the sanitizers).
TEST_F(MddReaderTest, SurvivesScrambledStatements) {
  const char* pieces[] = {
      "BEGIN ", "END ",      "DRIVER ",   "BLOCK", ", DEP", "INTERFACE ", "ARRAY ",  "OPTION ",
      "PARAM ", "PROPERTY ", "FUNCTION ", "name",  "value", "default",    "size",    "desc",
      "=",      ",",         ";",         "(",     ")",     "\"",         "#",       " ",
      "x",      "RANGE",     "VALUES",    "DEP",   "TYPE",  "int",        "DEFAULT", "PERMIT"};
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int file = 0; file < 20; ++file) {
    std::string text;
    for (int line = 0; line < 200; ++line) {
      text += (next() % 3 == 0) ? "PARAM " : (next() % 2 ? "PROPERTY " : "BEGIN ");
      for (unsigned n = 1 + next() % 12; n > 0; --n) text += pieces[next() % std::size(pieces)];
      text += "\n";
    }
    Mdd scrambled;
    msgs.Clear();
    EXPECT_NE(ParseMdd::Parse(dir.Write("s.mdd", "BEGIN DRIVER d\n" + text), &scrambled), -1);
  }
}

}  // namespace

#include <string>
#include <vector>

#include "Array.h"
#include "Category.h"
#include "Interface.h"
#include "Mld.h"
#include "MldUtil.h"
#include "Option.h"
#include "Param.h"
#include "ParseMld.h"
#include "test_mdd_support.h"

using namespace TavSoftware;
using tavtest::ReaderMsgs;
using tavtest::ValueAs;
using tavtest::ValueOf;
using V = std::vector<std::string>;

namespace {

class MldReaderTest : public tavtest::ScratchTest {
 protected:
  int Read(const std::string& content) {
    path = dir.Write("tavfs_v2_1_0.mld", content);
    return ParseMld::Parse(path, &mld);
  }
  int ReadInLibrary(const std::string& body) {
    return Read("BEGIN LIBRARY l\n" + body + "END LIBRARY\n");
  }
  V Msgs() const { return ReaderMsgs(msgs); }
  PropSeq& Seq(int nt) { return mld.GetPropSeqRef(nt); }
  const Option* Opt(const char* name) {
    return dynamic_cast<const Option*>(mld.GetPropertyByName(Mld::OPTIONS, name));
  }

  Mld mld;
  std::string path;
};

TEST_F(MldReaderTest, StatementsLandWhereTheyBelong) {
  int rc = Read(
      "OPTION psf_version = 2.1;\n"
      "BEGIN OS MyKernel\n"
      "  OPTION os_state = active;\n"
      "  PARAM name = top, DEFAULT = 3, TYPE = int;\n"
      "  BEGIN CATEGORY Whatever\n"
      "    PARAM name = stdin, TYPE = peripheral_instance;\n"
      "    PARAM name = baud;\n"
      "    OPTION DESC = \"in cat\";\n"
      "    PROPERTY note = hello;\n"
      "    BEGIN INTERFACE Io\n"
      "      PROPERTY header = io.h;\n"
      "      FUNCTION NAME = put, VALUE = putc;\n"
      "    END INTERFACE\n"
      "    BEGIN ARRAY Handlers\n"
      "      PARAM name = h;\n"
      "    END ARRAY\n"
      "  END CATEGORY\n"
      "  BEGIN ARRAY top_arr\n"
      "  END ARRAY\n"
      "END OS\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(), V{});
  EXPECT_EQ(mld.GetName(), "mykernel");
  EXPECT_EQ(mld.GetErrorCode(), 0);
  EXPECT_EQ(tavtest::Names(Seq(Mld::OPTIONS)), (V{"OS_STATE", "MLD_TYPE"}));
  EXPECT_EQ(ValueOf(Opt("OS_STATE")), "ACTIVE");
  EXPECT_EQ(ValueOf(Opt("MLD_TYPE")), "OS");
  EXPECT_EQ(Opt("MLD_TYPE")->GetLineNum(), 20);
  EXPECT_EQ(tavtest::Names(Seq(Mld::PARAMETERS)), V{"top"});

  ASSERT_EQ(Seq(Mld::CATEGORIES).size(), 1u);
  auto* cat = dynamic_cast<Category*>(Seq(Mld::CATEGORIES)[0]);
  ASSERT_NE(cat, nullptr);
  EXPECT_EQ(cat->GetName(), "stdin");  // from its first parameter
  EXPECT_EQ(cat->GetLineNum(), 5);
  EXPECT_EQ(cat->GetOwner(), &mld);
  EXPECT_EQ(tavtest::Names(cat->GetPropSeqRef(Category::PARAMETERS)), (V{"stdin", "baud"}));
  EXPECT_EQ(tavtest::Names(cat->GetPropSeqRef(Category::OPTIONS)), V{"DESC"});
  EXPECT_EQ(ValueOf(cat->GetPropSeqRef(Category::OPTIONS)[0]), "in cat");
  EXPECT_EQ(tavtest::Names(cat->GetPropSeqRef(Category::PROPERTIES)), V{"note"});
  EXPECT_EQ(tavtest::CompNames(cat), V{"desc"});
  EXPECT_EQ(cat->GetPsfCompValueStr("desc"), "hello");
  EXPECT_EQ(tavtest::Names(cat->GetPropSeqRef(Category::ARRAYS)), V{"handlers"});
  EXPECT_EQ(cat->GetPropSeqRef(Category::PARAMETERS)[1]->GetOwner(), cat);

  // An interface inside a category still belongs to the Mld; its property is
  // the interface's, not the category's.
  EXPECT_EQ(tavtest::Names(Seq(Mld::INTERFACES)), V{"io"});
  auto* io = dynamic_cast<Interface*>(Seq(Mld::INTERFACES)[0]);
  EXPECT_EQ(tavtest::Names(io->GetPropSeqRef(Interface::PROPERTIES)), V{"header"});
  EXPECT_EQ(tavtest::Names(io->GetPropSeqRef(Interface::FUNCTIONS)), V{"put"});
  EXPECT_EQ(tavtest::Names(Seq(Mld::ARRAYS)), V{"top_arr"});
}

TEST_F(MldReaderTest, TypeFollowsTheEndLine) {
  EXPECT_EQ(Read("BEGIN LIBRARY mylib\nEND OS\n"), 0);
  EXPECT_EQ(ValueOf(Opt("MLD_TYPE")), "OS");
  EXPECT_EQ(mld.GetName(), "mylib");
}

TEST_F(MldReaderTest, OptionValues) {
  int rc = ReadInLibrary(
      "OPTION BSP = x y;\n"
      "OPTION BSPX = x;\n"
      "OPTION requires_os = (a b);\n"
      "OPTION APP_LINKER_FLAGS = -lm;\n"
      "OPTION DESC = \"keep\\n\";\n"
      "OPTION LIBRARY_STATE = deprecated;\n");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(Msgs(), V{"W3: Unrecognized Option name. List of possible Option names are : "
                      "APP_COMPILER_FLAGS, APP_LINKER_FLAGS, BSP, COPYFILES, COMPILE_BSP, DRC, "
                      "DESC, DEPENDS, LIBRARY_STATE, OS_STATE, REQUIRES_INTERFACE, REQUIRES_OS, "
                      "SUPPORTED_PERIPHERALS.\n"});
  EXPECT_NE(ValueAs<MdtBase::StrVal>(Opt("BSP")), nullptr);
  EXPECT_EQ(ValueOf(Opt("BSP")), "x y");
  EXPECT_NE(ValueAs<MdtBase::StrVal>(Opt("BSPX")), nullptr);
  ASSERT_NE(ValueAs<MdtBase::ListStrVal>(Opt("REQUIRES_OS")), nullptr);
  EXPECT_EQ(ValueAs<MdtBase::ListStrVal>(Opt("REQUIRES_OS"))->GetList(),
            (std::vector<String>{"a", "b"}));
  EXPECT_EQ(ValueOf(Opt("DESC")), "keep\\n");  // escapes stay as written
  EXPECT_EQ(ValueOf(Opt("LIBRARY_STATE")), "DEPRECATED");
}

struct MsgRow {
  const char* body;
  V expected;
};

TEST_F(MldReaderTest, MessagesOfRejectedStatements) {
  const MsgRow rows[] = {
      {"BEGIN LIBRARY again\n", {"E2: Using BEGIN LIBRARY again... line ignored"}},
      {"BEGIN OS again\n", {"E2: Using BEGIN OS again... line ignored"}},
      {"END LIBRARY\nEND LIBRARY\nBEGIN OS\n",
       {"E3: Cannot use END LIBRARY without using BEGIN LIBRARY",
        "E4: BEGIN OS should be followed by os name "}},
      {"END OS\nEND OS\nBEGIN LIBRARY\n",
       {"E3: Cannot use END OS without using BEGIN OS",
        "E4: BEGIN LIBRARY should be followed by library name "}},
      {"BEGIN CATEGORY a\nBEGIN CATEGORY b\nEND CATEGORY z\n",
       {"E3: Using BEGIN CATEGORY again... line ignored",
        "E4: Any thing after keyword END CATEGORY on the same line is ignored"}},
      {"END CATEGORY\n", {"E2: Cannot use END CATEGORY without using BEGIN CATEGORY"}},
      {"PARAM name = e, VALUES = (=1, b=);\n",
       {"E2: Nameless Enum name-value pair. Usage : \"enum = (\"name1\"=value1, ...)\"",
        "E2: Value not specified for Enum name-value pair. Usage : \"enum = (\"name1\"=value1, "
        "...)\""}},
      {"BEGIN CATEGORY c\nPROPERTY = x;\nEND CATEGORY\n",
       {"E3: PROPERTY name is not specified. Usage : \"PROPERTY <name> = <value>\""}},
      {"BEGIN INTERFACE i\nFUNCTION NAMX = a, VALUE = b;\nEND INTERFACE\n",
       {"E3: NAME  keyword is not specified. Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\""}},
      {"OPTION OS_STATE = gone;\n", {"E2: Unknown OS_STATE value GONE"}},
      {"BEGIN FOO\nEND FOO\nPROPERTY dropped = 1;\n", {}},
  };
  for (const MsgRow& row : rows) {
    SCOPED_TRACE(row.body);
    msgs.Clear();
    Mld fresh;
    path = dir.Write("t.mld", std::string("BEGIN LIBRARY l\n") + row.body + "END LIBRARY\n");
    int rc = ParseMld::Parse(path, &fresh);
    EXPECT_EQ(Msgs(), row.expected);
    EXPECT_EQ(rc, static_cast<int>(row.expected.size()));
  }
}

TEST_F(MldReaderTest, OptionOutsideTheLibrary) {
  EXPECT_EQ(Read("OPTION DRC = x;\nBEGIN LIBRARY l\nEND LIBRARY\n"), 1);
  EXPECT_EQ(Msgs(), V{"E1: Cannot use any other OPTION other than psf_version outside BEGIN "
                      "LIBRARY/OS - END LIBRARY/OS category...ignored"});
  EXPECT_EQ(tavtest::Names(Seq(Mld::OPTIONS)), V{"MLD_TYPE"});
}

TEST_F(MldReaderTest, SecondBeginKeepsTheFirstName) {
  EXPECT_EQ(Read("BEGIN OS a\nBEGIN LIBRARY b\nEND LIBRARY\n"), 1);
  EXPECT_EQ(Msgs(), V{"E2: Using BEGIN LIBRARY again... line ignored"});
  EXPECT_EQ(mld.GetName(), "a");
}

TEST_F(MldReaderTest, OsIsAPrefix) {
  EXPECT_EQ(Read("begin osx Kern\nend os\n"), 0);
  EXPECT_EQ(mld.GetName(), "x");
}

TEST_F(MldReaderTest, FatalExits) {
  EXPECT_EQ(Read("BEGIN LIBRARY l\nPARAM name = p;\n"), 1);
  EXPECT_EQ(Msgs(), V{"E2: No END LIBRARY/OS found in the MLD file. "});
  EXPECT_EQ(Opt("MLD_TYPE"), nullptr);
  EXPECT_EQ(Seq(Mld::PARAMETERS)[0]->GetOwner(), nullptr);

  msgs.Clear();
  Mld second;
  path = dir.Write("b.mld", "BEGIN LIBRARY l\nBEGIN CATEGORY c\nBEGIN\nEND LIBRARY\n");
  EXPECT_EQ(ParseMld::Parse(path, &second), 1);
  EXPECT_EQ(Msgs(), V{"E3: BEGIN should be followed by LIBRARY, OS, CATEGORY, INTERFACE or ARRAY"});

  msgs.Clear();
  Mld third;
  path = dir.Write("c.mld", "BEGIN LIBRARY l\nPARAM = x;\nLIBRARY x\nEND LIBRARY\n");
  EXPECT_EQ(ParseMld::Parse(path, &third), 2);
  EXPECT_EQ(Msgs(), (V{"E2: Empty PARAMETER declaration",
                       "E3: Syntax error. Either an invalid Keyword is used in the MLD file or a "
                       "PARAM/OPTION description is extended over multiple lines. Multiple lines "
                       "descriptions not supported in MLDs for PSF version 2.1.0."}));
  EXPECT_EQ(third.GetErrorCode(), 0);
}

TEST_F(MldReaderTest, BadFiles) {
  EXPECT_EQ(ParseMld::Parse(dir / "none.mld", &mld), 2);
  EXPECT_EQ(msgs.Count(MsgSeverity::kError), 1u);
  EXPECT_EQ(ParseMld::Parse(dir.Write("x.mld", ""), nullptr), -1);
  msgs.Clear();
  EXPECT_EQ(Read("\r\n# only a comment\r\n"), 1);
  EXPECT_EQ(Msgs(), V{"E2: No BEGIN LIBRARY or BEGIN OS found in the MLD file. "});
  msgs.Clear();
  Mld other;
  std::string body =
      std::string("BEGIN LIBRARY l\r\nPARAM name = a") + '\0' + "b, DESC = \"\xc3(\r\nEND LIBRARY";
  EXPECT_EQ(ParseMld::Parse(dir.Write("n.mld", body), &other), 0);
  ASSERT_EQ(other.GetPropSeqRef(Mld::PARAMETERS).size(), 1u);
  EXPECT_EQ(other.GetPropSeqRef(Mld::PARAMETERS)[0]->GetPsfCompValueStr("DESC"), "\xc3(");
}

TEST_F(MldReaderTest, SectionsLeftOpenAreFreedAndReported) {
  EXPECT_EQ(Read("BEGIN LIBRARY l\nBEGIN CATEGORY c\nPARAM name = p;\nBEGIN INTERFACE i\n"
                 "BEGIN ARRAY a\nEND LIBRARY\n"),
            0);
  EXPECT_EQ(Msgs(), (V{"W6: No END CATEGORY found in the MLD file. The CATEGORY is ignored",
                       "W6: No END INTERFACE found in the MLD file. The INTERFACE is ignored",
                       "W6: No END ARRAY found in the MLD file. The ARRAY is ignored"}));
  EXPECT_TRUE(Seq(Mld::CATEGORIES).empty());
}

TEST_F(MldReaderTest, UtilWrappers) {
  path = dir.Write("u.mld", "BEGIN LIBRARY l\nEND LIBRARY\n");
  int status = -5;
  std::unique_ptr<Mld> read(MldUtil::Parse(path, status));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read->GetName(), "l");
  EXPECT_EQ(MldUtil::Parse(path, &mld), 0);
  EXPECT_EQ(MldUtil::Parse(path, static_cast<Mld*>(nullptr)), -1);
}

}  // namespace

namespace {

TEST_F(MldReaderTest, ArrayInsideCategoryTakesItsOwnParameters) {
  EXPECT_EQ(ReadInLibrary("BEGIN CATEGORY c\nBEGIN ARRAY a\nPARAM name = col;\nPROPERTY size = 2;\n"
                          "END ARRAY\nPARAM name = own;\nEND CATEGORY\n"),
            0);
  auto* cat = dynamic_cast<Category*>(Seq(Mld::CATEGORIES)[0]);
  EXPECT_EQ(cat->GetName(), "own");
  EXPECT_TRUE(cat->GetPropSeqRef(Category::PROPERTIES).empty());
  EXPECT_TRUE(tavtest::CompNames(cat).empty());
  auto* arr = dynamic_cast<Array*>(cat->GetPropSeqRef(Category::ARRAYS)[0]);
  EXPECT_EQ(tavtest::Names(arr->GetPropSeqRef(Array::PARAMETERS)), V{"col"});
  EXPECT_EQ(tavtest::Names(arr->GetPropSeqRef(Array::PROPERTIES)), V{"size"});
}

TEST_F(MldReaderTest, SurvivesScrambledStatements) {
  const char* pieces[] = {"BEGIN ", "END ",    "LIBRARY ", "OS ",       "CATEGORY ", "INTERFACE ",
                          "ARRAY ", "OPTION ", "PARAM ",   "PROPERTY ", "FUNCTION ", "name",
                          "value",  "default", "size",     "=",         ",",         ";",
                          "(",      ")",       "\"",       "#",         " ",         "x",
                          "VALUES", "DEP"};
  unsigned seed = 777;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int file = 0; file < 20; ++file) {
    std::string text;
    for (int line = 0; line < 200; ++line) {
      text += (next() % 3 == 0) ? "PARAM " : (next() % 2 ? "PROPERTY " : "BEGIN ");
      for (unsigned n = 1 + next() % 12; n > 0; --n) text += pieces[next() % std::size(pieces)];
      text += "\n";
    }
    Mld scrambled;
    msgs.Clear();
    EXPECT_NE(ParseMld::Parse(dir.Write("s.mld", "BEGIN OS o\n" + text), &scrambled), -1);
  }
}

}  // namespace

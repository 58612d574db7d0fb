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
using tavtest::CompNames;
using tavtest::MsgRow;
using tavtest::Names;
using tavtest::V;
using tavtest::ValueOf;

namespace {

class MldReaderTest : public tavtest::DefReaderTest<Mld, &ParseMld::Parse> {
 protected:
  MldReaderTest() : DefReaderTest("tavfs_v2_1_0.mld", "BEGIN LIBRARY l\n", "END LIBRARY\n") {}
  Mld& mld = doc;
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
  EXPECT_EQ(Names(Seq(Mld::OPTIONS)), (V{"OS_STATE", "MLD_TYPE"}));
  EXPECT_EQ(ValueOf(Seq(Mld::OPTIONS)[0]), "ACTIVE");
  EXPECT_EQ(Seq(Mld::OPTIONS)[1]->GetLineNum(), 20);
  EXPECT_EQ(Names(Seq(Mld::PARAMETERS)), V{"top"});

  ASSERT_EQ(Seq(Mld::CATEGORIES).size(), 1u);
  auto* cat = dynamic_cast<Category*>(Seq(Mld::CATEGORIES)[0]);
  ASSERT_NE(cat, nullptr);
  EXPECT_EQ(cat->GetName(), "stdin");  // from its first parameter
  EXPECT_EQ(cat->GetLineNum(), 5);
  EXPECT_EQ(cat->GetOwner(), &mld);
  EXPECT_EQ(Names(cat->GetPropSeqRef(Category::PARAMETERS)), (V{"stdin", "baud"}));
  EXPECT_EQ(tavtest::Describe(cat->GetPropSeqRef(Category::OPTIONS).at(0)), "str:in cat {}");
  EXPECT_EQ(Names(cat->GetPropSeqRef(Category::PROPERTIES)), V{"note"});
  EXPECT_EQ(tavtest::Describe(cat), "none {desc=str:hello}");
  EXPECT_EQ(Names(cat->GetPropSeqRef(Category::ARRAYS)), V{"handlers"});
  EXPECT_EQ(cat->GetPropSeqRef(Category::PARAMETERS)[1]->GetOwner(), cat);

  // An interface inside a category still belongs to the Mld; its property is
  // the interface's, not the category's.
  EXPECT_EQ(Names(Seq(Mld::INTERFACES)), V{"io"});
  auto* io = dynamic_cast<Interface*>(Seq(Mld::INTERFACES)[0]);
  EXPECT_EQ(Names(io->GetPropSeqRef(Interface::PROPERTIES)), V{"header"});
  EXPECT_EQ(Names(io->GetPropSeqRef(Interface::FUNCTIONS)), V{"put"});
  EXPECT_EQ(Names(Seq(Mld::ARRAYS)), V{"top_arr"});
}

// Thousands of entries of every kind, interleaved: owners are set and the
// tree dies clean however its entries are visited.
TEST_F(MldReaderTest, BigFilesGetEveryOwner) {
  std::string text;
  for (int i = 0; i < 600; ++i) {
    const std::string n = std::to_string(i);
    text += "PARAM name = p" + n + ", DEFAULT = " + n + ", TYPE = int;\n"
            "BEGIN CATEGORY c" + n + "\nPARAM name = c" + n + ";\nEND CATEGORY\n"
            "BEGIN INTERFACE i" + n + "\nFUNCTION NAME = f, VALUE = v;\nEND INTERFACE\n"
            "BEGIN ARRAY a" + n + "\nPROPERTY default = (1, 2);\nEND ARRAY\n";
  }
  ASSERT_EQ(ReadIn(text), 0);
  for (int kind : {Mld::PARAMETERS, Mld::CATEGORIES, Mld::INTERFACES, Mld::ARRAYS}) {
    ASSERT_EQ(Seq(kind).size(), 600u) << kind;
    for (MdtBase::Property* p : Seq(kind)) ASSERT_EQ(p->GetOwner(), &mld) << p->GetName();
  }
  for (MdtBase::Property* p : Seq(Mld::CATEGORIES))
    for (MdtBase::Property* c : static_cast<Category*>(p)->GetPropSeqRef(Category::PARAMETERS))
      ASSERT_EQ(c->GetOwner(), p);
  for (MdtBase::Property* p : Seq(Mld::INTERFACES))
    for (MdtBase::Property* f : static_cast<Interface*>(p)->GetPropSeqRef(Interface::FUNCTIONS))
      ASSERT_EQ(f->GetOwner(), p);
  EXPECT_EQ(Seq(Mld::PARAMETERS)[599]->GetValueStr(), "599");
}

// The LIBRARY/OS section: its name, the type written at its END, and the
// exits that leave no type behind (and record no error code).
TEST_F(MldReaderTest, LibraryOrOsSection) {
  const std::string syntax =
      "E3: Syntax error. Either an invalid Keyword is used in the MLD file or a PARAM/OPTION "
      "description is extended over multiple lines. Multiple lines descriptions not supported in "
      "MLDs for PSF version 2.1.0.";
  const struct {
    const char* text;
    int rc, code;  // the result, and the error code recorded in the Mld
    const char* name;
    const char* type;
    V expected;
  } rows[] = {
      {"BEGIN LIBRARY mylib\nEND OS\n", 0, 0, "mylib", "OS", {}},
      {"begin osx Kern\nend os\n", 0, 0, "x", "OS", {}},  // OS is a prefix
      {"BEGIN OS a\nBEGIN LIBRARY b\nEND LIBRARY\n",
       1,
       1,
       "a",
       "LIBRARY",
       {"E2: Using BEGIN LIBRARY again... line ignored"}},
      {"OPTION DRC = x;\nBEGIN LIBRARY l\nEND LIBRARY\n",
       1,
       1,
       "l",
       "LIBRARY",
       {"E1: Cannot use any other OPTION other than psf_version outside BEGIN LIBRARY/OS - END "
        "LIBRARY/OS category...ignored"}},
      {"BEGIN LIBRARY l\nPARAM name = p;\n",
       1,
       0,
       "l",
       "",
       {"E2: No END LIBRARY/OS found in the MLD file. "}},
      {"\r\n# only a comment\r\n",
       1,
       1,
       "tavfs_v2_1_0",
       "",
       {"E2: No BEGIN LIBRARY or BEGIN OS found in the MLD file. "}},
      {"BEGIN LIBRARY l\nBEGIN CATEGORY c\nBEGIN\nEND LIBRARY\n",
       1,
       0,
       "l",
       "",
       {"E3: BEGIN should be followed by LIBRARY, OS, CATEGORY, INTERFACE or ARRAY"}},
      {"BEGIN LIBRARY l\nPARAM = x;\nLIBRARY x\nEND LIBRARY\n",
       2,
       0,
       "l",
       "",
       {"E2: Empty PARAMETER declaration", syntax}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    msgs.Clear();
    Mld fresh;
    EXPECT_EQ(ParseMld::Parse(dir.Write("tavfs_v2_1_0.mld", row.text), &fresh), row.rc);
    EXPECT_EQ(Msgs(), row.expected);
    EXPECT_EQ(fresh.GetName(), row.name);
    // Nothing but the type is stored in the options here.
    V options;
    if (*row.type) options.push_back("MLD_TYPE");
    EXPECT_EQ(Names(fresh.GetPropSeqRef(Mld::OPTIONS)), options);
    for (const auto* o : fresh.GetPropSeqRef(Mld::OPTIONS)) EXPECT_EQ(ValueOf(o), row.type);
    EXPECT_EQ(fresh.GetErrorCode(), row.code);
    for (const auto* p : fresh.GetPropSeqRef(Mld::PARAMETERS))  // owners only on a normal exit
      EXPECT_EQ(p->GetOwner() == nullptr, row.rc != row.code);
  }
}

TEST_F(MldReaderTest, OptionValues) {
  int rc = ReadIn(
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
  V got;
  for (const auto* o : Seq(Mld::OPTIONS)) got.push_back(o->GetName() + " " + tavtest::Typed(o));
  // Escapes in DESC stay as written.
  EXPECT_EQ(got, (V{"BSP str:x y", "BSPX str:x", "REQUIRES_OS list:a|b", "APP_LINKER_FLAGS str:-lm",
                    "DESC str:keep\\n", "LIBRARY_STATE str:DEPRECATED", "MLD_TYPE str:LIBRARY"}));
}

TEST_F(MldReaderTest, MessagesOfRejectedStatements) {
  const MsgRow rows[] = {
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
  CheckRows(rows);
}

TEST_F(MldReaderTest, SectionsLeftOpenAreFreedAndReported) {
  EXPECT_EQ(ReadIn("BEGIN CATEGORY c\nPARAM name = p;\nBEGIN INTERFACE i\nBEGIN ARRAY a\n"), 0);
  EXPECT_EQ(Msgs(), (V{"W6: No END CATEGORY found in the MLD file. The CATEGORY is ignored",
                       "W6: No END INTERFACE found in the MLD file. The INTERFACE is ignored",
                       "W6: No END ARRAY found in the MLD file. The ARRAY is ignored"}));
  EXPECT_TRUE(Seq(Mld::CATEGORIES).empty());
}

TEST_F(MldReaderTest, ArrayInsideCategoryTakesItsOwnParameters) {
  EXPECT_EQ(ReadIn("BEGIN CATEGORY c\nBEGIN ARRAY a\nPARAM name = col;\nPROPERTY size = 2;\n"
                   "END ARRAY\nPARAM name = own;\nEND CATEGORY\n"),
            0);
  auto* cat = dynamic_cast<Category*>(Seq(Mld::CATEGORIES)[0]);
  EXPECT_EQ(cat->GetName(), "own");
  EXPECT_TRUE(cat->GetPropSeqRef(Category::PROPERTIES).empty());
  EXPECT_TRUE(CompNames(cat).empty());
  auto* arr = dynamic_cast<Array*>(cat->GetPropSeqRef(Category::ARRAYS)[0]);
  EXPECT_EQ(Names(arr->GetPropSeqRef(Array::PARAMETERS)), V{"col"});
  EXPECT_EQ(Names(arr->GetPropSeqRef(Array::PROPERTIES)), V{"size"});
}

TEST_F(MldReaderTest, BadFilesAndWrappers) {
  EXPECT_EQ(ParseMld::Parse(dir / "none.mld", &mld), 2);
  EXPECT_EQ(msgs.Count(MsgSeverity::kError), 1u);
  EXPECT_EQ(ParseMld::Parse(dir.Write("x.mld", ""), nullptr), -1);
  std::string body =
      std::string("BEGIN LIBRARY l\r\nPARAM name = a") + '\0' + "b, DESC = \"\xc3(\r\nEND LIBRARY";
  EXPECT_EQ(Read(body), 0);
  ASSERT_EQ(Seq(Mld::PARAMETERS).size(), 1u);
  EXPECT_EQ(Seq(Mld::PARAMETERS)[0]->GetName(), std::string("a\0b", 3));
  EXPECT_EQ(Seq(Mld::PARAMETERS)[0]->GetPsfCompValueStr("DESC"), "\xc3(");

  int status = -5;
  std::unique_ptr<Mld> read(MldUtil::Parse(path, status));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read->GetName(), "l");
  Mld other;
  EXPECT_EQ(MldUtil::Parse(path, &other), 0);
  EXPECT_EQ(MldUtil::Parse(path, static_cast<Mld*>(nullptr)), -1);
}

TEST_F(MldReaderTest, SurvivesScrambledStatements) {
  const char* const pieces[] = {
      "BEGIN ",  "END ",   "LIBRARY ",  "OS ",       "CATEGORY ", "INTERFACE ", "ARRAY ",
      "OPTION ", "PARAM ", "PROPERTY ", "FUNCTION ", "name",      "value",      "default",
      "size",    "=",      ",",         ";",         "(",         ")",          "\"",
      "#",       " ",      "x",         "VALUES",    "DEP"};
  SurvivesScrambled(pieces, 777);
}

}  // namespace

// The MSS reader: where each statement goes, the messages with their lines,
// comment keeping, and hostile input.
#include <chrono>
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "DrvInst.h"
#include "Interface.h"
#include "LibInst.h"
#include "Mss.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "ProcInst.h"
#include "test_mdd_support.h"

namespace TavSoftware {
namespace {

using tavtest::ArrayRows;

class MssReaderTest : public tavtest::ScratchTest {
 protected:
  // Writes `text` as sys.mss and reads it into `mss`.
  int Read(const std::string& text, Mss& mss) {
    path = dir.Write("sys.mss", text);
    return ParseMss::Parse(path, &mss);
  }
  // The error texts as the reader words them ("<file> line <n> - <text>").
  std::string Err(int line, const std::string& text) const {
    return path + " line " + std::to_string(line) + " - " + text;
  }
  std::vector<std::string> Errors() const { return msgs.Texts(MsgSeverity::kError); }

  std::string path;
};

const DrvInst* Driver(const Mss& mss, size_t i) {
  return dynamic_cast<const DrvInst*>(mss.GetPsfCompSeqRef(Mss::DRIVERS).at(i));
}

TEST_F(MssReaderTest, PlacesEveryStatementKind) {
  Mss mss;
  ASSERT_EQ(0, Read("PARAMETER VERSION = 2.2.0\n"
                    "PARAMETER HW_SPEC_FILE = sys.hws, extra\n"
                    "PARAMETER OTHER = 5\n"
                    "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER dirs = (a, b)\n"
                    " INTERFACE os_if\nEND\n"
                    "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER x = (1, 2)\nEND\n"
                    "BEGIN DRIVER\n PARAMETER DRIVER_NAME = tavuart\n PARAMETER HW_INSTANCE = u0\n"
                    " PARAMETER tbl = ((1,2),(3,4))\n INTERFACE Serial_If trailing words\nEND\n"
                    "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fatfs\n INTERFACE lib_if\nEND\n",
                    mss));
  EXPECT_TRUE(msgs.Messages().empty());
  EXPECT_EQ("sys", mss.GetName());
  EXPECT_EQ(path, mss.GetFileNameStr());

  const auto& globals = mss.GetPsfCompSeqRef(Mss::PARAMETERS);
  ASSERT_EQ(3u, globals.size());
  EXPECT_EQ("2.2.0", globals[0]->GetValueStr());
  EXPECT_EQ("sys.hws", globals[1]->GetValueStr());   // cut at the comma
  EXPECT_EQ(nullptr, globals[2]->GetMdtValuePtr());  // other globals carry no value
  EXPECT_EQ(3, globals[2]->GetLineNum());
  EXPECT_EQ(path, globals[2]->GetFileNameStr());

  ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::OSES).size());
  auto* os = dynamic_cast<const OsInst*>(mss.GetPsfCompSeqRef(Mss::OSES)[0]);
  ASSERT_NE(nullptr, os);
  EXPECT_EQ("standalone", os->GetName());
  EXPECT_EQ(4, os->GetLineNum());
  auto* dirs = dynamic_cast<const ArrayInst*>(os->GetPropSeqRef(LibInst::ARRAYS).at(0));
  ASSERT_NE(nullptr, dirs);
  EXPECT_EQ("(a)(b)", ArrayRows(*dirs));
  EXPECT_EQ(1u, os->GetPropSeqRef(LibInst::INTERFACES).size());

  ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::PROCESSORS).size());
  auto* proc = dynamic_cast<const ProcInst*>(mss.GetPsfCompSeqRef(Mss::PROCESSORS)[0]);
  ASSERT_NE(nullptr, proc);
  EXPECT_EQ("cpu", proc->GetName());
  EXPECT_TRUE(proc->GetPropSeqRef(ProcInst::ARRAYS).empty());  // dropped silently

  ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::DRIVERS).size());
  const DrvInst* drv = Driver(mss, 0);
  EXPECT_EQ("tavuart", drv->GetName());
  EXPECT_EQ("u0", drv->GetPropertyValueStr(DrvInst::PARAMETERS, "hw_instance"));
  auto* tbl = dynamic_cast<const ArrayInst*>(drv->GetPropSeqRef(DrvInst::ARRAYS).at(0));
  ASSERT_NE(nullptr, tbl);
  EXPECT_EQ("((1,2),(3,4))", tbl->GetValueStr());
  EXPECT_EQ("(1,2)(3,4)", ArrayRows(*tbl));
  ASSERT_EQ(1u, drv->GetPropSeqRef(DrvInst::INTERFACES).size());
  EXPECT_EQ("Serial_If", drv->GetPropSeqRef(DrvInst::INTERFACES)[0]->GetName());
  EXPECT_EQ(std::string("TavSoftware_Interface"),
            MdtBase::BaseNode::GetBaseNode(drv->GetPropSeqRef(DrvInst::INTERFACES)[0]));

  ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::LIBRARIES).size());
  EXPECT_EQ("fatfs", mss.GetPsfCompSeqRef(Mss::LIBRARIES)[0]->GetName());
}

// One row per rejected or doubtful statement: the text, and the errors with
// their line numbers. The statement is always dropped and reading goes on.
TEST_F(MssReaderTest, ReportsEachFaultAtItsLine) {
  struct Case {
    const char* text;
    std::vector<std::pair<int, std::string>> errors;
  };
  const std::string obsoleteTop =
      "Top level PARAMETER int_handler has been obsoleted in VEK. It is recommended that you "
      "register interrupt handlers via your application code rather than via the MSS. Please "
      "refer to Tavnote 24988 for more information.\n";
  const std::string obsolete =
      "PARAMETER int_handler has been obsoleted in VEK. It is recommended that you register "
      "interrupt handlers via your application code rather than via the MSS. Please refer to "
      "Tavnote 24988 for more information.\n";
  const Case cases[] = {
      {"FOO bar\n", {{1, "Syntax error. Expecting PARAMETER"}}},
      {"\nPARAMETER = 1\n", {{2, "Parameter name is not specified"}}},
      {"PARAMETER X\n", {{1, "Parameter value is not specified"}}},
      {"PARAMETER int_handler = h\n", {{1, obsoleteTop}}},
      {"PARAMETER VERSION = 2.1.0\n",
       {{1, "Only version 2.2.0 supported. Assuming version 2.2.0 ..."}}},
      {"END\n", {{1, "Using END without BEGINNING a component. Line ignored"}}},
      {"BEGIN DRIVER\nEND now\n", {{2, "Any thing after keyword END on the same line is ignored"}}},
      {"BEGIN DRIVER\nBEGIN LIBRARY\nEND\n",
       {{2,
         "Using BEGIN when previous component has not END. Use END for the previous instance. "
         "Assuming you want to start a new instance"}}},
      {"BEGIN DRIVER\n OPTION A = B\nEND\n", {{2, "Syntax error. Use PARAMETER or INTERFACE"}}},
      {"BEGIN DRIVER\n PARAMETER = 1\nEND\n", {{2, "PARAMETER name is not specified"}}},
      {"BEGIN DRIVER\n PARAMETER A =   \nEND\n", {{2, "PARAMETER value is not specified"}}},
      {"BEGIN DRIVER\n PARAMETER INT_HANDLER = h, int_port = p\nEND\n", {{2, obsolete}}},
      {"BEGIN DRIVER\n INTERFACE\nEND\n", {{2, "INTERFACE name is not specified"}}},
      {"BEGIN PROCESSOR\n INTERFACE i\nEND\n",
       {{2, "INTERFACE specified outside BEGIN DRIVER/LIBRARY block. Ignoring..."}}},
      {"BEGIN DRIVER\n INTERFACE i\n INTERFACE I\nEND\n",
       {{3, "INTERFACE is already added to driver instance"}}},
      {"BEGIN LIBRARY\n INTERFACE i\n INTERFACE i\nEND\n",
       {{3, "INTERFACE is already added to library instance"}}},
      {"BEGIN OS\n INTERFACE i\n INTERFACE i\nEND\n",
       {{3, "INTERFACE is already added to os instance"}}},
      {"BEGIN DRIVER\n PARAMETER a = 1\n PARAMETER A = 2\nEND\n",
       {{3, "PARAMETER is already added to driver instance."}}},
      {"BEGIN PROCESSOR\n PARAMETER a = 1\n PARAMETER A = 2\nEND\n",
       {{3, "PARAMETER is already added to driver instance."}}},
      {"BEGIN OS\n PARAMETER a = 1\n PARAMETER A = 2\nEND\n",
       {{3, "PARAMETER is already added to OS instance."}}},
      {"BEGIN LIBRARY\n PARAMETER a = 1\n PARAMETER A = 2\nEND\n",
       {{3, "PARAMETER is already added to library instance."}}},
      {"BEGIN OS\n PARAMETER t = (1)\n PARAMETER T = (2)\nEND\n",
       {{3, "PARAMETER is already added to os instance."}}},
      {"BEGIN PROCESSOR\n PARAMETER x = (1, 2)\n PARAMETER int_handler = h\nEND\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    msgs.Clear();
    Mss mss;
    int rc = Read(c.text, mss);
    std::vector<std::string> expected;
    for (const auto& [line, text] : c.errors) expected.push_back(Err(line, text));
    // The instance's own refusal of a duplicate ("... - Property a already
    // added to ...") comes first; DuplicateNamingParameterStillRenames checks it.
    std::vector<std::string> parseErrors;
    for (const auto& m : msgs.Messages())
      if (m.severity == MsgSeverity::kError && m.text.find(" - Property ") == std::string::npos)
        parseErrors.push_back(m.file + m.text);
    for (std::string& e : expected) e = path + e;
    EXPECT_EQ(expected, parseErrors);
    EXPECT_EQ(static_cast<int>(c.errors.size()), rc);
  }
}

TEST_F(MssReaderTest, DuplicateNamingParameterStillRenames) {
  Mss mss;
  EXPECT_EQ(
      1, Read("BEGIN DRIVER\n PARAMETER DRIVER_NAME = a\n PARAMETER driver_name = b\nEND\n", mss));
  const DrvInst* drv = Driver(mss, 0);
  EXPECT_EQ("b", drv->GetName());
  EXPECT_EQ(1u, drv->GetPropSeqRef(DrvInst::PARAMETERS).size());
  EXPECT_EQ("b", drv->GetPropertyValueStr(DrvInst::PARAMETERS, "DRIVER_NAME"));
  // The instance's own refusal comes first, at the same line.
  EXPECT_EQ((std::vector<std::string>{Err(3,
                                          "Property driver_name already added to driver "
                                          "instance a\n"),
                                      Err(3, "PARAMETER is already added to driver instance.")}),
            Errors());
}

// A BEGIN without END still adds the component; a missing END at the end of
// the file leaves the last one out.
TEST_F(MssReaderTest, UnclosedComponents) {
  Mss mss;
  EXPECT_EQ(2, Read("BEGIN DRIVER\n PARAMETER DRIVER_NAME = a\nBEGIN LIBRARY\n"
                    " PARAMETER LIBRARY_NAME = l\nEND\nBEGIN DRIVER\n"
                    " PARAMETER DRIVER_NAME = b\n# trailing\n",
                    mss));
  ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::DRIVERS).size());
  EXPECT_EQ("a", Driver(mss, 0)->GetName());
  EXPECT_EQ(1u, mss.GetPsfCompSeqRef(Mss::LIBRARIES).size());
  EXPECT_EQ(2u, Errors().size());
  EXPECT_EQ(Err(8, "No END see in MSS file. "), Errors().at(1));
  EXPECT_EQ(std::vector<String>{"trailing"}, mss.GetEndMdtComment().GetLines());
}

TEST_F(MssReaderTest, UnknownComponentTypeTurnsItsLinesGlobal) {
  Mss mss;
  EXPECT_EQ(2, Read("BEGIN driver\nEND\nBEGIN DRIVER uart\n PARAMETER DRIVER_NAME = u\n"
                    "END\nBEGIN Os\nEND\n",
                    mss));
  EXPECT_EQ(1u, mss.GetPsfCompSeqRef(Mss::DRIVERS).size());  // "driver": case ignored
  EXPECT_EQ(1u, mss.GetPsfCompSeqRef(Mss::OSES).size());
  const auto& globals = mss.GetPsfCompSeqRef(Mss::PARAMETERS);
  ASSERT_EQ(1u, globals.size());
  EXPECT_EQ("DRIVER_NAME", globals[0]->GetName());
  EXPECT_EQ(nullptr, globals[0]->GetMdtValuePtr());
  EXPECT_EQ(
      (std::vector<std::string>{Err(3, "Unknown Component Type "),
                                Err(5, "Using END without BEGINNING a component. Line ignored")}),
      Errors());
  EXPECT_EQ(std::vector<std::string>{dir / "sys.mss" + " line 3 - DRIVER uart \n"},
            msgs.Texts(MsgSeverity::kStatus));
}

TEST_F(MssReaderTest, InterruptHandlerArrayWarnsAndNamesItsComponent) {
  Mss mss;
  EXPECT_EQ(0, Read("BEGIN DRIVER\n PARAMETER DRIVER_NAME = intc\n"
                    " PARAMETER interrupt_handler = ((isr, Irq))\nEND\n"
                    "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = rtos\n"
                    " PARAMETER interrupt_handler = ((tick, Timer))\nEND\n"
                    "BEGIN DRIVER\n PARAMETER Interrupt_Handler = ((a, b))\nEND\n"
                    "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n"
                    " PARAMETER interrupt_handler = ((c, d))\nEND\n",
                    mss));
  const std::string tail =
      " - ARRAY interrupt_handler has been deprecated in VEK and will be removed in future "
      "versions of the tool. It is recommended that you register interrupt handlers via your "
      "application code rather than via the MSS. Please refer to Tavnote 24988 for more "
      "information.\n";
  // Only the exact lower-case name warns; outside a driver the warning names
  // the component being read.
  EXPECT_EQ((std::vector<std::string>{"intc - " + path + " line 3" + tail,
                                      "rtos - " + path + " line 7" + tail,
                                      "cpu - " + path + " line 14" + tail}),
            msgs.Texts(MsgSeverity::kWarning));
  auto* ih = dynamic_cast<const ArrayInst*>(Driver(mss, 0)->GetPropSeqRef(DrvInst::ARRAYS).at(0));
  ASSERT_NE(nullptr, ih);
  EXPECT_EQ("(isr,Irq)", ArrayRows(*ih));
  auto* lib = dynamic_cast<const LibInst*>(mss.GetPsfCompSeqRef(Mss::LIBRARIES).at(0));
  EXPECT_EQ(1u, lib->GetPropSeqRef(LibInst::ARRAYS).size());
  auto* proc = dynamic_cast<const ProcInst*>(mss.GetPsfCompSeqRef(Mss::PROCESSORS).at(0));
  EXPECT_TRUE(proc->GetPropSeqRef(ProcInst::ARRAYS).empty());
}

TEST_F(MssReaderTest, KeepsCommentsWhereTheyBelong) {
  Mss mss;
  ASSERT_EQ(0, Read("# global one\n#global two\n\n"
                    "# before version\nPARAMETER VERSION = 2.2.0 # on version\n"
                    "# before driver \"quoted\"\nBEGIN DRIVER # on begin\n"
                    " PARAMETER DRIVER_NAME = d # on name\n"
                    " PARAMETER t = (1,2) # on array\n"
                    " INTERFACE i # on interface\n"
                    "END # on end\n"
                    "#\n# last\n",
                    mss));
  EXPECT_EQ((std::vector<String>{"global one", "global two"}), mss.GetComment().GetLines());
  const auto* version = mss.GetPsfCompSeqRef(Mss::PARAMETERS).at(0);
  EXPECT_EQ((std::vector<String>{"before version", "on version"}),
            version->GetComment().GetLines());
  const DrvInst* drv = Driver(mss, 0);
  // Quotes are blanks everywhere, comments included.
  EXPECT_EQ((std::vector<String>{"before driver  quoted ", "on begin"}),
            drv->GetComment().GetLines());
  for (int nt : {DrvInst::PARAMETERS, DrvInst::ARRAYS, DrvInst::INTERFACES})
    EXPECT_EQ(1u, drv->GetPropSeqRef(nt).at(0)->GetComment().GetLines().size());
  EXPECT_EQ("on name", drv->GetPropSeqRef(DrvInst::PARAMETERS).at(0)->GetComment().GetLines()[0]);
  EXPECT_EQ("on array", drv->GetPropSeqRef(DrvInst::ARRAYS).at(0)->GetComment().GetLines()[0]);
  EXPECT_EQ("on interface",
            drv->GetPropSeqRef(DrvInst::INTERFACES).at(0)->GetComment().GetLines()[0]);
  // A lone "#" adds nothing; what follows the last statement is the end comment.
  EXPECT_EQ((std::vector<String>{"on end", "last"}), mss.GetEndMdtComment().GetLines());
}

TEST_F(MssReaderTest, RefusesMissingFileAndNullMss) {
  Mss mss;
  EXPECT_EQ(-1, ParseMss::Parse(dir / "x.mss", nullptr));
  EXPECT_TRUE(msgs.Messages().empty());
  const std::string missing = dir / "missing.mss";
  EXPECT_EQ(2, ParseMss::Parse(missing, &mss));
  EXPECT_EQ(std::vector<std::string>{"Cannot open file \"" + missing + "\" for reading\n"},
            Errors());
  msgs.Clear();
  EXPECT_EQ(2, ParseMss::Parse(dir.Path(), &mss));  // a directory is not readable as a file
  EXPECT_EQ(1u, msgs.Count(MsgSeverity::kError));
}

// Input no writer of ours produces: the reader must stay linear, keep going,
// and never read past what it was given.
TEST_F(MssReaderTest, SurvivesHostileInput) {
  {
    Mss mss;
    EXPECT_EQ(0, Read("", mss));
    EXPECT_TRUE(msgs.Messages().empty());
    EXPECT_TRUE(mss.GetPsfCompSeqRef(Mss::PARAMETERS).empty());
  }
  {
    // NUL bytes and bytes that are not UTF-8 are ordinary characters.
    Mss mss;
    std::string text = "BEGIN DRIVER\n PARAMETER DRIVER_NAME = a";
    text += '\0';
    text += "b\xff\xfe\n PARAMETER v = \xc3(\n";
    text.push_back('\0');
    text += "\nEND\n";
    EXPECT_EQ(1, Read(text, mss));
    ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::DRIVERS).size());
    EXPECT_EQ(std::string("a\0b\xff\xfe", 5), Driver(mss, 0)->GetName());
    EXPECT_EQ((std::vector<std::string>{Err(4, "Syntax error. Use PARAMETER or INTERFACE")}),
              Errors());
  }
  {
    // CR LF line ends, unbalanced quotes and parentheses, no newline at the end.
    Mss mss;
    msgs.Clear();
    EXPECT_EQ(0,
              Read("PARAMETER VERSION = 2.2.0\r\nBEGIN DRIVER\r\n PARAMETER DRIVER_NAME = \"d\r\n"
                   " PARAMETER t = ((1,2\r\n PARAMETER u = (\r\n PARAMETER w = a)b)\r\n"
                   " INTERFACE \"x\r\nEND",
                   mss));
    EXPECT_EQ("2.2.0", mss.GetPsfCompSeqRef(Mss::PARAMETERS).at(0)->GetValueStr());
    ASSERT_EQ(1u, mss.GetPsfCompSeqRef(Mss::DRIVERS).size());
    const DrvInst* drv = Driver(mss, 0);
    EXPECT_EQ("d", drv->GetName());
    EXPECT_EQ(2u, drv->GetPropSeqRef(DrvInst::ARRAYS).size());
    EXPECT_EQ("a)b)", drv->GetPropertyValueStr(DrvInst::PARAMETERS, "w"));
    EXPECT_EQ("x", drv->GetPropSeqRef(DrvInst::INTERFACES).at(0)->GetName());
  }
  {
    // Lines of several megabytes: a value, a comment and an array.
    Mss mss;
    msgs.Clear();
    const std::string big(4 << 20, 'v');
    std::string list = "(";
    for (int i = 0; i < 200000; ++i) list += "1,";
    list += "2)";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, Read("BEGIN DRIVER\n PARAMETER big = " + big + "\n# " + big +
                          "\n PARAMETER list = " + list + "\nEND\n",
                      mss));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(20));
    const DrvInst* drv = Driver(mss, 0);
    EXPECT_EQ(big.size(), drv->GetPropertyValueStr(DrvInst::PARAMETERS, "big").size());
    EXPECT_EQ(big.size(),
              drv->GetPropSeqRef(DrvInst::ARRAYS).at(0)->GetComment().GetLines().at(0).size());
    auto* arr = dynamic_cast<const ArrayInst*>(drv->GetPropSeqRef(DrvInst::ARRAYS).at(0));
    EXPECT_EQ(200001u, arr->GetPropSeqRef(ArrayInst::ELEMENTS).size());
  }
}

}  // namespace
}  // namespace TavSoftware

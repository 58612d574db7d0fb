// The hardware description file: lookups, kept number text, and every way a
// file can be unusable.
#include "HwDbFile.h"
#include "TestSupport.h"

namespace {

using TavHwDb::HwDbFile;

class HwDbFileTest : public tavtest::ScratchTest {};

TEST_F(HwDbFileTest, AnswersLookupsIgnoringCase) {
  int errors = -1;
  auto db = HwDbFile::FromText(R"({ "format": 1, "instances": [
      { "name": "uart_0", "type": "tavuart", "version": "1.00.a", "class": "PERIPHERAL",
        "parameters": { "C_BAUDRATE": 115200, "C_RATIO": 1.50, "C_TEXT": "x" } },
      { "name": "cpu_1", "type": "tavcpu", "version": "2.00.b", "class": "processor",
        "addressable": ["UART_0", "", "cpu_0"] },
      { "name": "cpu_0", "type": "tavcpu", "version": "1.00.a", "class": "PROCESSOR" } ] })",
                               "hw.json", errors);
  ASSERT_TRUE(db);
  EXPECT_EQ(0, errors);
  EXPECT_EQ((std::vector<std::string>{"cpu_1", "cpu_0"}), db->GetProcessorInstNames());
  EXPECT_EQ((std::vector<std::string>{"uart_0", "cpu_1", "cpu_0"}), db->GetAllInstNames());
  EXPECT_EQ((std::vector<std::string>{"UART_0", "", "cpu_0"}), db->GetAddressableInstNames("CPU_1"));
  EXPECT_EQ("2.00.b", db->GetProcessorIpVersion("cpu_1"));
  EXPECT_EQ("tavuart", db->GetIpType("Uart_0"));
  EXPECT_EQ("", db->GetIpType("nothing"));
  EXPECT_TRUE(db->IsInstPresent("UART_0"));
  EXPECT_EQ("115200", db->GetInstParamValue("uart_0", "c_baudrate"));
  EXPECT_EQ("1.50", db->GetInstParamValue("uart_0", "C_RATIO"));  // as written
  EXPECT_EQ("", db->GetInstParamValue("uart_0", "C_NONE"));
  EXPECT_TRUE(msgs.Messages().empty());
}

TEST_F(HwDbFileTest, EscapesOtherBytesAndEdgeNumbersReadAsPlainText) {
  // Plain text is scanned quickly; each of these takes the full way, and
  // must come out as the plain text does.
  auto read = [](const std::string& name, const std::string& value, const std::string& before) {
    int errors = -1;
    auto db = HwDbFile::FromText(before + R"({ "format": 1, "instances": [ { "name": )" + name +
                                     R"(, "type": "t", "version": "1.00.a", "class": "P",
                                     "parameters": { "V": )" + value + " } } ] }",
                                 "hw.json", errors);
    EXPECT_EQ(0, errors) << name << value;
    return db ? db->GetInstParamValue("uart_0", "V") : "(unread)";
  };
  EXPECT_EQ("x", read(R"("uart_0")", R"("x")", ""));
  EXPECT_EQ("a\"b", read(R"("uart\u005f0")", R"("a\"b")", ""));
  EXPECT_EQ("caf\xc3\xa9", read(R"("uart_0")", "\"caf\xc3\xa9\"", "\xef\xbb\xbf"));
  EXPECT_EQ("0", read(R"("uart_0")", "-0", ""));
  EXPECT_EQ("-12", read(R"("uart_0")", "-12", ""));
  EXPECT_EQ("18446744073709551615", read(R"("uart_0")", "18446744073709551615", ""));
  EXPECT_EQ("2.5E-3", read(R"("uart_0")", "2.5E-3", ""));
}

TEST_F(HwDbFileTest, UnusableFilesAreOneErrorNamingTheFile) {
  const std::string inst = R"({ "name": "u", "type": "t", "version": "1.00.a", "class": "P" })";
  std::string manyParams = R"("P0": 0)";  // more keys than are compared one by one
  for (int i = 1; i < 40; ++i) manyParams += ", \"P" + std::to_string(i) + "\": 0";
  struct Case {
    std::string text, error;
  } cases[] = {
      {"{ \"format\": 1,\n  \"instances\": [ x ] }",
       "hw.json line 2 - column 18: malformed JSON: syntax error while parsing value - invalid "
       "literal; last read: '\"instances\": [ x'\n"},
      {"", "hw.json line 1 - column 1: malformed JSON: syntax error while parsing value - "
           "unexpected end of input; expected '[', '{', or a literal\n"},
      {"[]", "hw.json - (top): expected an object, found an array\n"},
      {R"({ "instances": [] })", "hw.json - format: missing; this reader knows format 1\n"},
      {R"({ "format": 2, "instances": [] })", "hw.json - format: expected 1, the only format there is\n"},
      {R"({ "format": 1 })", "hw.json - instances: missing\n"},
      {R"({ "format": 1, "format": 1, "instances": [] })", "hw.json - (top): key \"format\" given twice\n"},
      {R"({ "format": 1, "instances": {} })", "hw.json - instances: expected an array, found an object\n"},
      {R"({ "format": 1, "instances": [ { "type": "t" } ] })",
       "hw.json - instances[0].name: an instance needs a non-empty name\n"},
      {R"({ "format": 1, "instances": [ )" + inst + R"(, { "name": "U" } ] })",
       "hw.json - instances[1]: instance name \"U\" is already used\n"},
      {R"({ "format": 1, "instances": [ { "name": "u", "version": 1 } ] })",
       "hw.json - instances[0].version: expected a string, found a number\n"},
      {R"({ "format": 1, "instances": [ { "name": "u", "parameters": { "A": true } } ] })",
       "hw.json - instances[0].parameters.A: expected a string or a number, found a boolean\n"},
      {R"({ "format": 1, "instances": [ { "name": "u", "addressable": [ "a", 3 ] } ] })",
       "hw.json - instances[0].addressable[1]: expected a string, found a number\n"},
      {std::string(100, '[') + std::string(100, ']'), "hw.json - nesting deeper than 64 levels\n"},
      {R"({ "format": 1, "instances": [ { "name": "u", "parameters": { "A": 1, "B": 2, "A": 3 } } ] })",
       "hw.json - instances[0].parameters: key \"A\" given twice\n"},
      {R"({ "format": 1, "instances": [ { "name": "u", "parameters": { )" + manyParams + R"(, "P7": 0 } } ] })",
       "hw.json - instances[0].parameters: key \"P7\" given twice\n"},
  };
  for (const auto& c : cases) {
    msgs.Clear();
    int errors = 0;
    EXPECT_FALSE(HwDbFile::FromText(c.text, "hw.json", errors)) << c.text;
    EXPECT_EQ(1, errors);
    EXPECT_EQ(std::vector<std::string>{c.error}, msgs.Texts(MsgSeverity::kError)) << c.text;
  }
  int errors = 0;
  EXPECT_FALSE(HwDbFile::Read(dir / "missing.json", errors));
  EXPECT_FALSE(HwDbFile::Read(dir.Path(), errors));
  EXPECT_EQ("Cannot open hardware description \"" + dir.Path() + "\"\n",
            msgs.Texts(MsgSeverity::kError).back());
}

TEST_F(HwDbFileTest, UnknownKeysAreWarnedAboutAndSkipped) {
  int errors = 0;
  auto db = HwDbFile::FromText(
      R"({ "format": 1, "comment": "x", "instances": [ { "name": "u", "tpye": "t" } ] })",
      dir.Write("hw.json", ""), errors);
  ASSERT_TRUE(db);
  EXPECT_EQ((std::vector<std::string>{dir / "hw.json" + " - (top): unknown key \"comment\" ignored\n",
                                      dir / "hw.json" + " - instances[0]: unknown key \"tpye\" ignored\n"}),
            msgs.Texts(MsgSeverity::kWarning));
  EXPECT_EQ("", db->GetIpType("u"));
}

}  // namespace

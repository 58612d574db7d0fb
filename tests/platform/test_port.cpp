#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "Port.h"
#include "TestSupport.h"

using Port::String;

namespace {

TEST(PortString, CompareWithRangeMatchesPrefixesOnly) {
  struct Row {
    const char* text;
    const char* keyword;
    int type;
    size_t range;
    bool equal;
  } rows[] = {
      {"PARAMETER", "PARAM", Port::kIgnoreCase, 5, true},
      {"param x = 1", "PARAM", Port::kIgnoreCase, 5, true},
      {"PARAM", "PARAM", Port::kExact, 5, true},
      {"param", "PARAM", Port::kExact, 5, false},
      {"PAR", "PARAM", Port::kIgnoreCase, 5, false},  // shorter than the range
      {"", "BEGIN", Port::kIgnoreCase, 5, false},
      {"drivers", "DRIVER", Port::kIgnoreCase, 6, true},
      {"abc", "ABC", Port::kIgnoreCase, String::npos, true},
      {"abcd", "ABC", Port::kIgnoreCase, String::npos, false},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(String(r.text).Compare(r.keyword, r.type, r.range) == 0, r.equal)
        << r.text << " vs " << r.keyword;
  }
}

// Newest-first version lists sort with Compare: a prefix orders before the
// longer string, and the sign follows the first differing byte.
TEST(PortString, CompareOrdersPrefixesFirst) {
  const struct {
    const char* a;
    const char* b;
    int type;
    int sign;
  } rows[] = {
      {"1.00", "1.00.a", Port::kExact, -1},
      {"1.00.a", "1.00", Port::kExact, 1},
      {"1.00.a", "1.00.b", Port::kExact, -1},
      {"2.00.a", "10.00.a", Port::kExact, 1},  // byte-wise, not numeric
      {"1.00.A", "1.00.a", Port::kExact, -1},
      {"1.00.A", "1.00.a", Port::kIgnoreCase, 0},
      {"ABC", "abcd", Port::kIgnoreCase, -1},
      {"", "a", Port::kExact, -1},
  };
  for (const auto& r : rows) {
    const int c = String(r.a).Compare(r.b, r.type);
    EXPECT_EQ((c > 0) - (c < 0), r.sign) << r.a << " vs " << r.b;
  }
}

TEST(PortString, TrimTypesAndEditing) {
  EXPECT_EQ(String("  a b \t").Trim(Port::kTrimLeading), "a b \t");
  EXPECT_EQ(String("  a b \t").Trim(Port::kTrimTrailing), "  a b");
  EXPECT_EQ(String("  a b \t").Trim(Port::kTrimBoth), "a b");
  EXPECT_EQ(String(" \t ").Trim(Port::kTrimBoth), "");
  EXPECT_EQ(String("a\"b\"c").ReplaceChars("\"", ' '), "a b c");
  EXPECT_EQ(String("MiXeD").MakeLower(), "mixed");
  EXPECT_EQ(String("MiXeD").MakeUpper(), "MIXED");
  EXPECT_EQ(String("abcabc").GetIndexOfString("ca"), 2);
  EXPECT_EQ(String("abc").GetIndexOfString("x"), -1);
  EXPECT_EQ(String("abc").Remove(10), "abc");  // out of range is harmless
  EXPECT_EQ(String().doFormat("%s line %i - ", "f.mss", 7), "f.mss line 7 - ");
}

TEST(PortFileName, PartsAndEdits) {
  Port::FileName f("/a/b/uart_v2_1_0.mdd");
  EXPECT_EQ(f.GetBase(), "uart_v2_1_0");
  EXPECT_EQ(f.GetExtension(), ".mdd");
  EXPECT_EQ(f.GetName(), "uart_v2_1_0.mdd");
  EXPECT_EQ(f.GetDir(), "/a/b");
  f.SetBase("gpio_v2_1_0");
  EXPECT_EQ(f.GetFullName(), "/a/b/gpio_v2_1_0.mdd");
  f.SetExtension("mld");
  EXPECT_EQ(f.GetFullName(), "/a/b/gpio_v2_1_0.mld");
  Port::FileName hidden("/x/.profile");
  EXPECT_EQ(hidden.GetExtension(), "");
  Port::FileName n("a/./b/../c/");
  EXPECT_EQ(n.Normalize().GetFullName(), "a/c");
  EXPECT_EQ(Port::FileName("data").PushPathEnd("x.mss").GetFullName(), "data/x.mss");
  EXPECT_EQ(Port::FileName("rel").GetAbsolutePath().GetFullName().front(), '/');
}

class PortStreamTest : public tavtest::ScratchTest {};

std::vector<std::string> ReadAll(const std::string& path) {
  Port::Stream s;
  std::vector<std::string> lines;
  EXPECT_TRUE(s.open(path));
  String line;
  while (!s.geteof()) {
    s.readline(line);
    lines.push_back(line);
  }
  return lines;
}

TEST_F(PortStreamTest, LineEndingsAndLastLine) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ReadAll(dir.Write("a", "x\r\ny\r\n")), (V{"x", "y"}));
  EXPECT_EQ(ReadAll(dir.Write("b", "x\ny")), (V{"x", "y"}));
  EXPECT_EQ(ReadAll(dir.Write("c", "")), V{});
  EXPECT_EQ(ReadAll(dir.Write("d", "\n\n")), (V{"", ""}));
  EXPECT_EQ(ReadAll(dir.Write("e", std::string("a\0b\n", 4))), (V{std::string("a\0b", 3)}));
  // Lines longer than the read buffer, and line ends falling on its edges.
  for (size_t n : {65535u, 65536u, 200000u}) {
    const std::string a(n, 'a'), b(3, 'b');
    EXPECT_EQ(ReadAll(dir.Write("f", a + "\r\n" + b + "\n")), (V{a, b})) << n;
    EXPECT_EQ(ReadAll(dir.Write("g", a + "\n" + b)), (V{a, b})) << n;
  }
}

TEST_F(PortStreamTest, RefusesMissingFilesAndDirectories) {
  Port::Stream s;
  EXPECT_FALSE(s.open(dir / "missing"));
  EXPECT_FALSE(s.open(dir.Path()));
  EXPECT_TRUE(s.geteof());
  String line;
  EXPECT_FALSE(s.readline(line));
}

TEST_F(PortStreamTest, DirectoryListingIsSortedAndMarksDirectories) {
  dir.Write("b/x", "");
  dir.Write("a/x", "");
  dir.Write("c", "");
  Port::UT_DIR d(dir.Path());
  ASSERT_TRUE(d.IsOpen());
  std::vector<std::string> names;
  Port::UT_DIR_ITERATOR it(d);
  while (const Port::DirEntry* e = it.Next()) names.push_back(e->name + (e->isDir ? "/" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"a/", "b/", "c"}));
  EXPECT_FALSE(Port::UT_DIR(dir / "missing").IsOpen());

  // Files looked up below a directory held open, links followed.
  std::filesystem::create_symlink(dir / "a/x", dir / "link");
  std::filesystem::create_directory_symlink(dir / "b", dir / "dlink");
  for (const std::string& root : {dir.Path(), dir / "missing"}) {
    const Port::Dir at(root);
    const bool there = root == dir.Path();
    EXPECT_EQ(at.IsFile("a/x"), there);
    EXPECT_EQ(at.IsFile("link"), there);
    EXPECT_EQ(at.IsFile("dlink/x"), there);
    for (const char* no : {"a", "dlink", "a/none", "c/x", ""}) EXPECT_FALSE(at.IsFile(no)) << no;
  }
}

TEST(PortRegexp, MatchesAndNeverCrashesOnBadPatterns) {
  Port_Regexp re("v[0-9]+_[0-9]+");
  size_t b = 0, e = 0;
  ASSERT_TRUE(re.GetRangeOfMatch("uart_v1_00_a", 0, b, e));
  EXPECT_EQ(b, 5u);
  EXPECT_EQ(e, 10u);
  EXPECT_FALSE(re.GetRangeOfMatch("uart", 0, b, e));
  EXPECT_FALSE(re.GetRangeOfMatch("x", 5, b, e));  // start beyond the text
  Port_Regexp bad("([unclosed");
  EXPECT_FALSE(bad.IsValid());
  EXPECT_FALSE(bad.GetRangeOfMatch("([unclosed", 0, b, e));
  Port_Regexp icase("UART", true);
  EXPECT_TRUE(icase.GetRangeOfMatch("my_uart", 0, b, e));
}

TEST(PortEnv, UnsetVariableIsEmpty) {
  String v = "junk";
  EXPECT_FALSE(Port_Env::GetEnv("TAVSW_SURELY_UNSET_VARIABLE", v));
  EXPECT_TRUE(v.empty());
}

TEST(PortMessages, CaptureKeepsSeverityTextAndCountsErrors) {
  Port_MsgManData::ResetErrorCount();
  auto msg = Port_MsgManData::createObject("VEK", __FILE__, __LINE__, "");
  {
    MsgCapture outer;
    {
      MsgCapture inner;
      msg.issueError("Property %s already added to driver instance %s\n", "A", "uart_0");
      msg.issueWarning("w");
      msg.issueStatus("%s \n", "s");
      msg.issueInternal("i");
      msg.debugStub("never shown");
      ASSERT_EQ(inner.Messages().size(), 4u);
      EXPECT_EQ(inner.Messages()[0].severity, MsgSeverity::kError);
      EXPECT_EQ(inner.Messages()[0].text, "Property A already added to driver instance uart_0\n");
      EXPECT_EQ(inner.Texts(MsgSeverity::kStatus), std::vector<std::string>{"s \n"});
    }
    msg.issueInfo("after inner");
    EXPECT_EQ(outer.Texts(MsgSeverity::kInfo), std::vector<std::string>{"after inner"});
    EXPECT_EQ(outer.Messages().size(), 1u);  // the inner capture kept its own
  }
  EXPECT_EQ(Port_MsgManData::GetErrorCount(), 1);
}

}  // namespace

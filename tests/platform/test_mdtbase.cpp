#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "MdtBase.h"
#include "MdtParse.h"
#include "TestSupport.h"

using namespace MdtBase;
using Port::String;

namespace {

TEST(BaseNodeTags, ChainAndMostDerived) {
  Property p("x");
  EXPECT_STREQ(BaseNode::GetBaseNode(&p), "MdtBas_Property");
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&p, "MdtBas_PsfComp"));
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&p, "MdtBas_NameValue"));
  EXPECT_FALSE(BaseNode::IsBaseNodeType(&p, "mdtbas_property"));  // tags are exact
  EXPECT_FALSE(BaseNode::IsBaseNodeType(nullptr, "MdtBas_Property"));
  EXPECT_STREQ(BaseNode::GetBaseNode(nullptr), "");
}

// Tags match by text wherever it lives; past the depth of the class tree
// the most derived tag replaces the last; threads building nodes agree.
TEST(BaseNodeTags, TextDepthAndThreads) {
  Property p("x");
  char copy[] = "MdtBas_PsfComp";
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&p, copy));
  copy[7] = 'X';
  EXPECT_FALSE(BaseNode::IsBaseNodeType(&p, copy));

  PsfComp deep("d");  // NameValue, PsfComp
  for (const char* t : {"T3", "T4", "T5", "T6", "T7"}) BaseNode::AddBaseNode(&deep, t);
  EXPECT_STREQ(BaseNode::GetBaseNode(&deep), "T7");
  EXPECT_FALSE(BaseNode::IsBaseNodeType(&deep, "T6"));
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&deep, "T5"));
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&deep, "MdtBas_NameValue"));
  EXPECT_FALSE(BaseNode::IsBaseNodeType(&deep, "MdtBas_Property"));

  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&wrong] {
      for (int k = 0; k < 2000; ++k) {
        Property q("q");
        StrVal v("v");
        if (!BaseNode::IsBaseNodeType(&q, "MdtBas_PsfComp") ||
            BaseNode::IsBaseNodeType(&v, "MdtBas_NameValue") ||
            String(BaseNode::GetBaseNode(&q)) != "MdtBas_Property")
          ++wrong;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

// Comment, location and entries are kept apart from the node until set.
TEST(PsfCompTest, CommentLocationAndEntries) {
  PsfComp c("c");
  EXPECT_TRUE(std::as_const(c).GetComment().IsEmpty());
  EXPECT_EQ(c.GetLocInFile(), 0);
  EXPECT_TRUE(c.GetNVSeqRef().empty());
  c.GetComment().AddLine("note");
  c.SetLocInFile(42);
  c.AddNV(new NameValue("Key"));
  std::unique_ptr<PsfComp> copy(c.ClonePsfComp());
  EXPECT_EQ(copy->GetComment().GetLines(), std::vector<String>{"note"});
  EXPECT_EQ(copy->GetLocInFile(), 42);
  EXPECT_TRUE(copy->GetNVSeqRef().empty());
  EXPECT_EQ(c.GetNVByName("KEY"), c.GetNVSeqRef().front());
  c.SetComment(Comment());
  c.SetLocInFile(0);
  EXPECT_TRUE(c.GetComment().IsEmpty());
  EXPECT_EQ(c.GetLocInFile(), 0);
}

TEST(BaseNodeNotify, ObserverSeesEveryNotification) {
  struct Seen {
    int count = 0;
    BaseNode* last = nullptr;
  } seen;
  BaseNode::SetNotifyObserver(
      [](BaseNode* n, void* d) {
        auto* s = static_cast<Seen*>(d);
        ++s->count;
        s->last = n;
      },
      &seen);
  PsfComp c("c");
  EXPECT_FALSE(c.GetNotifyEnabled());
  c.NotifyPropertyChanged();
  BaseNode::SetNotifyObserver(nullptr, nullptr);
  c.NotifyPropertyChanged();
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.last, &c);
  EXPECT_EQ(c.GetNotifyCount(), 2);
}

TEST(Values, ParsingAndValidity) {
  struct IntRow {
    const char* text;
    bool valid;
    long long value;
  } ints[] = {{"0", true, 0},     {"42", true, 42},
              {"-7", true, -7},   {"0x40600000", true, 0x40600000},
              {" 12 ", true, 12}, {"0xFFFFFFFFFFFFFFFF", true, -1},
              {"", false, 0},     {"12abc", false, 0},
              {"abc", false, 0}};
  for (const auto& r : ints) {
    IntVal v(r.text);
    EXPECT_EQ(v.IsValid(), r.valid) << r.text;
    if (r.valid) {
      EXPECT_EQ(v.GetInt(), r.value) << r.text;
    }
    EXPECT_EQ(v.GetValueStr(), r.text);  // written back as given
  }
  EXPECT_TRUE(BoolVal("TRUE").GetBool());
  EXPECT_FALSE(BoolVal("no").GetBool());
  EXPECT_FALSE(BoolVal("maybe").IsValid());

  ListStrVal blanks("a  b\tc", " \t");
  EXPECT_EQ(blanks.GetList(), (std::vector<String>{"a", "b", "c"}));
  ListStrVal commas(" 1 , 2,,3 ", ",");
  EXPECT_EQ(commas.GetList(), (std::vector<String>{"1", "2", "3"}));
  EXPECT_EQ(commas.GetValueStr(), " 1 , 2,,3 ");
}

TEST(Values, OwningListsFreeAndCloneDeeply) {
  auto* list = new ListBaseNodePtrVal(true);
  list->Add(new StrVal("1"));
  list->Add(new ListStrVal("2,3", ","));
  EXPECT_EQ(list->GetValueStr(), "(1,(2,3))");
  std::unique_ptr<MdtValue> copy(list->Clone());
  delete list;  // the copy must not share the entries
  EXPECT_EQ(copy->GetValueStr(), "(1,(2,3))");

  auto* comps = new ListPsfCompVal();
  auto* c = new PsfComp("x");
  c->SetValueStr("1");
  comps->Add(c);
  std::unique_ptr<MdtValue> copy2(comps->Clone());
  delete comps;
  EXPECT_EQ(copy2->GetValueStr(), "(x = 1)");
}

TEST(NameValueTest, ValueOwnershipAndText) {
  NameValue nv("n");
  EXPECT_EQ(nv.GetValueStr(), "");
  EXPECT_EQ(nv.GetMdtValuePtr(), nullptr);
  nv.SetValueStr("v");
  EXPECT_EQ(nv.GetValueStr(), "v");
  nv.SetMdtValuePtr(new IntVal("3"));  // replaces (and frees) the StrVal
  EXPECT_EQ(nv.GetMdtValuePtr()->GetOwner(), &nv);
  EXPECT_EQ(nv.GetValueStr(), "3");
}

TEST(PropertyTest, SubComponentsByNameIgnoringCase) {
  Property p("C_BASE");
  auto* def = new PsfComp("DEFAULT");
  def->SetValueStr("0");
  p.AddPsfComp(def);
  EXPECT_EQ(p.GetPsfCompByName("default"), def);
  EXPECT_EQ(p.GetPsfCompValueStr("Default"), "0");
  EXPECT_EQ(p.GetPsfCompValueStr("type"), "");
  // Owners reach properties nested below sub-components too.
  auto* nested = new Property("RANGE");
  auto* inner = new Property("MIN");
  nested->AddPsfComp(inner);
  p.AddPsfComp(nested);
  NameValue owner("owner");
  PropertyUtil::AssignOwner(&p, &owner);
  EXPECT_EQ(p.GetOwner(), &owner);
  EXPECT_EQ(def->GetOwner(), &p);
  EXPECT_EQ(nested->GetOwner(), &p);
  EXPECT_EQ(inner->GetOwner(), nested);

  Property copy;
  PropertyUtil::CopyPropertyBase(&p, &copy);
  EXPECT_EQ(copy.GetName(), "C_BASE");
  ASSERT_EQ(copy.GetPsfCompSeqRef().size(), 2u);
  EXPECT_NE(copy.GetPsfCompSeqRef()[0], def);
}

// Sub-components given as text are made on the first look, from whichever
// thread, once: with the place the statement had (not a later stamp), the
// owner AssignOwner gave meanwhile, and in order before any added later.
TEST(PropertyTest, SubComponentsGivenAsTextAreMadeOnFirstLook) {
  PropertyLater::ValueMaker asInt = [](const PsfComp&, std::string_view t, std::string_view) {
    return static_cast<MdtValue*>(new IntVal(String(t)));
  };
  Property p("C_X");
  p.SetFileName("a.mdd");
  p.SetLineNum(7);
  PropertyLater::Set(p, {{"DEFAULT", asInt, "0x10", ""}, {"BARE", nullptr, "", ""}});
  PropertyUtil::AssignOwner(&p, nullptr);
  p.SetFileName("written.mdd");
  p.SetLineNum(99);

  std::vector<const PsfComp*> seen(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i)
    threads.emplace_back([&, i] { seen[i] = std::as_const(p).GetPsfCompByName("default"); });
  for (auto& t : threads) t.join();
  for (const PsfComp* c : seen) EXPECT_EQ(c, seen[0]);

  p.AddPsfComp(new PsfComp("LAST"));
  PropertyLater::Set(p, {{"AFTER", nullptr, "", ""}});  // has some: made at once, after them
  const PsfCompSeq& comps = std::as_const(p).GetPsfCompSeqRef();
  ASSERT_EQ(comps.size(), 4u);
  EXPECT_EQ(comps[0], seen[0]);
  EXPECT_EQ(static_cast<const IntVal*>(comps[0]->GetMdtValuePtr())->GetInt(), 16);
  EXPECT_EQ(comps[0]->GetFileNameStr(), "a.mdd");
  EXPECT_EQ(comps[0]->GetLineNum(), 7);
  EXPECT_EQ(comps[0]->GetOwner(), &p);
  EXPECT_EQ(comps[1]->GetMdtValuePtr(), nullptr);
  EXPECT_EQ(comps[2]->GetName(), "LAST");
  EXPECT_EQ(comps[3]->GetName(), "AFTER");

  Property never("C_Y");  // destroyed unseen: nothing is made, nothing leaks
  PropertyLater::Set(never, {{"TYPE", nullptr, "int", ""}});
}

template <int N>
MdtValue* NumberedMaker(const PsfComp&, std::string_view text, std::string_view extra) {
  return new StrVal(std::to_string(N) + ":" + String(text) + String(extra));
}

// More makers than the table of numbers holds are written out in full, and
// long texts keep every byte.
TEST(PropertyTest, SubComponentsAsTextKeepAnyMakerAndLength) {
  std::vector<PropertyLater::ValueMaker> makers;
  // Six batches of fifty: a fold over all 300 at once is deeper than some
  // compilers take.
  auto batch = [&]<int B, int... N>(std::integral_constant<int, B>,
                                     std::integer_sequence<int, N...>) {
    (makers.push_back(&NumberedMaker<B * 50 + N>), ...);
  };
  [&]<int... B>(std::integer_sequence<int, B...>) {
    (batch(std::integral_constant<int, B>(), std::make_integer_sequence<int, 50>()), ...);
  }(std::make_integer_sequence<int, 6>());
  const String longText(300, 'x');
  Property p("MANY");
  std::vector<PropertyLater::LaterPsfComp> comps;
  for (auto* make : makers) comps.push_back({"C", make, longText, "!"});
  PropertyLater::Set(p, comps);
  const PsfCompSeq& made = std::as_const(p).GetPsfCompSeqRef();
  ASSERT_EQ(made.size(), makers.size());
  for (size_t i = 0; i < made.size(); ++i)
    ASSERT_EQ(made[i]->GetValueStr(), std::to_string(i) + ":" + longText + "!");
}

TEST(SequenceUtils, LookupDeleteAndAllowedValues) {
  PropSeq seq{new Property("a"), new Property("B")};
  EXPECT_EQ(PropertyUtil::GetPropertyByName(seq, "b"), seq[1]);
  EXPECT_EQ(PropertyUtil::GetPropertyByName(seq, "a", 1), nullptr);
  Property outsider("o");
  EXPECT_EQ(PropertyUtil::DelPropertyByPtr(seq, &outsider, 1), 1);
  EXPECT_EQ(PropertyUtil::DelPropertyByPtr(seq, seq[0], 1), 0);
  ASSERT_EQ(seq.size(), 1u);
  delete seq[0];

  AllowedValuesMap map;
  PropertyUtil::InitAllowedValuesMap(map, {{"DRIVER_STATE", "ACTIVE:DEPRECATED:OBSOLETE"}});
  EXPECT_TRUE(PropertyUtil::CheckValueMatch(map, "DRIVER_STATE", "deprecated"));
  EXPECT_FALSE(PropertyUtil::CheckValueMatch(map, "driver_state", "RETIRED"));
  EXPECT_TRUE(PropertyUtil::CheckValueMatch(map, "OTHER", "anything"));
}

TEST(BaseUtilsTest, WordSplitting) {
  String text = "  name = C_BASE , DEFAULT = 0";
  EXPECT_EQ(BaseUtils::GetWordTillChar(text, '='), "name");
  EXPECT_EQ(text, "C_BASE , DEFAULT = 0");
  EXPECT_EQ(BaseUtils::GetWordTillChar(text, ','), "C_BASE");
  EXPECT_EQ(BaseUtils::GetWordTillChar(text, ';'), "DEFAULT = 0");
  EXPECT_EQ(text, "");

  String quoted = " \"a, b\" , next = 1";
  EXPECT_EQ(BaseUtils::GetWordSurroundedByChar(quoted, '"', ','), "a, b");
  EXPECT_EQ(quoted, "next = 1");
  String open = "\"never closed, x";
  EXPECT_EQ(BaseUtils::GetWordSurroundedByChar(open, '"', ','), "never closed, x");
  EXPECT_EQ(open, "");
}

TEST(BaseUtilsTest, SeparatesCoreDirectoryNames) {
  struct Row {
    const char* dir;
    bool ok;
    const char* name;
    const char* version;
  } rows[] = {{"tavuart_v1_00_a", true, "tavuart", "1.00.a"},
              {"my_vga_v2_01_b", true, "my_vga", "2.01.b"},
              {"standalone_v2_00_a", true, "standalone", "2.00.a"},
              {"noversion", false, "", ""},
              {"_v1_00_a", false, "", ""},
              {"trailing_v", false, "", ""}};
  for (const auto& r : rows) {
    String name = "x", version = "y";
    EXPECT_EQ(BaseUtils::SeperateDirAndVer(r.dir, name, version), r.ok) << r.dir;
    EXPECT_EQ(name, r.name);
    EXPECT_EQ(version, r.version);
  }
}

TEST(BaseParserEscapes, DecodesKnownEscapesOnly) {
  struct Row {
    std::string in, out;
  } rows[] = {{"a\\nb", "a\nb"},
              {"\\t\\r", "\t\r"},
              {"q\\\"", "q\""},
              {"\\\\n", "\\n"},
              {"\\x", "\\x"},
              {"end\\", "end\\"},
              {std::string("\\\0z", 3), std::string("\\\0z", 3)}};
  for (const auto& r : rows) EXPECT_EQ(BaseParser::HandleEscapedCharacters(r.in), r.out) << r.in;
}

class ParserStateTest : public tavtest::ScratchTest {};

TEST_F(ParserStateTest, ErrorsCarryFileAndLine) {
  BaseParser::ParseScope scope;
  std::string f = dir.Write("x.mdd", "a\n");
  ASSERT_EQ(BaseParser::InitData(f, nullptr), 0);
  BaseParser::S().lineno = 3;
  BaseParser::PARSEERR("bad");
  BaseParser::PARSEWARN("odd");
  ASSERT_EQ(msgs.Messages().size(), 2u);
  EXPECT_EQ(msgs.Messages()[0].text, f + " line 3 - bad");
  EXPECT_EQ(msgs.Messages()[0].line, 3);
  EXPECT_EQ(msgs.Messages()[1].severity, MsgSeverity::kWarning);
  EXPECT_EQ(BaseParser::S().numerr, 1);
}

TEST_F(ParserStateTest, MissingFileIsAClearError) {
  BaseParser::ParseScope scope;
  EXPECT_NE(BaseParser::InitData(dir / "nope.mss", nullptr), 0);
  ASSERT_EQ(msgs.Messages().size(), 1u);
  EXPECT_EQ(msgs.Messages()[0].text,
            "Cannot open file \"" + (dir / "nope.mss") + "\" for reading\n");
}

TEST_F(ParserStateTest, NestedScopeLeavesOuterParseIntact) {
  BaseParser::ParseScope outer;
  std::string a = dir.Write("a.mss", "1\n2\n3\n");
  std::string b = dir.Write("b.mdd", "x\n");
  ASSERT_EQ(BaseParser::InitData(a, nullptr), 0);
  String line;
  BaseParser::ReadLine(line);
  BaseParser::S().lineno = 1;
  BaseParser::AddToComment(" pending");
  {
    BaseParser::ParseScope inner;
    ASSERT_EQ(BaseParser::InitData(b, nullptr), 0);
    BaseParser::ReadLine(line);
    BaseParser::S().lineno = 1;
    BaseParser::PARSEERR("inner");
    EXPECT_EQ(line, "x");
  }
  BaseParser::ReadLine(line);
  EXPECT_EQ(line, "2");
  EXPECT_EQ(BaseParser::S().filename, a);
  EXPECT_EQ(BaseParser::S().numerr, 0);
  EXPECT_EQ(BaseParser::S().comment.GetLines(), std::vector<String>{"pending"});
}

TEST(ParserComments, GlobalCommentNeedsAnEmptyLineBeforeAnyNode) {
  BaseParser::ParseScope scope;
  PsfFile file;
  PsfComp node("n");
  BaseParser::ResetComment();
  BaseParser::AddToComment(" header");
  BaseParser::CheckAddGlobalComment(&file);  // no empty line yet
  EXPECT_TRUE(file.GetComment().IsEmpty());
  BaseParser::S().numEmptyLines = 1;
  BaseParser::CheckAddGlobalComment(&file);
  EXPECT_EQ(file.GetComment().GetLines(), std::vector<String>{"header"});
  BaseParser::AddToComment("about n");
  BaseParser::AssociateComment(&node);
  EXPECT_EQ(node.GetComment().GetLines(), std::vector<String>{"about n"});
  BaseParser::AddToComment("later");
  BaseParser::CheckAddGlobalComment(&file);  // the global comment is taken once
  EXPECT_EQ(file.GetComment().GetLines().size(), 1u);
}

class WriterTest : public tavtest::ScratchTest {};

TEST_F(WriterTest, CommitReplacesAndKeepsMode) {
  std::string target = dir.Write("out.mss", "old\n");
  ::chmod(target.c_str(), 0640);
  std::unique_ptr<UtStreamWriter> w(UtStreamWriter::ConstructUtStreamWriter(target));
  ASSERT_TRUE(w);
  w->writeline("new");
  EXPECT_EQ(tavtest::ReadFile(target), "old\n");  // nothing visible before commit
  ASSERT_TRUE(w->Commit());
  EXPECT_EQ(tavtest::ReadFile(target), "new\n");
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  w.reset();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(WriterTest, AbandonedWriterLeavesOldFileAndNoTemporary) {
  std::string target = dir.Write("out.mss", "old\n");
  {
    std::unique_ptr<UtStreamWriter> w(UtStreamWriter::ConstructUtStreamWriter(target));
    ASSERT_TRUE(w);
    w->writeline("half");
  }
  EXPECT_EQ(tavtest::ReadFile(target), "old\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(UtStreamWriter::ConstructUtStreamWriter(dir / "missing/dir/x.mss"), nullptr);
}

// Renaming onto the path would replace a link, a FIFO or a device with a
// regular file, and would replace a file its owner made read-only: the
// writer writes through links and refuses the rest, saying why.
TEST_F(WriterTest, WritesThroughLinksAndRefusesWhatItWouldReplace) {
  namespace fs = std::filesystem;
  const std::string real = dir.Write("real.mss", "old\n");
  fs::create_symlink("real.mss", dir / "link.mss");
  fs::create_symlink("link.mss", dir / "chain.mss");
  fs::create_symlink("new.mss", dir / "dangling.mss");
  fs::create_symlink("loop.mss", dir / "loop.mss");
  ASSERT_EQ(::mkfifo((dir / "fifo.mss").c_str(), 0644), 0);
  const std::string readOnly = dir.Write("ro.mss", "old\n");
  ::chmod(readOnly.c_str(), 0444);
  const struct {
    const char* path;
    const char* written;  // the file that receives the text; null: refused
    const char* failure;
  } cases[] = {
      {"link.mss", "real.mss", ""},
      {"chain.mss", "real.mss", ""},
      {"dangling.mss", "new.mss", ""},
      {"loop.mss", nullptr, "Too many levels of symbolic links"},
      {"fifo.mss", nullptr, "not a regular file"},
      {".", nullptr, "not a regular file"},
      {"ro.mss", nullptr, "Permission denied"},
      {"missing/x.mss", nullptr, "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::unique_ptr<UtStreamWriter> w(UtStreamWriter::ConstructUtStreamWriter(dir / c.path));
    EXPECT_EQ(UtStreamWriter::LastFailure(), c.failure);
    if (!c.written) {
      EXPECT_EQ(w, nullptr);
      continue;
    }
    ASSERT_TRUE(w);
    w->writeline(c.path);
    ASSERT_TRUE(w->Commit());
    EXPECT_TRUE(fs::is_symlink(dir / c.path));
    EXPECT_EQ(tavtest::ReadFile(dir / c.written), std::string(c.path) + "\n");
  }
  EXPECT_TRUE(fs::is_fifo(dir / "fifo.mss"));
  EXPECT_EQ(tavtest::ReadFile(readOnly), "old\n");
}

TEST(WriterStream, PrintsPropertiesWithComments) {
  std::ostringstream out;
  UtStreamWriter w(out);
  Property p("VERSION");
  p.SetValueStr("2.2.0");
  p.GetComment().AddLine("format");
  PropertyUtil::PrintProperty(&p, "PARAMETER", &w, 1);
  EXPECT_EQ(out.str(), "# format\n PARAMETER VERSION = 2.2.0\n");
  EXPECT_EQ(w.GetLineCount(), 2);
}

}  // namespace

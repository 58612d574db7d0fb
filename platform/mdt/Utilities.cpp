// Sequence and text utilities shared by the readers, writers and the model.
#include "MdtBase.h"
#include "MdtParse.h"
#include "MdtTags.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <ostream>

namespace MdtBase {

// ---------------------------------------------------------------------------
// Utilities
// ---------------------------------------------------------------------------
namespace {
// The sequence lookups, alike for properties and components.
template <class Node>
Node* FindByName(const std::vector<Node*>& seq, std::string_view name, int from) {
  for (size_t i = from > 0 ? static_cast<size_t>(from) : 0; i < seq.size(); ++i)
    if (seq[i] && EqNoCase(seq[i]->GetName(), name)) return seq[i];
  return nullptr;
}

template <class Node>
int DeleteByPtr(std::vector<Node*>& seq, Node* p, int destroy) {
  if (!p) return 1;
  for (auto it = seq.begin(); it != seq.end(); ++it) {
    if (*it == p) {
      seq.erase(it);
      if (destroy) delete p;
      return 0;
    }
  }
  return 1;
}
}  // namespace

Property* PropertyUtil::GetPropertyByName(const PropSeq& seq, std::string_view name, int from) {
  return FindByName(seq, name, from);
}

int PropertyUtil::DelPropertyByPtr(PropSeq& seq, Property* p, int destroy) {
  return DeleteByPtr(seq, p, destroy);
}

int PropertyUtil::AssignOwner(Property* p, BaseNode* owner) {
  if (!p) return 0;
  if (owner) p->SetOwner(owner);
  // Plain components still to be made are made with this owner. The mark
  // goes beside the pointer, without the lock: a reader walks every
  // parameter this way.
  uintptr_t v = p->subs_.load(std::memory_order_acquire);
  while (v & Property::kLaterBit) {
    if (p->subs_.compare_exchange_weak(v, v | Property::kOwnedBit, std::memory_order_acq_rel))
      return 0;
  }
  for (auto* c : std::as_const(*p).GetPsfCompSeqRef()) {
    c->SetOwner(p);
    if (BaseNode::IsBaseNodeType(c, kPropertyTag))
      AssignOwner(static_cast<Property*>(c), nullptr);
  }
  return 0;
}

int PropertyUtil::CopyPropertyBase(const Property* src, Property* dst) {
  if (!src || !dst || src == dst) return 0;
  dst->SetName(src->GetName());
  dst->SetMdtValuePtr(src->GetMdtValuePtr() ? src->GetMdtValuePtr()->Clone() : nullptr);
  dst->SetComment(src->GetComment());
  // The copy names the file of its source: it shares the source's name.
  dst->SetFileNameShared(src->GetSharedFileName());
  dst->SetLineNum(src->GetLineNum());
  dst->ClearPsfComps();
  const PsfCompSeq& from = src->GetPsfCompSeqRef();
  if (from.size() > 1) dst->GetPsfCompSeqRef().reserve(from.size());
  for (const auto* c : from) {
    PsfComp* copy = c->ClonePsfComp();
    copy->SetOwner(dst);
    dst->AddPsfComp(copy);
  }
  return 0;
}

int PropertyUtil::MergeProperty(const Property* def, const Property* inst, Property* dst) {
  if (!def || !dst) return 1;
  int errors = CopyPropertyBase(def, dst);
  if (inst && inst->GetMdtValuePtr()) dst->SetValueStr(inst->GetValueStr());
  return errors;
}

void PropertyUtil::InitAllowedValuesMap(AllowedValuesMap& map,
                                        const std::vector<std::pair<String, String>>& pairs) {
  for (const auto& [name, values] : pairs) {
    String key = name;
    key.MakeUpper();
    std::vector<String> list;
    std::string_view rest(values);
    while (true) {
      size_t p = rest.find(':');
      list.emplace_back(rest.substr(0, p));
      if (p == std::string_view::npos) break;
      rest.remove_prefix(p + 1);
    }
    map[key] = std::move(list);
  }
}

bool PropertyUtil::CheckValueMatch(const AllowedValuesMap& map, const String& name,
                                   const String& value) {
  String key = name;
  key.MakeUpper();
  auto it = map.find(key);
  if (it == map.end()) return true;
  for (const auto& allowed : it->second)
    if (EqNoCase(allowed, value)) return true;
  return false;
}

void PropertyUtil::PrintProperty(const PsfComp* p, const String& keyword, UtStreamWriter* writer,
                                 int withComment) {
  if (!p || !writer) return;
  if (withComment) Comment::Print(p->GetComment(), writer, "# ");
  String line = " ";
  line += keyword;
  line += " ";
  line += p->GetName();
  line += " = ";
  line += p->GetValueStr();
  writer->writeline(line);
}

void PropertyUtil::PrintPropertyList(const PropSeq& seq, const String& keyword,
                                     UtStreamWriter* writer, int withComment) {
  for (const auto* p : seq) PrintProperty(p, keyword, writer, withComment);
}

PsfComp* PsfCompUtil::GetPsfCompByName(const PsfCompSeq& seq, std::string_view name, int from) {
  return FindByName(seq, name, from);
}

int PsfCompUtil::DelPsfCompByPtr(PsfCompSeq& seq, PsfComp* p, int destroy) {
  return DeleteByPtr(seq, p, destroy);
}

void PsfCompUtil::PrintComment(const PsfComp* node, UtStreamWriter* writer, const char* prefix) {
  if (node) Comment::Print(node->GetComment(), writer, prefix);
}

NameValue* NVUtil::GetNVByName(const NVSeq& seq, const String& name, int from) {
  for (size_t i = from > 0 ? static_cast<size_t>(from) : 0; i < seq.size(); ++i)
    if (seq[i] && EqNoCase(seq[i]->GetName(), name)) return seq[i];
  return nullptr;
}

namespace {
// The SPACESET test, spelled out: the readers trim every word they take, and
// find_first_not_of searches the set once per character.
inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
}  // namespace

std::string_view BaseUtils::TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string_view BaseUtils::TrimLeadingView(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

std::string_view BaseUtils::GetWordTillChar(std::string_view& text, char c) {
  size_t p = text.find(c);
  std::string_view word = TrimView(text.substr(0, p));
  text = p == std::string_view::npos ? std::string_view() : TrimLeadingView(text.substr(p + 1));
  return word;
}

String BaseUtils::GetWordTillChar(String& text, char c, const String&) {
  std::string_view view(text);
  String word(GetWordTillChar(view, c));
  text = String(view);
  return word;
}

std::string_view BaseUtils::GetWordSurroundedByChar(std::string_view& text, char quote, char sep) {
  size_t open = text.find(quote);
  size_t sepPos = text.find(sep);
  if (open == std::string_view::npos || (sepPos != std::string_view::npos && sepPos < open)) {
    // No quoted word before the next separator: take the plain word.
    return GetWordTillChar(text, sep);
  }
  size_t close = text.find(quote, open + 1);
  std::string_view word;
  if (close == std::string_view::npos) {
    // An unbalanced quote takes the rest of the text.
    word = text.substr(open + 1);
    text = std::string_view();
    return word;
  }
  word = text.substr(open + 1, close - open - 1);
  size_t next = text.find(sep, close + 1);
  text =
      next == std::string_view::npos ? std::string_view() : TrimLeadingView(text.substr(next + 1));
  return word;
}

String BaseUtils::GetWordSurroundedByChar(String& text, char quote, char sep, const String&) {
  std::string_view view(text);
  String word(GetWordSurroundedByChar(view, quote, sep));
  text = String(view);
  return word;
}

bool BaseUtils::SeperateDirAndVer(const String& dir, String& name, String& version) {
  name.clear();
  version.clear();
  // The version starts at the last "_v" followed by a digit, so names that
  // themselves contain "_v" (my_vga_v1_00_a) split correctly.
  size_t pos = String::npos;
  for (size_t i = dir.size(); i-- > 0;) {
    if (i + 2 < dir.size() && dir[i] == '_' && (dir[i + 1] == 'v' || dir[i + 1] == 'V') &&
        dir[i + 2] >= '0' && dir[i + 2] <= '9') {
      pos = i;
      break;
    }
  }
  if (pos == String::npos || pos == 0) return false;
  name = dir.substr(0, pos);
  version = dir.substr(pos + 2);
  for (auto& ch : version)
    if (ch == '_') ch = '.';
  return true;
}

int BaseUtils::ListSubDirs(const String& dir, std::vector<String>& out) {
  Port::UT_DIR d(dir);
  int n = 0;
  for (const auto& e : d.Entries()) {
    if (e.isDir) {
      out.push_back(e.name);
      ++n;
    }
  }
  return n;
}

Port::FileName BaseUtils::CreateFileNameDir(const String& dir, const String& name) {
  Port::FileName f(dir);
  f.PushPathEnd(name);
  return f;
}

String BaseUtils::GetDriveName(const String& path, bool) { return path; }

bool BaseUtils::DiffFiles(const String& a, const String& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  if (!fa || !fb) return true;
  std::istreambuf_iterator<char> ia(fa), ib(fb), end;
  while (ia != end && ib != end) {
    if (*ia != *ib) return true;
    ++ia;
    ++ib;
  }
  return (ia == end) != (ib == end);
}

}  // namespace MdtBase

// The text of an MSS is edited line by line. Its structure, as far as this
// unit needs it (keywords ignoring case, a '"' read as a blank, '#' starting
// a comment to the end of the line):
//   BEGIN OS | PROCESSOR | DRIVER | LIBRARY   opens a block, END closes it;
//   PARAMETER name = value                    a parameter or array of the block;
//   INTERFACE name                            an interface, with the PROPERTY
//                                             and FUNCTION lines after it.
// A block is matched with its component by its kind and its place among the
// blocks of that kind, which is the order the reader keeps.
#include "MssEdit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string_view>

#include "WriteMss.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "MdtBase.h"
#include "OsInst.h"
#include "ParseMss.h"
#include "UnsavedText.h"
#include "Port.h"
#include "ProcInst.h"
#include "ProcInstUtil.h"

namespace tavsw {
namespace {

using TavSoftware::Mss;

const int kSeqOfKind[4] = {Mss::OSES, Mss::PROCESSORS, Mss::DRIVERS, Mss::LIBRARIES};
const char* const kKindWord[4] = {"OS", "PROCESSOR", "DRIVER", "LIBRARY"};

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

// A line without its end, its comment and with quotes as blanks: what the
// reader sees of it.
std::string Statement(std::string_view line) {
  std::string s(line.substr(0, line.find('#')));
  std::replace(s.begin(), s.end(), '"', ' ');
  return std::string(Trim(s));
}

bool IsCommentLine(std::string_view line) {
  std::string_view t = Trim(line);
  return !t.empty() && t.front() == '#';
}

// The first word, upper-cased, and the rest after it.
std::pair<std::string, std::string_view> Keyword(std::string_view stmt) {
  size_t end = stmt.find_first_of(" \t");
  if (end == std::string_view::npos) return {Upper(stmt), std::string_view()};
  return {Upper(stmt.substr(0, end)), Trim(stmt.substr(end))};
}

// The key of a statement line inside a block: "P:NAME" for a parameter or
// array, "I:NAME" for an interface, "+" for a line that continues the item
// before it, "" for anything else.
std::string ItemKey(std::string_view line) {
  const std::string stmt = Statement(line);
  if (stmt.empty()) return "";
  auto [word, rest] = Keyword(stmt);
  if (word == "PARAMETER") return "P:" + Upper(Trim(rest.substr(0, rest.find('='))));
  if (word == "INTERFACE") return "I:" + Upper(Keyword(rest).first);
  if (word == "PROPERTY" || word == "FUNCTION") return "+";
  return "";
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    size_t len = nl == std::string_view::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(0, len));
    text.remove_prefix(len);
  }
  return lines;
}

// An item of a block: its key and the lines it spans (indices).
struct Item {
  std::string key;
  std::vector<size_t> lines;
};

std::vector<Item> Items(const std::vector<std::string_view>& lines, size_t from, size_t to) {
  std::vector<Item> items;
  for (size_t i = from; i < to; ++i) {
    std::string key = ItemKey(lines[i]);
    if (key.empty()) continue;
    if (key == "+") {
      if (!items.empty()) items.back().lines.push_back(i);
      continue;
    }
    // The lines of one interrupt-handler array share their name.
    if (!items.empty() && items.back().key == key && key[0] == 'P')
      items.back().lines.push_back(i);
    else
      items.push_back({key, {i}});
  }
  return items;
}

std::string Printed(const MdtBase::PsfComp* c) {
  std::ostringstream s;
  MdtBase::UtStreamWriter w(s);
  if (auto* p = dynamic_cast<const TavSoftware::ProcInst*>(c))
    TavSoftware::ProcInstUtil::PrintProcInst(p, &w);
  else if (auto* d = dynamic_cast<const TavSoftware::DrvInst*>(c))
    TavSoftware::DrvInstUtil::PrintDrvInst(d, &w);
  else if (auto* o = dynamic_cast<const TavSoftware::OsInst*>(c))
    TavSoftware::LibInstUtil::PrintLibInst(o, "OS", &w);
  else if (auto* l = dynamic_cast<const TavSoftware::LibInst*>(c))
    TavSoftware::LibInstUtil::PrintLibInst(l, "LIBRARY", &w);
  w.Commit();
  return s.str();
}

std::string WithoutComments(const std::string& text) {
  std::string out;
  for (std::string_view l : SplitLines(text))
    if (!IsCommentLine(l)) out += l;
  return out;
}

// Kind, instance and (for a library) name of a component.
struct Who {
  std::string inst, name;
};
Who WhoIs(const MdtBase::PsfComp* c, int kind) {
  if (auto* d = dynamic_cast<const TavSoftware::DrvInst*>(c))
    return {Upper(d->GetPropertyValueStr(TavSoftware::DrvInst::PARAMETERS, "HW_INSTANCE")), ""};
  auto* l = dynamic_cast<const TavSoftware::LibInst*>(c);
  if (!l) return {};
  return {Upper(l->GetPropertyValueStr(TavSoftware::LibInst::PARAMETERS, "PROC_INSTANCE")),
          kind == 3 ? Upper(c->GetName()) : ""};
}

// Blocks of the text per kind: [BEGIN line, END line].
struct Block {
  size_t begin, end;
};

bool FindBlocks(const std::vector<std::string_view>& lines, std::vector<Block> (&blocks)[4]) {
  int open = -1;
  size_t begin = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string stmt = Statement(lines[i]);
    auto [word, rest] = Keyword(stmt);
    if (word == "BEGIN") {
      if (open >= 0) return false;
      const std::string kind = Upper(rest);
      for (int k = 0; k < 4; ++k)
        if (kind == kKindWord[k]) open = k;
      if (open < 0) return false;
      begin = i;
    } else if (word == "END") {
      if (open < 0) return false;
      blocks[open].push_back({begin, i});
      open = -1;
    }
  }
  return open < 0;
}

std::string Indent(std::string_view line) {
  size_t n = 0;
  while (n < line.size() && (line[n] == ' ' || line[n] == '\t')) ++n;
  return std::string(line.substr(0, n));
}

std::string EndOf(std::string_view line) {
  if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") return "\r\n";
  if (!line.empty() && line.back() == '\n') return "\n";
  return "";
}

// The items of a printed block: key to its lines (without line ends).
std::map<std::string, std::vector<std::string>> PrintedItems(const std::string& printed,
                                                             std::vector<std::string>* order) {
  std::map<std::string, std::vector<std::string>> out;
  const auto lines = SplitLines(printed);
  for (const Item& item : Items(lines, 0, lines.size())) {
    auto& dest = out[item.key];
    if (dest.empty() && order) order->push_back(item.key);
    for (size_t i : item.lines) dest.emplace_back(Trim(lines[i]));
  }
  return out;
}

}  // namespace

MssSnapshot TakeSnapshot(const Mss& mss) {
  MssSnapshot snap;
  for (int k = 0; k < 4; ++k)
    for (const MdtBase::PsfComp* c : mss.GetPsfCompSeqRef(kSeqOfKind[k])) {
      Who who = WhoIs(c, k);
      snap.comps[k].push_back({who.inst + "\x1f" + who.name, WithoutComments(Printed(c))});
    }
  return snap;
}

std::string EditedText(const std::string& original, const MssSnapshot& before, const Mss& after,
                       const std::vector<std::pair<std::string, std::string>>& renames,
                       bool& standardLayout) {
  standardLayout = false;
  const std::vector<std::string_view> lines = SplitLines(original);
  std::vector<Block> blocks[4];
  bool matched = FindBlocks(lines, blocks);
  for (int k = 0; matched && k < 4; ++k) matched = blocks[k].size() == before.comps[k].size();
  if (!matched) {
    standardLayout = true;
    return TavSoftware::WriteMss::ToText(after);
  }
  const std::string eol = lines.empty() ? "\n" : EndOf(lines[0]).empty() ? "\n" : EndOf(lines[0]);
  std::vector<bool> drop(lines.size(), false);
  std::vector<std::string> replace(lines.size());
  std::vector<bool> replaced(lines.size(), false);
  std::vector<std::vector<std::string>> insertAfter(lines.size() + 1);
  std::vector<std::string> newBlocks;

  // The block edit of a component whose printed lines changed.
  auto editBlock = [&](const Block& b, const std::string& was, const std::string& now) {
    const std::vector<Item> items = Items(lines, b.begin + 1, b.end);
    const auto wasItems = PrintedItems(was, nullptr);
    std::vector<std::string> order;
    const auto nowItems = PrintedItems(now, &order);
    std::string indent = " ";
    size_t lastP = b.begin, lastI = 0;
    std::map<std::string, bool> inText;
    for (const Item& item : items) {
      indent = Indent(lines[item.lines[0]]);
      inText[item.key] = true;
      (item.key[0] == 'P' ? lastP : lastI) = item.lines.back();
      auto nowIt = nowItems.find(item.key);
      if (nowIt == nowItems.end()) {
        // The comment lines just above a removed line were about it.
        for (size_t i = item.lines[0]; i > b.begin + 1 && IsCommentLine(lines[i - 1]); --i)
          drop[i - 1] = true;
        for (size_t i : item.lines) drop[i] = true;
        continue;
      }
      auto wasIt = wasItems.find(item.key);
      if (wasIt != wasItems.end() && wasIt->second == nowIt->second) continue;
      // The first line takes the new lines; a comment on it stays.
      const std::string_view first = lines[item.lines[0]];
      std::string_view content = first.substr(0, first.size() - EndOf(first).size());
      const size_t hash = content.find('#');
      const std::string comment =
          hash == std::string_view::npos ? "" : " " + std::string(content.substr(hash));
      const std::string end = EndOf(first).empty() ? eol : EndOf(first);
      std::string text;
      for (size_t n = 0; n < nowIt->second.size(); ++n)
        text += Indent(first) + nowIt->second[n] + (n + 1 == nowIt->second.size() ? comment : "") +
                (n + 1 == nowIt->second.size() ? EndOf(first) : end);
      replace[item.lines[0]] = text;
      replaced[item.lines[0]] = true;
      for (size_t n = 1; n < item.lines.size(); ++n) drop[item.lines[n]] = true;
    }
    for (const std::string& key : order) {
      if (inText.count(key)) continue;
      const size_t at = key[0] == 'P' ? lastP : (lastI ? lastI : b.end - 1);
      for (const std::string& l : nowItems.at(key)) insertAfter[at].push_back(indent + l + eol);
      if (key[0] == 'P') lastP = at;  // later ones follow in order
    }
  };

  size_t lastEnd = lines.size();  // after the last block; the end when none
  for (int k = 0; k < 4; ++k)
    for (const Block& b : blocks[k])
      if (lastEnd == lines.size() || b.end > lastEnd) lastEnd = b.end;

  for (int k = 0; k < 4; ++k) {
    // The components before the edit, found by kind, renamed instance and
    // name; the n-th of several with one key matches the n-th.
    std::multimap<std::string, size_t> byKey;
    for (size_t i = 0; i < before.comps[k].size(); ++i) {
      std::string key = before.comps[k][i].key;
      const size_t sep = key.find('\x1f');
      std::string inst = key.substr(0, sep);
      for (const auto& [from, to] : renames)
        if (inst == Upper(from)) inst = Upper(to);
      byKey.emplace(inst + key.substr(sep), i);
    }
    std::vector<bool> kept(before.comps[k].size(), false);
    for (const MdtBase::PsfComp* c : after.GetPsfCompSeqRef(kSeqOfKind[k])) {
      Who who = WhoIs(c, k);
      auto it = byKey.find(who.inst + "\x1f" + who.name);
      const std::string printed = Printed(c);
      if (it == byKey.end()) {
        newBlocks.push_back(printed);
        continue;
      }
      const size_t i = it->second;
      byKey.erase(it);
      kept[i] = true;
      const std::string now = WithoutComments(printed);
      if (now != before.comps[k][i].printed) editBlock(blocks[k][i], before.comps[k][i].printed, now);
    }
    for (size_t i = 0; i < kept.size(); ++i) {
      if (kept[i]) continue;
      // The block goes with its comment lines and the blank line above.
      size_t from = blocks[k][i].begin;
      while (from > 0 && IsCommentLine(lines[from - 1])) --from;
      if (from > 0 && Trim(lines[from - 1]).empty()) --from;
      for (size_t l = from; l <= blocks[k][i].end; ++l) drop[l] = true;
    }
  }
  for (const std::string& block : newBlocks) {
    std::vector<std::string>& dest = insertAfter[lastEnd == lines.size() ? lines.size() : lastEnd];
    dest.push_back(eol);
    for (std::string_view l : SplitLines(block))
      dest.push_back(std::string(l.substr(0, l.size() - EndOf(l).size())) + eol);
  }

  std::string out;
  out.reserve(original.size() + 256);
  auto emit = [&](const std::string& s) {
    // A last line without its end gets one when more follows.
    if (!out.empty() && out.back() != '\n') out += eol;
    out += s;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!drop[i]) emit(replaced[i] ? replace[i] : std::string(lines[i]));
    for (const std::string& s : insertAfter[i]) emit(s);
  }
  for (const std::string& s : insertAfter[lines.size()]) emit(s);
  return out;
}

namespace {

// The content of a written MSS that must survive reading: global lines and
// the statement lines of each block, comments and order aside.
std::vector<std::string> Canon(const std::string& text) {
  std::vector<std::string> parts, block;
  bool open = false;
  for (std::string_view l : SplitLines(text)) {
    const std::string_view t = Trim(l);
    if (t.empty() || t.front() == '#') continue;
    const std::string word = Keyword(t).first;
    if (word == "BEGIN") {
      open = true;
      block.assign(1, std::string(t));
    } else if (word == "END" && open) {
      std::sort(block.begin() + 1, block.end());
      std::string joined;
      for (const std::string& s : block) joined += s + "\n";
      parts.push_back(joined);
      open = false;
    } else if (open) {
      block.emplace_back(t);
    } else {
      parts.emplace_back(t);
    }
  }
  std::sort(parts.begin(), parts.end());
  return parts;
}

// Holds the messages issued while it lives.
struct HoldMessages : MsgSink {
  MsgSink* previous = Port_MsgManData::SetSink(this);
  std::vector<MsgRecord> held;
  void Report(const MsgRecord& m) override { held.push_back(m); }
  ~HoldMessages() override { Port_MsgManData::SetSink(previous); }
};

std::string FirstLine(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

}  // namespace

std::string ReadBackProblem(const std::string& text, const Mss& meant, bool warningsAllowed) {
  // Read in memory: the name is never looked up on disk.
  const TavSoftware::UnsavedText unsaved("tavsw-readback.mss", text);
  std::string why;
  HoldMessages hold;
  Mss reread;
  const int errors = TavSoftware::ParseMss::Parse(unsaved.GetFileName(), &reread);
  for (const MsgRecord& m : hold.held) {
    if (m.severity != MsgSeverity::kError &&
        (m.severity != MsgSeverity::kWarning || warningsAllowed))
      continue;
    why = "would not read back: " + (m.line ? "line " + std::to_string(m.line) + ": " : "") +
          FirstLine(m.text);
    break;
  }
  if (why.empty() && errors != 0) why = "would not read back cleanly";
  if (why.empty()) {
    const auto want = Canon(TavSoftware::WriteMss::ToText(meant));
    const auto got = Canon(TavSoftware::WriteMss::ToText(reread));
    if (want != got) {
      std::vector<std::string> missing, extra;
      std::set_difference(want.begin(), want.end(), got.begin(), got.end(),
                          std::back_inserter(missing));
      std::set_difference(got.begin(), got.end(), want.begin(), want.end(),
                          std::back_inserter(extra));
      const std::string& first = !missing.empty() ? missing[0] : extra[0];
      why = std::string("would read back ") + (!missing.empty() ? "without" : "with an unmeant") +
            " '" + FirstLine(first.substr(0, first.find('\n'))) + "'" +
            (first.find('\n') + 1 < first.size() ? " block" : "");
    }
  }
  return why;
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return !in.bad();
}

std::string WriteFileAtomically(const std::string& path, const std::string& text) {
  std::unique_ptr<MdtBase::UtStreamWriter> out(MdtBase::UtStreamWriter::ConstructUtStreamWriter(path));
  if (!out) return MdtBase::UtStreamWriter::LastFailure();
  out->write(text);
  if (!out->Commit()) return MdtBase::UtStreamWriter::LastFailure();
  return "";
}

}  // namespace tavsw

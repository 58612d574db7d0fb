// The value classes a named node holds.
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
// Values
// ---------------------------------------------------------------------------
MdtValue::MdtValue() { AddBaseNode(this, kValueTag); }
MdtValue::~MdtValue() = default;

StrVal::StrVal() { AddBaseNode(this, kStrValTag); }
StrVal::StrVal(const String& text) : StrVal() { text_ = text; }
int StrVal::SetValue(const String& text) {
  text_ = text;
  SetValid(true);
  return 0;
}
MdtValue* StrVal::Clone() const { return new StrVal(text_); }

IntVal::IntVal() { AddBaseNode(this, "MdtBas_IntVal"); }
IntVal::IntVal(const String& text) : IntVal() { SetValue(text); }
IntVal::IntVal(long long value) : IntVal() { SetInt(value); }

int IntVal::SetValue(const String& text) {
  text_ = text;
  String t = text;
  t.Trim(Port::kTrimBoth);
  value_ = 0;
  SetValid(false);
  if (t.empty()) return 1;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, 0);
  if (errno != 0 || end != t.c_str() + t.size()) {
    // Large unsigned hex constants (addresses) are still integers.
    errno = 0;
    unsigned long long u = std::strtoull(t.c_str(), &end, 0);
    if (errno != 0 || end != t.c_str() + t.size() || t[0] == '-') return 1;
    v = static_cast<long long>(u);
  }
  value_ = v;
  SetValid(true);
  return 0;
}

void IntVal::SetInt(long long value) {
  value_ = value;
  text_ = std::to_string(value);
  SetValid(true);
}

MdtValue* IntVal::Clone() const {
  auto* c = new IntVal();
  c->text_ = text_;
  c->value_ = value_;
  c->SetValid(MdtValue::IsValid());
  return c;
}

BoolVal::BoolVal() { AddBaseNode(this, "MdtBas_BoolVal"); }
BoolVal::BoolVal(const String& text) : BoolVal() { SetValue(text); }

int BoolVal::SetValue(const String& text) {
  text_ = text;
  String t = text;
  t.Trim(Port::kTrimBoth);
  static const char* const kTrue[] = {"true", "yes", "on", "1"};
  static const char* const kFalse[] = {"false", "no", "off", "0"};
  for (const char* w : kTrue)
    if (EqNoCase(t, w)) {
      value_ = true;
      SetValid(true);
      return 0;
    }
  for (const char* w : kFalse)
    if (EqNoCase(t, w)) {
      value_ = false;
      SetValid(true);
      return 0;
    }
  value_ = false;
  SetValid(false);
  return 1;
}

MdtValue* BoolVal::Clone() const {
  auto* c = new BoolVal();
  c->text_ = text_;
  c->value_ = value_;
  c->SetValid(MdtValue::IsValid());
  return c;
}

FileNameVal::FileNameVal() { AddBaseNode(this, "MdtBas_FileNameVal"); }
FileNameVal::FileNameVal(const String& text) : FileNameVal() { SetValue(text); }
int FileNameVal::SetValue(const String& text) {
  name_ = Port::FileName(text);
  SetValid(true);
  return 0;
}
MdtValue* FileNameVal::Clone() const { return new FileNameVal(name_.GetFullName()); }

ListStrVal::ListStrVal() { AddBaseNode(this, "MdtBas_ListStrVal"); }
ListStrVal::ListStrVal(const String& text, const String& separators) : ListStrVal() {
  separators_ = separators;
  SetValue(text);
}

int ListStrVal::SetValue(const String& text) {
  text_ = text;
  items_.clear();
  std::string_view rest(text_);
  const std::string_view seps =
      separators_.empty() ? std::string_view(" ") : std::string_view(separators_);
  // The sets are a character or two: compared in place rather than searched.
  auto isSep = [seps](char c) {
    for (char sep : seps)
      if (c == sep) return true;
    return false;
  };
  // Room for every word at once: a list grown one word at a time leaves
  // each smaller block behind.
  size_t words = 1;
  for (char c : rest) words += isSep(c);
  items_.reserve(words);
  while (!rest.empty()) {
    size_t p = 0;
    while (p < rest.size() && !isSep(rest[p])) ++p;
    if (p == rest.size()) p = std::string_view::npos;
    std::string_view item = BaseUtils::TrimView(rest.substr(0, p));
    if (!item.empty()) items_.emplace_back(item);
    if (p == std::string_view::npos) break;
    rest.remove_prefix(p + 1);
  }
  SetValid(true);
  return 0;
}

MdtValue* ListStrVal::Clone() const {
  auto* c = new ListStrVal();
  c->text_ = text_;
  c->separators_ = separators_;
  c->items_ = items_;
  c->SetValid(MdtValue::IsValid());
  return c;
}

ListPsfCompVal::ListPsfCompVal() { AddBaseNode(this, "MdtBas_ListPsfCompVal"); }
ListPsfCompVal::~ListPsfCompVal() {
  for (auto* c : items_) delete c;
}
void ListPsfCompVal::Add(PsfComp* comp) {
  if (!comp) return;
  comp->SetOwner(GetOwner());
  items_.push_back(comp);
}
int ListPsfCompVal::SetValue(const String&) { return 1; }
String ListPsfCompVal::GetValueStr() const {
  String out = "(";
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) out += ", ";
    out += items_[i]->GetName();
    out += " = ";
    out += items_[i]->GetValueStr();
  }
  out += ")";
  return out;
}
MdtValue* ListPsfCompVal::Clone() const {
  auto* c = new ListPsfCompVal();
  for (auto* item : items_) c->items_.push_back(item->ClonePsfComp());
  return c;
}

BaseNodePtrVal::BaseNodePtrVal() { AddBaseNode(this, "MdtBas_BaseNodePtrVal"); }
BaseNodePtrVal::BaseNodePtrVal(BaseNode* node) : BaseNodePtrVal() { node_ = node; }
int BaseNodePtrVal::SetValue(const String&) { return 1; }
MdtValue* BaseNodePtrVal::Clone() const { return new BaseNodePtrVal(node_); }

ListBaseNodePtrVal::ListBaseNodePtrVal(bool owns) : owns_(owns) {
  AddBaseNode(this, "MdtBas_ListBaseNodePtrVal");
}
ListBaseNodePtrVal::~ListBaseNodePtrVal() {
  if (owns_)
    for (auto* n : items_) delete n;
}
void ListBaseNodePtrVal::Add(BaseNode* node) {
  if (node) items_.push_back(node);
}
int ListBaseNodePtrVal::SetValue(const String&) { return 1; }

String ListBaseNodePtrVal::GetValueStr() const {
  String out = "(";
  for (size_t i = 0; i < items_.size(); ++i) {
    if (i) out += ",";
    const BaseNode* n = items_[i];
    if (BaseNode::IsBaseNodeType(n, "MdtBas_ListStrVal")) {
      const auto* l = static_cast<const ListStrVal*>(n);
      out += "(";
      for (size_t j = 0; j < l->GetList().size(); ++j) {
        if (j) out += ",";
        out += l->GetList()[j];
      }
      out += ")";
    } else if (BaseNode::IsBaseNodeType(n, kValueTag)) {
      out += static_cast<const MdtValue*>(n)->GetValueStr();
    } else if (BaseNode::IsBaseNodeType(n, kNameValueTag)) {
      out += static_cast<const NameValue*>(n)->GetValueStr();
    }
  }
  out += ")";
  return out;
}

MdtValue* ListBaseNodePtrVal::Clone() const {
  auto* c = new ListBaseNodePtrVal(owns_);
  for (auto* n : items_) {
    if (owns_ && BaseNode::IsBaseNodeType(n, kValueTag))
      c->items_.push_back(static_cast<const MdtValue*>(n)->Clone());
    else if (!owns_)
      c->items_.push_back(n);
  }
  return c;
}

}  // namespace MdtBase

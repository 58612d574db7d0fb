#include "psf/DefReaderCommon.h"

#include <algorithm>

#include "MdtParse.h"
#include "Category.h"
#include "Function.h"
#include "OptionUtil.h"
#include "Property.h"

namespace TavSoftware::detail {

using MdtBase::BaseParser;
using MdtBase::BaseUtils;

namespace {

void Err(const char* text) { BaseParser::PARSEERR(String(text)); }

bool EqNoCase(std::string_view a, std::string_view b) { return Port::EqualsNoCase(a, b); }

void SkipComma(std::string_view& text) {
  if (!text.empty() && text.front() == ',') text = BaseUtils::TrimLeadingView(text.substr(1));
}

std::string_view SkipLeading(std::string_view text, char c) {
  size_t b = text.find_first_not_of(c);
  return b == std::string_view::npos ? std::string_view() : text.substr(b);
}

MdtBase::PsfComp* NewComp(std::string_view name, MdtBase::MdtValue* value, bool fileInfo = true) {
  auto* comp = new MdtBase::PsfComp(String(name));
  if (fileInfo) BaseParser::SetFileInfo(comp);
  if (value) comp->SetMdtValuePtr(value);
  return comp;
}

// Plain attribute value: up to the next ',', quotes to blanks, trimmed.
String PlainValue(std::string_view& rest) {
  String v = QuotesToBlanks(BaseUtils::GetWordTillChar(rest, ','));
  return String(BaseUtils::TrimView(v));
}

// The name = value pairs of a "dep" or "values" list, checked (each fault
// reported once, while reading) and kept as text: "name=value" lines.
String PairsText(std::string_view body, const char* nameMissing, const char* valueMissing) {
  String pairs;
  while (!body.empty()) {
    std::string_view item = BaseUtils::GetWordTillChar(body, ',');
    if (item.empty()) continue;
    std::string_view name = BaseUtils::GetWordTillChar(item, '=');
    std::string_view value = BaseUtils::TrimView(item);
    if (name.empty()) {
      Err(nameMissing);
      continue;
    }
    if (value.empty()) {
      Err(valueMissing);
      continue;
    }
    // Neither part can hold a line break: the pairs stay apart.
    pairs.append(name).append(1, '=').append(value).append(1, '\n');
  }
  return pairs;
}

// The condition list of a parameter's "dep" attribute: "(a = 1, b = 2)".
String ReadDepList(std::string_view& rest) {
  std::string_view body = SkipLeading(BaseUtils::GetWordTillChar(rest, ')'), '(');
  return PairsText(
      body,
      "Condition name for \"dep\" keyword is not specified. Usge : \"dep = (<cname1> = "
      "<cval1>, <cname1> = <cval1>, ..., <cnamen> = <cvaln>)\"",
      "Condition value for \"dep\" keyword is not specified. Usge : \"dep = (<cname> = "
      "<cval>, <cname1> = <cval1>, ..., <cnamen> = <cvaln>)\"");
}

// The enumeration of a parameter's "values" attribute: "(a = 1, b = 2)".
String ReadValuesList(std::string_view& rest, DefFormat format) {
  String text = QuotesToBlanks(SkipLeading(BaseUtils::GetWordTillChar(rest, ')'), '('));
  const bool mdd = format == DefFormat::kMdd;
  return PairsText(BaseUtils::TrimView(text),
                   mdd ? "Nameless VALUES pair"
                       : "Nameless Enum name-value pair. Usage : \"enum = "
                         "(\"name1\"=value1, ...)\"",
                   mdd ? "Value not specified for VALUES pair"
                       : "Value not specified for Enum name-value pair. Usage : "
                         "\"enum = (\"name1\"=value1, ...)\"");
}

// The list of such pairs, each a component where the list stands.
MdtBase::MdtValue* MakePairs(const MdtBase::PsfComp& at, std::string_view pairs,
                             std::string_view) {
  auto* list = new MdtBase::ListPsfCompVal();
  while (!pairs.empty()) {
    const size_t end = pairs.find('\n');
    std::string_view pair = pairs.substr(0, end);
    pairs = end == std::string_view::npos ? std::string_view() : pairs.substr(end + 1);
    const size_t eq = pair.find('=');
    auto* comp = new MdtBase::PsfComp(String(pair.substr(0, eq)));
    comp->SetFileNameShared(at.GetSharedFileName());
    comp->SetLineNum(at.GetLineNum());
    comp->SetMdtValuePtr(new MdtBase::StrVal(String(pair.substr(eq + 1))));
    list->Add(comp);
  }
  return list;
}

// The value classes a parameter's TYPE selects.
enum class ValueKind { kString, kInt, kBool, kFileName, kUnknown };

ValueKind KindOfType(const String& type) {
  if (type.StartsNoCase("string") || type.StartsNoCase("peripheral_instance") ||
      type.StartsNoCase("library") || type.StartsNoCase("driver") || type.StartsNoCase("enum"))
    return ValueKind::kString;
  if (type.StartsNoCase("int")) return ValueKind::kInt;
  if (type.StartsNoCase("bool")) return ValueKind::kBool;
  if (type.StartsNoCase("file") || type.StartsNoCase("directory")) return ValueKind::kFileName;
  return ValueKind::kUnknown;
}

// The same as makers of sub-components given as text.
MdtBase::MdtValue* MakeStr(const MdtBase::PsfComp&, std::string_view text, std::string_view) {
  return new MdtBase::StrVal(String(text));
}
MdtBase::MdtValue* MakeInt(const MdtBase::PsfComp&, std::string_view text, std::string_view) {
  return new MdtBase::IntVal(String(text));
}
MdtBase::MdtValue* MakeBool(const MdtBase::PsfComp&, std::string_view text, std::string_view) {
  return new MdtBase::BoolVal(String(text));
}
MdtBase::MdtValue* MakeFileName(const MdtBase::PsfComp&, std::string_view text, std::string_view) {
  return new MdtBase::FileNameVal(String(text));
}
// A list split at the characters of `separators`.
MdtBase::MdtValue* MakeList(const MdtBase::PsfComp&, std::string_view text,
                            std::string_view separators) {
  return new MdtBase::ListStrVal(String(text), String(separators));
}

MdtBase::PropertyLater::ValueMaker MakerFor(ValueKind kind) {
  switch (kind) {
    case ValueKind::kInt:
      return MakeInt;
    case ValueKind::kBool:
      return MakeBool;
    case ValueKind::kFileName:
      return MakeFileName;
    default:
      return MakeStr;
  }
}

MdtBase::MdtValue* MakeValue(ValueKind kind, const String& text) {
  switch (kind) {
    case ValueKind::kInt:
      return new MdtBase::IntVal(text);
    case ValueKind::kBool:
      return new MdtBase::BoolVal(text);
    case ValueKind::kFileName:
      return new MdtBase::FileNameVal(text);
    default:
      return new MdtBase::StrVal(text);
  }
}

// The initialiser list after "PROPERTY default =": "(1, 2, 3)" or
// "((1,2),(3,4))". Fills `list`, builds the canonical text, returns the count.
int ReadInitialisers(std::string_view& rest, MdtBase::ListBaseNodePtrVal* list, String& canon) {
  if (!rest.empty()) rest.remove_prefix(1);  // the opening '('
  rest = BaseUtils::TrimLeadingView(rest);
  canon = "(";
  int count = 0;
  if (!rest.empty() && rest.front() == '(') {
    while (!rest.empty()) {
      std::string_view group = BaseUtils::GetWordTillChar(rest, ')');
      canon.append(group).append(")");
      if (group.empty()) break;
      SkipComma(rest);
      list->Add(new MdtBase::ListStrVal(String(SkipLeading(group, '(')), ","));
      ++count;
    }
    return count;
  }
  std::string_view items = BaseUtils::GetWordTillChar(rest, ')');
  canon.append(items).append(")");
  while (!items.empty()) {
    size_t comma = items.find(',');
    std::string_view item = BaseUtils::TrimLeadingView(items.substr(0, comma));
    list->Add(new MdtBase::StrVal(String(item)));
    ++count;
    if (comma == std::string_view::npos) break;
    items.remove_prefix(comma + 1);
    if (items.empty()) {  // a trailing ',' still separates an (empty) item
      list->Add(new MdtBase::StrVal());
      ++count;
    }
  }
  return count;
}

MdtBase::IntVal* AsInt(MdtBase::Property* p) {
  return p ? dynamic_cast<MdtBase::IntVal*>(p->GetMdtValuePtr()) : nullptr;
}

}  // namespace

std::string_view FirstWord(std::string_view text) {
  return text.substr(0, text.find_first_of(MdtBase::SPACESET));
}

String Lower(std::string_view text) { return String(text).MakeLower(); }
String Upper(std::string_view text) { return String(text).MakeUpper(); }

String QuotesToBlanks(std::string_view text) {
  String s(text);
  s.ReplaceChars("\"", ' ');
  return s;
}

std::string_view StripParens(std::string_view text, char open, char close) {
  size_t b = text.find_first_not_of(open);
  if (b == std::string_view::npos) return std::string_view();
  text.remove_prefix(b);
  size_t e = text.find_last_not_of(close);
  return e == std::string_view::npos ? std::string_view() : text.substr(0, e + 1);
}

std::string_view CleanLine(std::string_view line) {
  return BaseUtils::TrimView(line.substr(0, line.find('#')));
}

std::string_view TakeStatement(std::string_view rest) {
  std::string_view stmt = BaseUtils::GetWordTillChar(rest, ';');
  if (!rest.empty()) Err("Line not empty after the ; delimiter");
  return stmt;
}

void BeginInterface(DefReaderState& st, std::string_view rest) {
  if (st.interfaceOpen) {
    Err("Using BEGIN INTERFACE again... line ignored");
    return;
  }
  st.interfaceOpen = true;
  if (rest.empty()) {
    Err("BEGIN INTERFACE should be followed by the interface name");
    return;
  }
  st.iface = std::make_unique<Interface>();
  st.iface->SetName(Lower(FirstWord(rest)));
  BaseParser::SetFileInfo(st.iface.get());
}

std::unique_ptr<Interface> EndInterface(DefReaderState& st, std::string_view rest) {
  if (!st.interfaceOpen) {
    Err("Cannot use END INTERFACE without using BEGIN INTERFACE");
    return nullptr;
  }
  st.interfaceOpen = false;
  if (!rest.empty()) Err("Any thing after keyword END INTERFACE on the same line is ignored");
  return std::move(st.iface);
}

void BeginArray(DefReaderState& st, std::string_view rest) {
  if (st.arrayOpen) {
    Err("Using BEGIN ARRAY again... line ignored");
    return;
  }
  st.arrayOpen = true;
  st.arraySize = nullptr;
  if (rest.empty()) {
    Err("BEGIN ARRAY should be followed by array name");
    return;
  }
  st.array = std::make_unique<Array>();
  st.array->SetName(Lower(FirstWord(rest)));
  BaseParser::SetFileInfo(st.array.get());
}

std::unique_ptr<Array> EndArray(DefReaderState& st, std::string_view rest) {
  if (!st.arrayOpen) {
    Err("Cannot use END ARRAY without using BEGIN ARRAY");
    return nullptr;
  }
  st.arrayOpen = false;
  st.arraySize = nullptr;
  if (!rest.empty()) Err("Any thing after keyword END ARRAY on the same line is ignored");
  return std::move(st.array);
}

void ReadVersionOption(std::string_view stmt, DefFormat format) {
  std::string_view rest = stmt;
  std::string_view name = BaseUtils::GetWordTillChar(rest, '=');
  if (name.empty()) {
    Err("PSF_VERSION is not specified");
  } else if (!HasKeyword(name, "psf_version")) {
    Err(format == DefFormat::kMdd
            ? "Cannot use any other OPTION other than psf_version outside BEGIN DRIVER-END DRIVER "
              "block...ignored"
            : "Cannot use any other OPTION other than psf_version outside BEGIN LIBRARY/OS - END "
              "LIBRARY/OS category...ignored");
  } else if (!HasKeyword(rest, "2.1.0") && !HasKeyword(rest, "2.1")) {
    Err("Only PSF version 2.1.0 supported. Assuming psf version 2.1.0...");
  }
}

bool SplitOption(std::string_view stmt, String& name, String& value) {
  std::string_view rest = stmt;
  name = Upper(BaseUtils::GetWordTillChar(rest, '='));
  if (name.empty()) {
    Err("Option name is not specified");
    return false;
  }
  if (rest.empty()) {
    Err("Option value is not specified");
    return false;
  }
  value = String(StripParens(rest, '(', ')'));
  return true;
}

void CheckOption(const Option* option) {
  String message;
  if (OptionUtil::CheckValue(option, message) != 0) BaseParser::PARSEERR(message);
}

std::unique_ptr<Param> ReadParam(std::string_view stmt, DefFormat format) {
  std::string_view rest = stmt;
  // The word before '=' is only checked for presence: "PARAMETER" leaves
  // "ETER name" there once the keyword's five characters are removed.
  if (BaseUtils::GetWordTillChar(rest, '=').empty()) {
    Err("Empty PARAMETER declaration");
    return nullptr;
  }
  std::string_view name = BaseUtils::GetWordTillChar(rest, ',');
  if (name.empty()) Err("Empty PARAMETER value declaration");
  auto param = std::make_unique<Param>(String(name));
  BaseParser::SetFileInfo(param.get());

  // The attributes are checked and gathered first and become
  // sub-components at the end, as text: they are made into nodes only when
  // somebody looks, and most never are.
  struct Attr {
    String name, text;
    MdtBase::PropertyLater::ValueMaker make = nullptr;
    std::string_view extra;
  };
  // Kept for the thread, so that their strings keep their room from one
  // statement to the next.
  thread_local std::vector<Attr> attrs;
  size_t count = 0;
  auto next = [&](std::string_view attrName) -> Attr& {
    if (count == attrs.size()) attrs.emplace_back();
    Attr& a = attrs[count++];
    a.name.assign(attrName);
    a.text.clear();
    a.make = nullptr;
    a.extra = {};
    return a;
  };
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t defaultAt = kNone, permitAt = kNone;
  bool guiPermit = false;

  String type;
  bool haveType = false;
  String defaultText;
  while (!rest.empty()) {
    std::string_view attr = BaseUtils::GetWordTillChar(rest, '=');
    Attr& a = next(attr);
    if (HasKeyword(attr, "RANGE")) {
      String text = QuotesToBlanks(SkipLeading(BaseUtils::GetWordTillChar(rest, ')'), '('));
      a.text.assign(BaseUtils::TrimLeadingView(text));
      a.make = MakeList;
      a.extra = ",";
      SkipComma(rest);
    } else if (HasKeyword(attr, "DEP")) {
      a.text = ReadDepList(rest);
      a.make = MakePairs;
      SkipComma(rest);
    } else if (HasKeyword(attr, "VALUES")) {
      a.text = ReadValuesList(rest, format);
      a.make = MakePairs;
      SkipComma(rest);
    } else if (HasKeyword(attr, "DESC") || HasKeyword(attr, "STATE_DESC")) {
      std::string_view text = BaseUtils::GetWordSurroundedByChar(rest, '"', ',');
      a.text.assign(BaseUtils::TrimLeadingView(text));
      a.make = MakeStr;
    } else if (HasKeyword(attr, "TYPE")) {
      type = PlainValue(rest);
      haveType = true;
      a.text = type;
      a.make = MakeStr;
    } else if (HasKeyword(attr, "DEFAULT")) {
      // Typed once the TYPE is known; an earlier DEFAULT stays without value.
      defaultText = PlainValue(rest);
      defaultAt = count - 1;
    } else if (HasKeyword(attr, "REQUIRES_INTERFACE")) {
      String text = PlainValue(rest);
      a.text.assign(StripParens(text, '(', ')'));
      a.make = MakeList;
      a.extra = ",";
    } else {
      a.text = PlainValue(rest);
      a.make = MakeStr;
      if (permitAt == kNone && EqNoCase(attr, "PERMIT")) permitAt = count - 1;
    }
    if (EqNoCase(attr, "GUI_PERMIT")) guiPermit = true;
  }

  if (!guiPermit && permitAt != kNone) {
    const String& value = attrs[permitAt].text;
    const char* gui = "";
    if (value.EqualsNoCase("none"))
      gui = "NONE";
    else if (value.EqualsNoCase("tool"))
      gui = "ADVANCED_USER";
    else if (value.EqualsNoCase("user"))
      gui = "ALL_USERS";
    Attr& g = next("GUI_PERMIT");
    g.text = gui;
    g.make = MakeStr;
  }

  if (!haveType) type = "string";
  ValueKind kind = KindOfType(type);
  if (kind == ValueKind::kUnknown)
    BaseParser::PARSEWARN("Unknown Data type " + type + " specified. Assuming string");
  param->SetMdtValuePtr(MakeValue(kind, defaultText));
  if (defaultAt != kNone) {
    attrs[defaultAt].text = defaultText;
    attrs[defaultAt].make = MakerFor(kind);
  }

  thread_local std::vector<MdtBase::PropertyLater::LaterPsfComp> later;
  later.clear();
  for (size_t i = 0; i < count; ++i)
    later.push_back({attrs[i].name, attrs[i].make, attrs[i].text, attrs[i].extra});
  MdtBase::PropertyLater::Set(*param, later);
  return param;
}

void ReadProperty(std::string_view stmt, DefReaderState& st, Category* category) {
  std::string_view rest = stmt;
  std::string_view name = BaseUtils::GetWordTillChar(rest, '=');
  if (name.empty()) {
    Err(st.format == DefFormat::kMdd
            ? "PROPERTY name keyword is not specified"
            : "PROPERTY name is not specified. Usage : \"PROPERTY <name> = <value>\"");
    return;
  }
  const bool isDefault = EqNoCase(name, "default");
  const bool isDesc = EqNoCase(name, "desc");
  Array* array = st.array.get();

  auto prop = std::make_unique<Property>(String(name));
  BaseParser::SetFileInfo(prop.get());
  String work;  // the statement's rest with quotes blanked, where the format wants it
  std::string_view cur = rest;
  String valueText;
  int initCount = 0;
  if (isDefault) {
    work = QuotesToBlanks(rest);
    cur = work;
    auto* list = new MdtBase::ListBaseNodePtrVal(true);
    String canon;
    initCount = ReadInitialisers(cur, list, canon);
    prop->SetMdtValuePtr(list);
    if (array)
      array->SetMdtValuePtr(new MdtBase::StrVal(canon));
    else if (st.iface)
      st.iface->SetMdtValuePtr(new MdtBase::StrVal(canon));
    BaseUtils::GetWordTillChar(cur, ',');
  } else if (isDesc) {
    prop->SetMdtValuePtr(
        new MdtBase::StrVal(String(BaseUtils::GetWordSurroundedByChar(cur, '"', ','))));
  } else {
    work = QuotesToBlanks(rest);
    cur = work;
    valueText = String(BaseUtils::GetWordTillChar(cur, ','));
    if (valueText.empty()) Err("PROPERTY value is not specified");
    if (HasKeyword(name, "size"))
      prop->SetMdtValuePtr(new MdtBase::IntVal(valueText));
    else
      prop->SetMdtValuePtr(new MdtBase::StrVal(valueText));
  }
  while (!cur.empty()) {
    std::string_view key = BaseUtils::GetWordTillChar(cur, '=');
    std::string_view value = BaseUtils::GetWordTillChar(cur, ',');
    prop->AddPsfComp(NewComp(key, new MdtBase::StrVal(String(value))));
  }

  if (array) {
    String descText = prop->GetValueStr();
    // Only a property named exactly "size" stands for the array's size; a
    // "size_max" is an ordinary property and must not overwrite it.
    const bool isSize = EqNoCase(name, "size");
    if (isSize && st.arraySize) {
      MdtBase::IntVal* present = AsInt(st.arraySize);
      MdtBase::IntVal declared(valueText);
      if (present && present->IsValid() && present->GetInt() > declared.GetInt())
        Err("Array size defined as \"PROPERTY SIZE \" is less than the default initalizers "
            "specified through \"PROPERTY DEFAULT\" construct for the array");
      st.arraySize->SetValueStr(valueText);
      prop.reset();
    } else {
      MdtBase::Property* placed = prop.get();
      Place(array, Array::PROPERTIES, std::move(prop));
      if (isSize) st.arraySize = placed;
      if (isDefault) {
        if (!st.arraySize) {
          auto size = std::make_unique<MdtBase::Property>(String("size"));
          size->SetMdtValuePtr(new MdtBase::IntVal(static_cast<long long>(initCount)));
          st.arraySize = size.get();
          Place(array, Array::PROPERTIES, std::move(size));
        } else if (MdtBase::IntVal* present = AsInt(st.arraySize);
                   present && present->IsValid() && present->GetInt() < initCount) {
          Err("Default initializers for array greater than the array size defined");
        }
      }
    }
    array->AddPsfComp(NewComp("desc", new MdtBase::StrVal(descText), false));
  } else if (st.iface) {
    Place(st.iface.get(), Interface::PROPERTIES, std::move(prop));
  } else if (category) {
    String descText = prop->GetValueStr();
    Place(category, Category::PROPERTIES, std::move(prop));
    category->AddPsfComp(NewComp("desc", new MdtBase::StrVal(descText), false));
  }
  // Otherwise the property has no home and is dropped, as the formats want.
}

void ReadFunction(std::string_view stmt, DefReaderState& st) {
  std::string_view rest = stmt;
  std::string_view first = BaseUtils::GetWordTillChar(rest, '=');
  std::string_view name = BaseUtils::GetWordTillChar(rest, ',');
  std::string_view second = BaseUtils::GetWordTillChar(rest, '=');
  std::string_view value = BaseUtils::TrimView(rest);
  if (first.empty()) {
    Err("Blank FUNCTION definition.Correct syntax is \"FUNCTION NAME = <name>, VALUE = <value>\"");
  } else if (!HasKeyword(first, "name")) {
    Err(st.format == DefFormat::kMdd
            ? "NAME  keyword is not specified. Correct syntaxa is \"FUNCTION NAME = <name>, VALUE "
              "= <value>\""
            : "NAME  keyword is not specified. Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
              "<value>\"");
  } else if (name.empty()) {
    Err("FUNCTION name is not specified");
  } else if (second.empty()) {
    Err("Incomplete FUNCTION definition. Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\"");
  } else if (!HasKeyword(second, "value")) {
    Err("VALUE  keyword is not specified. Correct syntax is \"FUNCTION NAME = <name>, VALUE = "
        "<value>\"");
  } else if (value.empty()) {
    Err("FUNCTION value is not specified");
  } else if (!st.iface) {
    Err("FUNCTION keyword specified outside INTERFACE block");
  } else {
    auto fn = std::make_unique<Function>(String(name));
    BaseParser::SetFileInfo(fn.get());
    fn->SetMdtValuePtr(new MdtBase::StrVal(String(value)));
    Place(st.iface.get(), Interface::FUNCTIONS, std::move(fn));
  }
}

}  // namespace TavSoftware::detail

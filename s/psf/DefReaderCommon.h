// Pieces shared by the two definition-file readers (driver definitions and
// library/OS definitions). Both formats use the same line structure and the
// same PARAM, PROPERTY and FUNCTION statements, the same initialiser lists,
// "dep" condition lists, version option and INTERFACE/ARRAY sections; only the
// enclosing sections and a few message wordings differ.
//
// Every function here works on std::string_view cursors into the current line,
// so a statement costs time linear in its length however many items it holds.
// Messages go through BaseParser::PARSEERR/PARSEWARN, which prefix the file
// and line of the current parse.
#ifndef TAVSOFTWARE_S_PSF_DEFREADERCOMMON_H
#define TAVSOFTWARE_S_PSF_DEFREADERCOMMON_H

#include <memory>
#include <string_view>

#include "Array.h"
#include "Interface.h"
#include "MdtBase.h"
#include "MdtParse.h"
#include "Option.h"
#include "Param.h"

namespace TavSoftware {
class Category;
}

namespace TavSoftware::detail {

// Which reader a statement belongs to; selects the wording of the messages
// that differ between the two formats.
enum class DefFormat { kMdd, kMld };

// True when `text` begins with `keyword`, ignoring case (a prefix match, so
// "PARAMETER" matches "PARAM").
// Every statement is tried against keyword after keyword: inline, and most
// tries end at the first letter.
inline bool HasKeyword(std::string_view text, std::string_view keyword) {
  if (keyword.empty()) return true;
  if (text.empty() || Port::String::Lower(static_cast<unsigned char>(text[0])) !=
                          Port::String::Lower(static_cast<unsigned char>(keyword[0])))
    return false;
  return Port::StartsNoCase(text, keyword);
}
// HasKeyword; on a match the keyword's characters and the blanks after them
// are removed from `text`. Only the keyword's length is removed, so
// "BEGIN DRIVERS x" leaves "S x" after "DRIVER".
inline bool TakeKeyword(std::string_view& text, std::string_view keyword) {
  if (!HasKeyword(text, keyword)) return false;
  text = MdtBase::BaseUtils::TrimLeadingView(text.substr(keyword.size()));
  return true;
}
// The text up to the first blank.
std::string_view FirstWord(std::string_view text);
String Lower(std::string_view text);
String Upper(std::string_view text);
// A copy with every double quote turned into a blank.
String QuotesToBlanks(std::string_view text);
// `text` without leading `open` and trailing `close` characters.
std::string_view StripParens(std::string_view text, char open, char close);

// The line without its comment (from the first '#', quoted or not) and
// without surrounding blanks.
std::string_view CleanLine(std::string_view line);
// The statement before the first ';' (trimmed). Text after the ';' is
// reported and ignored.
std::string_view TakeStatement(std::string_view rest);

// Appends `child` to `container`'s sequence `nodeType`; the container takes
// it. A null child is ignored.
template <class C, class T>
void Place(C* container, int nodeType, std::unique_ptr<T> child) {
  if (!container || !child) return;
  if (container->AddProperty(nodeType, child.get()) >= 0) child.release();
}

// The INTERFACE and ARRAY sections, open flags and the node being read, as
// both readers keep them. A section whose BEGIN line was rejected (no name)
// is open but has no node: the statements inside it are taken as if it were
// not open, and its END places nothing.
struct DefReaderState {
  explicit DefReaderState(DefFormat f) : format(f) {}
  DefFormat format;
  bool interfaceOpen = false;
  bool arrayOpen = false;
  std::unique_ptr<Interface> iface;
  std::unique_ptr<Array> array;
  // The current array's property named "size", if any (kept so a long array
  // section does not search its properties for every statement).
  MdtBase::Property* arraySize = nullptr;
};

// `rest` is the text after "BEGIN INTERFACE" / "BEGIN ARRAY" (or the END
// twins), leading blanks removed.
void BeginInterface(DefReaderState& st, std::string_view rest);
// The closed interface, for the caller to place; null when none was open or
// its BEGIN line was rejected.
std::unique_ptr<Interface> EndInterface(DefReaderState& st, std::string_view rest);
void BeginArray(DefReaderState& st, std::string_view rest);
std::unique_ptr<Array> EndArray(DefReaderState& st, std::string_view rest);

// "OPTION psf_version = ..." outside the driver/library section: checked,
// nothing stored.
void ReadVersionOption(std::string_view stmt, DefFormat format);
// Splits "NAME = value" of an option: the name upper-cased, the value without
// leading '(' and trailing ')'. False, after the error, when either is empty.
bool SplitOption(std::string_view stmt, String& name, String& value);
// Reports the state options whose value is not allowed.
void CheckOption(const Option* option);

// A PARAM statement (the text after the keyword); null when it is dropped.
std::unique_ptr<Param> ReadParam(std::string_view stmt, DefFormat format);
// A PROPERTY statement, placed in the open array, else the open interface,
// else `category` (library definitions only; null otherwise), else dropped.
void ReadProperty(std::string_view stmt, DefReaderState& st, Category* category);
// A FUNCTION statement (quotes already blanked), placed in the open interface.
void ReadFunction(std::string_view stmt, DefReaderState& st);

}  // namespace TavSoftware::detail

#endif  // TAVSOFTWARE_S_PSF_DEFREADERCOMMON_H

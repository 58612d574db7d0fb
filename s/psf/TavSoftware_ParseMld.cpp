// Reader of MLD files (library and OS definitions, format version 2.1.0).
//
// Grammar. The line structure is that of the driver definitions: one
// statement per line, never continued; everything from the first '#' on is a
// comment (also inside quotes); blank lines are skipped; keywords are matched
// as prefixes ignoring case ("OS" matches any word beginning with OS).
//
//   file       := { line }
//   line       := begin | end | option | param | property | function
//   begin      := "BEGIN" ( "LIBRARY" name | "OS" name | "CATEGORY" name
//                         | "INTERFACE" name | "ARRAY" name | anything else: ignored )
//   end        := "END" ( "LIBRARY" | "OS" | "CATEGORY" | "INTERFACE" | "ARRAY"
//                       | anything else: ignored )
//   option     := "OPTION" NAME "=" value ";"
//   param      := "PARAM" word "=" name { "," attr "=" value } ";"
//   property   := "PROPERTY" name "=" value { "," key "=" value } ";"
//   function   := "FUNCTION" "NAME" "=" name "," "VALUE" "=" value ";"
//
// Text after the ';' is reported and ignored. Where each statement goes:
//   BEGIN LIBRARY/OS   names the Mld (lower case); one flag serves both.
//   END LIBRARY/OS     adds the option MLD_TYPE "LIBRARY"/"OS" (after the END
//                      line's word, not the BEGIN line's).
//   OPTION             outside LIBRARY/OS: only psf_version, checked and not
//                      stored; inside: an Option in the open category, else the Mld.
//   CATEGORY ... END   a Category; added to the Mld at END CATEGORY. It takes
//                      the name of its first parameter.
//   INTERFACE ... END  an Interface; always added to the Mld.
//   ARRAY ... END      an Array; at END into the open category, else the Mld.
//   PARAM              the open array, else the open category, else the Mld.
//   PROPERTY           the open array, else the open interface, else the open
//                      category (which also gets a "desc" component), else dropped.
//   FUNCTION           the open interface (an error elsewhere).
// Category, interface and array are independent flags, not a stack.
//
// What stops the parse: a bare "BEGIN" (result 1), an unknown keyword (the
// error count so far), a missing END LIBRARY/OS at the end (the error count).
// Those exits leave the Mld as read, without error code or owners. Any other
// error drops its statement and reading goes on.
#include "Category.h"
#include "MdtParse.h"
#include "Mld.h"
#include "MldUtil.h"
#include "ParseMld.h"
#include "psf/DefReaderCommon.h"

namespace TavSoftware {

using MdtBase::BaseParser;
using MdtBase::BaseUtils;
using namespace detail;

namespace {

void Err(const char* text) { BaseParser::PARSEERR(String(text)); }

// Parse state of one MLD read; lives on the stack of Parse.
class MldReader {
 public:
  explicit MldReader(Mld* mld) : common_(DefFormat::kMld), mld_(mld) {}

  // The line loop; the result of ParseMld::Parse.
  int Run();

 private:
  // False when the line ends the parse; `result` then holds its result.
  bool Line(String& line, std::string_view text, int& result);
  bool Begin(std::string_view text, int& result);
  void End(std::string_view text);
  void EndLibrary(bool isOs);
  void LibraryOption(std::string_view stmt);
  void WarnUnclosed();

  DefReaderState common_;
  Mld* mld_;
  bool libOpen_ = false;  // LIBRARY or OS
  bool libSeen_ = false;
  bool categoryOpen_ = false;
  std::unique_ptr<Category> category_;
};

int MldReader::Run() {
  BaseParser::State& s = BaseParser::S();
  String line;
  int result = 0;
  while (!BaseParser::AtEof()) {
    ++s.lineno;
    BaseParser::ReadLine(line);
    std::string_view text = CleanLine(line);
    if (text.empty()) continue;
    if (!Line(line, text, result)) return result;
  }
  if (libOpen_) {
    Err("No END LIBRARY/OS found in the MLD file. ");
    return s.numerr;
  }
  if (!libSeen_) Err("No BEGIN LIBRARY or BEGIN OS found in the MLD file. ");
  WarnUnclosed();
  mld_->SetErrorCode(s.numerr);
  MldUtil::AssignOwner(mld_);
  return s.numerr;
}

bool MldReader::Line(String& line, std::string_view text, int& result) {
  if (TakeKeyword(text, "BEGIN")) return Begin(text, result);
  if (TakeKeyword(text, "END")) {
    End(text);
  } else if (TakeKeyword(text, "OPTION")) {
    line.ReplaceChars("\"", ' ');  // in place: `text` still views the same bytes
    std::string_view stmt = TakeStatement(text);
    if (libOpen_)
      LibraryOption(stmt);
    else
      ReadVersionOption(stmt, DefFormat::kMld);
  } else if (TakeKeyword(text, "PARAM")) {
    std::unique_ptr<Param> param = ReadParam(TakeStatement(text), DefFormat::kMld);
    if (!param) return true;
    if (common_.array) {
      Place(common_.array.get(), Array::PARAMETERS, std::move(param));
    } else if (category_) {
      // A category is known by its first parameter, whatever BEGIN CATEGORY said.
      if (category_->GetPropSeqRef(Category::PARAMETERS).empty())
        category_->SetName(param->GetName());
      Place(category_.get(), Category::PARAMETERS, std::move(param));
    } else {
      Place(mld_, Mld::PARAMETERS, std::move(param));
    }
  } else if (TakeKeyword(text, "PROPERTY")) {
    ReadProperty(TakeStatement(text), common_, category_.get());
  } else if (TakeKeyword(text, "FUNCTION")) {
    line.ReplaceChars("\"", ' ');
    ReadFunction(TakeStatement(text), common_);
  } else {
    Err("Syntax error. Either an invalid Keyword is used in the MLD file or a PARAM/OPTION "
        "description is extended over multiple lines. Multiple lines descriptions not supported "
        "in MLDs for PSF version 2.1.0.");
    result = BaseParser::S().numerr;
    return false;
  }
  return true;
}

bool MldReader::Begin(std::string_view text, int& result) {
  if (text.empty()) {
    Err("BEGIN should be followed by LIBRARY, OS, CATEGORY, INTERFACE or ARRAY");
    result = 1;
    return false;
  }
  const bool isLib = HasKeyword(text, "LIBRARY");
  if (isLib || HasKeyword(text, "OS")) {
    if (libOpen_) {
      Err(isLib ? "Using BEGIN LIBRARY again... line ignored"
                : "Using BEGIN OS again... line ignored");
      return true;
    }
    libOpen_ = libSeen_ = true;
    TakeKeyword(text, isLib ? "LIBRARY" : "OS");
    if (text.empty())
      Err(isLib ? "BEGIN LIBRARY should be followed by library name "
                : "BEGIN OS should be followed by os name ");
    else
      mld_->SetName(Lower(FirstWord(text)));
  } else if (TakeKeyword(text, "CATEGORY")) {
    if (categoryOpen_) {
      Err("Using BEGIN CATEGORY again... line ignored");
      return true;
    }
    categoryOpen_ = true;
    category_ = std::make_unique<Category>();
    category_->SetName(Lower(FirstWord(text)));
    BaseParser::SetFileInfo(category_.get());
  } else if (TakeKeyword(text, "INTERFACE")) {
    BeginInterface(common_, text);
  } else if (TakeKeyword(text, "ARRAY")) {
    BeginArray(common_, text);
  }
  return true;
}

void MldReader::End(std::string_view text) {
  if (TakeKeyword(text, "LIBRARY")) {
    EndLibrary(false);
  } else if (TakeKeyword(text, "OS")) {
    EndLibrary(true);
  } else if (TakeKeyword(text, "CATEGORY")) {
    if (!categoryOpen_) {
      Err("Cannot use END CATEGORY without using BEGIN CATEGORY");
      return;
    }
    categoryOpen_ = false;
    Place(mld_, Mld::CATEGORIES, std::move(category_));
    if (!text.empty()) Err("Any thing after keyword END CATEGORY on the same line is ignored");
  } else if (TakeKeyword(text, "INTERFACE")) {
    Place(mld_, Mld::INTERFACES, EndInterface(common_, text));
  } else if (TakeKeyword(text, "ARRAY")) {
    std::unique_ptr<Array> array = EndArray(common_, text);
    if (category_)
      Place(category_.get(), Category::ARRAYS, std::move(array));
    else
      Place(mld_, Mld::ARRAYS, std::move(array));
  }
}

void MldReader::EndLibrary(bool isOs) {
  if (!libOpen_) {
    Err(isOs ? "Cannot use END OS without using BEGIN OS"
             : "Cannot use END LIBRARY without using BEGIN LIBRARY");
    return;
  }
  libOpen_ = false;
  auto type = std::make_unique<Option>(String("MLD_TYPE"));
  BaseParser::SetFileInfo(type.get());
  type->SetMdtValuePtr(new MdtBase::StrVal(String(isOs ? "OS" : "LIBRARY")));
  Place(mld_, Mld::OPTIONS, std::move(type));
}

void MldReader::LibraryOption(std::string_view stmt) {
  String name, value;
  if (!SplitOption(stmt, name, value)) return;
  auto option = std::make_unique<Option>(name);
  BaseParser::SetFileInfo(option.get());
  MdtBase::MdtValue* v;
  if (name.StartsNoCase("DRC") || name.StartsNoCase("APP_COMPILER_FLAGS") ||
      name.StartsNoCase("APP_LINKER_FLAGS")) {
    v = new MdtBase::StrVal(value);
  } else if (name.StartsNoCase("COPYFILES")) {
    v = new MdtBase::ListStrVal(value, " \t");
  } else if (name.StartsNoCase("COMPILE_BSP") || name.EqualsNoCase("BSP")) {
    v = new MdtBase::StrVal(value);
  } else if (name.StartsNoCase("DEPENDS") || name.StartsNoCase("SUPPORTED_PERIPHERALS") ||
             name.StartsNoCase("REQUIRES_INTERFACE") || name.StartsNoCase("REQUIRES_OS")) {
    v = new MdtBase::ListStrVal(value, " \t");
  } else if (name.EqualsNoCase("LIBRARY_STATE") || name.EqualsNoCase("OS_STATE")) {
    v = new MdtBase::StrVal(Upper(value));
  } else if (name.EqualsNoCase("DESC")) {
    v = new MdtBase::StrVal(value);
  } else {
    BaseParser::PARSEWARN(
        "Unrecognized Option name. List of possible Option names are : APP_COMPILER_FLAGS, "
        "APP_LINKER_FLAGS, BSP, COPYFILES, COMPILE_BSP, DRC, DESC, DEPENDS, LIBRARY_STATE, "
        "OS_STATE, REQUIRES_INTERFACE, REQUIRES_OS, SUPPORTED_PERIPHERALS.\n");
    v = new MdtBase::StrVal(value);
  }
  option->SetMdtValuePtr(v);
  const Option* placed = option.get();
  if (category_)
    Place(category_.get(), Category::OPTIONS, std::move(option));
  else
    Place(mld_, Mld::OPTIONS, std::move(option));
  CheckOption(placed);
}

// A section left open at the end would vanish without a word; say so, but
// as a warning, so files that parsed cleanly before still do.
void MldReader::WarnUnclosed() {
  if (categoryOpen_)
    BaseParser::PARSEWARN("No END CATEGORY found in the MLD file. The CATEGORY is ignored");
  if (common_.interfaceOpen)
    BaseParser::PARSEWARN("No END INTERFACE found in the MLD file. The INTERFACE is ignored");
  if (common_.arrayOpen)
    BaseParser::PARSEWARN("No END ARRAY found in the MLD file. The ARRAY is ignored");
}

}  // namespace

int ParseMld::Parse(const String& fileName, Mld* mld) {
  if (!mld) return -1;
  BaseParser::ParseScope scope;
  int rc = BaseParser::InitData(fileName, mld);
  if (rc != 0) return rc;
  mld->SetName(Port::FileName(fileName).GetBase());
  mld->SetFileName(fileName);
  MldReader reader(mld);
  int result = reader.Run();
  BaseParser::Close();
  return result;
}

Mld* MldUtil::Parse(const String& path, int& status) {
  auto* mld = new Mld();
  status = ParseMld::Parse(path, mld);
  return mld;
}

int MldUtil::Parse(const String& path, Mld* mld) { return ParseMld::Parse(path, mld); }

}  // namespace TavSoftware

// Reader of MDD files (driver definitions, format version 2.1.0).
//
// Grammar. One statement per line; a statement never continues on the next
// line. Everything from the first '#' on is a comment (also inside quotes)
// and is dropped; blank lines are skipped. Keywords are matched as prefixes
// ignoring case ("PARAMETER" is PARAM, "BEGIN DRIVERS x" is BEGIN DRIVER "s").
//
//   file       := { line }
//   line       := begin | end | option | param | property | function
//   begin      := "BEGIN" ( "DRIVER" name
//                         | "BLOCK" "," "DEP" "=" "(" cname "=" cvalue ")"
//                         | "INTERFACE" name
//                         | "ARRAY" name
//                         | anything else: ignored )
//   end        := "END" ( "DRIVER" | "BLOCK" | "INTERFACE" | "ARRAY" | anything else: ignored )
//   option     := "OPTION" NAME "=" value ";"
//   param      := "PARAM" word "=" name { "," attr "=" value } ";"
//   property   := "PROPERTY" name "=" value { "," key "=" value } ";"
//   function   := "FUNCTION" "NAME" "=" name "," "VALUE" "=" value ";"
//
// Text after the ';' is reported and ignored. Where each statement goes:
//   BEGIN DRIVER       names the Mdd (lower case).
//   OPTION             outside the driver: only psf_version, checked and not
//                      stored; inside: an Option in the open block, else the Mdd.
//   BLOCK ... END      a Block holding one Dep; added to the Mdd at END BLOCK.
//   INTERFACE ... END  an Interface; at END into the open block, else the Mdd.
//   ARRAY ... END      an Array; at END into the open block, else the Mdd.
//   PARAM              the open array, else the open block, else the Mdd.
//   PROPERTY           the open array, else the open interface, else dropped.
//   FUNCTION           the open interface (an error elsewhere).
// Block, interface and array are independent flags, not a stack.
//
// What stops the parse: a bare "BEGIN" (result 1), an unknown keyword (the
// error count so far), a missing END DRIVER at the end (the error count).
// Those exits leave the Mdd as read, without error code or owners. Any other
// error drops its statement and reading goes on.
#include "Block.h"
#include "MdtParse.h"
#include "Dep.h"
#include "Mdd.h"
#include "MddUtil.h"
#include "ParseMdd.h"
#include "psf/DefReaderCommon.h"

namespace TavSoftware {

using MdtBase::BaseParser;
using MdtBase::BaseUtils;
using namespace detail;

namespace {

void Err(const char* text) { BaseParser::PARSEERR(String(text)); }

// Parse state of one MDD read; lives on the stack of Parse.
class MddReader {
 public:
  explicit MddReader(Mdd* mdd) : common_(DefFormat::kMdd), mdd_(mdd) {}

  // The line loop; the result of ParseMdd::Parse.
  int Run();

 private:
  // False when the line ends the parse; `result` then holds its result.
  bool Line(String& line, std::string_view text, int& result);
  bool Begin(std::string_view text, int& result);
  void End(std::string_view text);
  void BlockCondition(std::string_view text);
  void DriverOption(std::string_view stmt);
  void WarnUnclosed();

  DefReaderState common_;
  Mdd* mdd_;
  bool driverOpen_ = false;
  bool driverSeen_ = false;
  bool blockOpen_ = false;
  // The block being read; null outside a block and when its header was
  // rejected (its statements then go where they would without the block).
  std::unique_ptr<Block> block_;
};

int MddReader::Run() {
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
  if (driverOpen_) {
    Err("No END DRIVER found in the MDD file. ");
    return s.numerr;
  }
  if (!driverSeen_) Err("No BEGIN DRIVER found in the MDD file. ");
  WarnUnclosed();
  mdd_->SetErrorCode(s.numerr);
  MddUtil::AssignOwner(mdd_);
  return s.numerr;
}

bool MddReader::Line(String& line, std::string_view text, int& result) {
  if (TakeKeyword(text, "BEGIN")) return Begin(text, result);
  if (TakeKeyword(text, "END")) {
    End(text);
  } else if (TakeKeyword(text, "OPTION")) {
    line.ReplaceChars("\"", ' ');  // in place: `text` still views the same bytes
    std::string_view stmt = TakeStatement(text);
    if (driverOpen_)
      DriverOption(stmt);
    else
      ReadVersionOption(stmt, DefFormat::kMdd);
  } else if (TakeKeyword(text, "PARAM")) {
    std::unique_ptr<Param> param = ReadParam(TakeStatement(text), DefFormat::kMdd);
    if (common_.array)
      Place(common_.array.get(), Array::PARAMETERS, std::move(param));
    else if (block_)
      Place(block_.get(), Block::PARAMETERS, std::move(param));
    else
      Place(mdd_, Mdd::PARAMETERS, std::move(param));
  } else if (TakeKeyword(text, "PROPERTY")) {
    ReadProperty(TakeStatement(text), common_, nullptr);
  } else if (TakeKeyword(text, "FUNCTION")) {
    line.ReplaceChars("\"", ' ');
    ReadFunction(TakeStatement(text), common_);
  } else {
    Err("Syntax error. Either an invalid Keyword is used in the MDD file or a PARAM/OPTION "
        "description is extended over multiple lines. Multiple lines descriptions not supported "
        "in MDDs for PSF version 2.1.0.");
    result = BaseParser::S().numerr;
    return false;
  }
  return true;
}

bool MddReader::Begin(std::string_view text, int& result) {
  if (text.empty()) {
    Err("BEGIN should be followed by DRIVER, BLOCK, INTERFACE or ARRAY");
    result = 1;
    return false;
  }
  if (TakeKeyword(text, "DRIVER")) {
    if (driverOpen_) {
      Err("Using BEGIN DRIVER again... line ignored");
      return true;
    }
    driverOpen_ = driverSeen_ = true;
    if (text.empty())
      Err("BEGIN DRIVER should be followed by driver name ");
    else
      mdd_->SetName(Lower(FirstWord(text)));
  } else if (HasKeyword(text, "BLOCK")) {
    if (blockOpen_) {
      Err("Using BEGIN BLOCK again... line ignored");
      return true;
    }
    blockOpen_ = true;
    TakeKeyword(text, "BLOCK");
    bool ok = !text.empty() && text.front() == ',';
    if (ok) {
      text = BaseUtils::TrimLeadingView(text.substr(1));
      ok = HasKeyword(text, "DEP");
    }
    if (!ok) {
      Err("while parsing BLOCK. Correct format is \"BEGIN BLOCK, DEP = (condition)\"");
      return true;
    }
    block_ = std::make_unique<Block>();
    BlockCondition(text);
  } else if (TakeKeyword(text, "INTERFACE")) {
    BeginInterface(common_, text);
  } else if (TakeKeyword(text, "ARRAY")) {
    BeginArray(common_, text);
  }
  return true;
}

void MddReader::End(std::string_view text) {
  if (TakeKeyword(text, "DRIVER")) {
    if (!driverOpen_)
      Err("Cannot use END DRIVER without using BEGIN DRIVER");
    else
      driverOpen_ = false;
  } else if (TakeKeyword(text, "BLOCK")) {
    if (!blockOpen_) {
      Err("Cannot use END BLOCK without using BEGIN BLOCK");
      return;
    }
    blockOpen_ = false;
    Place(mdd_, Mdd::BLOCKS, std::move(block_));
    if (!text.empty()) Err("Any thing after keyword END BLOCK on the same line is ignored");
  } else if (TakeKeyword(text, "INTERFACE")) {
    std::unique_ptr<Interface> iface = EndInterface(common_, text);
    if (block_)
      Place(block_.get(), Block::INTERFACES, std::move(iface));
    else
      Place(mdd_, Mdd::INTERFACES, std::move(iface));
  } else if (TakeKeyword(text, "ARRAY")) {
    std::unique_ptr<Array> array = EndArray(common_, text);
    if (block_)
      Place(block_.get(), Block::ARRAYS, std::move(array));
    else
      Place(mdd_, Mdd::ARRAYS, std::move(array));
  }
}

// `text` begins with "DEP": DEP = (cname = cvalue).
void MddReader::BlockCondition(std::string_view text) {
  String work = QuotesToBlanks(text);
  std::string_view rest = work;
  BaseUtils::GetWordTillChar(rest, '=');
  if (rest.empty()) {
    Err("DEP condition is not specified. Usage : \"DEP = (<cname> = <cvalue>\" ");
    return;
  }
  rest = StripParens(rest, '(', ')');
  std::string_view name = BaseUtils::GetWordTillChar(rest, '=');
  std::string_view value = FirstWord(rest);
  if (name.empty()) {
    Err("Condition name for DEP is not specified. Usage : \"DEP = (<cname> = <cvalue>\" ");
  } else if (value.empty()) {
    Err("Condition value for DEP is not specified. Usage : \"DEP = (<cname> = <cvalue>\" ");
  } else {
    auto dep = std::make_unique<Dep>(String(name));
    BaseParser::SetFileInfo(dep.get());
    dep->SetMdtValuePtr(new MdtBase::IntVal(String(value)));
    Place(block_.get(), Block::DEPS, std::move(dep));
  }
}

void MddReader::DriverOption(std::string_view stmt) {
  String name, value;
  if (!SplitOption(stmt, name, value)) return;
  auto option = std::make_unique<Option>(name);
  BaseParser::SetFileInfo(option.get());
  MdtBase::MdtValue* v;
  if (name.StartsNoCase("DRC")) {
    v = new MdtBase::StrVal(value);
  } else if (name.StartsNoCase("COPYFILES") || name.StartsNoCase("DEPENDS") ||
             name.StartsNoCase("SUPPORTED_PERIPHERALS")) {
    v = new MdtBase::ListStrVal(value, " \t");
  } else if (name.EqualsNoCase("DRIVER_STATE")) {
    v = new MdtBase::StrVal(Upper(value));
  } else if (name.EqualsNoCase("DEFAULT_OS")) {
    v = new MdtBase::StrVal(value);
  } else if (name.EqualsNoCase("DESC")) {
    v = new MdtBase::StrVal(BaseParser::HandleEscapedCharacters(value));
  } else {
    BaseParser::PARSEWARN(
        "Unrecognized Option name. List of possible Option names are : DRC, DESC, COPYFILES, "
        "DEPENDS, SUPPORTED_PERIPHERALS, DRIVER_STATE, DEFAULT_OS \n");
    v = new MdtBase::StrVal(value);
  }
  option->SetMdtValuePtr(v);
  const Option* placed = option.get();
  if (block_)
    Place(block_.get(), Block::OPTIONS, std::move(option));
  else
    Place(mdd_, Mdd::OPTIONS, std::move(option));
  CheckOption(placed);
}

// A section left open at the end would vanish without a word; say so, but
// as a warning, so files that parsed cleanly before still do.
void MddReader::WarnUnclosed() {
  if (blockOpen_) BaseParser::PARSEWARN("No END BLOCK found in the MDD file. The BLOCK is ignored");
  if (common_.interfaceOpen)
    BaseParser::PARSEWARN("No END INTERFACE found in the MDD file. The INTERFACE is ignored");
  if (common_.arrayOpen)
    BaseParser::PARSEWARN("No END ARRAY found in the MDD file. The ARRAY is ignored");
}

}  // namespace

int ParseMdd::Parse(const String& fileName, Mdd* mdd) {
  if (!mdd) return -1;
  BaseParser::ParseScope scope;
  int rc = BaseParser::InitData(fileName, mdd);
  if (rc != 0) return rc;
  mdd->SetName(Port::FileName(fileName).GetBase());
  mdd->SetFileName(fileName);
  MddReader reader(mdd);
  int result = reader.Run();
  BaseParser::Close();
  return result;
}

Mdd* MddUtil::Parse(const String& path, int& status) {
  auto* mdd = new Mdd();
  status = ParseMdd::Parse(path, mdd);
  return mdd;
}

int MddUtil::Parse(const String& path, Mdd* mdd) { return ParseMdd::Parse(path, mdd); }

}  // namespace TavSoftware

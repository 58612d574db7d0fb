#include "UnsavedText.h"

#include "MdtBase.h"
#include "MdtParse.h"

namespace TavSoftware {

UnsavedText::UnsavedText(const String& fileName, const String& text)
    : fileName_(fileName), text_(std::make_unique<String>(text)) {
  MdtBase::BaseParser::AddUnsavedText(fileName_, text_.get());
}

UnsavedText::~UnsavedText() { MdtBase::BaseParser::WithdrawUnsavedText(text_.get()); }

}  // namespace TavSoftware

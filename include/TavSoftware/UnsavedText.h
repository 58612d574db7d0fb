// Text an editor holds for a file and has not saved: read in place of the
// file by every reader, with the same file name, lines and messages.
#ifndef TAVSOFTWARE_UNSAVEDTEXT_H
#define TAVSOFTWARE_UNSAVEDTEXT_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

class TAVSW_API UnsavedText {
 public:
  // From now until this object is destroyed, every read of `fileName` by
  // the MSS, MDD and MLD readers on this thread reads `text` instead of the
  // file on disk. The text is copied. A file name matches when it is the
  // same text or names the same path once both are made absolute and
  // normal. When several are alive for one file, the newest wins.
  UnsavedText(const String& fileName, const String& text);
  ~UnsavedText();
  UnsavedText(const UnsavedText&) = delete;
  UnsavedText& operator=(const UnsavedText&) = delete;

  const String& GetFileName() const { return fileName_; }
  const String& GetText() const { return *text_; }

 private:
  String fileName_;
  std::unique_ptr<String> text_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_UNSAVEDTEXT_H

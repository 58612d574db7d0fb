// What the language server knows besides the text: the cores of the
// repositories with their definition files, and the hardware descriptions.
// Kept between requests and brought in line with the disk before each use,
// so that a definition file changed on disk is read again.
#ifndef TAVSOFTWARE_TOOLS_LSPKNOWLEDGE_H
#define TAVSOFTWARE_TOOLS_LSPKNOWLEDGE_H

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "HwDbFile.h"
#include "MdtBase.h"
#include "SwCore.h"
#include "SwReposMan.h"

namespace tavsw::lsp {

// The kinds of core, as the repositories tell them apart.
enum CoreKind { kDriverCore = 1, kLibraryCore = 2, kOsCore = 3 };

// The kind of core a BEGIN block names: DRIVER and PROCESSOR a driver.
CoreKind CoreKindOf(const std::string& blockKind);

class Knowledge {
 public:
  explicit Knowledge(std::vector<std::string> repos);
  Knowledge(const Knowledge&) = delete;
  Knowledge& operator=(const Knowledge&) = delete;

  // Brings the repositories in line with the disk: cores added or gone,
  // changed definition files read again. Pointers into definitions taken
  // before are no longer valid.
  void Refresh();

  // The core of that kind, name and version (any version when empty), as
  // a build would pick it; null when none.
  TavSoftware::SwCore* Core(CoreKind kind, const std::string& name, const std::string& version);
  // Its definition file (Mdd or Mld); null when there is none.
  static MdtBase::PsfFile* DefinitionOf(TavSoftware::SwCore* core);
  // Every core of the kind, in search order.
  std::vector<TavSoftware::SwCore*> Cores(CoreKind kind);
  // The versions of the cores of that name, newest first, each once.
  std::vector<TavSoftware::SwCore*> Versions(CoreKind kind, const std::string& name);
  // The names of the cores of that kind, each once, in search order.
  std::vector<std::string> Names(CoreKind kind);

  // The parameters and arrays the definition declares, its blocks' and
  // categories' included, in file order.
  static std::vector<const MdtBase::Property*> Declared(const MdtBase::PsfFile* def);
  static const MdtBase::Property* DeclaredByName(const MdtBase::PsfFile* def,
                                                 const std::string& name);
  // DRIVER_STATE, LIBRARY_STATE or OS_STATE of the core's definition
  // (upper case); "" when it says none.
  static std::string State(TavSoftware::SwCore* core);
  // True when the definition's supported_peripherals admit hardware of
  // that type and version, or it names none.
  static bool Supports(TavSoftware::SwCore* core, const std::string& ipType,
                       const std::string& ipVersion);

  // The hardware description at `path`, read again when the file changed;
  // null when it cannot be read.
  boost::shared_ptr<TavHwDb::HwDbFile> Hw(const std::string& path);
  // What reading it said (warnings about keys it does not know, say), so
  // that each check can say it again.
  const std::vector<MsgRecord>& HwMessages(const std::string& path) const;

 private:
  std::vector<std::string> repos_;
  std::unique_ptr<TavSoftware::SwReposMan> man_;
  struct HwEntry {
    int64_t stamp = 0;
    boost::shared_ptr<TavHwDb::HwDbFile> db;
    std::vector<MsgRecord> messages;
  };
  std::map<std::string, HwEntry> hw_;
};

// The names in `known` closest to `typed` (ignoring case), closest first,
// at most `count`; none that is too far off to be what was meant.
std::vector<std::string> Closest(const std::string& typed, const std::vector<std::string>& known,
                                 size_t count = 3);

}  // namespace tavsw::lsp

#endif  // TAVSOFTWARE_TOOLS_LSPKNOWLEDGE_H

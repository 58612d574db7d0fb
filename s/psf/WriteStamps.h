// File information of the nodes a writer stamps, kept so that a failed
// write can give every node its old file and line back: no node may point
// at a file that was never written.
#ifndef TAVSOFTWARE_S_PSF_WRITESTAMPS_H
#define TAVSOFTWARE_S_PSF_WRITESTAMPS_H

#include <vector>

#include "MdtBase.h"
#include "MdtParse.h"

namespace TavSoftware::detail {

class WriteStamps {
 public:
  // Stamps `node` with the written file and the line last written.
  void Stamp(MdtBase::PsfComp* node, const MdtBase::UtStreamWriter* writer) {
    if (!node) return;
    saved_.push_back({node, node->GetFileNameStr(), node->GetLineNum()});
    MdtBase::BaseWriter::SetFileInfo(node, writer);
  }
  // Gives every stamped node its previous file and line back.
  void Undo() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      it->node->SetFileName(it->file);
      it->node->SetLineNum(it->line);
    }
    saved_.clear();
  }

 private:
  struct Saved {
    MdtBase::PsfComp* node;
    Port::String file;
    int line;
  };
  std::vector<Saved> saved_;
};

}  // namespace TavSoftware::detail

#endif  // TAVSOFTWARE_S_PSF_WRITESTAMPS_H

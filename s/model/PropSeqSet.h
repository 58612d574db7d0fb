// Typed child sequences of a container node, selected by NodeType. Shared by
// the property containers, the components and the file objects, which all
// keep their children this way.
#ifndef TAVSOFTWARE_S_MODEL_PROPSEQSET_H
#define TAVSOFTWARE_S_MODEL_PROPSEQSET_H

#include <vector>

#include "MdtBase.h"

namespace TavSoftware::detail {

class PropSeqSet {
 public:
  // Sequences for the NodeType values first..last. With `single` every
  // NodeType selects the one sequence (an Element's rows).
  PropSeqSet(int first, int last, bool single = false);
  ~PropSeqSet();  // destroys every child of every sequence
  PropSeqSet(const PropSeqSet&) = delete;
  PropSeqSet& operator=(const PropSeqSet&) = delete;

  bool IsValid(int nodeType) const;
  // The sequence; an unlisted NodeType gets an empty scratch sequence, so a
  // stray value never reaches memory it does not own.
  MdtBase::PropSeq& Get(int nodeType);
  const MdtBase::PropSeq& Get(int nodeType) const;
  MdtBase::Property* FindByName(int nodeType, const Port::String& name) const;
  // Sets the child's NodeType and appends it; the new length. -1 for null or
  // an unlisted NodeType (the caller keeps the child).
  int Add(int nodeType, MdtBase::Property* child);
  // -1 for null; else PropertyUtil::DelPropertyByPtr(sequence, child, 1).
  int Del(int nodeType, MdtBase::Property* child);
  // -1 when no child has that name.
  int Del(int nodeType, const Port::String& name);
  // Destroys the sequence's children; 0.
  int DelSeq(int nodeType);
  // Destroys everything.
  void Clear();
  int First() const { return first_; }
  int Last() const { return last_; }

 private:
  int first_;
  int last_;
  bool single_;
  std::vector<MdtBase::PropSeq> seqs_;
};

}  // namespace TavSoftware::detail

#endif  // TAVSOFTWARE_S_MODEL_PROPSEQSET_H

// Typed child sequences of a container node, selected by NodeType. Shared by
// the property containers, the components and the file objects, which all
// keep their children this way.
#ifndef TAVSOFTWARE_S_MODEL_PROPSEQSET_H
#define TAVSOFTWARE_S_MODEL_PROPSEQSET_H

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "MdtBase.h"

namespace TavSoftware::detail {

// A node's children were made in the order of the file, kinds interleaved,
// and lie in memory in that order. A walk over all of them in address order
// sweeps a big tree's memory once, not once per kind; it is worth it from
// two lists of this length on (one list is in file order already).
constexpr size_t kLongList = 64;

// Calls visit(p, nodeType) for every non-null entry of the lists `kinds` of
// `doc`: in address order when two lists or more are long, else list by
// list. An entry listed twice is still seen in the order of its lists.
template <class Doc, class Visit>
void VisitInFileOrder(Doc* doc, std::initializer_list<int> kinds, Visit visit) {
  int longLists = 0;
  for (int kind : kinds) longLists += doc->GetPropSeqRef(kind).size() >= kLongList;
  if (longLists < 2) {
    for (int kind : kinds)
      for (MdtBase::Property* p : doc->GetPropSeqRef(kind))
        if (p) visit(p, kind);
    return;
  }
  std::vector<std::pair<MdtBase::Property*, int>> entries;
  for (int kind : kinds)
    for (MdtBase::Property* p : doc->GetPropSeqRef(kind))
      if (p) entries.emplace_back(p, kind);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return std::less<>()(a.first, b.first);
  });
  for (const auto& [p, kind] : entries) visit(p, kind);
}

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
  // The first child of that name, ignoring case; null when none. Long
  // sequences answer from a name index, so that adding n children that must
  // not share a name stays linear.
  MdtBase::Property* FindByName(int nodeType, const Port::String& name) const;
  // Reports a child refused as a duplicate of a name already in the
  // sequence: "<file> line <n> - Property <name> already added to <owner>"
  // when the child carries its file and line, the plain text otherwise.
  static void ReportDuplicate(const MdtBase::Property* child, const char* owner);
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
  // Lower-cased name -> first child of that name. The sequences are handed
  // out by reference and names can change, so the index remembers what it
  // was built from and is rebuilt when the sequence or any indexed name
  // changed since.
  struct NameIndex {
    std::unordered_map<std::string, MdtBase::Property*> first;
    size_t size = 0;
    const void* data = nullptr;
    const void* back = nullptr;
    uint64_t epoch = 0;
    bool built = false;
    bool Current(const MdtBase::PropSeq& seq) const;
    void Rebuild(const MdtBase::PropSeq& seq);
    void Note(const MdtBase::PropSeq& seq);
  };
  NameIndex* IndexFor(int nodeType) const;
  void Invalidate(int nodeType);

  size_t Count() const { return single_ ? 1 : static_cast<size_t>(last_ - first_ + 1); }
  // Every container node has a set: kept to three words, the sequences
  // drawn with the node's own storage.
  int16_t first_;
  int16_t last_;
  bool single_;
  MdtBase::PropSeq* seqs_;
  // Made on the first lookup in a long sequence; most containers never
  // need one.
  mutable std::unique_ptr<std::vector<NameIndex>> index_;
};

}  // namespace TavSoftware::detail

#endif  // TAVSOFTWARE_S_MODEL_PROPSEQSET_H

// A library or OS definition file (MLD) in memory.
#ifndef TAVSOFTWARE_MLD_H
#define TAVSOFTWARE_MLD_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct MldImp;

// Owns the entries of its sequences and destroys them with itself.
class TAVSW_API Mld : public MdtBase::PsfFile {
 public:
  enum NodeType {
    OPTIONS = 2,     // TavSoftware_Option
    PARAMETERS = 3,  // TavSoftware_Param
    CATEGORIES = 4,  // TavSoftware_Category
    INTERFACES = 5,  // TavSoftware_Interface
    ARRAYS = 6       // TavSoftware_Array (array definitions)
  };

  Mld();
  ~Mld() override;

  // The sequence of `nodeType`. Values 0 and 1 (and any unlisted value) give
  // an empty scratch sequence that keeps nothing.
  PropSeq& GetPropSeqRef(int nodeType);
  const PropSeq& GetPropSeqRef(int nodeType) const;
  // First entry of that name (ignoring case); null when absent. For
  // CATEGORIES the name is looked for inside the categories (their
  // parameters, arrays, properties, options), never among category names.
  MdtBase::Property* GetPropertyByName(int nodeType, const String& name);
  const MdtBase::Property* GetPropertyByName(int nodeType, const String& name) const;
  // Parameters, inside categories, array definitions, options, interfaces:
  // the first hit; null when none.
  MdtBase::Property* GetPropertyByName(const String& name);
  const MdtBase::Property* GetPropertyByName(const String& name) const;
  // The value text of GetPropertyByName(nodeType, name); empty when absent.
  String GetPropertyValueStr(int nodeType, const String& name) const;

  // Sets the entry's NodeType, appends it and takes ownership; the new
  // length. -1 for null or an unlisted NodeType (the caller keeps it). The
  // type tag is not checked and the owner is not set (MldUtil::AssignOwner).
  int AddProperty(int nodeType, MdtBase::Property* p);
  // Removes and destroys: 0; 1 when not in the sequence; -1 for null.
  int DelProperty(int nodeType, MdtBase::Property* p);
  // The same, by name (ignoring case, among the sequence's own entries);
  // -1 when no such entry.
  int DelProperty(int nodeType, const String& name);
  // Destroys every entry of the sequence; 0.
  int DelPropSeq(int nodeType);
  // Destroys every entry of every sequence and resets the error code and the
  // end comment, ready to be read again; 0.
  int Clear();

 private:
  std::unique_ptr<MldImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_MLD_H

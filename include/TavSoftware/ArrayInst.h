// The value of an array parameter in an instance: its properties and its rows
// (elements). Setting the value text rebuilds the rows from it.
#ifndef TAVSOFTWARE_ARRAYINST_H
#define TAVSOFTWARE_ARRAYINST_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct ArrayInstImp;

// A container of the property family; its type tag is "TavSoftware_ArrayInst".
// It owns the children of all its sequences and destroys them with itself.
class TAVSW_API ArrayInst : public MdtBase::Property {
 public:
  enum NodeType {
    PROPERTIES = 1,  // TavSoftware_Property
    ELEMENTS = 2     // TavSoftware_Element, the rows
  };

  ArrayInst();
  ~ArrayInst() override;

  // The sequence of that NodeType. An unlisted NodeType gives an empty
  // sequence that keeps nothing added to it.
  PropSeq& GetPropSeqRef(int nodeType);
  const PropSeq& GetPropSeqRef(int nodeType) const;
  // First child of the sequence with that name (ignoring case); null when absent.
  MdtBase::Property* GetPropertyByName(int nodeType, const String& name);
  const MdtBase::Property* GetPropertyByName(int nodeType, const String& name) const;
  // Stores nodeType in the child and appends it (the container takes
  // ownership); the new length of the sequence. The type tag is not checked
  // and the owner is not set (see the AssignOwner utilities).
  // -1 for null or an unlisted NodeType; the caller then keeps the child.
  int AddProperty(int nodeType, MdtBase::Property* child);
  // Removes and destroys the child: 0; 1 when it is not in the sequence;
  // -1 for null.
  int DelProperty(int nodeType, MdtBase::Property* child);
  // The same for the first child of that name; -1 when no child has it.
  int DelProperty(int nodeType, const String& name);
  // Destroys every child of the sequence and empties it; 0.
  int DelPropSeq(int nodeType);
  // True when the child's most derived type tag is exactly the tag the
  // sequence holds; false for null, an untagged child or an unlisted NodeType.
  bool VerifyPropType(int nodeType, const MdtBase::Property* child) const;

  // Rebuilds the rows from the value text: "((a,b),(c,d))" gives one element
  // per row with one unnamed Param per column, "(a,b)" one element per item,
  // "()" none. The text itself is then stored unchanged in the value object.
  // The rows are built when the sequences are first looked at, so an array
  // that is only read and written back holds its text alone.
  // Returns the value object's SetValue result; 1 (nothing changed) when the
  // node has no value object.
  int SetValueStr(const String& text) override;
  // The number of rows, without building them when they are not built yet.
  size_t GetRowCount() const;

 private:
  std::unique_ptr<ArrayInstImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_ARRAYINST_H

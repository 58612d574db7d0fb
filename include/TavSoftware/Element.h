// One row of an array instance: a single sequence of parameters, which every
// NodeType selects.
#ifndef TAVSOFTWARE_ELEMENT_H
#define TAVSOFTWARE_ELEMENT_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct ElementImp;

// A container of the property family; its type tag is "TavSoftware_Element".
// It owns the children of all its sequences and destroys them with itself.
class TAVSW_API Element : public MdtBase::Property {
 public:
  enum NodeType {
    PARAMETERS = 1  // TavSoftware_Param; the only NodeType VerifyPropType accepts
  };

  Element();
  ~Element() override;

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

 private:
  std::unique_ptr<ElementImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_ELEMENT_H

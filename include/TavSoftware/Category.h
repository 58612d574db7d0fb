// A CATEGORY of a library or OS definition.
#ifndef TAVSOFTWARE_CATEGORY_H
#define TAVSOFTWARE_CATEGORY_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct CategoryImp;

// A container of the property family; its type tag is "TavSoftware_Category".
// It owns the children of all its sequences and destroys them with itself.
class TAVSW_API Category : public MdtBase::Property {
 public:
  enum NodeType {
    PROPERTIES = 1,  // TavSoftware_Property
    OPTIONS = 2,     // TavSoftware_Option
    PARAMETERS = 3,  // TavSoftware_Param; one carries the category's own name
    ARRAYS = 4       // TavSoftware_Array
  };

  Category();
  ~Category() override;

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

  // Whether property merging took the category into a library instance;
  // false after construction.
  bool GetIsIncluded() const;
  void SetIsIncluded(bool included);

 private:
  std::unique_ptr<CategoryImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_CATEGORY_H

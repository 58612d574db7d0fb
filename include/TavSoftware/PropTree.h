// A node of the small trees in which the runtime queries present parameters.
#ifndef TAVSOFTWARE_PROPTREE_H
#define TAVSOFTWARE_PROPTREE_H

#include <memory>
#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

struct PropTreeImp;

// Presents one property at a depth and lists child nodes. The children are
// never destroyed by the node. The property is destroyed with the node (or by
// Clear) only when the node owns it: presenting a property that belongs to a
// definition file must be done without ownership.
class TAVSW_API PropTree : public MdtBase::NameValue {
 public:
  PropTree();
  ~PropTree() override;

  // The presented property; null at first.
  MdtBase::Property* GetProperty() const;
  // Presents `p`; with `owns` the node takes ownership of it. A previously
  // owned property other than `p` is destroyed.
  void SetProperty(MdtBase::Property* p, bool owns = true);
  // True when the node will destroy its property.
  bool GetOwnsProperty() const;
  // Depth in the tree, 0 at first.
  int GetLevel() const;
  void SetLevel(int level);
  // SetProperty(p, owns) and SetLevel(level) at once.
  void SetInfo(MdtBase::Property* p, int level, bool owns = true);
  // SetInfo without taking ownership of `p`.
  void SetInfoNoOwn(MdtBase::Property* p, int level);

  // The child nodes in order (not owned).
  std::vector<PropTree*>& GetChildren();
  const std::vector<PropTree*>& GetChildren() const;
  void AddChild(PropTree* child);

  // Destroys the property when owned, forgets it and the children, level 0; 0.
  int Clear();

 private:
  std::unique_ptr<PropTreeImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PROPTREE_H

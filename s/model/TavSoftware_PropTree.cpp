#include "PropTree.h"

namespace TavSoftware {

struct PropTreeImp {
  MdtBase::Property* property = nullptr;
  // The trees of the runtime queries present properties of definition files,
  // which those files own; such nodes must not destroy them.
  bool owns = true;
  int level = 0;
  std::vector<PropTree*> children;  // not owned

  void Release() {
    if (owns) delete property;
    property = nullptr;
    owns = true;
  }
};

PropTree::PropTree() : imp_(std::make_unique<PropTreeImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_PropTree");
}

PropTree::~PropTree() { imp_->Release(); }

MdtBase::Property* PropTree::GetProperty() const { return imp_->property; }

void PropTree::SetProperty(MdtBase::Property* p, bool owns) {
  if (p != imp_->property) imp_->Release();
  imp_->property = p;
  imp_->owns = owns;
}

bool PropTree::GetOwnsProperty() const { return imp_->property && imp_->owns; }

int PropTree::GetLevel() const { return imp_->level; }
void PropTree::SetLevel(int level) { imp_->level = level; }

void PropTree::SetInfo(MdtBase::Property* p, int level, bool owns) {
  SetProperty(p, owns);
  SetLevel(level);
}

void PropTree::SetInfoNoOwn(MdtBase::Property* p, int level) { SetInfo(p, level, false); }

std::vector<PropTree*>& PropTree::GetChildren() { return imp_->children; }
const std::vector<PropTree*>& PropTree::GetChildren() const { return imp_->children; }
void PropTree::AddChild(PropTree* child) { imp_->children.push_back(child); }

int PropTree::Clear() {
  imp_->Release();
  imp_->children.clear();
  imp_->level = 0;
  return 0;
}

}  // namespace TavSoftware

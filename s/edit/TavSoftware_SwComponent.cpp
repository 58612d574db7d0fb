// SwComponent: a hardware instance of an editing session and its links.
#include "DrvInst.h"
#include "OsInst.h"
#include "SwComponent.h"
#include "runtime/RuntimeCommon.h"

namespace TavSoftware {

using MdtBase::BaseNode;

struct SwComponentImp {
  String hwInst;
  DrvInst* drv = nullptr;
  BaseNode* other = nullptr;
  OsInst* os = nullptr;
  // Detached instances made for this component and in no Mss yet.
  std::unique_ptr<DrvInst> ownDrv;
  std::unique_ptr<OsInst> ownOs;
};

namespace {

DrvInst* AsDrv(BaseNode* node) { return rt::AsDrvInst(node); }

OsInst* AsOs(BaseNode* node) {
  return BaseNode::IsBaseNodeType(node, "TavSoftware_OsInst") ? static_cast<OsInst*>(node)
                                                               : nullptr;
}

}  // namespace

SwComponent::SwComponent(const String& hwInstName, DrvInst* drv)
    : MdtBase::NameValue(hwInstName), imp_(std::make_unique<SwComponentImp>()) {
  BaseNode::AddBaseNode(this, "SwComponent");
  imp_->hwInst = hwInstName;
  imp_->drv = AsDrv(drv);
}

SwComponent::SwComponent(const String& hwInstName) : SwComponent(hwInstName, nullptr) {}

SwComponent::~SwComponent() = default;

const String& SwComponent::GetHwInstName() const { return imp_->hwInst; }

void SwComponent::SetHwInstName(const String& name) { imp_->hwInst = name; }

BaseNode* SwComponent::GetBaseNodePtr(int nodeType) const {
  switch (nodeType) {
    case DRIVER: return imp_->drv;
    case OTHER: return imp_->other;
    case DEFINITION: return imp_->drv ? imp_->drv->GetBaseNodePtr(DrvInst::DEFINITION) : nullptr;
    case OS: return imp_->os;
    default: return nullptr;
  }
}

void SwComponent::SetBaseNodePtr(int nodeType, BaseNode* node) {
  switch (nodeType) {
    case DRIVER:
      imp_->drv = AsDrv(node);
      if (imp_->ownDrv && imp_->ownDrv.get() != imp_->drv) imp_->ownDrv.reset();
      break;
    case OTHER: imp_->other = node; break;
    case DEFINITION:
      if (imp_->drv) imp_->drv->SetBaseNodePtr(DrvInst::DEFINITION, node);
      break;
    case OS:
      imp_->os = AsOs(node);
      if (imp_->ownOs && imp_->ownOs.get() != imp_->os) imp_->ownOs.reset();
      break;
    default: break;
  }
}

DrvInst* SwComponent::GetDrvInst() const { return imp_->drv; }

OsInst* SwComponent::GetOsInst() const { return imp_->os; }

bool SwComponent::OwnsBaseNodePtr(int nodeType) const {
  if (nodeType == DRIVER) return imp_->ownDrv != nullptr;
  if (nodeType == OS) return imp_->ownOs != nullptr;
  return false;
}

BaseNode* SwComponent::ReleaseBaseNodePtr(int nodeType) {
  if (nodeType == DRIVER) return imp_->ownDrv.release();
  if (nodeType == OS) return imp_->ownOs.release();
  return nullptr;
}

void SwComponent::AdoptBaseNodePtr(int nodeType, BaseNode* node) {
  SetBaseNodePtr(nodeType, node);
  if (nodeType == DRIVER && imp_->drv) imp_->ownDrv.reset(imp_->drv);
  if (nodeType == OS && imp_->os) imp_->ownOs.reset(imp_->os);
}

}  // namespace TavSoftware

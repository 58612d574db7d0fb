// One hardware instance of an editing session, linked to the driver (or
// processor) instance and the OS instance the MSS gives it.
#ifndef TAVSOFTWARE_SWCOMPONENT_H
#define TAVSOFTWARE_SWCOMPONENT_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

class DrvInst;
class OsInst;
struct SwComponentImp;

// Type tag "SwComponent". The links point into the session's Mss and are not
// owned, with one exception: an instance SwComponentUtil made for the
// component that is not in any Mss yet ("detached") is owned by the
// component until it is added to the Mss (then the Mss owns it) or the link
// moves away from it (then it is destroyed).
class TAVSW_API SwComponent : public MdtBase::NameValue {
 public:
  enum NodeType {
    DRIVER = 2,      // the driver or processor instance (DrvInst)
    OTHER = 3,       // a further node of the caller's choosing
    DEFINITION = 4,  // the driver instance's definition file (its Mdd)
    OS = 5,          // the OS instance (processors only)
    // Hardware kinds, as SwComponentUtil::GetIpType returns them.
    PERIPHERAL = 6,
    PROCESSOR = 7,
    BUS = 8
  };

  // The name is the hardware instance name; `drv` (may be null) the driver
  // or processor instance serving it.
  SwComponent(const String& hwInstName, DrvInst* drv);
  explicit SwComponent(const String& hwInstName);
  ~SwComponent() override;

  const String& GetHwInstName() const;
  void SetHwInstName(const String& name);
  // DRIVER, OTHER, OS: the link; DEFINITION: the driver instance's
  // definition file (null without a driver instance); null otherwise.
  MdtBase::BaseNode* GetBaseNodePtr(int nodeType) const;
  // DRIVER accepts a driver or processor instance (by type tag) and OS an OS
  // instance; any other node clears the link. OTHER takes any node.
  // DEFINITION is passed to the driver instance as its definition link
  // (nothing without one). A detached instance the link moved away from is
  // destroyed.
  void SetBaseNodePtr(int nodeType, MdtBase::BaseNode* node);
  DrvInst* GetDrvInst() const;
  OsInst* GetOsInst() const;
  // True when the DRIVER (OS) link is a detached instance the component owns.
  bool OwnsBaseNodePtr(int nodeType) const;
  // Hands a detached DRIVER (OS) instance over to the caller, who must add it
  // to an Mss or destroy it; the link stays. Null when none is owned.
  MdtBase::BaseNode* ReleaseBaseNodePtr(int nodeType);

 private:
  friend class SwComponentUtil;
  // Links a detached instance and takes ownership of it.
  void AdoptBaseNodePtr(int nodeType, MdtBase::BaseNode* node);
  std::unique_ptr<SwComponentImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWCOMPONENT_H

// Changing the driver or OS choice of one component of an editing session.
#ifndef TAVSOFTWARE_SWCOMPONENTUTIL_H
#define TAVSOFTWARE_SWCOMPONENTUTIL_H

#include <boost/shared_ptr.hpp>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class SwComponent;
class SwReposMan;

// A version "*" or empty stands for any version (the core found first). No
// operation issues a message: the result code is the whole report.
class TAVSW_API SwComponentUtil {
 public:
  using HwDbPtr = boost::shared_ptr<TavHwDb::HwDb>;

  SwComponentUtil() = delete;

  // The hardware kind of the component's instance by its IP class:
  // SwComponent::PROCESSOR, BUS, else PERIPHERAL; 0 for a null database or
  // component.
  static int GetIpType(const HwDbPtr& hw, const SwComponent* comp);
  // The name of the component's driver instance; empty without one.
  static String GetDriverName(const SwComponent* comp);

  // Gives a component without a driver instance its default driver (by the
  // hardware's IP type and version), a processor instance for a processor
  // with the definition's COMPILER and ARCHIVER. The new instance is
  // detached (owned by the component, not added to the Mss). 0 done or it
  // already had one; 1 no fitting driver; -2 a null argument.
  static int InitializeDriverInfo(const HwDbPtr& hw, SwReposMan* man, SwComponent* comp);
  // Sets the component's driver choice without touching an Mss:
  //   1  `name` empty: the driver link is cleared;
  //  -1  no driver core of that name and version;
  //   2  its driver instance already is `name` in `version`;
  //   3  its driver instance is `name`: its DRIVER_VER is set and it is
  //      linked to the core;
  //   4  a new detached instance `name` (a processor instance for a
  //      processor) serving the hardware instance, linked to the core, is
  //      the component's driver;
  //  -2  a null component.
  // The previous instance is not destroyed here (unless it was detached).
  static int SetDriverInfo(const HwDbPtr& hw, SwReposMan* man, SwComponent* comp,
                           const String& name, const String& version);
  // The same within the component's session (its owner): result 1 also
  // destroys the previous instance in the session's Mss; 4 destroys it and
  // adds the new one to the Mss. Afterwards no component of the session
  // points at a destroyed instance. -2 when the component has no session.
  static int SetDriverInfo(const HwDbPtr& hw, SwComponent* comp, const String& name,
                           const String& version);
  // The same for the OS choice of a processor's component: OS_VER, a new
  // OsInst with PROC_INSTANCE = the hardware instance, the Mss's OS
  // sequence. Same result codes.
  static int SetOsInfo(SwReposMan* man, SwComponent* comp, const String& name,
                       const String& version);
  static int SetOsInfo(SwComponent* comp, const String& name, const String& version);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWCOMPONENTUTIL_H

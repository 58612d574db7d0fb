// A processor instance: one BEGIN PROCESSOR block of an MSS file.
#ifndef TAVSOFTWARE_PROCINST_H
#define TAVSOFTWARE_PROCINST_H

#include "DrvInst.h"

namespace TavSoftware {

// A DrvInst restricted to options, parameters and array values (no
// interfaces). Its own AddProperty and DelProperty announce nothing; the
// other operations behave and announce as on a DrvInst.
class TAVSW_API ProcInst : public DrvInst {
 public:
  enum NodeType { OPTIONS = 0, PARAMETERS = 1, ARRAYS = 2, DEFINITION = 1000, CORE = 1001 };

  ProcInst();
  ~ProcInst() override;

  // As DrvInst::AddProperty, without announcing; -1 for NodeType 3.
  int AddProperty(int nodeType, MdtBase::Property* p) override;
  // As DrvInst::DelProperty, without announcing.
  int DelProperty(int nodeType, MdtBase::Property* p) override;
  int DelProperty(int nodeType, const String& name) override;

 protected:
  bool IsValidNodeType(int nodeType) const override;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PROCINST_H

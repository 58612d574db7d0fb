// Operations on processor instances: binding, checking, merging with the
// definition, list services.
#ifndef TAVSOFTWARE_PROCINSTUTIL_H
#define TAVSOFTWARE_PROCINSTUTIL_H

#include <vector>

#include "SwTypes.h"

namespace TavSoftware {

class Mdd;
class ProcInst;
class SwRepos;

// A processor instance is a driver instance restricted to options,
// parameters and array values; binding, the check against its MDD and the
// messages are the driver's (see DrvInstUtil).
class TAVSW_API ProcInstUtil {
 public:
  ProcInstUtil() = delete;

  // As DrvInstUtil::AssignSwCore, for processor instances.
  static int AssignSwCore(ProcInst* inst, std::vector<SwRepos*>& repos);
  static int AssignSwCore(std::vector<ProcInst*>& insts, std::vector<SwRepos*>& repos);
  // Entries that are not processor instances (by type tag) are skipped.
  static int AssignSwCore(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos);
  // The parameters of `inst` that `ref` does not have, each reported (the
  // processor's identity parameters and "DEBUG_PERIPHERAL" exempt; array
  // values are not looked at). The number reported.
  static int CheckProperty(const ProcInst* inst, const ProcInst* ref);
  // Name, options, parameters and arrays of `out` from the instance and its
  // definition, then DrvInstUtil::CheckProperty(inst, mdd). The sum of the
  // steps' error counts; -1 for a null argument.
  static int MergeMddProcObj(const ProcInst* inst, const Mdd* mdd, ProcInst* out);

  // The first instance of that name (ignoring case); null when none.
  static ProcInst* GetProcInstByName(const std::vector<ProcInst*>& insts, const String& name);
  // The first instance whose "HW_INSTANCE" equals `hwName` (ignoring case);
  // null when none.
  static ProcInst* GetProcInstByHwInstName(const std::vector<ProcInst*>& insts,
                                           const String& hwName);
  // The same over components; entries that are not processor instances are
  // skipped.
  static ProcInst* GetProcInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                           const String& hwName);
  // Makes the instance the owner of its parameters (and sets the owners
  // below them). 0; -1 for null.
  static int AssignOwner(ProcInst* inst);

  // True when the most derived type tag of `p` is exactly the tag the
  // processor-instance sequence `nodeType` holds: 0 "TavSoftware_Option",
  // 1 "TavSoftware_Param", 2 "TavSoftware_ArrayInst". False for null, an
  // untagged node or any other NodeType (a processor has no interfaces).
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);

  // Writes the instance as an MSS block: its comment lines ("# "), "BEGIN
  // PROCESSOR", its parameters, its options, "END" (array values and
  // interfaces are not written). Nothing for a null instance or writer.
  static void PrintProcInst(const ProcInst* procInst, MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PROCINSTUTIL_H

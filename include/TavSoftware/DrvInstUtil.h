// Operations on driver instances: binding them to their definition files,
// checking them against it, merging them with it into runtime components,
// folding several instances of one driver, and small list services.
#ifndef TAVSOFTWARE_DRVINSTUTIL_H
#define TAVSOFTWARE_DRVINSTUTIL_H

#include <boost/shared_ptr.hpp>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class DrvInst;
class Mdd;
class Mss;
class SwRepos;
class SwReposMan;

class TAVSW_API DrvInstUtil {
 public:
  DrvInstUtil() = delete;

  // --- Binding -------------------------------------------------------------
  // Finds the MDD of the instance's name and "DRIVER_VER" (any version when
  // it has none) in `repos`, asked in vector order, and links the instance
  // to it (links DEFINITION and CORE). 0 when bound to a definition read
  // without errors; the definition's error code when it was read with errors
  // (bound all the same); 1 when the instance has no name (error); 2 when no
  // repository has the definition (error, then the directories searched).
  // -1 for a null instance.
  static int AssignSwCore(DrvInst* inst, std::vector<SwRepos*>& repos);
  // The sum of the single-instance results, in list order.
  static int AssignSwCore(std::vector<DrvInst*>& insts, std::vector<SwRepos*>& repos);
  // The same for a list of components; entries that are not driver
  // instances (by type tag) are skipped.
  static int AssignSwCore(std::vector<MdtBase::PsfComp*>& insts, std::vector<SwRepos*>& repos);
  // The MDD AssignSwCore would bind, without binding and without the
  // not-found report; null when the instance has no name (the name error is
  // reported) or no definition exists. Owned by its core.
  static Mdd* GetMddForDrvInst(const DrvInst* inst, std::vector<SwRepos*>& repos);

  // --- Checking ------------------------------------------------------------
  // Looks the definition up in the manager's repositories and reports every
  // parameter and array value the instance sets that the definition does not
  // declare. 1 when the instance has no name or no definition exists (the
  // latter reported with the directories searched); otherwise the number of
  // undeclared entries.
  static int CheckDrvInst(const DrvInst* inst, SwReposMan* man);
  // The number of parameters and array values of `inst` that `mdd` does not
  // declare, at top level or in any of its blocks (included or not); each is
  // reported. The identity parameters are exempt. Also used for processors.
  static int CheckProperty(const DrvInst* inst, const Mdd* mdd);
  // The same against another instance's parameters and array values.
  static int CheckProperty(const DrvInst* inst, const DrvInst* ref);
  // Whether `mdd` declares an entry of `kind` (an Mdd::NodeType) named
  // `name`, directly or in a block included for this unmerged instance.
  static bool IsDrvPropertyValid(const DrvInst* inst, const Mdd* mdd, int kind,
                                 const String& name);

  // --- Merging -------------------------------------------------------------
  // Fills the new runtime component `out` from the instance and its
  // definition: name, options, parameters, interfaces, included blocks,
  // arrays, then CheckProperty(inst, mdd). The sum of the steps' error
  // counts; -1 for a null argument. `out` owns everything added to it.
  static int MergeMddDrvObj(const DrvInst* inst, const Mdd* mdd, DrvInst* out);
  // Copies the component data and every option, parameter, interface and
  // array value of `src` into `dst`. The sum of the copies' error counts;
  // -1 for a null argument.
  static int CopyDrvInst(DrvInst* dst, const DrvInst* src);

  // --- Identity and lists --------------------------------------------------
  // Sets the name, then "DRIVER_NAME", "DRIVER_VER" and "HW_INSTANCE" to
  // `name`, `version` and `hwInstance` (each a new string value, the
  // parameter added when missing). Nothing for null.
  static void SetDrvInstInfo(DrvInst* inst, const String& hwInstance, const String& name,
                             const String& version);
  static void SetDriverInfo(DrvInst* inst, const String& hwInstance, const String& name,
                            const String& version);
  // The first instance of that name (ignoring case); null when none.
  static DrvInst* GetDrvInstByName(const std::vector<DrvInst*>& insts, const String& name);
  // The first instance whose "HW_INSTANCE" equals `hwName` (ignoring case;
  // no parameter counts as empty); null when none.
  static DrvInst* GetDrvInstByHwInstName(const std::vector<DrvInst*>& insts, const String& hwName);
  // The same over components; entries that are not driver instances are
  // skipped.
  static DrvInst* GetDrvInstByHwInstName(const std::vector<MdtBase::PsfComp*>& insts,
                                         const String& hwName);
  // Makes the instance the owner of its parameters, interfaces, array values
  // and options, and sets the owners below each. 0; -1 for null.
  static int AssignOwner(DrvInst* inst);

  // True when the most derived type tag of `p` is exactly the tag the
  // driver-instance sequence `nodeType` holds: 0 "TavSoftware_Option",
  // 1 "TavSoftware_Param", 2 "TavSoftware_ArrayInst", 3
  // "TavSoftware_Interface". False for null, an untagged node or any other
  // NodeType.
  static bool VerifyPropType(int nodeType, const MdtBase::Property* p);

  // Writes the instance as an MSS block: its comment lines ("# "), "BEGIN
  // DRIVER", its parameters, array values, options and interfaces, "END".
  // Nothing for a null instance or writer.
  static void PrintDrvInst(const DrvInst* drvInst, MdtBase::UtStreamWriter* writer);

  // --- Folding several instances of one driver -----------------------------
  // Compares the parameters and array values of `inst` with those already in
  // `driver` and reports each difference; the interrupt handlers of `inst`
  // are appended to the driver's. `driver`'s parameters never change. The
  // number of differences; -1 for null.
  static int MergeDrvInsts(DrvInst* driver, DrvInst* inst);
  // Reports each parameter of `a` whose value differs from the parameter of
  // the same name in `b` (identity and deprecated/obsolete ones skipped).
  static int MergeDrvInstProp(const PropSeq& a, const PropSeq& b);
  // Compares two array values; for "interrupt_handler" the elements of `y`
  // are appended to `x`. 1 for a null `x`; 0 for a null `y`.
  static int MergeDrvInstArray(MdtBase::Property* x, MdtBase::Property* y);
  // Compares two elements field by field; 0 when either is null.
  static int MergeDrvInstElement(MdtBase::Property* e, MdtBase::Property* f);

  // --- Small reads and writes ----------------------------------------------
  // The handler of `port` in the instance's "interrupt_handler" array value;
  // empty when there is none.
  static String GetIntHandlerValue(DrvInst* inst, const String& port);
  // Sets (a non-empty `handler`) or removes (empty) the handler of `port`,
  // creating the "interrupt_handler" array value when needed.
  static void SetIntHandlerValue(DrvInst* inst, const String& port, const String& handler);
  // Copies the parameters of `src` onto `dst` (bound to its definition),
  // choosing a value for each "*": the first fitting peripheral instance or
  // the first allowed value. Nothing when `dst` has no definition.
  static void AssignRequiredParams(Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                   SwReposMan* man, DrvInst* src, DrvInst* dst);
  // The allowed values of parameter `name` in the block of the instance's
  // definition whose condition is "level" = `level`, appended to `out` (an
  // enum's values) or replacing it (a range). 0 when found; 1 otherwise, and
  // for an unbound instance (`out` untouched).
  static int GetRangeForLevelDepParam(DrvInst* inst, const String& level, const String& name,
                                      std::vector<String>& out);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_DRVINSTUTIL_H

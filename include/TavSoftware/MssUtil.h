// Operations on an MSS: finding its instances by hardware instance, by name
// and version, and by processor; reading and writing it; making the MSS of a
// processor from the hardware database and the repositories; adding and
// removing drivers and libraries; renaming a hardware instance; interrupt
// handlers; the compiler options a processor's hardware implies.
#ifndef TAVSOFTWARE_MSSUTIL_H
#define TAVSOFTWARE_MSSUTIL_H

#include <boost/shared_ptr.hpp>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class DrvInst;
class LibInst;
class Mss;
class OsInst;
class SwReposMan;

// The instances returned are owned by the MSS. Names and versions are
// compared ignoring case; entries of a sequence that are not of the
// sequence's class (by type tag) are skipped.
class TAVSW_API MssUtil {
 public:
  using HwDbPtr = boost::shared_ptr<TavHwDb::HwDb>;

  MssUtil() = delete;

  // --- File access -----------------------------------------------------------
  // The MSS reader's result (errors; 2 unreadable file; -1 null MSS).
  static int Parse(const String& path, Mss* mss);
  // The MSS writer's result, the global parameters stamped with the file
  // and line they now stand on (0 written; 1 empty path; 2 not writable;
  // -1 null MSS).
  static int Write(const String& path, Mss* mss);
  // Kept for callers that expect them; nothing to do. Always 1.
  static int AssignOwner(Mss* mss);
  static int Check(Mss* mss);

  // --- Adding and removing components -----------------------------------------
  // A version "*" (or empty) stands for any version: the core found first,
  // which in a repository is the one scanned last. No operation here issues
  // a message; the result code is the whole report.

  // Gives `hwInst` the driver `driverName` (a ProcInst when `isProcessor`),
  // bound to its core. 0 added; 1 added after removing and destroying the
  // instance the hardware instance had; -1 no such core (the MSS
  // untouched); -2 null MSS or manager. `out` (may be null) receives the new
  // instance, owned by the MSS, or null on a refusal.
  static int AddDriver(Mss* mss, SwReposMan* man, const String& hwInst, bool isProcessor,
                       const String& driverName, const String& driverVersion, DrvInst** out);
  // Adds the library `libName` for the processor `procInst`, bound to its
  // core. 0 added; 1 added after replacing the processor's instance of
  // another version; 2 the processor already has it in `libVersion` (`out`
  // receives that instance, nothing changes); -1 no such core; -2 null MSS
  // or manager. `out` (may be null) as for AddDriver.
  static int AddLibrary(Mss* mss, SwReposMan* man, const String& libName,
                        const String& libVersion, const String& procInst, LibInst** out);
  // Removes and destroys the processor's library `libName`. 0 removed; 1
  // its version is not `libVersion` (unless that is "*"); 2 the processor
  // has no such library; -2 null MSS.
  static int DelLibrary(Mss* mss, const String& libName, const String& libVersion,
                        const String& procInst);
  // Removes and destroys what belongs to a hardware instance: for a
  // processor its processor instance, its OS and its libraries; otherwise
  // the first driver instance serving it. Pointers held to them become
  // invalid. Nothing for a null MSS.
  static void DeletePsfCompsForInstance(Mss* mss, const String& hwInst);

  // --- Creating an MSS -------------------------------------------------------
  // Gives `hwInst` its default driver (the hardware's IP type and version)
  // unless the MSS already has a driver for it; a processor (IP class
  // "PROCESSOR") gets a processor instance. Nothing without a fitting core,
  // or for a null MSS, hardware database or manager.
  static void InitializeDrvInfo(Mss* mss, const HwDbPtr& hw, const String& hwInst,
                                SwReposMan* man);
  // Gives the driver `driverName` ("*" any version) to the first hardware
  // instance, among those of `procInst` it supports, that has no driver
  // yet. 0 done (`out` receives the instance); -1 no such core; -2 the
  // driver supports no instance of this processor; -3 all have a driver;
  // -4 null MSS, hardware database or manager. `out` may be null.
  static int InitializeDrvInfo(Mss* mss, const HwDbPtr& hw, const String& driverName,
                               const String& driverVersion, SwReposMan* man,
                               const String& procInst, DrvInst** out);
  // Gives the processor its OS unless it has one (then `out` receives that
  // one). Without `osName` the processor driver's default OS; with one, an
  // OS of that name fit for the processor, else a board-support package of
  // that name, whose "connected_periphs" array is then filled with the
  // hardware instances its column allows. `osVersion` "*" or empty: the
  // newest. 0 done; -1 no processor driver or no such OS; -2 null MSS,
  // hardware database or manager. `out` may be null.
  static int InitializeOsInfo(Mss* mss, const HwDbPtr& hw, SwReposMan* man,
                              const String& procInst, const String& osName,
                              const String& osVersion, OsInst** out);
  // Fills `mss` for the processor: "VERSION" 2.2.0 unless present, the
  // default driver of every instance the processor addresses, of the
  // processor itself, and the OS (InitializeOsInfo). Nothing for null
  // arguments.
  static void CreateDefaultMss(Mss* mss, const HwDbPtr& hw, SwReposMan* man,
                               const String& procInst, const String& osName,
                               const String& osVersion);
  // Fills `newMss` for the processor, carrying over the drivers, the
  // processor, the OS and the libraries chosen in `oldMss` with their
  // parameters (a "*" value gets the first value that fits), and gives the
  // remaining addressable instances their default driver. `oldMss` is only
  // read (may be null: then as CreateDefaultMss with the standalone OS).
  // 0; -2 for a null `newMss`, hardware database or manager.
  static int CreateAndInitMss(Mss* newMss, const HwDbPtr& hw, SwReposMan* man,
                              const String& procInst, Mss* oldMss);

  // --- Editing ---------------------------------------------------------------
  // Replaces the hardware instance name `oldName` (ignoring case) by
  // `newName` in every parameter and array column whose definition has the
  // "type" "peripheral_instance", in the processors, drivers, OSs and
  // libraries bound to a definition. Other values, and the instances'
  // own "HW_INSTANCE" and "PROC_INSTANCE", are not touched. The number of
  // values changed.
  static int RenameIPInstanceName(Mss* mss, const String& oldName, const String& newName);
  // The same over `props` (parameters and array values of one component)
  // against `definition` (its Mdd or Mld). The number of values changed.
  static int RenameIPInstanceName(const MdtBase::PsfFile* definition, const PropSeq& props,
                                  const String& oldName, const String& newName);

  // --- Lookups ---------------------------------------------------------------
  // The driver instance whose "HW_INSTANCE" is `hwInstName`, else the
  // processor instance of it; null for a null MSS, an empty name or no match.
  static DrvInst* GetDrvInstByHwInstName(const Mss* mss, const String& hwInstName);
  // The first driver instance, else the first processor instance, named
  // `name` whose "DRIVER_VER" is `version` (any version when `version` is
  // empty); null for a null MSS or no match.
  static DrvInst* GetDrvInstByNameVer(const Mss* mss, const String& name, const String& version);
  // The same over the OS instances with "OS_VER".
  static OsInst* GetOsInstByNameVer(const Mss* mss, const String& name, const String& version);
  // The same over the library instances with "LIBRARY_VER".
  static LibInst* GetLibInstByNameVer(const Mss* mss, const String& name, const String& version);
  // Appends every library instance whose "PROC_INSTANCE" is `procName`;
  // the number appended (0 for a null MSS).
  static int GetLibInstSeqByHwInstName(const Mss* mss, const String& procName,
                                       std::vector<LibInst*>& out);

  // --- Values ----------------------------------------------------------------
  // Appends the values a parameter definition allows, by its "type": an
  // enum's listed values, the "range" words of an int or string, "true" and
  // "false" for a bool, and for "library" ("driver") the names of the MSS's
  // library (driver) instances whose definition offers the interface named
  // by "requires_interface" (every one when it names none). The definitions
  // are looked up in the manager's repositories, else through the
  // instances' own links. Other types add nothing.
  static void GetListofValuesForParam(const Mss* mss, const MdtBase::Property* definition,
                                      SwReposMan* man, std::vector<String>& out);

  // --- Interrupt handlers of the MSS's "interrupt_handler" array ---------------
  // The handler of `port`; empty when there is none or for a null MSS.
  static String GetIntHandlerValue(Mss* mss, const String& port);
  // Sets (non-empty `handler`) or removes (empty) the handler of `port`,
  // creating the array for a non-empty handler when it is missing.
  static void SetIntHandlerValue(Mss* mss, const String& port, const String& handler);

  // --- Compiler options --------------------------------------------------------
  // The floating-point option of the FPU the processor addresses (the
  // first instance whose IP type begins with "apu_fpu"), for example
  // "-mfpu=sp_full"; empty without one or without hardware database.
  static String GetFpuOption(const HwDbPtr& hw, const String& procInst);
  // The compiler options the processor's hardware configuration implies,
  // each followed by one blank; empty for an empty name or without
  // hardware database.
  static String GetHwInfFlagsForProc(const HwDbPtr& hw, const String& procInst);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_MSSUTIL_H

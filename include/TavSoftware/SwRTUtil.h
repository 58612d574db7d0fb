// Operations on the runtime software model.
#ifndef TAVSOFTWARE_SWRTUTIL_H
#define TAVSOFTWARE_SWRTUTIL_H

#include <boost/shared_ptr.hpp>
#include <vector>

#include "HwDb.h"
#include "SwTypes.h"

namespace TavSoftware {

class Mss;
class Processor;
class SwCore;
class SwRepos;
class SwReposMan;
class SwRTClass;

class TAVSW_API SwRTUtil {
 public:
  SwRTUtil() = delete;

  // --- Creation of the model ------------------------------------------------
  // Builds the runtime model of `mss`: every driver, processor, OS and
  // library instance found in the manager's repositories is merged with its
  // definition into a new component of the model; then owners are set, the
  // model is checked, and it is organised per processor of `hw` (only
  // `procName` when not null). Each stage runs only when the ones before
  // reported no error. `errors` is set to the number of errors of all stages
  // run. Never null; the caller owns the model and destroys it. REQUIRES:
  // `mss` outlives the model (its components point into it).
  static SwRTClass* CreateSwRTObject(const boost::shared_ptr<TavHwDb::HwDb>& hw, const Mss* mss,
                                     SwReposMan& reposMan, int& errors, const char* procName);
  // The same from a file: the MSS is read (its errors counted, the model
  // built all the same) and owned by the model.
  static SwRTClass* CreateSwRTObject(const boost::shared_ptr<TavHwDb::HwDb>& hw,
                                     const char* mssFile, SwReposMan& reposMan, int& errors,
                                     const char* procName);
  // Reads the file into `mss` and checks the instance names (against `hw`
  // when given); the sum of both error counts.
  static int Parse(const char* file, Mss* mss);
  static int Parse(const char* file, Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw);
  // Writes `mss` to `file`: the MSS writer's result.
  static int Write(const char* file, Mss* mss);
  // Empties `mss` and gives it the parameter VERSION = 2.2.0. 0; 1 for null.
  static int InitMss(Mss* mss);
  // Destroys every entry of sequences 1 to 6. 0; 1 for null.
  static int Clear(Mss* mss);
  // Binds every driver, library, OS and processor instance to its
  // definition; the sum of the binding results. -1 for a null manager.
  static int AssignSwCore(Mss* mss, std::vector<SwRepos*>& repos);
  static int AssignSwCore(Mss* mss, SwReposMan* man);
  // Makes `mss` the owner of its parameters and instances and sets the
  // owners below them. 0; 1 for null.
  static int AssignOwner(Mss* mss);

  // --- Organisation per processor -------------------------------------------
  // UpdateLibraryData + UpdateProcessorData. The number of errors.
  static int UpdateSwData(SwRTClass* model, std::vector<SwRepos*>& repos, const char* procName);
  // Refills the library index from the model's libraries. 0.
  static int UpdateLibraryData(SwRTClass* model);
  // Rebuilds the processor index from the hardware processors (only
  // `procName` when not null): each gets its processor component (a default
  // driver's when the MSS has none), its OS ("standalone" 2.00.a when the
  // MSS names none), its libraries and one Driver per driver name serving
  // the peripherals it addresses. Substitutions are warnings; the number of
  // errors. Objects made here are owned by the model and stay valid until
  // it is destroyed, also when the update is run again.
  static int UpdateProcessorData(SwRTClass* model, std::vector<SwRepos*>& repos,
                                 const char* procName);
  // Rebuilds the driver index: one Driver per driver name, folding the
  // instances of one name and listing the hardware instances each serves.
  // The number of errors.
  static int UpdateDriverData(SwRTClass* model);
  // Sets the value of the processor's "default_init" parameter when it has
  // one; nothing otherwise.
  static void SetProcMode(Processor* processor, const char* mode);
  // That value; empty when there is none.
  static String GetProcMode(Processor* processor);

  // --- (checks and queries, declared in full by their own section) ---------
  static int CheckSwRTClass(SwRTClass* model, std::vector<SwRepos*>& repos);
  static int CheckMss(const Mss* mss);
  static int CheckMss(const Mss* mss, const boost::shared_ptr<TavHwDb::HwDb>& hw);
  static SwCore* GetDrvForPeriph(const char* ipType, const char* ipVersion,
                                 std::vector<SwRepos*>& repos);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWRTUTIL_H

// The Tcl commands through which scripts walk the runtime model:
// "tget_handle" (from a handle to related nodes) and "tget_value" (a node's
// value or name). Hardware handles are passed on to the hardware interface.
//
// Handles are never trusted: a word that is no live handle gives the
// command's null-handle error. SetSwRTObj withdraws every handle given out
// for the previous model, so a script that kept one gets that error instead
// of a node that may be gone.
#ifndef TAVSOFTWARE_SWTCLIF_H
#define TAVSOFTWARE_SWTCLIF_H

#include <memory>

#include "BaseTclIf.h"
#include "SwTypes.h"

namespace TavTclHwDb {
class HwTclIf;
}

namespace TavSoftware {

class SwRTClass;
struct SwTclIfImp;

class TAVSW_API SwTclIf : public MdtBase::BaseTclIf {
 public:
  // A new interface serving `model` (and hardware handles through `hw`, which
  // may be null): the interpreter is created and initialised, then the
  // support scripts are evaluated (their failures are reported, not fatal).
  // The caller owns the result; neither `model` nor `hw` is owned, and both
  // must outlive the interface or be replaced first.
  static SwTclIf* ConstructSwTclIf(SwRTClass* model, TavTclHwDb::HwTclIf* hw);
  ~SwTclIf() override;

  // Serves another model; every handle given out so far is withdrawn. The
  // variable ::tavsw::model always holds the handle of the model served
  // ("" for none).
  void SetSwRTObj(SwRTClass* model);
  SwRTClass* GetSwRTObj() const;

  // Tcl_Init, the base's and this class's commands, the exit handler and the
  // per-thread command buffers. 0; 1 when Tcl_Init fails.
  int Tcl_AppInit() override;
  // Registers "tget_handle" and "tget_value"; with the flag false also an
  // "unknown" that answers every undefined command with an empty result.
  void RegisterCommands();

  // Evaluates the support scripts under $QUARLY_VEK/data/datastructure/:
  // four fixed files (the first failure is reported and gives 1), then every
  // file of device_support/ (each failure reported and counted). 0 when all
  // went well.
  static int SourceSwTclFile(Tcl_Interp* interp);

  // The command procedures ("tget_handle", "tget_value" and two of their
  // forms). Client data: the interface.
  static int MdtSwGetHandle(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
  static int MdtSwGetValue(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
  static int MdtTclSwGetIpInstHandle(ClientData cd, Tcl_Interp* interp, int objc,
                                     Tcl_Obj* const objv[]);
  static int MdtTclSwGetDrvPeriphs(ClientData cd, Tcl_Interp* interp, int objc,
                                   Tcl_Obj* const objv[]);

 protected:
  SwTclIf(SwRTClass* model, TavTclHwDb::HwTclIf* hw);

 private:
  void CreateCommand2(const char* name, Tcl_CmdProc* proc, ClientData cd);
  void PublishModel();
  void CreateCommand2(const char* name, Tcl_ObjCmdProc* proc, ClientData cd);
  std::unique_ptr<SwTclIfImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWTCLIF_H

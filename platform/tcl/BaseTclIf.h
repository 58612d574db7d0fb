// The Tcl side of the base-node layer: an interpreter with its start-up and
// command registration, the error convention of the commands, and handles:
// the Tcl words that stand for nodes.
//
// A handle is an opaque word ("tav:17") resolved through a registry of live
// nodes. A word that is no handle, the handle of a node that has since been
// destroyed, and a handle its issuer has withdrawn all resolve to null, so a
// script can never make a command touch freed memory.
#ifndef TAVSOFTWARE_BASETCLIF_H
#define TAVSOFTWARE_BASETCLIF_H

#include <tcl.h>
// tcl.h makes Tcl_Main a macro for its own start-up routine (still there as
// Tcl_MainEx); here the name belongs to the interface's members.
#ifdef Tcl_Main
#undef Tcl_Main
#endif

#include <string>
#include <vector>

#include "MdtBase.h"

namespace MdtBase {

class TAVSW_API BaseTclIf : public BaseNode {
 public:
  // `flag` false: undefined commands are answered by a silent "unknown".
  explicit BaseTclIf(bool flag = false);
  // Withdraws the handles this interface gave out and deletes the interpreter.
  ~BaseTclIf() override;

  Tcl_Interp* GetInterp() const { return interp_; }
  bool GetFlag() const { return flag_; }
  void SetFlag(bool flag) { flag_ = flag; }

  // Creates the interpreter (once) and runs Tcl_AppInit: its result.
  virtual int Tcl_Main();
  // Tcl_Main(), then evaluates the script file argv[0] with the further
  // words as ::argv, or, without arguments, reads commands from standard
  // input until it ends. The exit status: 0, or 1 after a Tcl error (the
  // error and its errorInfo on stderr).
  virtual int Tcl_Main(int argc, char** argv);
  // Tcl_Init, then RegisterCommands; 0, or 1 when Tcl_Init fails.
  virtual int Tcl_AppInit();
  // The base registers no command of its own.
  void RegisterCommands();
  // Registers a string-based command on the interpreter (no delete procedure).
  void CreateCommand(const char* name, Tcl_CmdProc* proc, ClientData clientData);
  // Exit handler: releases this thread's command buffers.
  static void Tcl_AppExit(ClientData clientData);

  // Sets the interpreter result to `message` and returns TCL_ERROR. With a
  // nonzero `flag` the command's words come first ("tget_value x: ...").
  static int MdtTclError(int objc, Tcl_Obj* const objv[], Tcl_Interp* interp, int flag,
                         const char* message);

  // A handle for `node` issued by `issuer` (the same node gives the same
  // word while it lives); an empty word for null. The node is watched from
  // then on.
  static Tcl_Obj* GetTclObjFromPtr(BaseNode* node, const void* issuer);
  Tcl_Obj* GetTclObjFromPtr(BaseNode* node) { return GetTclObjFromPtr(node, this); }
  // The live node a handle stands for; null for anything else.
  static BaseNode* GetPtrFromTclObj(Tcl_Obj* obj);
  // Withdraws every handle `issuer` gave out.
  static void ForgetHandles(const void* issuer);
  // The number of live handles (for tests).
  static size_t LiveHandleCount();

  // tget_handle on a base-library property: "PROPERTY name|*" gives its
  // sub-components. Sets the result; TCL_OK or TCL_ERROR.
  static int MdtBaseGetHandle(BaseTclIf* self, Tcl_Interp* interp, int objc,
                              Tcl_Obj* const objv[]);
  // tget_value on a base-library node: its value (or "value") and "name".
  static int MdtBaseGetValue(BaseTclIf* self, Tcl_Interp* interp, int objc,
                             Tcl_Obj* const objv[]);

 protected:
  // The per-thread record of the interactive loop.
  struct ThreadData {
    Tcl_Interp* interp;
    Tcl_DString command;
    Tcl_DString line;
    int interactive;
  };
  static Tcl_ThreadDataKey s_dataKey;

 private:
  Tcl_Interp* interp_ = nullptr;
  bool flag_;
};

}  // namespace MdtBase

#endif  // TAVSOFTWARE_BASETCLIF_H

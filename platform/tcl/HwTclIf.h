// The hardware side of the Tcl commands: handles of hardware instances and
// their parameters, over any hardware database.
//
//   tget_value $inst [name]             the instance name
//   tget_value $inst PARAMETER NAME     that hardware parameter's value ("" when absent)
//   tget_value $inst OPTION IPTYPE|IPVERSION|IPCLASS
//   tget_value $param [value]           its value;   tget_value $param name: its name
//   tget_handle $inst PARAMETER NAME|*  handles of the instance's parameters
//   tget_handle $proc ADDRESSABLE *     handles of the instances a processor addresses
// Keywords ignore case.
#ifndef TAVSOFTWARE_HWTCLIF_H
#define TAVSOFTWARE_HWTCLIF_H

#include <boost/shared_ptr.hpp>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "BaseTclIf.h"
#include "HwDb.h"

namespace TavTclHwDb {

class TAVSW_API HwTclIf {
 public:
  // REQUIRES: the database does not change while the interface serves it.
  explicit HwTclIf(boost::shared_ptr<TavHwDb::HwDb> hw);
  // Destroys the hardware nodes; their handles are withdrawn.
  virtual ~HwTclIf();
  HwTclIf(const HwTclIf&) = delete;
  HwTclIf& operator=(const HwTclIf&) = delete;

  // The database served (may be null: every lookup then finds nothing).
  const boost::shared_ptr<TavHwDb::HwDb>& GetHwDb() const { return hw_; }

  // Registers nothing: the software interface owns the command names and
  // passes hardware handles on. 0.
  virtual int RegisterCommands(Tcl_Interp* interp);
  // tget_value on a hardware handle. TCL_OK or TCL_ERROR.
  virtual int GetValue(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);
  // Sets the result to the list of the handles of the named instances
  // (instances that do not exist are left out). TCL_OK.
  virtual int GetHandlesForNames(ClientData cd, Tcl_Interp* interp,
                                 const std::vector<std::string>& names);
  // Sets the result to the instance's handle; "" when there is no such
  // instance. TCL_OK.
  virtual int GetHandleForName(ClientData cd, Tcl_Interp* interp, const std::string& name);
  // tget_handle on a hardware handle. TCL_OK or TCL_ERROR.
  virtual int GetHandle(ClientData cd, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]);

 private:
  struct Node;
  // The instance's name as the database spells it; empty when it has none.
  std::string Canonical(const std::string& name);
  Node* Instance(const std::string& name);
  Node* Parameter(Node* inst, const std::string& name);
  Node* Resolve(Tcl_Obj* obj) const;

  boost::shared_ptr<TavHwDb::HwDb> hw_;
  std::map<std::string, std::unique_ptr<Node>> nodes_;  // by lower-case key
  std::unordered_set<const Node*> owned_;
  std::map<std::string, std::string> spelled_;  // lower-case name -> the database's
};

}  // namespace TavTclHwDb

#endif  // TAVSOFTWARE_HWTCLIF_H

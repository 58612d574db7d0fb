// A library instance: one BEGIN LIBRARY block of an MSS file.
#ifndef TAVSOFTWARE_LIBINST_H
#define TAVSOFTWARE_LIBINST_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct LibInstImp;

// Holds the instance's options, parameters, array values and interfaces in
// typed sequences and owns them. Its name is mirrored in the parameter
// "LIBRARY_NAME" ("OS_NAME" for an OsInst). Unlike a driver instance it
// announces none of its changes.
class TAVSW_API LibInst : public MdtBase::PsfComp {
 public:
  enum NodeType {
    OPTIONS = 0,        // Option
    PARAMETERS = 1,     // Param
    ARRAYS = 2,         // ArrayInst
    INTERFACES = 3,     // Interface
    DEFINITION = 1000,  // link: the definition file (Mld)
    CORE = 1001         // link: the core the definition file comes from
  };

  LibInst();
  ~LibInst() override;

  // The sequence of `nodeType`. An unlisted value gives an empty scratch
  // sequence that keeps nothing.
  PropSeq& GetPropSeqRef(int nodeType);
  const PropSeq& GetPropSeqRef(int nodeType) const;
  // First property of that name (ignoring case); null when absent.
  MdtBase::Property* GetPropertyByName(int nodeType, const String& name);
  const MdtBase::Property* GetPropertyByName(int nodeType, const String& name) const;
  // Its value text; empty when absent.
  String GetPropertyValueStr(int nodeType, const String& name) const;

  // Takes ownership of `p` and returns the new length of the sequence.
  // Refusals leave `p` with the caller: -1 for null or an unlisted NodeType,
  // and -1 with the error "Property %s already added to library instance %s"
  // when the sequence holds a property of that name (ignoring case).
  int AddProperty(int nodeType, MdtBase::Property* p);
  // Removes and destroys `p`: 0; 1 when `p` is not in the sequence; -1 for null.
  int DelProperty(int nodeType, MdtBase::Property* p);
  // The same, by name (ignoring case); -1 when no such property.
  int DelProperty(int nodeType, const String& name);
  // Destroys every property of the sequence; 0.
  int DelPropSeq(int nodeType);

  // Sets the value text of an existing property: 0; 1 for an empty name; 2
  // for a missing property, and 2 with an internal error for
  // "LIBRARY_NAME" in sequence 1 (use SetName for it).
  int SetPropertyValueStr(int nodeType, const String& name, const String& value);
  // Sets the value text of the property, creating it (of the kind of the
  // NodeType, with a string value) when missing. The property stays owned by
  // the instance. Null for an unlisted NodeType, and null with an internal
  // error for "LIBRARY_NAME" in sequence 1.
  MdtBase::Property* CreateAddPropertySetValue(int nodeType, const String& name,
                                               const String& value);

  // Sets the name and mirrors it into the name parameter of sequence 1
  // (created when missing, reused otherwise).
  void SetName(const String& name) override;

  // Links (not owned). DEFINITION with a definition file stores that file's
  // owner (the core that read it); CORE stores the core itself; null clears
  // the link. Other values are ignored.
  void SetBaseNodePtr(int nodeType, MdtBase::BaseNode* node);
  // CORE: the core; DEFINITION: the core's Mld, read on first use (null
  // without a core, when the link is no core, or when the file cannot be
  // had); null for other values.
  virtual MdtBase::BaseNode* GetBaseNodePtr(int nodeType) const;

  // The instance's own property, else the property of the corresponding
  // sequence of the definition file (options 2, parameters 3, array
  // definitions 6, interfaces 5); null when neither has it. Not owned.
  const MdtBase::Property* GetPropertyByNameFromLibInstOrMld(int nodeType,
                                                             const String& name) const;
  // The value text of that property; empty when there is none.
  String GetPropertyValueStrFromLibInstOrMld(int nodeType, const String& name) const;

 protected:
  // For derived kinds with another name parameter (a string literal).
  void SetNameParamName(const char* paramName);

 private:
  std::unique_ptr<LibInstImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_LIBINST_H

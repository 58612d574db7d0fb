// Helpers shared by the runtime-model units: the message object, typed
// access to the sequences of instances, and the name tables.
#ifndef TAVSOFTWARE_RUNTIME_RUNTIMECOMMON_H
#define TAVSOFTWARE_RUNTIME_RUNTIMECOMMON_H

#include <initializer_list>
#include <vector>

#include "MdtBase.h"
#include "Port.h"

namespace TavSoftware {
class DrvInst;
class LibInst;
class SwRepos;
}  // namespace TavSoftware

namespace TavSoftware::rt {

using Port::String;
using PropSeq = MdtBase::PropSeq;

// The message manager object of the runtime units.
inline Port_MsgManData Msg() { return Port_MsgManData::createObject("VEK", __FILE__, __LINE__, ""); }

inline bool Eq(std::string_view a, std::string_view b) { return Port::EqualsNoCase(a, b); }
// True when `name` equals one of `names`, ignoring case.
bool InNames(std::string_view name, std::initializer_list<const char*> names);

// The instance behind a component pointer, by its type tag; null for
// anything else (a wrong-class entry is never cast).
const DrvInst* AsDrvInst(const MdtBase::BaseNode* node);
DrvInst* AsDrvInst(MdtBase::BaseNode* node);
const LibInst* AsLibInst(const MdtBase::BaseNode* node);
LibInst* AsLibInst(MdtBase::BaseNode* node);
// A driver or library/OS instance's sequence of that NodeType (0 options, 1
// parameters, 2 array values, 3 interfaces); an empty sequence for any other
// component.
const PropSeq& InstSeq(const MdtBase::BaseNode* comp, int nodeType);
PropSeq* InstSeqMutable(MdtBase::BaseNode* comp, int nodeType);
// The value text of an instance parameter (sequence 1); empty when absent.
String InstParamValue(const MdtBase::BaseNode* comp, const String& name);
// A driver is a driver instance that is not a processor; a library a
// library instance that is not an OS.
bool IsDriverComp(const MdtBase::BaseNode* node);
bool IsLibraryComp(const MdtBase::BaseNode* node);

// The words of a list value ("range", "supported_peripherals", ...): the
// items of a string list; the text of any other value split at commas and
// blanks, parentheses dropped; nothing without a value.
std::vector<String> ValueWords(const MdtBase::MdtValue* value);

// Core directory name of a name and version: timer, 2.00.a -> timer_v2_00_a;
// the name alone without a version.
String CoreDirName(const String& name, const String& version);
// The repository directory with a trailing separator, so that a category
// directory can be appended to it.
String DirWithSlash(const String& dir);

// Copies the component data of `src` into `dst`: name (without mirroring it
// into a name parameter, since the parameters are copied on their own),
// value, comment, file and line.
void CopyCompBase(const MdtBase::PsfComp* src, MdtBase::PsfComp* dst);

// Gives every entry of the sequence the NodeType of the sequence it stands
// in; merges append nodes directly, without the container's AddProperty.
void StampNodeTypes(PropSeq& seq, int nodeType);

}  // namespace TavSoftware::rt

#endif  // TAVSOFTWARE_RUNTIME_RUNTIMECOMMON_H

// Small node helpers shared by the merge units.
#ifndef TAVSOFTWARE_RUNTIME_MERGECOMMON_H
#define TAVSOFTWARE_RUNTIME_MERGECOMMON_H

#include "runtime/RuntimeCommon.h"

namespace TavSoftware::rt {

// A new empty node of the kind of `p`'s type tag; an attribute whose tag
// has no derived kind (a plain base property) becomes a Property.
MdtBase::Property* NewLike(const MdtBase::Property* p);
// A new node like `src`, filled by the base copy; `count` receives its result.
MdtBase::Property* CopyOf(const MdtBase::Property* src, int& count);
// MergeProperty, then the instance entry's file and line, so that later
// diagnostics point at the line of the MSS that set the value.
int MergeFromInstance(const MdtBase::Property* def, const MdtBase::Property* inst,
                      MdtBase::Property* out);
// The integer a value stands for: an integer value's own, else its text read
// as one. False when it is no integer.
bool IntegerOf(const MdtBase::MdtValue* value, long long& out);
// Sets the child "default" of `p` to `text` (replacing a "default" the
// column brought along, which would otherwise hide the row's own).
void SetDefaultChild(MdtBase::Property* p, const String& text);

}  // namespace TavSoftware::rt

#endif  // TAVSOFTWARE_RUNTIME_MERGECOMMON_H

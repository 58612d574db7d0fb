// Types shared by every public header of the software database.
#ifndef TAVSOFTWARE_SWTYPES_H
#define TAVSOFTWARE_SWTYPES_H

#include <vector>

#include "Export.h"
#include "MdtBase.h"
#include "Port.h"

namespace TavSoftware {

using String = Port::String;
// An ordered sequence of child properties; the container owns them.
using PropSeq = MdtBase::PropSeq;
using PsfCompSeq = MdtBase::PsfCompSeq;
using NVSeq = MdtBase::NVSeq;

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWTYPES_H

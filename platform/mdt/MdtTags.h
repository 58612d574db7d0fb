// What the base-node layer's own files share and callers never see.
#ifndef TAVSOFTWARE_PLATFORM_MDTTAGS_H
#define TAVSOFTWARE_PLATFORM_MDTTAGS_H

#include <string_view>

#include "Port.h"

namespace MdtBase {

// The layer's own type tags. One definition for the process: the checks
// that ask for them compare the pointer before the text.
inline constexpr char kValueTag[] = "MdtBas_MdtValue";
inline constexpr char kNameValueTag[] = "MdtBas_NameValue";
inline constexpr char kPsfCompTag[] = "MdtBas_PsfComp";
inline constexpr char kPropertyTag[] = "MdtBas_Property";
inline constexpr char kStrValTag[] = "MdtBas_StrVal";

inline bool EqNoCase(std::string_view a, std::string_view b) { return Port::EqualsNoCase(a, b); }

}  // namespace MdtBase

#endif  // TAVSOFTWARE_PLATFORM_MDTTAGS_H

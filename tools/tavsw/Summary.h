// Readable summaries of what the readers made of a definition or system
// file, for `tavsw parse`.
#ifndef TAVSOFTWARE_TOOLS_SUMMARY_H
#define TAVSOFTWARE_TOOLS_SUMMARY_H

#include <iosfwd>
#include <nlohmann/json.hpp>

namespace TavSoftware {
class Mdd;
class Mld;
class Mss;
}  // namespace TavSoftware

namespace tavsw {

// Options, parameters (with type and default), blocks, interfaces, arrays.
void PrintMddSummary(const TavSoftware::Mdd& mdd, std::ostream& out);
// Options, parameters, categories, interfaces, arrays; the kind (LIBRARY or
// OS) is taken from the MLD_TYPE option.
void PrintMldSummary(const TavSoftware::Mld& mld, std::ostream& out);
// Global parameters, then the components by kind (OS, processors, drivers,
// libraries) with their parameters, array values and interfaces.
void PrintMssSummary(const TavSoftware::Mss& mss, std::ostream& out);

// The same content for scripts, as JSON objects: "name", the counts, and the
// entries ("options", "parameters" with type and default, ...; for an MSS
// "parameters" and the components by kind with their parameters, arrays and
// interfaces).
nlohmann::json MddJson(const TavSoftware::Mdd& mdd);
nlohmann::json MldJson(const TavSoftware::Mld& mld);
nlohmann::json MssJson(const TavSoftware::Mss& mss);

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_SUMMARY_H

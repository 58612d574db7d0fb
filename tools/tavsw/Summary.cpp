#include "Summary.h"

#include <ostream>
#include <string>
#include <utility>

#include "Array.h"
#include "ArrayInst.h"
#include "Block.h"
#include "Category.h"
#include "DrvInst.h"
#include "Element.h"
#include "Interface.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"

namespace tavsw {
namespace {

using MdtBase::BaseNode;
using MdtBase::Property;
using MdtBase::PsfComp;
using TavSoftware::PropSeq;
using TavSoftware::String;

std::string Pad(int depth) { return std::string(static_cast<size_t>(depth) * 2, ' '); }

bool Is(const BaseNode* node, const char* tag) { return BaseNode::IsBaseNodeType(node, tag); }

String Plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "name = value", or just the name for a node without a value.
String NameAndValue(const PsfComp* p) {
  String value = p->GetValueStr();
  if (value.empty()) return p->GetName();
  return p->GetName() + " = " + value;
}

// A parameter of a definition: its type (string when none was given), its
// default and its dependency conditions, which decide whether it applies.
void PrintDefParam(const Property* p, int depth, std::ostream& out) {
  String type = p->GetPsfCompValueStr("type");
  if (type.empty()) type = "string";
  out << Pad(depth) << "PARAM " << p->GetName() << " : " << type;
  const PsfComp* def = p->GetPsfCompByName("default");
  if (def) out << " = " << def->GetValueStr();
  const PsfComp* values = p->GetPsfCompByName("values");
  if (values) out << "  [values " << values->GetValueStr() << "]";
  const PsfComp* dep = p->GetPsfCompByName("dep");
  if (dep) out << "  [dep " << dep->GetValueStr() << "]";
  out << "\n";
}

void PrintDefSeq(const PropSeq& seq, int depth, std::ostream& out);

void PrintInterface(const TavSoftware::Interface* itf, int depth, std::ostream& out) {
  out << Pad(depth) << "INTERFACE " << itf->GetName() << "\n";
  for (const Property* p : itf->GetPropSeqRef(TavSoftware::Interface::PROPERTIES))
    out << Pad(depth + 1) << "PROPERTY " << NameAndValue(p) << "\n";
  for (const Property* f : itf->GetPropSeqRef(TavSoftware::Interface::FUNCTIONS))
    out << Pad(depth + 1) << "FUNCTION " << NameAndValue(f) << "\n";
}

// One entry of a definition file, by its class.
void PrintDefEntry(const Property* p, int depth, std::ostream& out) {
  if (Is(p, "TavSoftware_Param")) {
    PrintDefParam(p, depth, out);
  } else if (Is(p, "TavSoftware_Option")) {
    out << Pad(depth) << "OPTION " << NameAndValue(p) << "\n";
  } else if (Is(p, "TavSoftware_Interface")) {
    PrintInterface(static_cast<const TavSoftware::Interface*>(p), depth, out);
  } else if (Is(p, "TavSoftware_Array")) {
    const auto* a = static_cast<const TavSoftware::Array*>(p);
    out << Pad(depth) << "ARRAY " << a->GetName() << "\n";
    PrintDefSeq(a->GetPropSeqRef(TavSoftware::Array::PROPERTIES), depth + 1, out);
    PrintDefSeq(a->GetPropSeqRef(TavSoftware::Array::PARAMETERS), depth + 1, out);
  } else if (Is(p, "TavSoftware_Block")) {
    const auto* b = static_cast<const TavSoftware::Block*>(p);
    out << Pad(depth) << "BLOCK dep (";
    const char* sep = "";
    for (const Property* d : b->GetPropSeqRef(TavSoftware::Block::DEPS)) {
      out << sep << NameAndValue(d);
      sep = ", ";
    }
    out << ")\n";
    for (int kind : {TavSoftware::Block::OPTIONS, TavSoftware::Block::PARAMETERS,
                     TavSoftware::Block::INTERFACES, TavSoftware::Block::ARRAYS})
      PrintDefSeq(b->GetPropSeqRef(kind), depth + 1, out);
  } else if (Is(p, "TavSoftware_Category")) {
    const auto* c = static_cast<const TavSoftware::Category*>(p);
    out << Pad(depth) << "CATEGORY " << c->GetName() << "\n";
    for (int kind : {TavSoftware::Category::OPTIONS, TavSoftware::Category::PARAMETERS,
                     TavSoftware::Category::PROPERTIES, TavSoftware::Category::ARRAYS})
      PrintDefSeq(c->GetPropSeqRef(kind), depth + 1, out);
  } else {
    out << Pad(depth) << "PROPERTY " << NameAndValue(p) << "\n";
  }
}

void PrintDefSeq(const PropSeq& seq, int depth, std::ostream& out) {
  for (const Property* p : seq) PrintDefEntry(p, depth, out);
}

template <class Def>
void PrintDefSections(const Def& def, int blocksKind, std::ostream& out) {
  PrintDefSeq(def.GetPropSeqRef(Def::OPTIONS), 1, out);
  PrintDefSeq(def.GetPropSeqRef(Def::PARAMETERS), 1, out);
  PrintDefSeq(def.GetPropSeqRef(blocksKind), 1, out);
  PrintDefSeq(def.GetPropSeqRef(Def::INTERFACES), 1, out);
  PrintDefSeq(def.GetPropSeqRef(Def::ARRAYS), 1, out);
}

// A component takes its name from its naming parameter; one without it
// still gets a visible line.
String DisplayName(const PsfComp& c) {
  return c.GetName().empty() ? String("(unnamed)") : c.GetName();
}

// An array value of an instance: its text and its rows.
void PrintArrayInst(const Property* p, int depth, std::ostream& out) {
  out << Pad(depth) << "ARRAY " << p->GetName() << " = " << p->GetValueStr();
  if (Is(p, "TavSoftware_ArrayInst")) {
    const auto* a = static_cast<const TavSoftware::ArrayInst*>(p);
    out << "  [" << Plural(a->GetRowCount(), "row", "rows") << "]";
  }
  out << "\n";
}

// Parameters, array values and interfaces of one MSS component; the naming
// parameter is among the parameters, as in the file.
template <class Inst>
void PrintInstance(const Inst& inst, const char* kind, std::ostream& out) {
  out << Pad(1) << kind << " " << DisplayName(inst) << "\n";
  for (const Property* p : inst.GetPropSeqRef(Inst::PARAMETERS))
    out << Pad(2) << "PARAMETER " << NameAndValue(p) << "\n";
  for (const Property* p : inst.GetPropSeqRef(Inst::ARRAYS)) PrintArrayInst(p, 2, out);
  for (const Property* p : inst.GetPropSeqRef(Inst::INTERFACES)) {
    if (Is(p, "TavSoftware_Interface"))
      PrintInterface(static_cast<const TavSoftware::Interface*>(p), 2, out);
    else
      out << Pad(2) << "INTERFACE " << p->GetName() << "\n";
  }
}

// Name and value of each entry of `seq`.
template <class Seq>
nlohmann::json NameValues(const Seq& seq) {
  nlohmann::json out = nlohmann::json::array();
  for (const auto* p : seq) out.push_back({{"name", p->GetName()}, {"value", p->GetValueStr()}});
  return out;
}

nlohmann::json InterfaceJson(const Property* p) {
  nlohmann::json j = {{"name", p->GetName()}};
  if (Is(p, "TavSoftware_Interface")) {
    const auto* itf = static_cast<const TavSoftware::Interface*>(p);
    j["properties"] = NameValues(itf->GetPropSeqRef(TavSoftware::Interface::PROPERTIES));
    j["functions"] = NameValues(itf->GetPropSeqRef(TavSoftware::Interface::FUNCTIONS));
  }
  return j;
}

// The top-level entries of a definition file: options, parameters with type,
// default and dependency, interfaces and arrays by name, and how many blocks
// or categories group further entries.
template <class Def>
nlohmann::json DefJson(const Def& def, int groupKind, const char* groupName) {
  nlohmann::json j = {{"name", def.GetName()}};
  j["options"] = NameValues(def.GetPropSeqRef(Def::OPTIONS));
  nlohmann::json params = nlohmann::json::array();
  for (const Property* p : def.GetPropSeqRef(Def::PARAMETERS)) {
    String type = p->GetPsfCompValueStr("type");
    nlohmann::json e = {{"name", p->GetName()}, {"type", type.empty() ? String("string") : type}};
    if (const PsfComp* d = p->GetPsfCompByName("default")) e["default"] = d->GetValueStr();
    if (const PsfComp* d = p->GetPsfCompByName("dep")) e["dep"] = d->GetValueStr();
    params.push_back(std::move(e));
  }
  j["parameters"] = std::move(params);
  j[groupName] = def.GetPropSeqRef(groupKind).size();
  nlohmann::json itfs = nlohmann::json::array();
  for (const Property* p : def.GetPropSeqRef(Def::INTERFACES)) itfs.push_back(InterfaceJson(p));
  j["interfaces"] = std::move(itfs);
  nlohmann::json arrays = nlohmann::json::array();
  for (const Property* p : def.GetPropSeqRef(Def::ARRAYS)) arrays.push_back(p->GetName());
  j["arrays"] = std::move(arrays);
  return j;
}

template <class Inst>
nlohmann::json InstanceJson(const Inst& inst) {
  nlohmann::json j = {{"name", inst.GetName()}};
  j["parameters"] = NameValues(inst.GetPropSeqRef(Inst::PARAMETERS));
  nlohmann::json arrays = nlohmann::json::array();
  for (const Property* p : inst.GetPropSeqRef(Inst::ARRAYS)) {
    nlohmann::json a = {{"name", p->GetName()}, {"value", p->GetValueStr()}};
    if (Is(p, "TavSoftware_ArrayInst"))
      a["rows"] = static_cast<const TavSoftware::ArrayInst*>(p)->GetRowCount();
    arrays.push_back(std::move(a));
  }
  j["arrays"] = std::move(arrays);
  nlohmann::json itfs = nlohmann::json::array();
  for (const Property* p : inst.GetPropSeqRef(Inst::INTERFACES)) itfs.push_back(InterfaceJson(p));
  j["interfaces"] = std::move(itfs);
  return j;
}

}  // namespace

nlohmann::json MddJson(const TavSoftware::Mdd& mdd) {
  return DefJson(mdd, TavSoftware::Mdd::BLOCKS, "blocks");
}

nlohmann::json MldJson(const TavSoftware::Mld& mld) {
  nlohmann::json j = DefJson(mld, TavSoftware::Mld::CATEGORIES, "categories");
  String kind = "LIBRARY";
  for (const Property* o : mld.GetPropSeqRef(TavSoftware::Mld::OPTIONS))
    if (o->GetName().EqualsNoCase("MLD_TYPE")) kind = o->GetValueStr();
  j["type"] = kind;
  return j;
}

nlohmann::json MssJson(const TavSoftware::Mss& mss) {
  using TavSoftware::Mss;
  nlohmann::json j = {{"name", mss.GetName()}};
  j["parameters"] = NameValues(mss.GetPsfCompSeqRef(Mss::PARAMETERS));
  const struct {
    int seq;
    const char* key;
  } kinds[] = {{Mss::OSES, "oses"},
               {Mss::PROCESSORS, "processors"},
               {Mss::DRIVERS, "drivers"},
               {Mss::LIBRARIES, "libraries"}};
  for (const auto& k : kinds) {
    nlohmann::json list = nlohmann::json::array();
    for (const PsfComp* c : mss.GetPsfCompSeqRef(k.seq)) {
      if (Is(c, "TavSoftware_DrvInst"))
        list.push_back(InstanceJson(*static_cast<const TavSoftware::DrvInst*>(c)));
      else if (Is(c, "TavSoftware_LibInst"))
        list.push_back(InstanceJson(*static_cast<const TavSoftware::LibInst*>(c)));
      else
        list.push_back({{"name", c->GetName()}});
    }
    j[k.key] = std::move(list);
  }
  return j;
}

void PrintMddSummary(const TavSoftware::Mdd& mdd, std::ostream& out) {
  using TavSoftware::Mdd;
  out << "MDD " << mdd.GetName() << ": "
      << Plural(mdd.GetPropSeqRef(Mdd::OPTIONS).size(), "option", "options") << ", "
      << Plural(mdd.GetPropSeqRef(Mdd::PARAMETERS).size(), "parameter", "parameters") << ", "
      << Plural(mdd.GetPropSeqRef(Mdd::BLOCKS).size(), "block", "blocks") << ", "
      << Plural(mdd.GetPropSeqRef(Mdd::INTERFACES).size(), "interface", "interfaces") << ", "
      << Plural(mdd.GetPropSeqRef(Mdd::ARRAYS).size(), "array", "arrays") << "\n";
  PrintDefSections(mdd, Mdd::BLOCKS, out);
}

void PrintMldSummary(const TavSoftware::Mld& mld, std::ostream& out) {
  using TavSoftware::Mld;
  String kind = "MLD";
  for (const Property* o : mld.GetPropSeqRef(Mld::OPTIONS))
    if (o->GetName().EqualsNoCase("MLD_TYPE")) kind = o->GetValueStr();
  out << "MLD " << kind << " " << mld.GetName() << ": "
      << Plural(mld.GetPropSeqRef(Mld::OPTIONS).size(), "option", "options") << ", "
      << Plural(mld.GetPropSeqRef(Mld::PARAMETERS).size(), "parameter", "parameters") << ", "
      << Plural(mld.GetPropSeqRef(Mld::CATEGORIES).size(), "category", "categories") << ", "
      << Plural(mld.GetPropSeqRef(Mld::INTERFACES).size(), "interface", "interfaces") << ", "
      << Plural(mld.GetPropSeqRef(Mld::ARRAYS).size(), "array", "arrays") << "\n";
  PrintDefSections(mld, Mld::CATEGORIES, out);
}

void PrintMssSummary(const TavSoftware::Mss& mss, std::ostream& out) {
  using TavSoftware::Mss;
  const auto& oses = mss.GetPsfCompSeqRef(Mss::OSES);
  const auto& procs = mss.GetPsfCompSeqRef(Mss::PROCESSORS);
  const auto& drivers = mss.GetPsfCompSeqRef(Mss::DRIVERS);
  const auto& libs = mss.GetPsfCompSeqRef(Mss::LIBRARIES);
  out << "MSS " << mss.GetName() << ": " << Plural(oses.size(), "OS", "OSes") << ", "
      << Plural(procs.size(), "processor", "processors") << ", "
      << Plural(drivers.size(), "driver", "drivers") << ", "
      << Plural(libs.size(), "library", "libraries") << "\n";
  for (const PsfComp* p : mss.GetPsfCompSeqRef(Mss::PARAMETERS))
    out << Pad(1) << "PARAMETER " << NameAndValue(p) << "\n";
  for (const PsfComp* p : mss.GetPsfCompSeqRef(Mss::ARRAYS))
    out << Pad(1) << "ARRAY " << NameAndValue(p) << "\n";
  // The sequences hold what the reader made; check the class before looking
  // inside, so a foreign node is shown by name rather than misread.
  auto show = [&out](const PsfComp* c, const char* kind) {
    if (Is(c, "TavSoftware_DrvInst"))
      PrintInstance(*static_cast<const TavSoftware::DrvInst*>(c), kind, out);
    else if (Is(c, "TavSoftware_LibInst"))
      PrintInstance(*static_cast<const TavSoftware::LibInst*>(c), kind, out);
    else
      out << Pad(1) << kind << " " << DisplayName(*c) << "\n";
  };
  for (const PsfComp* c : oses) show(c, "OS");
  for (const PsfComp* c : procs) show(c, "PROCESSOR");
  for (const PsfComp* c : drivers) show(c, "DRIVER");
  for (const PsfComp* c : libs) show(c, "LIBRARY");
}

}  // namespace tavsw

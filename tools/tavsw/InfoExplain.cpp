// tavsw explain: where a value of the model comes from, and which core
// serves an instance and why.
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Block.h"
#include "Category.h"
#include "Driver.h"
#include "DrvInst.h"
#include "DrvInstUtil.h"
#include "InfoCommands.h"
#include "InfoModel.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Library.h"
#include "Mdd.h"
#include "Mld.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "ProcInstUtil.h"
#include "Processor.h"
#include "SwPropertyUtil.h"
#include "SwRepos.h"

namespace tavsw {
namespace {

using Json = nlohmann::ordered_json;
using MdtBase::Property;
using MdtBase::PsfComp;
using TavSoftware::DrvInst;
using TavSoftware::LibInst;
using TavSoftware::Mss;

// The identity parameters come from the MSS block whatever the definition
// declares.
bool IsIdentity(const std::string& name) {
  for (const char* id : {"DRIVER_NAME", "DRIVER_VER", "HW_INSTANCE", "SUB_HW_INSTANCE",
                         "PROC_INSTANCE", "OS_NAME", "OS_VER", "LIBRARY", "LIBRARY_NAME",
                         "LIBRARY_VER"})
    if (Port::EqualsNoCase(name, id)) return true;
  return false;
}

// One component of the model, with what it was made from.
struct Found {
  const char* kind = "";                       // "processor", "driver", "os", "library"
  const PsfComp* merged = nullptr;             // the model's component
  const PsfComp* source = nullptr;             // the MSS block
  std::string processor;                       // the processor it belongs to
  std::vector<String> folded;                  // a driver's hardware instances
  std::vector<const PsfComp*> foldedSources;   // their MSS blocks, in that order
};

const TavSoftware::PropSeq& Params(const PsfComp* c) {
  static const TavSoftware::PropSeq kNone;
  if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_DrvInst"))
    return static_cast<const DrvInst*>(c)->GetPropSeqRef(DrvInst::PARAMETERS);
  if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_LibInst"))
    return static_cast<const LibInst*>(c)->GetPropSeqRef(LibInst::PARAMETERS);
  return kNone;
}

const Property* Param(const PsfComp* c, const std::string& name) {
  return c ? MdtBase::PropertyUtil::GetPropertyByName(Params(c), name) : nullptr;
}

MdtBase::BaseNode* Link(const PsfComp* c, int which) {
  if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_DrvInst"))
    return static_cast<const DrvInst*>(c)->GetBaseNodePtr(which);
  if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_LibInst"))
    return static_cast<const LibInst*>(c)->GetBaseNodePtr(which);
  return nullptr;
}

std::string Where(const PsfComp* p) {
  if (!p || p->GetFileNameStr().empty()) return "";
  return std::string(p->GetFileNameStr()) +
         (p->GetLineNum() > 0 ? " line " + std::to_string(p->GetLineNum()) : "");
}

Json WhereJson(const PsfComp* p) {
  Json j = Json::object();
  j["file"] = p && !p->GetFileNameStr().empty() ? Json(p->GetFileNameStr()) : Json(nullptr);
  j["line"] = p && p->GetLineNum() > 0 ? Json(p->GetLineNum()) : Json(nullptr);
  return j;
}

// The text of an attribute of a definition's parameter ("type", "desc",
// "range"); for "values" the pairs as "name = value, ...".
std::string Attribute(const Property* def, const char* name) {
  const PsfComp* a = def ? def->GetPsfCompByName(name) : nullptr;
  if (!a) return "";
  if (auto* pairs = dynamic_cast<const MdtBase::ListPsfCompVal*>(a->GetMdtValuePtr())) {
    std::string text;
    for (const PsfComp* c : pairs->GetList())
      if (c) text += (text.empty() ? "" : ", ") + c->GetName() + " = " + c->GetValueStr();
    return text;
  }
  return a->GetValueStr();
}

// The first entry of a parameter's condition list: "NAME = VALUE" and NAME.
std::pair<std::string, std::string> Condition(const Property* def) {
  const PsfComp* dep = def ? def->GetPsfCompByName("dep") : nullptr;
  auto* list = dep ? dynamic_cast<const MdtBase::ListPsfCompVal*>(dep->GetMdtValuePtr()) : nullptr;
  if (!list) return {"", ""};
  std::string text, first;
  for (const PsfComp* c : list->GetList()) {
    if (!c || c->GetName().empty()) continue;
    if (first.empty()) first = c->GetName();
    text += (text.empty() ? "" : ", ") + c->GetName() + " = " + c->GetValueStr();
  }
  return {text, first};
}

// Where a definition declares a parameter: at the top, in a block (with
// its condition) or in a category.
struct Declared {
  const Property* def = nullptr;
  const TavSoftware::Block* block = nullptr;
  const TavSoftware::Category* category = nullptr;
};

Declared FindDeclared(const MdtBase::BaseNode* definition, const std::string& name) {
  Declared d;
  if (MdtBase::BaseNode::IsBaseNodeType(definition, "TavSoftware_Mdd")) {
    auto* mdd = static_cast<const TavSoftware::Mdd*>(definition);
    if ((d.def = mdd->GetPropertyByName(TavSoftware::Mdd::PARAMETERS, name))) return d;
    for (const Property* b : mdd->GetPropSeqRef(TavSoftware::Mdd::BLOCKS)) {
      if (!MdtBase::BaseNode::IsBaseNodeType(b, "TavSoftware_Block")) continue;
      auto* block = static_cast<const TavSoftware::Block*>(b);
      if (const Property* p = MdtBase::PropertyUtil::GetPropertyByName(
              block->GetPropSeqRef(TavSoftware::Block::PARAMETERS), name)) {
        d.def = p;
        d.block = block;
        return d;
      }
    }
  } else if (MdtBase::BaseNode::IsBaseNodeType(definition, "TavSoftware_Mld")) {
    auto* mld = static_cast<const TavSoftware::Mld*>(definition);
    if ((d.def = mld->GetPropertyByName(TavSoftware::Mld::PARAMETERS, name))) return d;
    for (const Property* c : mld->GetPropSeqRef(TavSoftware::Mld::CATEGORIES)) {
      if (!MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_Category")) continue;
      auto* cat = static_cast<const TavSoftware::Category*>(c);
      if (const Property* p = MdtBase::PropertyUtil::GetPropertyByName(
              cat->GetPropSeqRef(TavSoftware::Category::PARAMETERS), name)) {
        d.def = p;
        d.category = cat;
        return d;
      }
    }
  }
  return d;
}

// Every parameter name the definition declares, and those the instance sets.
std::vector<std::string> KnownParams(const Found& f) {
  std::vector<std::string> names;
  for (const Property* p : Params(f.merged))
    if (p) names.push_back(p->GetName());
  for (const Property* p : Params(f.source))
    if (p) names.push_back(p->GetName());
  const MdtBase::BaseNode* def = Link(f.merged, DrvInst::DEFINITION);
  auto add = [&](const TavSoftware::PropSeq& seq) {
    for (const Property* p : seq)
      if (p) names.push_back(p->GetName());
  };
  if (MdtBase::BaseNode::IsBaseNodeType(def, "TavSoftware_Mdd")) {
    auto* mdd = static_cast<const TavSoftware::Mdd*>(def);
    add(mdd->GetPropSeqRef(TavSoftware::Mdd::PARAMETERS));
    for (const Property* b : mdd->GetPropSeqRef(TavSoftware::Mdd::BLOCKS))
      if (MdtBase::BaseNode::IsBaseNodeType(b, "TavSoftware_Block"))
        add(static_cast<const TavSoftware::Block*>(b)->GetPropSeqRef(TavSoftware::Block::PARAMETERS));
  } else if (MdtBase::BaseNode::IsBaseNodeType(def, "TavSoftware_Mld")) {
    auto* mld = static_cast<const TavSoftware::Mld*>(def);
    add(mld->GetPropSeqRef(TavSoftware::Mld::PARAMETERS));
    for (const Property* c : mld->GetPropSeqRef(TavSoftware::Mld::CATEGORIES))
      if (MdtBase::BaseNode::IsBaseNodeType(c, "TavSoftware_Category"))
        add(static_cast<const TavSoftware::Category*>(c)->GetPropSeqRef(
            TavSoftware::Category::PARAMETERS));
  }
  return names;
}

class ExplainCommand : public Command {
 public:
  const char* Name() const override { return "explain"; }
  const char* Help() const override {
    return "Explain INSTANCE.PARAM: the value the model uses and where it came from (the MSS, "
           "the definition's default, a condition that dropped it, a fold of instances), its "
           "type, allowed values and description; or INSTANCE: its driver, the core chosen and "
           "why, its processor. INSTANCE is a hardware instance, or an OS or library name";
  }
  void Declare(CLI::App& app) override {
    app.add_option("system", opts_.mss, "The system's MSS file")->required();
    app.add_option("what", what_, "INSTANCE or INSTANCE.PARAM")->required();
    opts_.Declare(app);
    app.add_flag("--json", json_, "Write one JSON document to stdout, nothing else");
  }
  int Run(Context& ctx) override {
    boost::shared_ptr<TavHwDb::HwDbFile> hw;
    int errors = 0, status = kTavswOk;
    std::unique_ptr<SwRTClass> model;
    std::vector<MsgRecord> held;
    model = BuildQuietly(ctx, hw, errors, status, held);
    if (!model) return status;
    ctx.LeaveForExit(hw);
    if (errors) {
      for (const MsgRecord& m : held) ctx.diag.Report(m);
      ctx.diag.Tool(MsgSeverity::kWarning,
                    "the model has errors; what it holds is explained as built", opts_.mss);
    }
    const size_t dot = what_.find('.');
    const std::string instance = what_.substr(0, dot);
    const std::string param = dot == std::string::npos ? "" : what_.substr(dot + 1);
    Found f;
    if (!FindInstance(*model, instance, f)) {
      ctx.diag.Tool(MsgSeverity::kError, "no instance '" + instance + "' in the model", opts_.mss);
      NoteClosest(ctx, instance, KnownInstances(*model));
      ctx.LeaveForExit(std::move(model));
      return kTavswErrors;
    }
    const int result = param.empty() ? ExplainInstance(ctx, f)
                                     : ExplainParam(ctx, f, instance, param);
    ctx.LeaveForExit(std::move(model));
    return result != kTavswOk ? result : errors ? kTavswErrors : kTavswOk;
  }

 private:
  std::unique_ptr<SwRTClass> BuildQuietly(Context& ctx,
                                          boost::shared_ptr<TavHwDb::HwDbFile>& hw, int& errors,
                                          int& status, std::vector<MsgRecord>& held) {
    struct Hold : MsgSink {
      MsgSink* previous = Port_MsgManData::SetSink(this);
      std::vector<MsgRecord>& out;
      explicit Hold(std::vector<MsgRecord>& o) : out(o) {}
      void Report(const MsgRecord& m) override {
        // What makes an input unusable is said at once, as build says it.
        if (m.severity == MsgSeverity::kError || m.severity == MsgSeverity::kInternal)
          out.push_back(m);
      }
      ~Hold() override { Port_MsgManData::SetSink(previous); }
    };
    std::unique_ptr<SwRTClass> model;
    {
      Hold hold(held);
      model = opts_.Build(ctx, hw, errors, status);
    }
    if (!model)
      for (const MsgRecord& m : held) ctx.diag.Report(m);
    return model;
  }

  // The names explain knows: hardware instances of the organised
  // processors and their drivers, OS and library names.
  static std::vector<std::string> KnownInstances(SwRTClass& model) {
    std::vector<std::string> names;
    for (MdtBase::NameValue* nv : model.GetNameValueSeqRef(SwRTClass::PROCESSORS)) {
      if (!MdtBase::BaseNode::IsBaseNodeType(nv, "TavSoftware_Processor")) continue;
      auto* p = static_cast<TavSoftware::Processor*>(nv);
      if (p->GetHwInstance().empty()) continue;
      names.push_back(p->GetHwInstance());
      for (TavSoftware::Driver* d : p->GetDriverSeqRef())
        for (const String& i : d->GetInstSeqRef()) names.push_back(i);
      if (p->GetOsInstance()) names.push_back(p->GetOsInstance()->GetName());
      for (TavSoftware::Library* l : p->GetLibrarySeqRef()) names.push_back(l->GetName());
    }
    return names;
  }

  static bool FindInstance(SwRTClass& model, const std::string& name, Found& f) {
    const Mss* source = model.GetSourceMss();
    for (MdtBase::NameValue* nv : model.GetNameValueSeqRef(SwRTClass::PROCESSORS)) {
      if (!MdtBase::BaseNode::IsBaseNodeType(nv, "TavSoftware_Processor")) continue;
      auto* p = static_cast<TavSoftware::Processor*>(nv);
      if (p->GetHwInstance().empty()) continue;
      f.processor = p->GetHwInstance();
      if (Port::EqualsNoCase(p->GetHwInstance(), name)) {
        f.kind = "processor";
        f.merged = p;
        if (source)
          f.source = TavSoftware::ProcInstUtil::GetProcInstByHwInstName(
              source->GetPsfCompSeqRef(Mss::PROCESSORS), name);
        return true;
      }
      for (TavSoftware::Driver* d : p->GetDriverSeqRef())
        for (const String& i : d->GetInstSeqRef())
          if (Port::EqualsNoCase(i, name)) {
            f.kind = "driver";
            f.merged = d;
            f.folded = d->GetInstSeqRef();
            if (source) {
              for (const String& each : f.folded)
                f.foldedSources.push_back(TavSoftware::DrvInstUtil::GetDrvInstByHwInstName(
                    source->GetPsfCompSeqRef(Mss::DRIVERS), each));
              f.source = TavSoftware::DrvInstUtil::GetDrvInstByHwInstName(
                  source->GetPsfCompSeqRef(Mss::DRIVERS), name);
            }
            return true;
          }
      if (p->GetOsInstance() && Port::EqualsNoCase(p->GetOsInstance()->GetName(), name)) {
        f.kind = "os";
        f.merged = p->GetOsInstance();
        if (source)
          f.source = TavSoftware::OsInstUtil::GetOsInstByHwInstName(
              source->GetPsfCompSeqRef(Mss::OSES), p->GetHwInstance());
        return true;
      }
      for (TavSoftware::Library* l : p->GetLibrarySeqRef())
        if (Port::EqualsNoCase(l->GetName(), name)) {
          f.kind = "library";
          f.merged = l;
          if (source)
            for (const PsfComp* c : source->GetPsfCompSeqRef(Mss::LIBRARIES))
              if (c && Port::EqualsNoCase(c->GetName(), name)) f.source = c;
          return true;
        }
    }
    // A model with errors was not organised per processor: its components
    // as merged, each on its own.
    f.processor.clear();
    const std::pair<const char*, int> kinds[] = {{"processor", Mss::PROCESSORS},
                                                 {"driver", Mss::DRIVERS},
                                                 {"os", Mss::OSES},
                                                 {"library", Mss::LIBRARIES}};
    for (const auto& [kind, seq] : kinds)
      for (const PsfComp* c : model.GetPsfCompSeqRef(seq)) {
        const bool byHw = seq == Mss::PROCESSORS || seq == Mss::DRIVERS;
        const Property* hwInst = Param(c, "HW_INSTANCE");
        if (!c || !(byHw ? hwInst && Port::EqualsNoCase(hwInst->GetValueStr(), name)
                         : Port::EqualsNoCase(c->GetName(), name)))
          continue;
        f.kind = kind;
        f.merged = c;
        if (const Property* proc = Param(c, "PROC_INSTANCE")) f.processor = proc->GetValueStr();
        if (seq == Mss::PROCESSORS) f.processor = name;
        if (source)
          for (const PsfComp* s : source->GetPsfCompSeqRef(seq)) {
            const Property* h = Param(s, "HW_INSTANCE");
            if (s && (byHw ? h && Port::EqualsNoCase(h->GetValueStr(), name)
                           : Port::EqualsNoCase(s->GetName(), name)))
              f.source = s;
          }
        return true;
      }
    return false;
  }

  int ExplainInstance(Context& ctx, const Found& f) {
    auto* core = dynamic_cast<TavSoftware::SwCore*>(Link(f.merged, DrvInst::CORE));
    const MdtBase::BaseNode* def = Link(f.merged, DrvInst::DEFINITION);
    const char* verParam = std::string(f.kind) == "os"        ? "OS_VER"
                           : std::string(f.kind) == "library" ? "LIBRARY_VER"
                                                              : "DRIVER_VER";
    const Property* asked = Param(f.source, verParam);
    std::string repository;
    std::vector<String> versions;
    if (core) {
      // The repository that holds the core, and every version any holds.
      if (TavSoftware::SwReposMan* man = opts_.manager)
        for (TavSoftware::SwRepos* r : man->GetSwReposSeqRef())
          for (TavSoftware::SwCore* c : r->GetSwCoreSeqRef()) {
            if (c == core) repository = r->GetReposDir();
            if (c && Port::EqualsNoCase(c->GetName(), core->GetName()) &&
                c->GetPsfKind() == core->GetPsfKind())
              TavSoftware::SwRTUtil::CheckAndAddVerToList(versions, c->GetVersion());
          }
    }
    const std::string why =
        !core ? "no core was bound"
        : asked && !asked->GetValueStr().empty()
            ? "the MSS asks for version " + std::string(asked->GetValueStr()) +
                  (Where(asked).empty() ? "" : " (" + Where(asked) + ")") +
                  "; the first repository in search order that holds it"
            : "the MSS names no version: the newest in the first repository in search order "
              "that holds the core";
    if (json_) {
      Json doc = Json::object();
      doc["format"] = 1;
      doc["instance"] = what_;
      doc["kind"] = f.kind;
      doc["processor"] = f.processor.empty() ? Json(nullptr) : Json(f.processor);
      doc["core"] = core ? Json{{"name", core->GetName()}, {"version", core->GetVersion()}}
                         : Json(nullptr);
      doc["definition"] = def ? Json(DefinitionFile(core)) : Json(nullptr);
      doc["repository"] = repository.empty() ? Json(nullptr) : Json(repository);
      doc["versions"] = versions;
      doc["why"] = why;
      doc["mss"] = WhereJson(f.source);
      Json folded = Json::array();
      for (const String& i : f.folded) folded.push_back(i);
      doc["serves"] = folded;
      ctx.out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
      return kTavswOk;
    }
    ctx.out << what_ << ": " << f.kind;
    if (core) ctx.out << " " << core->GetName() << " " << core->GetVersion();
    ctx.out << "\n";
    if (!Where(f.source).empty()) ctx.out << "  in the MSS: " << Where(f.source) << "\n";
    if (!f.processor.empty()) ctx.out << "  processor: " << f.processor << "\n";
    if (f.folded.size() > 1) {
      std::string list;
      for (const String& i : f.folded) list += (list.empty() ? "" : ", ") + i;
      ctx.out << "  one driver serves: " << list << "\n";
    }
    if (core) {
      ctx.out << "  definition: " << DefinitionFile(core) << "\n";
      if (!repository.empty()) ctx.out << "  repository: " << repository << "\n";
      std::string list;
      for (const String& v : versions) list += (list.empty() ? "" : ", ") + v;
      ctx.out << "  versions held: " << list << "\n";
    }
    ctx.out << "  why this core: " << why << "\n";
    return kTavswOk;
  }

  static std::string DefinitionFile(const TavSoftware::SwCore* core) {
    if (!core) return "";
    Port::FileName f = core->GetCoreDir();
    f.PushPathEnd(core->GetName() + core->GetPsfVersion() +
                  (core->GetPsfKind() == 1 ? ".mdd" : ".mld"));
    return f.GetFullName();
  }

  int ExplainParam(Context& ctx, const Found& f, const std::string& instance,
                   const std::string& name) {
    const Property* used = Param(f.merged, name);
    const Property* set = Param(f.source, name);
    const Declared d = FindDeclared(Link(f.merged, DrvInst::DEFINITION), name);
    if (!used && !set && !d.def) {
      ctx.diag.Tool(MsgSeverity::kError,
                    "no parameter '" + name + "' in " + f.kind + " " + instance, opts_.mss);
      NoteClosest(ctx, name, KnownParams(f));
      return kTavswErrors;
    }
    // Where the value comes from, and why another was not taken.
    std::string source, reason;
    const PsfComp* mssValue = used ? used->GetPsfCompByName("MSS_VALUE") : nullptr;
    if (used && IsIdentity(name) && set) {
      source = "mss";
    } else if (used && mssValue && mssValue->GetValueStr() == used->GetValueStr()) {
      source = "mss";
    } else if (used) {
      source = "default";
      if (set && d.category)
        reason = "the MSS value " + std::string(set->GetValueStr()) +
                 " is ignored: category " + d.category->GetName() +
                 " is not selected for this instance";
      else if (set)
        reason = "the MSS value " + std::string(set->GetValueStr()) + " is not used";
    } else if (d.def && d.block) {
      source = "dropped";
      const TavSoftware::PropSeq& deps = d.block->GetPropSeqRef(TavSoftware::Block::DEPS);
      std::string cond;
      for (const Property* dep : deps)
        if (dep) {
          cond = dep->GetName() + " = " + dep->GetValueStr();
          const Property* ctl = Param(f.merged, dep->GetName());
          cond += ", and " + std::string(dep->GetName()) + " is " +
                  (ctl ? std::string(ctl->GetValueStr()) : std::string("not set"));
          break;
        }
      reason = "not in the model: it belongs to a block whose condition does not hold (" + cond + ")";
    } else if (d.def && set) {
      source = "dropped";
      reason = "not in the model: its condition (" + Condition(d.def).first +
               ") does not hold, so the MSS value " + std::string(set->GetValueStr()) +
               " was discarded";
    } else if (d.def) {
      source = "dropped";
      reason = "not in the model";
    } else {
      source = "undeclared";
      reason = "the definition does not declare it: the MSS value " +
               std::string(set->GetValueStr()) + " is not used";
    }
    if (f.folded.size() > 1 && used && !IsIdentity(name)) {
      std::string differ;
      for (size_t i = 0; i < f.folded.size() && i < f.foldedSources.size(); ++i) {
        // An instance that sets another value than the one kept.
        const Property* p = Param(f.foldedSources[i], name);
        if (p && p->GetValueStr() != used->GetValueStr())
          differ += (differ.empty() ? "" : ", ") + std::string(f.folded[i]) + " says " +
                    std::string(p->GetValueStr());
      }
      if (!differ.empty())
        reason += std::string(reason.empty() ? "" : "; ") + "one driver serves " +
                  std::to_string(f.folded.size()) + " instances and keeps one value (" + differ + ")";
    }
    const std::string type = Attribute(d.def, "type");
    const std::string values = Attribute(d.def, "values");
    const std::string range = Attribute(d.def, "range");
    const std::string desc = Attribute(d.def, "desc");
    const PsfComp* defaultComp = d.def ? d.def->GetPsfCompByName("default") : nullptr;
    const std::string defaultValue =
        defaultComp ? std::string(defaultComp->GetValueStr())
                    : d.def ? std::string(d.def->GetValueStr()) : std::string();
    if (json_) {
      Json doc = Json::object();
      doc["format"] = 1;
      doc["instance"] = instance;
      doc["kind"] = f.kind;
      doc["parameter"] = used ? used->GetName() : set ? set->GetName() : d.def->GetName();
      doc["value"] = used ? Json(used->GetValueStr()) : Json(nullptr);
      doc["source"] = source;
      Json mss = Json(nullptr);
      if (set) {
        mss = WhereJson(set);
        mss["value"] = set->GetValueStr();
      }
      doc["mss"] = mss;
      Json def = Json(nullptr);
      if (d.def) {
        def = WhereJson(d.def);
        def["default"] = defaultValue;
        def["type"] = type.empty() ? Json(nullptr) : Json(type);
        def["values"] = values.empty() ? Json(nullptr) : Json(values);
        def["range"] = range.empty() ? Json(nullptr) : Json(range);
        def["description"] = desc.empty() ? Json(nullptr) : Json(desc);
      }
      doc["definition"] = def;
      doc["reason"] = reason.empty() ? Json(nullptr) : Json(reason);
      ctx.out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
      return kTavswOk;
    }
    ctx.out << instance << "." << (used ? used->GetName() : set ? set->GetName() : d.def->GetName())
            << " = " << (used ? std::string(used->GetValueStr()) : std::string("(not in the model)"))
            << "\n";
    if (source == "mss")
      ctx.out << "  from the MSS: " << Where(set) << "\n";
    else if (source == "default")
      ctx.out << "  from the definition's default: " << Where(d.def) << "\n";
    else if (set)
      ctx.out << "  set in the MSS: " << set->GetValueStr() << " (" << Where(set) << ")\n";
    if (!reason.empty()) ctx.out << "  " << reason << "\n";
    if (d.def) {
      ctx.out << "  default: " << defaultValue << " (" << Where(d.def) << ")\n";
      if (!type.empty()) ctx.out << "  type: " << type << "\n";
      if (!values.empty()) ctx.out << "  values: " << values << "\n";
      if (!range.empty()) ctx.out << "  range: " << range << "\n";
      if (!desc.empty()) ctx.out << "  description: " << desc << "\n";
    }
    return kTavswOk;
  }

  ModelOptions opts_;
  std::string what_;
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeExplainCommand() { return std::make_unique<ExplainCommand>(); }

}  // namespace tavsw

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "SwRTClass.h"

namespace TavSoftware {

struct SwRTClassImp {
  // Index = SwRTClass::NodeType; none of these own their entries.
  std::array<NVSeq, SwRTClass::OSES + 1> index;
  boost::shared_ptr<TavHwDb::HwDb> hwDb;
  std::unique_ptr<Mss> source;
  std::vector<std::unique_ptr<MdtBase::BaseNode>> adopted;
};

namespace {
struct KindRow {
  const char* tag;
  int kind;
  int mssKind;
};

// Exact tags: a derived class (an Os is an OsInst) is not taken for its base.
constexpr KindRow kKinds[] = {
    {"TavSoftware_Processor", SwRTClass::PROCESSORS, Mss::PROCESSORS},
    {"TavSoftware_Driver", SwRTClass::DRIVERS, Mss::DRIVERS},
    {"TavSoftware_Library", SwRTClass::LIBRARIES, Mss::LIBRARIES},
    {"TavSoftware_OsInst", SwRTClass::OSES, Mss::OSES},
};

bool IsListed(int nodeType) { return nodeType >= SwRTClass::OTHERS && nodeType <= SwRTClass::OSES; }

NVSeq& Scratch() {
  thread_local NVSeq scratch;
  scratch.clear();  // the index owns nothing
  return scratch;
}
}  // namespace

SwRTClass::SwRTClass() : imp_(std::make_unique<SwRTClassImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_SwRTClass");
}

SwRTClass::~SwRTClass() = default;

int SwRTClass::AddNameValue(MdtBase::NameValue* nv) {
  if (!nv) return -1;
  int kind = OTHERS;
  int mssKind = Mss::UNOWNED;
  const char* tag = MdtBase::BaseNode::GetBaseNode(nv);
  for (const KindRow& row : kKinds) {
    if (std::strcmp(tag, row.tag) == 0) {
      kind = row.kind;
      mssKind = row.mssKind;
      break;
    }
  }
  // Only file entries can stand in the Mss; a plain name-value of another
  // kind is just indexed.
  if (auto* comp = dynamic_cast<MdtBase::PsfComp*>(nv)) AddPsfComp(mssKind, comp);
  imp_->index[kind].push_back(nv);
  nv->SetNodeType(kind);
  return kind;
}

NVSeq& SwRTClass::GetNameValueSeqRef(int nodeType) {
  return IsListed(nodeType) ? imp_->index[nodeType] : Scratch();
}

const NVSeq& SwRTClass::GetNameValueSeqRef(int nodeType) const {
  return IsListed(nodeType) ? imp_->index[nodeType] : Scratch();
}

MdtBase::NameValue* SwRTClass::GetNameValueByName(int nodeType, const String& name) const {
  if (!IsListed(nodeType)) return nullptr;
  return MdtBase::NVUtil::GetNVByName(imp_->index[nodeType], name, 0);
}

boost::shared_ptr<TavHwDb::HwDb> SwRTClass::GetHwDbPtr() const { return imp_->hwDb; }

void SwRTClass::SetHwDbPtr(const boost::shared_ptr<TavHwDb::HwDb>& hwDb) { imp_->hwDb = hwDb; }

void SwRTClass::AdoptSourceMss(Mss* mss) {
  if (mss && mss != imp_->source.get()) imp_->source.reset(mss);
}

const Mss* SwRTClass::GetSourceMss() const { return imp_->source.get(); }

void SwRTClass::Adopt(MdtBase::BaseNode* node) {
  if (node) imp_->adopted.emplace_back(node);
}

}  // namespace TavSoftware

#include <array>

#include "Mss.h"

namespace TavSoftware {

struct MssImp {
  // Index = NodeType; entry 0 is the sequence of components only referred to.
  std::array<PsfCompSeq, Mss::PROCESSORS + 1> seqs;
};

namespace {
bool IsListed(int nodeType) { return nodeType >= Mss::UNOWNED && nodeType <= Mss::PROCESSORS; }

// Handed out for unlisted NodeType values; emptied on every use so nothing
// added to it survives.
PsfCompSeq& Scratch() {
  thread_local PsfCompSeq scratch;
  for (auto* p : scratch) delete p;
  scratch.clear();
  return scratch;
}

// A processor instance offered as a driver belongs with the processors.
int Divert(int nodeType, const MdtBase::PsfComp* comp) {
  if (nodeType == Mss::DRIVERS &&
      Port::EqualsNoCase(MdtBase::BaseNode::GetBaseNode(comp), "TavSoftware_ProcInst"))
    return Mss::PROCESSORS;
  return nodeType;
}
}  // namespace

Mss::Mss() : imp_(std::make_unique<MssImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Mss");
}

Mss::~Mss() {
  for (int nodeType = PARAMETERS; nodeType <= PROCESSORS; ++nodeType)
    for (auto* comp : imp_->seqs[nodeType]) delete comp;
}

PsfCompSeq& Mss::GetPsfCompSeqRef(int nodeType) {
  return IsListed(nodeType) ? imp_->seqs[nodeType] : Scratch();
}

const PsfCompSeq& Mss::GetPsfCompSeqRef(int nodeType) const {
  return IsListed(nodeType) ? imp_->seqs[nodeType] : Scratch();
}

MdtBase::PsfComp* Mss::GetPsfCompByName(int nodeType, const String& name) {
  if (!IsListed(nodeType)) return nullptr;
  return MdtBase::PsfCompUtil::GetPsfCompByName(imp_->seqs[nodeType], name, 0);
}

const MdtBase::PsfComp* Mss::GetPsfCompByName(int nodeType, const String& name) const {
  return const_cast<Mss*>(this)->GetPsfCompByName(nodeType, name);
}

String Mss::GetPsfCompValueStr(int nodeType, const String& name) const {
  const MdtBase::PsfComp* comp = GetPsfCompByName(nodeType, name);
  return comp ? comp->GetValueStr() : String();
}

int Mss::AddPsfComp(int nodeType, MdtBase::PsfComp* comp) {
  if (!comp || !IsListed(nodeType)) return -1;
  nodeType = Divert(nodeType, comp);
  comp->SetNodeType(nodeType);
  PsfCompSeq& seq = imp_->seqs[nodeType];
  seq.push_back(comp);
  if (GetNotifyEnabled()) NotifyPropertyChanged();
  return static_cast<int>(seq.size());
}

int Mss::DelPsfComp(int nodeType, MdtBase::PsfComp* comp) {
  if (!IsListed(nodeType)) return 1;
  nodeType = Divert(nodeType, comp);
  // A diverted processor instance that is not in the processor sequence is
  // reported as not found, not as removed.
  int result = MdtBase::PsfCompUtil::DelPsfCompByPtr(imp_->seqs[nodeType], comp,
                                                     nodeType == UNOWNED ? 0 : 1);
  if (result == 0 && GetNotifyEnabled()) NotifyPropertyChanged();
  return result;
}

int Mss::DelPsfComp(int nodeType, const String& name) {
  MdtBase::PsfComp* comp = GetPsfCompByName(nodeType, name);
  if (!comp) return -1;
  return DelPsfComp(nodeType, comp);
}

int Mss::DelPsfCompSeq(int nodeType) {
  if (IsListed(nodeType)) {
    PsfCompSeq& seq = imp_->seqs[nodeType];
    if (nodeType != UNOWNED)
      for (auto* comp : seq) delete comp;
    seq.clear();
  }
  if (GetNotifyEnabled()) NotifyPropertyChanged();
  return 0;
}

void Mss::SetName(const String& name) {
  MdtBase::PsfComp::SetName(name);
  Port::FileName file(GetFileNameStr());
  file.SetBase(name);
  MdtBase::PsfComp::SetFileName(file.GetFullName());
  if (GetNotifyEnabled()) NotifyPropertyChanged();
}

void Mss::SetFileName(const String& fileName) {
  MdtBase::PsfComp::SetFileName(fileName);
  MdtBase::PsfComp::SetName(Port::FileName(fileName).GetBase());
  if (GetNotifyEnabled()) NotifyPropertyChanged();
}

void Mss::SetFileName(const Port::FileName& fileName) { SetFileName(fileName.GetFullName()); }

void Mss::SetFileName(const char* fileName) { SetFileName(String(fileName ? fileName : "")); }

}  // namespace TavSoftware

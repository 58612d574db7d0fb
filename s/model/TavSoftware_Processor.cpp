#include "Driver.h"
#include "Library.h"
#include "Processor.h"

namespace TavSoftware {

struct ProcessorImp {
  std::vector<Driver*> drivers;     // not owned
  std::vector<Library*> libraries;  // not owned
  String hwInstance;
  OsInst* os = nullptr;  // not owned
};

namespace {
// Exact, with case: the runtime model keys these lists by the names it gave.
template <class T>
T* FindExact(const std::vector<T*>& seq, const String& name) {
  for (T* entry : seq)
    if (entry && entry->GetName().Compare(name, Port::kExact) == 0) return entry;
  return nullptr;
}
}  // namespace

Processor::Processor() : imp_(std::make_unique<ProcessorImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Processor");
}

Processor::~Processor() = default;

std::vector<Driver*>& Processor::GetDriverSeqRef() { return imp_->drivers; }
const std::vector<Driver*>& Processor::GetDriverSeqRef() const { return imp_->drivers; }
std::vector<Library*>& Processor::GetLibrarySeqRef() { return imp_->libraries; }
const std::vector<Library*>& Processor::GetLibrarySeqRef() const { return imp_->libraries; }

const String& Processor::GetHwInstance() const { return imp_->hwInstance; }
void Processor::SetHwInstance(const String& inst) { imp_->hwInstance = inst; }

OsInst* Processor::GetOsInstance() const { return imp_->os; }
void Processor::SetOsInstance(OsInst* os) { imp_->os = os; }

Driver* Processor::GetDriverByName(const String& name) { return FindExact(imp_->drivers, name); }
const Driver* Processor::GetDriverByName(const String& name) const {
  return FindExact(imp_->drivers, name);
}
Library* Processor::GetLibraryByName(const String& name) {
  return FindExact(imp_->libraries, name);
}
const Library* Processor::GetLibraryByName(const String& name) const {
  return FindExact(imp_->libraries, name);
}

}  // namespace TavSoftware

#include "Driver.h"

namespace TavSoftware {

struct DriverImp {
  std::vector<String> instances;
};

Driver::Driver() : imp_(std::make_unique<DriverImp>()) {
  MdtBase::BaseNode::AddBaseNode(this, "TavSoftware_Driver");
}

Driver::~Driver() = default;

std::vector<String>& Driver::GetInstSeqRef() { return imp_->instances; }

const std::vector<String>& Driver::GetInstSeqRef() const { return imp_->instances; }

}  // namespace TavSoftware

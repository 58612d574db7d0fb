// Builds a few nodes through the installed headers and library and checks
// that they know their classes. Exit status 0 when all is well.
#include <cstdio>
#include <cstring>
#include <memory>

#include "MdtBase.h"
#include "Param.h"

namespace {

int Check(bool ok, const char* what) {
  if (ok) return 0;
  std::fprintf(stderr, "consumer: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  int failures = 0;

  auto param = std::make_unique<TavSoftware::Param>("C_BASEADDR");
  param->SetMdtValuePtr(new MdtBase::StrVal("0x40600000"));
  failures +=
      Check(std::strcmp(MdtBase::BaseNode::GetBaseNode(param.get()), "TavSoftware_Param") == 0,
            "Param has the wrong most derived type tag");
  failures += Check(!MdtBase::BaseNode::IsBaseNodeType(param.get(), "TavSoftware_Option"),
                    "Param claims to be an Option");
  failures += Check(param->GetName() == "C_BASEADDR", "Param lost its name");
  failures += Check(param->GetValueStr() == "0x40600000", "Param lost its value");

  MdtBase::StrVal value("tavuart");
  failures += Check(value.GetValueStr() == "tavuart", "StrVal lost its text");
  failures += Check(!MdtBase::BaseNode::IsBaseNodeType(&value, "TavSoftware_Param"),
                    "StrVal claims to be a Param");

  if (failures == 0) std::printf("consumer: ok\n");
  return failures == 0 ? 0 : 1;
}

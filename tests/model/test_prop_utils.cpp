// Option checks and interface printing.
#include <gtest/gtest.h>

#include <sstream>

#include "Function.h"
#include "Interface.h"
#include "InterfaceUtil.h"
#include "Option.h"
#include "OptionUtil.h"
#include "Param.h"
#include "Property.h"
#include "TestSupport.h"

namespace TavSoftware {
namespace {

TEST(PropOptionUtil, CheckValueOfStateOptions) {
  struct Row {
    const char* name;
    const char* value;
    int result;
    const char* message;  // null: left untouched
  };
  const Row cases[] = {
      {"DRIVER_STATE", "RETIRED", 2, "Unknown DRIVER_STATE value RETIRED"},
      {"DRIVER_STATE", "ACTIVE", 0, nullptr},
      {"OS_STATE", "deprecated", 0, nullptr},
      {"LIBRARY_STATE", "OBSOLETE", 0, nullptr},
      {"LIBRARY_STATE", "", 2, "Unknown LIBRARY_STATE value "},
      {"os_state", "gone", 2, "Unknown os_state value gone"},
      {"supported_peripherals", "anything", 0, nullptr},
  };
  for (const Row& c : cases) {
    Option option(c.name);
    option.SetValueStr(c.value);
    String message = "untouched";
    EXPECT_EQ(OptionUtil::CheckValue(&option, message), c.result) << c.name << " " << c.value;
    EXPECT_EQ(message, c.message ? c.message : "untouched") << c.name << " " << c.value;
  }
  String message;
  EXPECT_EQ(OptionUtil::CheckValue(nullptr, message), -1);
}

TEST(PropInterfaceUtil, LookupsIgnoreCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"TavSoftware_Property", "PROPERTY"},
      {"tavsoftware_function", "FUNCTION"},
      {"TavSoftware_Param", ""},
      {"", ""},
  };
  for (const auto& [tag, type] : cases) EXPECT_EQ(InterfaceUtil::GetPropertyType(tag), type) << tag;

  Interface a, b;
  a.SetName("Send");
  b.SetName("recv");
  std::vector<Interface*> list{nullptr, &a, &b};
  EXPECT_EQ(InterfaceUtil::GetInterfaceByName(list, "RECV"), &b);
  EXPECT_EQ(InterfaceUtil::GetInterfaceByName(list, "other"), nullptr);
}

Interface* NewInterface(const char* name) {
  auto* iface = new Interface();
  iface->SetName(name);
  auto* prop = new Property("mode");
  prop->SetValueStr("fast");
  MdtBase::Comment comment;
  comment.AddLine("why fast");
  prop->SetComment(comment);
  iface->AddProperty(Interface::PROPERTIES, prop);
  auto* fn = new Function("send");
  fn->SetValueStr("uart_send");
  iface->AddProperty(Interface::FUNCTIONS, fn);
  return iface;
}

TEST(PropInterfaceUtil, PrintInterfaceListWritesNamedInterfacesOnly) {
  std::unique_ptr<Interface> full(NewInterface("io")), nameless(NewInterface(""));
  Param stranger("p");
  PropSeq seq{full.get(), nameless.get(), &stranger};

  std::ostringstream out;
  MdtBase::UtStreamWriter writer(out);
  InterfaceUtil::PrintInterfaceList(seq, "", &writer);
  const std::string text = out.str();
  const size_t head = text.find(" INTERFACE io\n"),
               prop = text.find("why fast\n PROPERTY mode = fast\n"),
               fn = text.find(" FUNCTION send = uart_send\n");
  ASSERT_NE(fn, std::string::npos) << text;
  EXPECT_LT(head, prop) << text;
  EXPECT_LT(prop, fn) << text;
  // The nameless interface and the stranger write nothing.
  EXPECT_EQ(text.find(" INTERFACE", 1), std::string::npos) << text;
  EXPECT_EQ(text.find("PROPERTY mode"), text.rfind("PROPERTY mode")) << text;

  std::ostringstream none;
  MdtBase::UtStreamWriter quiet(none);
  InterfaceUtil::PrintInterface(nameless.get(), "INTERFACE", &quiet);
  InterfaceUtil::PrintInterface(nullptr, "INTERFACE", &quiet);
  InterfaceUtil::PrintInterface(full.get(), "INTERFACE", nullptr);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
}  // namespace TavSoftware

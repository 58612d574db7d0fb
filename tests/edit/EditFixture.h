// A scratch repository with a processor, peripherals, an OS, a
// board-support package and libraries, and the hardware that fits it.
#ifndef TAVSOFTWARE_TESTS_EDIT_EDITFIXTURE_H
#define TAVSOFTWARE_TESTS_EDIT_EDITFIXTURE_H

#include <string>

#include "../runtime/RuntimeFixture.h"
#include "DrvInst.h"
#include "FakeHwDb.h"
#include "LibInst.h"
#include "OsInst.h"

namespace tavtest {

class EditTest : public RuntimeTest {
 protected:
  void SetUp() override {
    AddDriver("repo", "drivers", "cpu", "1.00.a",
              "OPTION supported_peripherals = (cpu);\nOPTION default_os = standalone;\n"
              "PARAM name = COMPILER, type = string, default = cc;\n");
    AddDriver("repo", "drivers", "uart", "1.00.a",
              "OPTION supported_peripherals = (uart);\n"
              "PARAM name = BAUD, type = int, default = 9600;\n");
    AddDriver("repo", "drivers", "uart", "2.00.a",
              "OPTION supported_peripherals = (uart);\n"
              "PARAM name = BAUD, type = int, default = 9600;\n"
              "PARAM name = peer, type = peripheral_instance, range = (uart), default = none;\n"
              "PARAM name = label, type = string, default = x;\n");
    AddDriver("repo", "drivers", "generic", "1.00.a");
    AddLibrary("repo", "bsp", "standalone", "2.00.a", "OS",
               "OPTION supported_peripherals = (cpu);\nOPTION desc = \"Bare metal\";\n"
               "PARAM name = stdout, type = peripheral_instance, range = (uart), default = none;\n");
    AddLibrary("repo", "bsp", "standalone", "3.00.a", "OS",
               "OPTION supported_peripherals = (cpu);\nOPTION desc = \"Bare metal\";\n"
               "PARAM name = stdout, type = peripheral_instance, range = (uart), default = none;\n");
    AddLibrary("repo", "bsp", "board", "1.00.a", "OS",
               "OPTION supported_peripherals = (cpu);\nOPTION bsp = true;\n"
               "BEGIN ARRAY connected_periphs\n PARAM name = periph, type = peripheral_instance, "
               "range = (uart);\nEND ARRAY\n");
    AddLibrary("repo", "sw_services", "fs", "1.00.a", "LIBRARY",
               "OPTION app_compiler_flags = -DFS;\nOPTION desc = \"Files\";\n"
               "BEGIN ARRAY mounts\n PARAM name = c1, type = int, desc = Count;\n"
               " PARAM name = c2, type = string;\nEND ARRAY\n");
    AddLibrary("repo", "sw_services", "fs", "2.00.a");
    hw = MakeFakeHwDb();
    hw->Add("cpu_0", "cpu", "1.00.a", "PROCESSOR");
    hw->Add("uart_0", "uart", "1.00.a").Add("uart_1", "uart", "1.00.a").Add("ram_0", "ram", "1.00.a");
    hw->Addressable("cpu_0", {"uart_0", "", "uart_1", "ram_0"});
    Repos();
  }
  // "name version hw" of each instance of a sequence, in order.
  std::string List(const TavSoftware::Mss* m, int seq) const {
    std::string out;
    for (const auto* c : m->GetPsfCompSeqRef(seq)) {
      const auto* d = dynamic_cast<const TavSoftware::DrvInst*>(c);
      const auto* l = dynamic_cast<const TavSoftware::LibInst*>(c);
      std::string ver = d ? d->GetPropertyValueStr(1, "DRIVER_VER")
                          : l->GetPropertyValueStr(1, seq == 5 ? "OS_VER" : "LIBRARY_VER");
      std::string at = d ? d->GetPropertyValueStr(1, "HW_INSTANCE") : l->GetPropertyValueStr(1, "PROC_INSTANCE");
      out += (out.empty() ? "" : " ") + c->GetName() + ":" + ver + "@" + at;
    }
    return out;
  }

  boost::shared_ptr<FakeHwDb> hw;
};

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_EDIT_EDITFIXTURE_H

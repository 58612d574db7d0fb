// Scripts walking the model through tget_handle and tget_value: every
// handle class, the processor rules, hardware handles, untrusted handles,
// and the support scripts.
#include <cstdlib>
#include <filesystem>

#include "../runtime/RuntimeFixture.h"
#include "HwDbFile.h"
#include "HwTclIf.h"
#include "SwRTClass.h"
#include "SwReposMan.h"
#include "SwRTUtil.h"
#include "SwTclIf.h"

namespace TavSoftware {
namespace {

const char* kHw = R"({ "format": 1, "instances": [
  { "name": "cpu_0", "type": "cpu", "version": "1.00.a", "class": "PROCESSOR",
    "addressable": ["uart_1", "uart_0"] },
  { "name": "uart_0", "type": "uart", "version": "1.00.a", "class": "PERIPHERAL",
    "parameters": { "C_BASEADDR": "0x100", "C_BAUD": 9600 } },
  { "name": "uart_1", "type": "uart", "version": "1.00.a", "class": "PERIPHERAL",
    "parameters": { "C_NOTE": "" } } ] })";

class TclTest : public tavtest::RuntimeTest {
 protected:
  void SetUp() override {
    AddDriver("repo", "drivers", "cpu", "1.00.a",
              "OPTION supported_peripherals = (cpu);\n"
              "BEGIN ARRAY vectors\nPROPERTY size = 1;\nPARAM name = irq, default = 3;\nEND ARRAY\n");
    AddDriver("repo", "drivers", "uart", "1.00.a",
              "OPTION supported_peripherals = (uart);\nPARAM name = BAUD, default = 9600, desc = \"Speed\";\n"
              "PARAM name = PARITY, default = none;\n"
              "BEGIN ARRAY tbl\nPROPERTY size = 2;\nPARAM name = v, default = 7;\nEND ARRAY\n"
              "BEGIN INTERFACE serial\nPROPERTY header = s.h;\nFUNCTION name = open, value = s_open;\nEND INTERFACE\n");
    AddLibrary("repo", "bsp", "standalone", "2.00.a", "OS");
    AddLibrary("repo", "sw_services", "fs", "1.00.a");
    int errors = 0;
    hw = TavHwDb::HwDbFile::FromText(kHw, "hw.json", errors);
    ReadMss("PARAMETER VERSION = 2.2.0\n"
            "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
            "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
            "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = uart_0\nEND\n"
            "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = uart_1\nEND\n"
            "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n");
    Repos();
    model.reset(SwRTUtil::CreateSwRTObject(hw, mss.get(), *man, errors, nullptr));
    ASSERT_EQ(0, errors) << ::testing::PrintToString(Said());
    hwIf = std::make_unique<TavTclHwDb::HwTclIf>(hw);
    tcl.reset(SwTclIf::ConstructSwTclIf(model.get(), hwIf.get()));
    SetModelVar();
    msgs.Clear();
  }
  void SetModelVar() { Eval("set m $::tavsw::model"); }
  // "ok: <result>" or "error: <result>".
  std::string Eval(const std::string& script) {
    int code = Tcl_Eval(tcl->GetInterp(), script.c_str());
    return std::string(code == TCL_OK ? "ok: " : "error: ") + Tcl_GetStringResult(tcl->GetInterp());
  }
  // The names of the nodes of a list of handles.
  std::string Names(const std::string& script) {
    return Eval("set r {}; foreach h [" + script + "] { lappend r [tget_value $h name] }; set r");
  }

  boost::shared_ptr<TavHwDb::HwDbFile> hw;
  std::unique_ptr<SwRTClass> model;
  std::unique_ptr<TavTclHwDb::HwTclIf> hwIf;
  std::unique_ptr<SwTclIf> tcl;
};

TEST_F(TclTest, EveryHandleClassAndKeyword) {
  Eval("set p [tget_handle $m PROCESSOR cpu]; set d [tget_handle $p DRIVER uart]");
  const std::pair<std::string, std::string> cases[] = {
      {"tget_value $m PARAMETER VERSION", "ok: 2.2.0"},
      {"tget_value [tget_handle $m processor *] name", "ok: cpu"},
      {"tget_value $m PARAMETER MISSING", "ok: "},
      {"tget_handle $m bogus x", "error:  Unknown property type specified with Mss handle\n"},
      {"tget_handle $m PARAMETER", "error:  An invalid number of parameters were provided\n"},
      {"tget_value $d PARAMETER baud", "ok: 9600"},
      {"tget_value $d parameter BAUD", "ok: 9600"},
      {"tget_value [tget_handle $d PARAMETER BAUD] name", "ok: BAUD"},
      {"tget_handle $d PARAMETER nothing", "ok: "},
      {"tget_handle [tget_handle $p LIBRARY fs] INTERFACE *", "ok: "},
      {"tget_handle $d PARAMETER BAUD extra", "error:  An invalid handle was provided\n"},
      {"tget_handle $d nonsense x", "error:  Unknown property type specified with Driver handle\n"},
      {"tget_value [tget_handle [tget_handle $d INTERFACE serial] FUNCTION open]", "ok: s_open"},
      {"tget_value [lindex [tget_handle [tget_handle $d ARRAY tbl] ELEMENTS *] 0]",
       "error:  The given handle does not have a value associated\n"},
      {"llength [tget_handle [tget_handle $d ARRAY tbl] ELEMENTS *]", "ok: 2"},
      {"tget_value [tget_handle $d PARAMETER BAUD] PROPERTY desc", "ok: Speed"},
      // A base-library node is reached through its owner, not by its own handle.
      {"tget_value [tget_handle [tget_handle $d PARAMETER BAUD] PROPERTY desc]",
       "error: An invalid handle was provided\n"},
      {"tget_value $p OS *", "ok: "},
      {"tget_value [tget_handle $p OS x] name", "ok: standalone"},
      {"tget_value [tget_handle $p IPINST x]", "ok: cpu_0"},
      {"tget_handle $p nonsense x", "error: Unknown property type specified with Processor handle\n"},
      {"tget_value $d color", "error:  Only name and value are valid value types\n"},
      {"tget_value $d a b c", "error: invalid number of arguments specified\n"},
      {"tget_handle $d", "error: Invalid number of parameters specified\n"},
      {"tget_value [tget_handle $d mdd] name", "ok: uart"},
      {"tget_value [tget_handle [tget_handle $p OS x] mld] name", "ok: standalone"},
      {"tget_handle $d mld", "error: Handle provided GetMldPtr is not of type LibInst/OsInst \n"},
      {"tget_handle $p mdd x", "error: invalid number of arguments specified\n"},
      {"expr {[tget_handle $d parent] eq $m}", "ok: 1"},
      {"tget_handle $m parent", "ok: "},
      {"undefined_command 1 2", "ok: "},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(expected, Eval(script)) << script;
  EXPECT_EQ("ok: uart uart", Names("tget_handle $m DRIVER *"));
  EXPECT_EQ("ok: fs", Names("tget_handle $p LIBRARY *"));
  EXPECT_EQ("ok: SUPPORTED_PERIPHERALS", Names("tget_handle $d OPTION *"));
  EXPECT_EQ("ok: DRIVER_NAME BAUD PARITY HW_INSTANCE", Names("tget_handle [lindex [tget_handle $m DRIVER *] 0] PARAMETER *"));
}

TEST_F(TclTest, ProcessorRulesForInstancesAndIpLists) {
  Eval("set p [tget_handle $m PROCESSOR cpu]");
  const std::pair<std::string, std::string> cases[] = {
      {"tget_value [tget_handle $p DRIVER uart_1 ipinst] name", "ok: uart"},
      {"expr {[tget_handle $p DRIVER CPU_0 ipinst] eq $p}", "ok: 1"},
      {"expr {[tget_handle $p DRIVER system ipinst] eq $m}", "ok: 1"},
      {"tget_handle $p DRIVER nowhere ipinst", "ok: "},
      {"tget_handle $p DRIVER {} ipinst", "error: Empty IP instance name specified\n"},
      {"tget_handle $p DRIVER x from",
       "error:  Unknown from string specified with processor handle to get DrvHandle \n"},
      {"tget_value [tget_handle $p IPINST uart_0 peripheral]", "ok: uart_0"},
      {"tget_handle $p IPINST {} peripheral", "error:  Empty IP instance name specified\n"},
      {"tget_handle $p IPINST x per",
       "error:  Unknown for string specified with processor handle to get ipinst Handle \n"},
      {"tget_handle [tget_handle $m DRIVER uart] DRIVER x ipinst",
       "error:  An invalid handle was provided\n"},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(expected, Eval(script)) << script;
  // A fifth word means something only after DRIVER and IPINST; elsewhere the
  // lookup runs as with four.
  const std::pair<std::string, std::string> five[] = {
      {"tget_value [tget_handle $p OS x extra] name", "ok: standalone"},
      {"tget_value [tget_handle $p LIBRARY fs extra] name", "ok: fs"},
      {"tget_value [tget_handle $p PARAMETER DRIVER_NAME extra]", "ok: cpu"},
      {"tget_handle $p nonsense x extra", "error: Unknown property type specified with Processor handle\n"},
  };
  for (const auto& [script, expected] : five) EXPECT_EQ(expected, Eval(script)) << script;
  EXPECT_EQ("ok: vectors", Names("tget_handle $p ARRAY *"));
  EXPECT_EQ("ok: 3", Eval("tget_value [lindex [tget_handle [tget_handle $p ARRAY vectors] ELEMENTS *] 0] "
                          "PARAMETER irq"));
  // The instances a driver serves come sorted.
  EXPECT_EQ("ok: uart_0 uart_1", Names("tget_value [tget_handle $p DRIVER uart] iplist"));
  EXPECT_EQ("ok: cpu_0", Names("tget_value $p iplist"));
  EXPECT_EQ("error: An invalid handle type was provided\n", Eval("tget_value $m iplist"));
}

TEST_F(TclTest, HardwareHandles) {
  Eval("set u [tget_handle [tget_handle $m PROCESSOR cpu] IPINST x]; "
       "set u0 [lindex [tget_handle $u ADDRESSABLE *] 1]");
  const std::pair<std::string, std::string> cases[] = {
      {"tget_value $u0", "ok: uart_0"},
      {"tget_value $u0 NAME", "ok: uart_0"},
      {"tget_value $u0 PARAMETER c_baseaddr", "ok: 0x100"},
      {"tget_value $u0 PARAMETER none", "ok: "},
      {"tget_value $u0 option iptype", "ok: uart"},
      {"tget_value $u0 OPTION IPCLASS", "ok: PERIPHERAL"},
      {"tget_value [tget_handle $u0 PARAMETER C_BAUD]", "ok: 9600"},
      {"tget_handle $u0 PARAMETER none", "ok: "},
      {"tget_handle $u0 WIRES *",
       "error: tget_handle on a hardware instance takes PARAMETER <name>|* or ADDRESSABLE *\n"},
      {"tget_handle $u0", "error: tget_handle on a hardware instance takes PARAMETER <name>|* or "
                          "ADDRESSABLE *\n"},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(expected, Eval(script)) << script;
  EXPECT_EQ("ok: C_BASEADDR C_BAUD", Names("tget_handle $u0 PARAMETER *"));
  // A parameter with an empty value is still there to be asked.
  Eval("set u1 [lindex [tget_handle $u ADDRESSABLE *] 0]");
  EXPECT_EQ("ok: C_NOTE", Names("tget_handle $u1 PARAMETER *"));
  EXPECT_EQ("ok: C_NOTE", Eval("tget_value [tget_handle $u1 PARAMETER C_NOTE] name"));
  EXPECT_EQ("ok: ", Eval("tget_value $u1 PARAMETER C_NOTE"));
  EXPECT_EQ("ok: uart_1 uart_0", Names("tget_handle $u ADDRESSABLE *"));
}

TEST_F(TclTest, HandlesAreNeverTrusted) {
  Eval("set d [tget_handle $m DRIVER uart]");
  const std::pair<std::string, std::string> cases[] = {
      {"tget_handle nonsense PARAMETER x", "error:  A NULL handle was provided\n"},
      {"tget_value tav:999999999", "error: A NULL handle was provided\n"},
      {"tget_value tav:", "error: A NULL handle was provided\n"},
      {"tget_value tav:12x", "error: A NULL handle was provided\n"},
      {"tget_value tav:99999999999999999999999", "error: A NULL handle was provided\n"},
      {"tget_handle {} DRIVER x", "error:  A NULL handle was provided\n"},
  };
  for (const auto& [script, expected] : cases) EXPECT_EQ(expected, Eval(script)) << script;

  // A script that keeps handles across a rebuilt model gets the error, not
  // the freed nodes.
  Eval("set old $m");
  int errors = 0;
  std::unique_ptr<SwRTClass> rebuilt(SwRTUtil::CreateSwRTObject(hw, mss.get(), *man, errors, nullptr));
  tcl->SetSwRTObj(rebuilt.get());
  model = std::move(rebuilt);
  EXPECT_EQ("error:  A NULL handle was provided\n", Eval("tget_handle $old DRIVER *"));
  EXPECT_EQ("error: A NULL handle was provided\n", Eval("tget_value $d"));
  SetModelVar();
  EXPECT_EQ("ok: uart uart", Names("tget_handle $m DRIVER *"));

  // Destroying a node withdraws its handles even without SetSwRTObj.
  Eval("set d [tget_handle $m DRIVER uart]");
  model.reset();
  EXPECT_EQ("error: A NULL handle was provided\n", Eval("tget_value $d"));
  tcl->SetSwRTObj(nullptr);
  tcl.reset();
  hwIf.reset();
  EXPECT_EQ(0u, MdtBase::BaseTclIf::LiveHandleCount());
}

TEST_F(TclTest, SupportScripts) {
  const std::string root = dir / "inst";
  const char* kFiles[] = {"hw_database_access.tcl", "qrylib_hw.tcl", "sw_database_access.tcl",
                          "qrylib_sw.tcl"};
  for (const char* f : kFiles)
    dir.Write(std::string("inst/data/datastructure/") + f, "proc loaded_" + std::string(f).substr(0, 5) + " {} { return 1 }\n");
  dir.Write("inst/data/datastructure/device_support/a.tcl", "error broken\n");
  dir.Write("inst/data/datastructure/device_support/b.tcl", "set ::b_ran 1\n");
  ::setenv("QUARLY_VEK", root.c_str(), 1);
  Tcl_Interp* interp = Tcl_CreateInterp();
  EXPECT_EQ(1, SwTclIf::SourceSwTclFile(interp));
  EXPECT_EQ("1", std::string(Tcl_GetVar(interp, "::b_ran", TCL_GLOBAL_ONLY)));
  EXPECT_EQ(std::vector<std::string>{"Cannot evaluate the tcl file " + root +
                                     "/data/datastructure/device_support/a.tcl\n"},
            msgs.Texts(MsgSeverity::kError));

  // Without device_support/ the four files are all there is.
  std::filesystem::remove_all(root + "/data/datastructure/device_support");
  msgs.Clear();
  EXPECT_EQ(0, SwTclIf::SourceSwTclFile(interp));
  EXPECT_TRUE(msgs.Messages().empty());

  msgs.Clear();
  std::remove((root + "/data/datastructure/qrylib_sw.tcl").c_str());
  EXPECT_EQ(1, SwTclIf::SourceSwTclFile(interp));
  EXPECT_EQ(std::vector<std::string>{"Cannot evaluate the tcl file " + root +
                                     "/data/datastructure/qrylib_sw.tcl\n"},
            msgs.Texts(MsgSeverity::kError));
  Tcl_DeleteInterp(interp);
  ::unsetenv("QUARLY_VEK");
}

// The demo system builds without errors, and its generator writes a header
// the C compiler accepts.
TEST(TclDemo, GeneratorWritesACompilableHeader) {
  tavtest::ScratchDir dir;
  MsgCapture msgs;
  const std::string examples = TAVSW_EXAMPLES;
  int errors = 0;
  auto hw = TavHwDb::HwDbFile::Read(examples + "/hw/system.json", errors);
  ASSERT_TRUE(hw);
  SwReposMan man(false);
  man.AddSwRepos(examples + "/repo", 0);
  std::unique_ptr<SwRTClass> model(
      SwRTUtil::CreateSwRTObject(hw, (examples + "/system.mss").c_str(), man, errors, nullptr));
  ASSERT_EQ(0, errors) << ::testing::PrintToString(msgs.Texts(MsgSeverity::kError));
  TavTclHwDb::HwTclIf hwIf(hw);
  std::unique_ptr<SwTclIf> tcl(SwTclIf::ConstructSwTclIf(model.get(), &hwIf));
  Tcl_Interp* interp = tcl->GetInterp();
  const std::string header = dir / "params.h";
  Tcl_Obj* argv = Tcl_NewListObj(0, nullptr);
  Tcl_ListObjAppendElement(nullptr, argv, Tcl_NewStringObj(header.c_str(), -1));
  Tcl_SetVar2Ex(interp, "argv", nullptr, argv, TCL_GLOBAL_ONLY);
  ASSERT_EQ(TCL_OK, Tcl_EvalFile(interp, (examples + "/gen/params_header.tcl").c_str()))
      << Tcl_GetStringResult(interp);
  const std::string text = tavtest::ReadFile(header);
  EXPECT_NE(std::string::npos, text.find("#define UART_1_C_BASEADDR 0x40610000\n"));
  EXPECT_NE(std::string::npos, text.find("#define TIMER_0_ONE_SHOT_DELAY 1000\n"));
  const std::string source = dir.Write("use.c", "#include \"params.h\"\nint main(void) { return UART_0_C_DATA_BITS - 8; }\n");
  const std::string cmd = "cc -Wall -Werror -I" + dir.Path() + " -o " + dir / "use" + " " + source;
  EXPECT_EQ(0, std::system(cmd.c_str())) << text;
}

}  // namespace
}  // namespace TavSoftware

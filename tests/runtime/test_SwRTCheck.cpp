// Validation of an MSS and of a runtime model: exact messages with file and
// line, severities, counts, and the reset of values that are not
// user-configurable.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../repos/RepoFixture.h"
#include "ArrayInst.h"
#include "Driver.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "FakeHwDb.h"
#include "Interface.h"
#include "LibInst.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "Option.h"
#include "OsInst.h"
#include "OsInstUtil.h"
#include "Param.h"
#include "ParseMss.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"
#include "SwReposMan.h"

namespace TavSoftware {
namespace {

using Attrs = std::vector<std::pair<std::string, std::string>>;
using Said = std::vector<std::string>;

// A property as a definition file gives it: "range" and
// "requires_interface" are string lists, "values" a list of name = value
// pairs ("a=1,b=2"), anything else plain text.
template <class T = Param>
std::unique_ptr<T> Prop(const std::string& name, const char* value, const Attrs& attrs,
                        int line = 7) {
  auto p = std::make_unique<T>();
  p->SetName(name);
  p->SetFileName("defs.mdd");
  p->SetLineNum(line);
  if (value) p->SetMdtValuePtr(new MdtBase::StrVal(value));
  for (const auto& [key, text] : attrs) {
    auto* c = new MdtBase::PsfComp(key);
    if (key == "range" || key == "requires_interface") {
      c->SetMdtValuePtr(new MdtBase::ListStrVal(text, ","));
    } else if (key == "values") {
      auto* list = new MdtBase::ListPsfCompVal();
      MdtBase::ListStrVal pairs(text, ",");
      for (const String& pair : pairs.GetList()) {
        size_t eq = pair.find('=');
        auto* item = new MdtBase::PsfComp(pair.substr(0, eq));
        item->SetMdtValuePtr(new MdtBase::StrVal(pair.substr(eq + 1)));
        list->Add(item);
      }
      c->SetMdtValuePtr(list);
    } else {
      c->SetMdtValuePtr(new MdtBase::StrVal(text));
    }
    p->AddPsfComp(c);
  }
  return p;
}

class SwRTCheckTest : public tavtest::RepoTest {
 protected:
  void SetUp() override {
    hw->Add("uart_0", "uartlite", "1.00.a").Add("cpu_0", "tavcpu", "1.00.a", "PROCESSOR");
  }
  void ReadMss(const std::string& text) {
    mss = std::make_unique<Mss>();
    ASSERT_EQ(0, ParseMss::Parse(dir.Write("sys.mss", text), mss.get()));
    msgs.Clear();
  }
  // "<sys.mss> line <n> - "
  std::string MssAt(int line) const { return dir / "sys.mss" + " line " + std::to_string(line) + " - "; }
  // Every message as "<severity>: <text>", in order.
  Said Messages() const {
    Said out;
    for (const auto& m : msgs.Messages())
      out.push_back(std::string(Port_MsgManData::SeverityName(m.severity)) + ": " + m.text);
    return out;
  }
  static std::string E(const std::string& t) { return "ERROR: " + t; }
  static std::string W(const std::string& t) { return "WARNING: " + t; }
  static std::string S(const std::string& t) { return "STATUS: " + t; }

  boost::shared_ptr<tavtest::FakeHwDb> hw = tavtest::MakeFakeHwDb();
  SwRTUtil::HwDbPtr noHw;
  std::unique_ptr<Mss> mss;
  std::vector<SwRepos*> noRepos;
};

// --- Instance names -------------------------------------------------------------

TEST_F(SwRTCheckTest, InstanceNamesAndDuplicateAssignments) {
  const std::string m = dir / "sys.mss";
  struct Case {
    std::string mss;
    bool withHw;
    int errors;
    Said said;
  } cases[] = {
      // Duplicates in any letter case, reported per key in sorted lower-case order.
      {"BEGIN DRIVER\n PARAMETER DRIVER_NAME = a\n PARAMETER HW_INSTANCE = Uart_0\nEND\n"
       "BEGIN DRIVER\n PARAMETER DRIVER_NAME = b\n PARAMETER HW_INSTANCE = uart_0\nEND\n"
       "BEGIN DRIVER\n PARAMETER DRIVER_NAME = c\n PARAMETER HW_INSTANCE = Gpio_0\nEND\n"
       "BEGIN DRIVER\n PARAMETER DRIVER_NAME = d\n PARAMETER HW_INSTANCE = GPIO_0\nEND\n",
       false, 2,
       {E("2 Driver instances assigned to IP gpio_0!\n"),
        E("2 Driver instances assigned to IP uart_0!\n")}},
      {"BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
       "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = CPU_0\nEND\n"
       "BEGIN OS\n PARAMETER OS_NAME = a\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
       "BEGIN OS\n PARAMETER OS_NAME = b\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n",
       false, 2,
       {E("2 Os instances assigned to Processor cpu_0!\n"),
        E("2 Driver instances assigned to Processor cpu_0!\n")}},
      // One library twice on a processor is an error, two libraries are not;
      // a library without processor is only a warning, an OS without one an error.
      {"BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = FS\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
       "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
       "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = net\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
       "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = log\nEND\n"
       "BEGIN OS\n PARAMETER OS_NAME = rtos\nEND\n",
       true, 2,
       {E("rtos - " + m + " line 16 - No Processor associated with the Os instance!\n"),
        W("log - " + m + " line 13 - No Processor associated with the Library instance!\n"),
        E("2 fs Library instances assigned to Processor cpu_0!\n")}},
      // Links the hardware lacks, and a nameless block; no database, no presence test.
      {"BEGIN DRIVER\n PARAMETER HW_INSTANCE = uart_9\nEND\n"
       "BEGIN DRIVER\n PARAMETER DRIVER_NAME = gpio\nEND\n",
       true, 2,
       {W(m + " line 1 - Driver name not given!\n"),
        E(" - " + m + " line 1 - No IP instance named uart_9 is present in the hardware!\n"),
        E("gpio - " + m + " line 4 - No IP associated with the Driver instance!\n")}},
      {"BEGIN DRIVER\n PARAMETER DRIVER_NAME = x\n PARAMETER HW_INSTANCE = uart_9\nEND\n",
       false, 0, {}},
  };
  for (const Case& c : cases) {
    ReadMss(c.mss);
    EXPECT_EQ(c.errors, SwRTUtil::CheckMss(mss.get(), c.withHw ? SwRTUtil::HwDbPtr(hw) : noHw))
        << c.mss;
    EXPECT_EQ(c.said, Messages()) << c.mss;
  }
  EXPECT_EQ(-1, SwRTUtil::CheckMss(nullptr));
  EXPECT_EQ(0, SwRTUtil::CheckInstNames(PsfCompSeq{}, 1));  // not a component kind
}

TEST_F(SwRTCheckTest, MssDefinitionsAreCheckedOnlyWhenTheNamesPass) {
  AddDriver("repo", "drivers", "uart", "1.00.a", "PARAM name = C_BAUD, type = int;\n");
  SwReposMan man(false);
  man.AddSwRepos(Repo("repo"), 0);
  const std::string inst = "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER C_FOO = 1\n";
  ReadMss(inst + " PARAMETER HW_INSTANCE = uart_0\nEND\n");
  EXPECT_EQ(1, SwRTUtil::CheckMss(mss.get(), &man, hw));
  EXPECT_EQ(Said{E(MssAt(3) + "C_FOO is not a configurable parameter for driver uart\n")},
            Messages());
  ReadMss(inst + "END\n");  // the missing link alone is reported
  EXPECT_EQ(1, SwRTUtil::CheckMss(mss.get(), &man, hw));
  EXPECT_EQ(1u, msgs.Messages().size());
}

// --- State options --------------------------------------------------------------

TEST_F(SwRTCheckTest, DeprecatedWarnsObsoleteCounts) {
  struct Case {
    const char* kindWord;
    const char* option;
  } cases[] = {{"driver", "DRIVER_STATE"},
               {"processor", "DRIVER_STATE"},
               {"library", "LIBRARY_STATE"},
               {"os", "OS_STATE"}};
  for (const Case& c : cases) {
    msgs.Clear();
    DrvInst obsolete, deprecated, active, other;
    LibInst lib;
    int line = 1;
    for (auto [comp, state] : {std::pair<MdtBase::PsfComp*, const char*>{&obsolete, "obsolete"},
                               {&deprecated, "DEPRECATED"},
                               {&active, "ACTIVE"}}) {
      comp->SetName("c" + std::to_string(line));
      comp->SetFileName("sys.mss");
      comp->SetLineNum(line++);
      static_cast<DrvInst*>(comp)->CreateAddPropertySetValue(0, c.option, state);
    }
    other.CreateAddPropertySetValue(0, "SOME_STATE", "OBSOLETE");  // not the kind's option
    PsfCompSeq seq = {&obsolete, &deprecated, &active, &other, &lib};
    EXPECT_EQ(1, SwRTUtil::CheckOptions(seq, c.kindWord)) << c.kindWord;
    const std::string k = c.kindWord;
    EXPECT_EQ((Said{E("c1 - sys.mss line 1 - obsolete " + k + "!\n"),
                    W("c2 - sys.mss line 2 - deprecated " + k + "!\n")}),
              Messages());
  }
}

// --- Parameters and options -----------------------------------------------------

TEST_F(SwRTCheckTest, ParameterValuesAgainstTheirDefinition) {
  const std::string at = "defs.mdd line 7 - ";
  struct Case {
    std::unique_ptr<MdtBase::Property> p;
    int errors;
    Said said;
    std::string valueAfter;
  };
  Case cases[] = {
      {Prop("C_W", "16", {{"type", "int"}, {"range", "8,16"}}), 0, {}, "16"},
      {Prop("C_W", "12", {{"type", "int"}, {"range", "8,16"}}), 1,
       {E(at + "Invalid Value 12  specified for PARAMETER C_W!\n"), S("Valid Values are : "),
        S("8 "), S("16 "), S("\n")},
       "12"},
      {Prop("C_M", "SLOW", {{"type", "enum"}, {"values", "Fast=fast,Slow=slow"}}), 0, {}, "SLOW"},
      {Prop<Option>("O_M", "medium", {{"type", "enum"}, {"values", "Fast=fast,Slow=slow"}}), 1,
       {E(at + "Invalid Value medium  specified for OPTION O_M!\n"), S("Valid Values are : "),
        S("fast "), S("slow "), S("\n")},
       "medium"},
      {Prop("C_X", nullptr, {{"type", "int"}}), 1,
       {E(at + "Value not specified for PARAMETER C_X!\n")}, ""},
      {Prop("C_T", "99", {{"range", "1,2"}}), 0, {}, "99"},  // without a type nothing is checked
      // Not user-configurable: the value goes back to the default, with a warning only.
      {Prop("C_L", "7", {{"type", "int"}, {"default", "4"}, {"gui_permit", "NONE"}}), 0,
       {W(at + "PARAMETER C_L is not user configurable and hence ignoring it!\nTo avoid seeing "
               "this Warning again, please remove PARAMETER C_L.\n")},
       "4"},
      {Prop("C_L", "7", {{"type", "int"}, {"gui_permit", "none"}}), 0, {}, "7"},  // no default
      {Prop("C_D", "2",
            {{"state", "DEPRECATED"}, {"state_desc", "Use C_E"}, {"MSS_VALUE", "2"}}),
       0,
       {W(at + "PARAMETER C_D is deprecated !. Use C_E.\nTo avoid seeing this Warning again, "
               "please remove PARAMETER C_D.\n")},
       "2"},
      {Prop("C_D", "2", {{"state", "deprecated"}}), 0, {}, "2"},  // the MSS did not set it
  };
  for (Case& c : cases) {
    msgs.Clear();
    EXPECT_EQ(c.errors, SwRTUtil::CheckProperty(c.p.get(), hw)) << c.p->GetName();
    EXPECT_EQ(c.said, Messages()) << c.p->GetName();
    EXPECT_EQ(c.valueAfter, c.p->GetValueStr());
  }
  MdtBase::Property plain(String("x"));  // neither parameter, option nor array value
  EXPECT_EQ(0, SwRTUtil::CheckProperty(&plain, hw));
}

TEST_F(SwRTCheckTest, PeripheralInstanceParameters) {
  const std::string at = "defs.mdd line 7 - ";
  const Attrs periph = {{"type", "peripheral_instance"}, {"default", "none"}};
  auto withRange = [&](const char* range) {
    Attrs a = periph;
    a.emplace_back("range", range);
    return a;
  };
  struct Case {
    std::unique_ptr<Param> p;
    bool withHw;
    int errors;
    Said said;
  };
  Case cases[] = {
      {Prop("stdin", "uart_0", withRange("uartlite_v1_00_[a-z]")), true, 0, {}},
      {Prop("stdin", "uart_0", withRange("tavuart,uartlite")), true, 0, {}},
      {Prop("stdin", "uart_0", withRange("uart")), true, 1,
       {E(at + "Peripheral instance uart_0 is not a valid IP for PARAMETER stdin !\n")}},
      {Prop("stdin", "uart_9", periph), true, 1,
       {E(at + "Peripheral Instance uart_9 assigned to PARAMETER \"stdin\" is not found in the "
               "hardware!\n")}},
      {Prop("stdin", "uart_0", periph), true, 0, {}},      // no range: any instance
      {Prop("stdin", "NONE", withRange("x")), true, 0, {}},  // the default
      {Prop("stdin", "", withRange("x")), true, 0, {}},
      {Prop("stdin", "uart_9", withRange("x")), false, 0, {}},  // no hardware to ask
  };
  for (Case& c : cases) {
    msgs.Clear();
    EXPECT_EQ(c.errors, SwRTUtil::CheckParamOpt(c.p.get(), c.withHw ? hw : noHw))
        << c.p->GetValueStr();
    EXPECT_EQ(c.said, Messages()) << c.p->GetValueStr();
  }

  // Inside an array value the message names the array value.
  ArrayInst array;
  array.SetName("ports");
  auto* element = new Element();
  auto p = Prop("port", "uart_9", periph);
  Param* raw = p.get();
  element->AddProperty(1, p.release());
  array.AddProperty(ArrayInst::ELEMENTS, element);
  raw->SetOwner(element);
  element->SetOwner(&array);
  msgs.Clear();
  PropSeq seq = {&array};
  EXPECT_EQ(1, SwRTUtil::CheckPsfCompSeq(seq, hw));
  EXPECT_EQ(Said{E(at + "Peripheral Instance uart_9 assigned to PARAMETER \"ports\" is not found "
                        "in the hardware!\n")},
            Messages());
  PropSeq props = {raw};
  EXPECT_EQ(1, SwRTUtil::CheckPeriphInst(props, hw));
}

TEST_F(SwRTCheckTest, MatchByPatternOrPlainType) {
  struct Case {
    const char* type;
    const char* version;
    const char* pattern;
    bool match;
  } cases[] = {
      {"uartlite", "1.00.a", "uartlite_v1_00_[a-z]", true},
      {"uartlite", "1.00.a", "uartlite_v1_00_b", false},
      {"uartlite", "1.00.a", "uartlite", true},
      {"uartlite", "1.00.a", "uart", false},  // no prefix match
      {"uartlite", "1.00.a", "lite", false},  // no inner match
      {"UARTLITE", "1.00.A", "uartlite_v1_00_a", true},
      {"uartlite", "1.00.a", "uart|xyz", false},  // an alternation stays anchored
      {"uartlite", "1.00.a", "xyz|uartlite_v1_.*", true},
      {"my.ip", "1.00.a", "my.ip", true},     // metacharacters in a plain type
      {"c++core", "1.00.a", "c++core", true},
      {"uart[0]", "1.00.a", "uart[0]", true},
      {"uart[", "1.00.a", "uart[", true},     // no valid expression: compared as a type
      {"uartlite", "1.00.a", "uart[", false},
      {"uartlite", "1.00.a", "(uart", false},
      {"Uart-Lite", "1.00.a", "uart-lite_V1_00_A", true},  // plain names ignore case
      {"uartlite", "1.00.a", "uartlite_v1_00", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.match, SwRTUtil::CheckMatch(c.type, c.version, c.pattern)) << c.pattern;
}

// --- Required interfaces and supported peripherals -------------------------------

TEST_F(SwRTCheckTest, RequiredInterfacesOfTheTarget) {
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = uart_0\n"
          " INTERFACE stdin\nEND\n"
          "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\n INTERFACE fsif\nEND\n");
  const std::string at = "defs.mdd line 7 - ";
  auto req = [](const char* type, const char* ifaces) {
    return Attrs{{"type", type}, {"requires_interface", ifaces}, {"default", "none"}};
  };
  struct Case {
    std::unique_ptr<Param> p;
    int errors;
    Said said;
  };
  Case cases[] = {
      {Prop("stdin", "uart_0", req("peripheral_instance", "stdin")), 0, {}},
      {Prop("stdio", "UART_0", req("peripheral_instance", "stdin,stdout,stderr")), 2,
       {E(at + "stdout interface required by PARAMETER stdio is not supported by UART_0's "
               "driver uart!\n"),
        E(at + "stderr interface required by PARAMETER stdio is not supported by UART_0's "
               "driver uart!\n")}},
      {Prop("stdin", "uart_9", req("peripheral_instance", "stdin")), 1,
       {E(at + "No driver found for PARAMETER stdin's value uart_9 in MSS file.\n")}},
      {Prop("d", "UART", req("driver", "STDIN")), 0, {}},
      {Prop("d", "uart", req("driver", "stdout")), 1,
       {E(at + "stdout interface required by PARAMETER d is not supported by driver uart! \n")}},
      {Prop("l", "fs", req("library", "fsif")), 0, {}},
      {Prop("l", "fs", req("library", "blk")), 1,
       {E(at + "blk interface required by PARAMETER l is not supported by library fs! \n")}},
      {Prop("l", "db", req("library", "fsif")), 1,
       {E(at + "No library found for PARAMETER l's value db in MSS file.\n")}},
      {Prop("s", "x", req("string", "fsif")), 1,
       {E(at + "No string found for PARAMETER s's value x in MSS file.\n")}},
      {Prop("s", "none", req("string", "fsif")), 0, {}},  // the default
      {Prop("s", "x", {{"requires_interface", "fsif"}}), 0, {}},  // no type
  };
  for (Case& c : cases) {
    msgs.Clear();
    EXPECT_EQ(c.errors, SwRTUtil::CheckReqIf(c.p.get(), mss.get())) << c.p->GetName();
    EXPECT_EQ(c.said, Messages()) << c.p->GetName();
  }

  // The list form looks into the elements of array values too.
  ArrayInst array;
  auto* element = new Element();
  element->AddProperty(1, Prop("out", "uart_0", req("peripheral_instance", "stdout")).release());
  array.AddProperty(ArrayInst::ELEMENTS, element);
  auto plain = Prop("x", "uart_0", {{"type", "peripheral_instance"}});  // requires nothing
  msgs.Clear();
  PropSeq seq = {plain.get(), &array};
  EXPECT_EQ(1, SwRTUtil::CheckReqIf(seq, mss.get()));
  EXPECT_EQ(1u, msgs.Count(MsgSeverity::kError));
}

TEST_F(SwRTCheckTest, SupportedPeripheralsOnlyWarn) {
  auto supp = std::make_unique<Option>();
  supp->SetName("supported_peripherals");
  supp->SetFileName("defs.mdd");
  supp->SetLineNum(3);
  supp->SetMdtValuePtr(new MdtBase::ListStrVal("tavuart_v1_00_[ab] uartlite_v2_00_a", " "));
  EXPECT_EQ(0, SwRTUtil::CheckSuppPeriph("uart", "1.00.a", "tavuart", "1.00.b", supp.get(), noRepos));
  EXPECT_EQ(0, SwRTUtil::CheckSuppPeriph("uart", "1.00.a", "gpio", "1.00.b", nullptr, noRepos));
  EXPECT_TRUE(msgs.Messages().empty());
  EXPECT_EQ(1, SwRTUtil::CheckSuppPeriph("uart", "1.00.a", "gpio", "2.00.a", supp.get(), noRepos));
  const std::string list =
      "defs.mdd line 3 - Driver uart 1.00.a does not support peripheral gpio 2.00.a. List of "
      "peripherals supported by driver \"uart\" are : \"tavuart uartlite \" !\n";
  EXPECT_EQ(Said{W(list)}, Messages());

  // The component form adds its own warning at the hardware link, and counts nothing.
  hw->Add("gpio_0", "gpio", "2.00.a");
  DrvInst drv;
  drv.SetName("uart");
  drv.CreateAddPropertySetValue(1, "DRIVER_VER", "1.00.a");
  MdtBase::Property* link = drv.CreateAddPropertySetValue(1, "HW_INSTANCE", "gpio_0");
  link->SetFileName("sys.mss");
  link->SetLineNum(9);
  drv.AddProperty(0, supp.release());
  msgs.Clear();
  EXPECT_EQ(0, SwRTUtil::CheckSuppPeriph(&drv, Mss::DRIVERS, hw, noRepos));
  EXPECT_EQ((Said{W(list),
                  W("sys.mss line 9 - Driver \"uart\" does not support Hardware Instance "
                    "\"gpio_0\" !\n")}),
            Messages());
  msgs.Clear();
  EXPECT_EQ(0, SwRTUtil::CheckSuppPeriph(&drv, Mss::DRIVERS, noHw, noRepos));
  EXPECT_EQ(0, SwRTUtil::CheckSuppPeriph(&drv, Mss::LIBRARIES, hw, noRepos));
  EXPECT_TRUE(msgs.Messages().empty());
}

// --- The runtime model ----------------------------------------------------------

// A model merged from a repository: a deprecated driver with a value that is
// not user-configurable, an OS whose stdin needs the driver's interface.
TEST_F(SwRTCheckTest, RuntimeModelIsCheckedInOrder) {
  AddDriver(
      "repo", "drivers", "uart", "1.00.a",
      "OPTION supported_peripherals = (uartlite);\nOPTION driver_state = DEPRECATED;\n"
      "PARAM name = C_LOCKED, type = int, default = 4, permit = none;\n"
      "BEGIN INTERFACE stdin\nEND INTERFACE\n");
  AddLibrary("repo", "bsp", "standalone", "2.00.a", "OS",
             "OPTION supported_peripherals = (tavcpu);\n"
             "PARAM name = stdin, type = peripheral_instance, requires_interface = stdin, "
             "default = none;\n"
             "PARAM name = stdout, type = peripheral_instance, requires_interface = stdout, "
             "default = none;\n");
  SwReposMan man(false);
  man.AddSwRepos(Repo("repo"), 0);
  ReadMss("BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER HW_INSTANCE = uart_0\n"
          " PARAMETER C_LOCKED = 7\nEND\n"
          "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER PROC_INSTANCE = cpu_0\n"
          " PARAMETER stdin = uart_0\n PARAMETER stdout = uart_0\nEND\n");

  SwRTClass model;
  model.SetHwDbPtr(hw);
  auto& repos = man.GetSwReposSeqRef();
  auto* inst = static_cast<DrvInst*>(mss->GetPsfCompSeqRef(Mss::DRIVERS).at(0));
  auto* osInst = static_cast<OsInst*>(mss->GetPsfCompSeqRef(Mss::OSES).at(0));
  ASSERT_EQ(0, DrvInstUtil::AssignSwCore(inst, repos));
  ASSERT_EQ(0, OsInstUtil::AssignSwCore(osInst, repos));
  auto* driver = new Driver();
  auto* os = new OsInst();
  model.AddNameValue(driver);
  model.AddNameValue(os);
  ASSERT_EQ(0, DrvInstUtil::MergeMddDrvObj(
                   inst, static_cast<Mdd*>(inst->GetBaseNodePtr(DrvInst::DEFINITION)), driver));
  ASSERT_EQ(0, OsInstUtil::MergeMldOsObj(
                   osInst, static_cast<Mld*>(osInst->GetBaseNodePtr(LibInst::DEFINITION)), os));
  DrvInstUtil::AssignOwner(driver);
  msgs.Clear();

  // Options first, then processors, OSs, drivers: the OS's interface error
  // comes before the driver's reset. Merged values keep their MSS location.
  EXPECT_EQ(1, SwRTUtil::CheckSwRTClass(&model, repos));
  EXPECT_EQ((Said{W("uart - " + driver->GetFileNameStr() + " line " +
                    std::to_string(driver->GetLineNum()) + " - deprecated driver!\n"),
                  E(MssAt(10) + "stdout interface required by PARAMETER stdout is not supported "
                                "by uart_0's driver uart!\n"),
                  W(MssAt(4) + "PARAMETER C_LOCKED is not user configurable and hence ignoring "
                               "it!\nTo avoid seeing this Warning again, please remove PARAMETER "
                               "C_LOCKED.\n")}),
            Messages());
  EXPECT_EQ("4", driver->GetPropertyValueStr(1, "C_LOCKED"));
  EXPECT_EQ(-1, SwRTUtil::CheckSwRTClass(nullptr, repos));
}

}  // namespace
}  // namespace TavSoftware

// Building the runtime model and organising it per processor: the clean
// case, every default substitution, the not-found report and the gating of
// the stages, repeated updates and ownership.
#include <algorithm>
#include <map>

#include "ArrayInst.h"
#include "Driver.h"
#include "DrvInst.h"
#include "Element.h"
#include "FakeHwDb.h"
#include "Library.h"
#include "OsInst.h"
#include "Processor.h"
#include "RuntimeFixture.h"
#include "SwRTClass.h"
#include "SwRTUtil.h"

namespace TavSoftware {
namespace {

using tavtest::FakeHwDb;

class BuildTest : public tavtest::RuntimeTest {
 protected:
  void SetUp() override {
    AddDriver("repo", "drivers", "cpu", "1.00.a",
              "OPTION supported_peripherals = (cpu);\nPARAM name = default_init, default = boot;\n");
    AddDriver("repo", "drivers", "uart", "1.00.a",
              "OPTION supported_peripherals = (uart);\nPARAM name = BAUD, default = 9600;\n");
    AddDriver("repo", "drivers", "uart", "2.00.a",
              "OPTION supported_peripherals = (uart);\nPARAM name = BAUD, default = 9600;\n");
    AddLibrary("repo", "bsp", "standalone", "2.00.a", "OS");
    AddLibrary("repo", "sw_services", "fs", "1.00.a");
    hw = tavtest::MakeFakeHwDb();
    hw->Add("cpu_0", "cpu", "1.00.a", "PROCESSOR").Add("cpu_1", "cpu", "1.00.a", "PROCESSOR");
    hw->Add("uart_0", "uart", "1.00.a").Add("uart_1", "uart", "1.00.a");
    hw->Addressable("cpu_0", {"uart_0", "cpu_1", "uart_1"}).Addressable("cpu_1", {"uart_1"});
  }
  // Builds the model of `text` over the scratch repository.
  SwRTClass* Build(const std::string& text, const char* procName = nullptr) {
    ReadMss(text);
    Repos();
    model.reset(SwRTUtil::CreateSwRTObject(hw, mss.get(), *man, errors, procName));
    return model.get();
  }
  Processor* Proc(size_t i) {
    return static_cast<Processor*>(model->GetNameValueSeqRef(SwRTClass::PROCESSORS).at(i));
  }
  // "name:instances" of each driver of a processor.
  static std::string Drivers(const Processor* p) {
    std::string out;
    for (const Driver* d : p->GetDriverSeqRef()) {
      out += (out.empty() ? "" : " ") + d->GetName() + ":";
      for (const auto& i : d->GetInstSeqRef()) out += i + (&i == &d->GetInstSeqRef().back() ? "" : ",");
    }
    return out;
  }

  boost::shared_ptr<FakeHwDb> hw;
  std::unique_ptr<SwRTClass> model;
  int errors = -1;
};

const std::string kCpu0 = "BEGIN PROCESSOR\n PARAMETER DRIVER_NAME = cpu\n PARAMETER HW_INSTANCE = cpu_0\nEND\n";
const std::string kOs0 = "BEGIN OS\n PARAMETER OS_NAME = standalone\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n";
std::string Uart(const std::string& hw, const std::string& ver = "1.00.a") {
  return "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = " + ver +
         "\n PARAMETER HW_INSTANCE = " + hw + "\nEND\n";
}

TEST_F(BuildTest, CleanModelIsOrganisedPerProcessor) {
  Build("PARAMETER VERSION = 2.2.0\n" + kCpu0 + kOs0 + Uart("uart_0") + Uart("uart_1") +
        "BEGIN LIBRARY\n PARAMETER LIBRARY_NAME = fs\nEND\n");
  EXPECT_EQ(0, errors) << ::testing::PrintToString(Said());
  EXPECT_EQ("VERSION=2.2.0", model->GetPsfCompSeqRef(Mss::PARAMETERS).at(0)->GetName() + "=" +
                                 model->GetPsfCompSeqRef(Mss::PARAMETERS).at(0)->GetValueStr());
  EXPECT_TRUE(model->GetPsfCompSeqRef(Mss::ARRAYS).empty());
  ASSERT_EQ(2u, model->GetNameValueSeqRef(SwRTClass::PROCESSORS).size());
  Processor* cpu0 = Proc(0);
  EXPECT_EQ(mss->GetPsfCompSeqRef(Mss::PROCESSORS).size(), 1u);
  EXPECT_EQ("cpu_0", cpu0->GetHwInstance());
  EXPECT_EQ(model->GetPsfCompSeqRef(Mss::OSES).at(0), cpu0->GetOsInstance());
  // One Driver for both peripherals; the processor instance cpu_1 is skipped.
  EXPECT_EQ("uart:uart_0,uart_1", Drivers(cpu0));
  EXPECT_EQ("uart:uart_1", Drivers(Proc(1)));
  // A library without PROC_INSTANCE belongs to every processor.
  EXPECT_EQ(1u, cpu0->GetLibrarySeqRef().size());
  EXPECT_EQ(1u, Proc(1)->GetLibrarySeqRef().size());
  // The second processor has no blocks: a default driver and the standalone OS.
  EXPECT_EQ("standalone", Proc(1)->GetOsInstance()->GetName());
  // Components point at their source and core and name the MSS line.
  const auto* uart = static_cast<const Driver*>(model->GetPsfCompSeqRef(Mss::DRIVERS).at(0));
  const auto* src = uart->GetNVByName("DRVINST");
  ASSERT_NE(nullptr, src);
  EXPECT_EQ(mss->GetPsfCompSeqRef(Mss::DRIVERS).at(0),
            static_cast<MdtBase::BaseNodePtrVal*>(src->GetMdtValuePtr())->GetPtr());
  EXPECT_EQ(uart->GetBaseNodePtr(DrvInst::CORE),
            static_cast<MdtBase::BaseNodePtrVal*>(uart->GetNVByName("SWCORE")->GetMdtValuePtr())->GetPtr());
  EXPECT_EQ(mssPath, uart->GetFileNameStr());
  EXPECT_EQ(model.get(), uart->GetOwner());

  EXPECT_EQ("boot", SwRTUtil::GetProcMode(cpu0));
  SwRTUtil::SetProcMode(cpu0, "run");
  EXPECT_EQ("run", SwRTUtil::GetProcMode(cpu0));
}

TEST_F(BuildTest, DefaultsAreSubstitutedWithWarnings) {
  hw->Add("cpu_2", "odd", "1.00.a", "PROCESSOR");
  Build(kCpu0 + Uart("uart_0"));
  EXPECT_EQ(0, errors);
  EXPECT_EQ((std::vector<std::string>{
                "WARNING: No OS assigned to processor cpu_0 in MSS file. Assigning \"standalone\" "
                "OS to processor cpu_0.\n",
                "WARNING: No OS, PROCESSOR blocks specified in MSS for processor cpu_1. Library not "
                "created for processor cpu_1.\n",
                "WARNING: No PROCESSOR driver assigned to cpu_1 in MSS file. Assigning cpu 1.00.a "
                "driver to processor cpu_1.\n",
                "WARNING: No OS, PROCESSOR blocks specified in MSS for processor cpu_2. Library not "
                "created for processor cpu_2.\n",
                "WARNING: No MDD file found for processor cpu_2. Library not created for processor "
                "cpu_2.\n"}),
            Said());
  ASSERT_EQ(2u, model->GetNameValueSeqRef(SwRTClass::PROCESSORS).size());
  EXPECT_EQ("standalone", Proc(0)->GetOsInstance()->GetName());
  EXPECT_EQ("cpu", Proc(1)->GetName());
  EXPECT_EQ("boot", SwRTUtil::GetProcMode(Proc(1)));  // merged from the default driver
  // Objects of the update stage are the model's, not the MSS's.
  EXPECT_EQ(1u, model->GetPsfCompSeqRef(Mss::PROCESSORS).size());
  EXPECT_TRUE(model->GetPsfCompSeqRef(Mss::OSES).empty());
}

TEST_F(BuildTest, UnknownVersionIsReportedOnceAndStopsTheBuild) {
  AddDriver("r2", "drivers", "other", "1.00.a");
  ReadMss(kCpu0 + Uart("uart_0", "3.00.a") + Uart("uart_1", "4.00.a"));
  Repos({"repo", "r2"});
  model.reset(SwRTUtil::CreateSwRTObject(hw, mss.get(), *man, errors, nullptr));
  EXPECT_EQ(2, errors);
  const std::string r1 = Repo("repo") + "/", r2 = Repo("r2") + "/";
  auto lines = Said();
  ASSERT_EQ(18u, lines.size());
  EXPECT_EQ("ERROR: " + At(5, "Cannot find MDD file uart_v2_1_0.mdd for the driver uart 3.00.a\n"), lines[0]);
  EXPECT_EQ("INFO: Directories Searched :\n", lines[1]);
  EXPECT_EQ("STATUS:   - " + r1 + "drivers/uart_v3_00_a/data\n", lines[2]);
  EXPECT_EQ("STATUS:   - " + r1 + "pcores/uart_v3_00_a/data\n", lines[3]);
  EXPECT_EQ("STATUS:   - " + r2 + "drivers/uart_v3_00_a/data\n", lines[4]);
  EXPECT_EQ("INFO: Check the following for possible causes of not finding MDD:\n", lines[12]);
  EXPECT_EQ("STATUS: \n", lines[17]);
  ASSERT_EQ(1u, model->GetNameValueSeqRef(SwRTClass::PROCESSORS).size());
  EXPECT_EQ("", Proc(0)->GetHwInstance());  // the update stage did not run
}

TEST_F(BuildTest, ManyDriversAreBuiltAndReportedInTheirOrder) {
  // Hundreds of instances, in the order of the MSS. Every tenth names no
  // driver of the repository; every tenth from the seventh on has a
  // parameter its driver does not declare.
  const std::string r = Repo("repo") + "/";
  std::string text;
  std::vector<std::string> expected;
  int line = 1, found = 0;
  for (int i = 0; i < 300; ++i) {
    const bool missing = i % 10 == 3, undeclared = i % 10 == 7;
    text += "BEGIN DRIVER\n PARAMETER DRIVER_NAME = " + std::string(missing ? "nope" : "uart") +
            "\n PARAMETER HW_INSTANCE = uart_" + std::to_string(i) + "\n" +
            (undeclared ? " PARAMETER bogus = 1\n" : "") + "END\n";
    if (missing)
      expected.insert(expected.end(),
                      {"ERROR: " + At(line, "Cannot find MDD file nope_v2_1_0.mdd for the driver "
                                            "nope \n"),
                       "INFO: Directories Searched :\n", "STATUS:   - " + r + "drivers/nope/data\n",
                       "STATUS:   - " + r + "pcores/nope/data\n"});
    if (undeclared)
      expected.push_back("ERROR: " + At(line + 3, "bogus is not a configurable parameter for "
                                                  "driver uart\n"));
    found += !missing;
    line += undeclared ? 5 : 4;
  }
  Port_MsgManData::ResetErrorCount();
  Build(text);
  EXPECT_EQ(60, Port_MsgManData::GetErrorCount());  // each error counted once, on this thread
  auto said = Said();
  ASSERT_GE(said.size(), expected.size());
  said.resize(expected.size());  // then the closing advice
  EXPECT_EQ(expected, said);
  EXPECT_EQ(60, errors);
  const auto& drivers = model->GetPsfCompSeqRef(Mss::DRIVERS);
  ASSERT_EQ(static_cast<size_t>(found), drivers.size());
  for (size_t i = 0, n = 0; i < 300; ++i) {
    if (i % 10 == 3) continue;
    EXPECT_EQ("uart_" + std::to_string(i),
              static_cast<DrvInst*>(drivers[n])->GetPropertyValueStr(DrvInst::PARAMETERS,
                                                                     "HW_INSTANCE"));
    EXPECT_EQ(model.get(), drivers[n++]->GetOwner());
  }

  // As many clean ones pass every stage and serve the processor as one driver.
  std::vector<std::string> names;
  std::string clean = kCpu0 + kOs0, served = "uart:";
  for (int i = 0; i < 300; ++i) {
    names.push_back("u" + std::to_string(i));
    hw->Add(names.back(), "uart", "1.00.a");
    clean += Uart(names.back());
    served += (i ? "," : "") + names.back();
  }
  hw->Addressable("cpu_0", names);
  Build(clean);
  EXPECT_EQ(0, errors) << ::testing::PrintToString(Said());
  EXPECT_EQ(served, Drivers(Proc(0)));
}

TEST_F(BuildTest, ChecksOfManyDriversSayWhatOneByOneChecksSay) {
  // Hundreds of instances: every fifth has a value
  // out of its range, every seventh a peripheral its driver does not
  // support, every eleventh requires an interface the driver it names lacks.
  AddDriver("repo", "drivers", "spi", "1.00.a",
            "OPTION supported_peripherals = (spi);\n"
            "PARAM name = MODE, type = int, default = 1, range = (1, 2);\n"
            "PARAM name = PEER, type = peripheral_instance, default = none, "
            "requires_interface = (dma);\n");
  std::string text = kCpu0 + kOs0;
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) {
    names.push_back("s" + std::to_string(i));
    hw->Add(names.back(), i % 7 == 3 ? "uart" : "spi", "1.00.a");
    text += "BEGIN DRIVER\n PARAMETER DRIVER_NAME = spi\n PARAMETER HW_INSTANCE = " + names.back() +
            "\n" + (i % 5 == 1 ? " PARAMETER MODE = 3\n" : "") +
            (i % 11 == 4 ? " PARAMETER PEER = s" + std::to_string(i + 1) + "\n" : "") + "END\n";
  }
  hw->Addressable("cpu_0", names);
  Build(text);
  auto& repos = man->GetSwReposSeqRef();
  msgs.Clear();
  Port_MsgManData::ResetErrorCount();
  const int together = SwRTUtil::CheckSwRTClass(model.get(), repos);
  const auto saidTogether = Said();
  const int errorsTogether = Port_MsgManData::GetErrorCount();
  msgs.Clear();
  Port_MsgManData::ResetErrorCount();
  const int oneByOne =
      SwRTUtil::CheckPsfCompInst(model->GetPsfCompSeqRef(Mss::DRIVERS), Mss::DRIVERS, model.get(),
                                 hw, repos);
  EXPECT_EQ(together, oneByOne);
  EXPECT_EQ(saidTogether, Said());
  EXPECT_EQ(errorsTogether, Port_MsgManData::GetErrorCount());
  auto says = [&](const char* text) {
    return std::any_of(saidTogether.begin(), saidTogether.end(),
                       [&](const std::string& m) { return m.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(says("Invalid Value 3"));
  EXPECT_TRUE(says("does not support Hardware Instance"));
  EXPECT_TRUE(says("interface required by PARAMETER PEER"));
}

TEST_F(BuildTest, ManyPeripheralsFoldIntoTheirDriversAsOneByOne) {
  // Hundreds of peripherals, looked up and folded in order: instances
  // of four drivers in turn, some with another value than the first of
  // their driver, one of another version; among them a nameless peripheral,
  // a processor, and one no driver serves, which meets the driver without
  // HW_INSTANCE at the end of the MSS.
  struct Kind {
    const char* driver;
    const char* param;
    const char* value;
    const char* other;
  };
  const Kind kinds[] = {{"uart", "BAUD", "9600", "19200"}, {"spi", "MODE", "1", "2"},
                        {"gpio", "WIDTH", "8", "16"}, {"iic", "RATE", "100", "400"}};
  for (const Kind& k : kinds)
    if (k.driver != std::string("uart"))
      AddDriver("repo", "drivers", k.driver, "1.00.a",
                "OPTION supported_peripherals = (" + std::string(k.driver) + ");\nPARAM name = " +
                    k.param + ", default = " + k.value + ";\n");
  const int kFirstBlock = 9, kBlockLines = 6, kNoHwLine = kFirstBlock + kBlockLines * 300;
  std::string text = kCpu0 + kOs0;
  std::vector<std::string> names;
  std::map<std::string, std::string> expected;  // by peripheral
  std::string served[4];
  for (int i = 0; i < 300; ++i) {
    const Kind& k = kinds[i % 4];
    const bool differs = i % 13 == 5;
    names.push_back("p" + std::to_string(i));
    hw->Add(names.back(), k.driver, "1.00.a");
    text += "BEGIN DRIVER\n PARAMETER DRIVER_NAME = " + std::string(k.driver) +
            "\n PARAMETER DRIVER_VER = " + (i == 152 ? "2.00.a" : "1.00.a") +
            "\n PARAMETER HW_INSTANCE = " + names.back() + "\n PARAMETER " + k.param + " = " +
            (differs ? k.other : k.value) + "\nEND\n";
    if (i == 152) {
      expected[names.back()] = "ERROR: Multiple versions of driver \"uart\" assigned to different "
                               "peripherals in MSS. Assign same version of driver to all "
                               "peripherals.\n";
      continue;
    }
    served[i % 4] += (i > 3 ? "," : std::string(k.driver) + ":") + names.back();
    // Told at the value of the first instance, which the others fold into.
    if (differs)
      expected[names.back()] =
          "ERROR: \n" + At(kFirstBlock + kBlockLines * (i % 4) + 4,
                           "Parameter " + std::string(k.param) +
                               " has different values for different instantiation. \nCannot "
                               "support multiple values of " + k.param + " for a driver\n");
  }
  text += "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\nEND\n";
  hw->Add("ghost", "uart", "1.00.a");
  names.insert(names.begin() + 250, "ghost");
  names.insert(names.begin() + 200, "cpu_1");
  names.insert(names.begin() + 100, "");
  expected[""] = "ERROR: A peripheral addressable by the processor cpu_0 seems to have no "
                 "instance name.\n";
  expected["ghost"] = "ERROR: " + At(kNoHwLine, "No HW_INSTANCE parameter for driver uart");
  hw->Addressable("cpu_0", names);
  std::vector<std::string> inOrder;
  for (const std::string& name : names)
    if (expected.count(name)) inOrder.push_back(expected[name]);

  Port_MsgManData::ResetErrorCount();
  Build(text, "cpu_0");
  EXPECT_EQ(inOrder, Said());
  EXPECT_EQ(26, errors);
  EXPECT_EQ(26, Port_MsgManData::GetErrorCount());  // each counted once, on this thread
  EXPECT_EQ(served[0] + " " + served[1] + " " + served[2] + " " + served[3], Drivers(Proc(0)));
}

TEST_F(BuildTest, NamelessBlocksAndBrokenHardwareLinks) {
  Build("BEGIN DRIVER\n PARAMETER HW_INSTANCE = uart_0\nEND\n"
        "BEGIN PROCESSOR\n PARAMETER HW_INSTANCE = cpu_0\nEND\n"
        "BEGIN OS\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n"
        "BEGIN LIBRARY\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n");
  EXPECT_EQ(3, errors);
  EXPECT_EQ((std::vector<std::string>{
                "ERROR: " + At(4, "Name of Driver not specified in MSS file\n"),
                "ERROR: " + At(7, "Name of OS not specified in MSS file\n"),
                "ERROR: " + At(10, "Name of Library not specified in MSS file\n")}),
            Said());

  // The update stage's own errors: a nameless peripheral, a driver without
  // HW_INSTANCE met on the way, two versions of one driver.
  hw->Addressable("cpu_0", {"", "uart_0", "uart_1"});
  Build(kCpu0 + kOs0 + "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\nEND\n" + Uart("uart_0") +
        Uart("uart_1", "2.00.a"), "cpu_0");
  EXPECT_EQ(4, errors);
  EXPECT_EQ((std::vector<std::string>{
                "ERROR: A peripheral addressable by the processor cpu_0 seems to have no instance name.\n",
                "ERROR: " + At(9, "No HW_INSTANCE parameter for driver uart"),
                "ERROR: " + At(9, "No HW_INSTANCE parameter for driver uart"),
                "ERROR: Multiple versions of driver \"uart\" assigned to different peripherals in "
                "MSS. Assign same version of driver to all peripherals.\n"}),
            Said());
}

TEST_F(BuildTest, RepeatedUpdatesRebuildTheListsAndKeepEarlierObjects) {
  Build(kCpu0 + kOs0 + Uart("uart_0") + Uart("uart_1"), "cpu_1");
  ASSERT_EQ(1u, model->GetNameValueSeqRef(SwRTClass::PROCESSORS).size());
  Processor* first = Proc(0);
  const Driver* firstDriver = first->GetDriverSeqRef().at(0);
  for (const char* name : {"cpu_0", "cpu_1", "cpu_0"}) {
    EXPECT_EQ(0, SwRTUtil::UpdateSwData(model.get(), man->GetSwReposSeqRef(), name));
    ASSERT_EQ(1u, model->GetNameValueSeqRef(SwRTClass::PROCESSORS).size());
    EXPECT_EQ(name, Proc(0)->GetHwInstance());
  }
  EXPECT_EQ("uart:uart_0,uart_1", Drivers(Proc(0)));
  EXPECT_EQ("uart:uart_1", Drivers(first));  // still alive, still as it was
  EXPECT_EQ("uart", firstDriver->GetName());

  EXPECT_EQ(0, SwRTUtil::UpdateDriverData(model.get()));
  ASSERT_EQ(1u, model->GetNameValueSeqRef(SwRTClass::DRIVERS).size());
  EXPECT_EQ(2u, static_cast<Driver*>(model->GetNameValueSeqRef(SwRTClass::DRIVERS)[0])->GetInstSeqRef().size());
}

TEST_F(BuildTest, FileFormOwnsItsMssAndMssEntryPoints) {
  dir.Write("sys.mss", kCpu0 + kOs0 + Uart("uart_0"));
  Repos();
  model.reset(SwRTUtil::CreateSwRTObject(hw, mssPath.c_str(), *man, errors, "cpu_0"));
  EXPECT_EQ(0, errors);
  ASSERT_NE(nullptr, model->GetSourceMss());
  EXPECT_EQ(1u, model->GetSourceMss()->GetPsfCompSeqRef(Mss::DRIVERS).size());

  model.reset(SwRTUtil::CreateSwRTObject(hw, (dir / "none.mss").c_str(), *man, errors, nullptr));
  EXPECT_GT(errors, 0);

  Mss fresh;
  EXPECT_EQ(0, SwRTUtil::InitMss(&fresh));
  EXPECT_EQ("2.2.0", fresh.GetPsfCompValueStr(Mss::PARAMETERS, "VERSION"));
  EXPECT_EQ(1, SwRTUtil::Clear(nullptr));
  EXPECT_EQ(-1, SwRTUtil::AssignSwCore(&fresh, static_cast<SwReposMan*>(nullptr)));
}

}  // namespace
}  // namespace TavSoftware

namespace TavSoftware {
namespace {

class HonestCountTest : public BuildTest {
 protected:
  // Builds from the MSS file, so that its own reader errors count too.
  int BuildFile(const std::string& text) {
    dir.Write("sys.mss", text);
    Repos();
    msgs.Clear();
    model.reset(SwRTUtil::CreateSwRTObject(hw, mssPath.c_str(), *man, errors, nullptr));
    return errors;
  }
  bool HasDriver(const std::string& name) const {
    for (const auto* d : model->GetPsfCompSeqRef(Mss::DRIVERS))
      if (d->GetName() == name) return true;
    return false;
  }
  const MdtBase::Property* UartParam(const std::string& name) const {
    for (const auto* d : model->GetPsfCompSeqRef(Mss::DRIVERS))
      if (const auto* p = static_cast<const DrvInst*>(d)->GetPropertyByName(1, name)) return p;
    return nullptr;
  }
};

TEST_F(HonestCountTest, DefinitionThatStopsEarlyIsCountedAndSkipped) {
  const std::string path = dir / "repo/drivers/uart_v1_00_a/data/uart_v2_1_0.mdd";
  // Each of the reader's early exits: an unknown keyword, BEGIN alone, no END DRIVER.
  const std::string broken[] = {
      "OPTION psf_version = 2.1;\nBEGIN DRIVER uart\nPARAM name = BAUD, default = 9600;\n"
      "FOO = 1;\nEND DRIVER\n",
      "OPTION psf_version = 2.1;\nBEGIN DRIVER uart\nBEGIN\nEND DRIVER\n",
      "OPTION psf_version = 2.1;\nBEGIN DRIVER uart\nPARAM name = BAUD, default = 9600;\n"};
  for (const std::string& text : broken) {
    dir.Write("repo/drivers/uart_v1_00_a/data/uart_v2_1_0.mdd", text);
    EXPECT_GT(BuildFile(kCpu0 + kOs0 + Uart("uart_0")), 0) << text;
    EXPECT_FALSE(HasDriver("uart")) << text;
    const auto errs = msgs.Texts(MsgSeverity::kError);
    ASSERT_FALSE(errs.empty());
    EXPECT_EQ("Errors while parsing MDD file " + path + "\n", errs.back());
    // Binding says the definition is not clean.
    ReadMss(kCpu0 + Uart("uart_0"));
    EXPECT_GT(SwRTUtil::AssignSwCore(mss.get(), man.get()), 0) << text;
  }
  // The same for an MLD.
  dir.Write("repo/drivers/uart_v1_00_a/data/uart_v2_1_0.mdd", tavtest::MddText("uart"));
  dir.Write("repo/bsp/standalone_v2_00_a/data/standalone_v2_1_0.mld",
            "OPTION psf_version = 2.1;\nBEGIN OS standalone\nFOO = 1;\nEND OS\n");
  EXPECT_GT(BuildFile(kCpu0 + kOs0 + Uart("uart_0")), 0);
  EXPECT_TRUE(model->GetPsfCompSeqRef(Mss::OSES).empty());
}

TEST_F(HonestCountTest, ReaderAndArrayErrorsOfTheMssAreCounted) {
  EXPECT_GT(BuildFile(kCpu0 + "FOO BAR\n" + Uart("uart_0")), 0);
  EXPECT_GT(BuildFile(kCpu0 + "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n"), 0);

  AddDriver("repo", "drivers", "uart", "1.00.a",
            "OPTION supported_peripherals = (uart);\n"
            "BEGIN ARRAY ports\n PROPERTY size = 1;\n PARAM name = pin, type = int, default = 1;\n"
            "END ARRAY\n");
  // A row wider than the array's columns is rejected, and counted.
  EXPECT_EQ(1, BuildFile(kCpu0 + kOs0 +
                         "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
                         " PARAMETER HW_INSTANCE = uart_0\n PARAMETER ports = ((1,2))\nEND\n"))
      << ::testing::PrintToString(Said());
}

TEST_F(HonestCountTest, EachInstanceBindsTheVersionItNames) {
  EXPECT_EQ(1, BuildFile(kCpu0 + kOs0 + Uart("uart_0", "1.00.a") + Uart("uart_1", "9.00.a")));
  const auto errs = msgs.Texts(MsgSeverity::kError);
  ASSERT_EQ(1u, errs.size()) << ::testing::PrintToString(Said());
  EXPECT_EQ(At(14, "Cannot find MDD file uart_v2_1_0.mdd for the driver uart 9.00.a\n"), errs[0]);
}

TEST_F(HonestCountTest, BlocksConditionsAndBlockArraysMerge) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "OPTION supported_peripherals = (uart);\n"
            "PARAM name = mode, type = int, default = 1;\n"
            "PARAM name = parity, type = bool, default = false;\n"
            "PARAM name = stop, type = int, default = 1, dep = (parity = TRUE);\n"
            "BEGIN BLOCK, DEP = (mode = 1)\n"
            " PARAM name = fifo, type = int, default = 16;\n"
            " BEGIN ARRAY taps\n  PARAM name = at, type = int, default = 0;\n END ARRAY\n"
            "END BLOCK\n"
            "BEGIN BLOCK, DEP = (mode = 2)\n PARAM name = dma, type = int, default = 0;\nEND BLOCK\n");
  EXPECT_EQ(0, BuildFile(kCpu0 + kOs0 +
                         "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
                         " PARAMETER HW_INSTANCE = uart_0\n PARAMETER parity = true\n"
                         " PARAMETER stop = 2\n PARAMETER taps = (3,4)\nEND\n"))
      << ::testing::PrintToString(Said());
  // The block is enabled by the default of mode alone; the other is not.
  ASSERT_NE(nullptr, UartParam("fifo"));
  EXPECT_EQ("16", UartParam("fifo")->GetValueStr());
  EXPECT_EQ(nullptr, UartParam("dma"));
  // "true" satisfies "TRUE": the MSS value is taken, not discarded.
  ASSERT_NE(nullptr, UartParam("stop"));
  EXPECT_EQ("2", UartParam("stop")->GetValueStr());
  for (const std::string& w : msgs.Texts(MsgSeverity::kWarning))
    EXPECT_EQ(std::string::npos, w.find("Discarding")) << w;
  // The array declared in the block takes the MSS rows.
  const ArrayInst* taps = nullptr;
  for (const auto* d : model->GetPsfCompSeqRef(Mss::DRIVERS))
    if (auto* a = static_cast<const DrvInst*>(d)->GetPropertyByName(2, "taps"))
      taps = static_cast<const ArrayInst*>(a);
  ASSERT_NE(nullptr, taps);
  ASSERT_EQ(2u, taps->GetRowCount());
  const auto* row = static_cast<const Element*>(taps->GetPropSeqRef(ArrayInst::ELEMENTS)[1]);
  EXPECT_EQ("4", row->GetPropSeqRef(Element::PARAMETERS).at(0)->GetValueStr());
}

TEST_F(HonestCountTest, BadArrayCellIsReportedAtTheMssLine) {
  AddDriver("repo", "drivers", "uart", "1.00.a",
            "OPTION supported_peripherals = (uart);\n"
            "PARAM name = baud, type = int, default = 1, range = (1, 2);\n"
            "BEGIN ARRAY ports\n PARAM name = pin, type = int, default = 1, range = (1, 2);\n"
            "END ARRAY\n");
  EXPECT_EQ(2, BuildFile(kCpu0 + kOs0 +
                         "BEGIN DRIVER\n PARAMETER DRIVER_NAME = uart\n PARAMETER DRIVER_VER = 1.00.a\n"
                         " PARAMETER HW_INSTANCE = uart_0\n PARAMETER baud = 5\n"
                         " PARAMETER ports = ((5))\nEND\n"));
  const auto errs = msgs.Texts(MsgSeverity::kError);
  ASSERT_EQ(2u, errs.size()) << ::testing::PrintToString(Said());
  EXPECT_EQ(At(13, "Invalid Value 5  specified for PARAMETER baud!\n"), errs[0]);
  EXPECT_EQ(At(14, "Invalid Value 5  specified for PARAMETER pin!\n"), errs[1]);
}

}  // namespace
}  // namespace TavSoftware

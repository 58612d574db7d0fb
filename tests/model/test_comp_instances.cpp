// Software components: name mirroring, guarded setters, duplicate refusal,
// change announcements, links and ownership.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "Array.h"
#include "ArrayInst.h"
#include "Driver.h"
#include "DrvInst.h"
#include "Interface.h"
#include "LibInst.h"
#include "Library.h"
#include "Mdd.h"
#include "Mld.h"
#include "Option.h"
#include "Os.h"
#include "OsInst.h"
#include "Param.h"
#include "ProcInst.h"
#include "Processor.h"

namespace TavSoftware {
namespace {

using MdtBase::BaseNode;

Param* NewParam(const char* name, const char* value) {
  auto* p = new Param(name);
  p->SetMdtValuePtr(new MdtBase::StrVal(value));
  return p;
}

class CompTest : public ::testing::Test {
 protected:
  MsgCapture msgs;
};

// --- name mirroring --------------------------------------------------------

TEST_F(CompTest, SetNameCreatesTheNameParameterOnceAndReusesIt) {
  struct Row {
    std::function<MdtBase::PsfComp*()> make;
    std::function<const PropSeq&(MdtBase::PsfComp*)> params;
    const char* nameParam;
  };
  auto drv = [](MdtBase::PsfComp* c) -> const PropSeq& {
    return static_cast<DrvInst*>(c)->GetPropSeqRef(1);
  };
  auto lib = [](MdtBase::PsfComp* c) -> const PropSeq& {
    return static_cast<LibInst*>(c)->GetPropSeqRef(1);
  };
  const Row rows[] = {
      {[] { return new DrvInst(); }, drv, "DRIVER_NAME"},
      {[] { return new Processor(); }, drv, "DRIVER_NAME"},
      {[] { return new LibInst(); }, lib, "LIBRARY_NAME"},
      {[] { return new Library(); }, lib, "LIBRARY_NAME"},
      {[] { return new OsInst(); }, lib, "OS_NAME"},
      {[] { return new Os(); }, lib, "OS_NAME"},
  };
  for (const Row& row : rows) {
    std::unique_ptr<MdtBase::PsfComp> comp(row.make());
    SCOPED_TRACE(BaseNode::GetBaseNode(comp.get()));
    comp->SetName("uart_0");
    const PropSeq& params = row.params(comp.get());
    ASSERT_EQ(params.size(), 1u);
    MdtBase::Property* nameParam = params[0];
    EXPECT_EQ(nameParam->GetName(), row.nameParam);
    EXPECT_STREQ(BaseNode::GetBaseNode(nameParam), "TavSoftware_Param");
    EXPECT_EQ(nameParam->GetNodeType(), 1);
    EXPECT_EQ(nameParam->GetValueStr(), "uart_0");

    comp->SetName("uart_1");
    EXPECT_EQ(comp->GetName(), "uart_1");
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0], nameParam);
    EXPECT_EQ(nameParam->GetValueStr(), "uart_1");
  }
}

TEST_F(CompTest, SetNameReusesANameParameterWrittenInAnotherCase) {
  DrvInst d;
  ASSERT_EQ(d.AddProperty(1, NewParam("driver_name", "old")), 1);
  d.SetName("spi");
  ASSERT_EQ(d.GetPropSeqRef(1).size(), 1u);
  EXPECT_EQ(d.GetPropertyValueStr(1, "DRIVER_NAME"), "spi");
}

// --- guarded setters ---------------------------------------------------------

TEST_F(CompTest, SetPropertyValueStrGuardsAndResults) {
  DrvInst d;
  d.SetName("uart_0");
  d.AddProperty(1, NewParam("BAUD", "9600"));
  struct Row {
    int nodeType;
    const char* name;
    int result;
    bool internal;
  };
  const Row rows[] = {
      {1, "", 1, false},           {1, "driver_name", 2, true}, {1, "DRIVER_NAME", 2, true},
      {1, "missing", 2, false},    {0, "BAUD", 2, false},       {1, "baud", 0, false},
      {0, "DRIVER_NAME", 2, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.nodeType) + " " + row.name);
    msgs.Clear();
    EXPECT_EQ(d.SetPropertyValueStr(row.nodeType, row.name, "115200"), row.result);
    if (row.internal) {
      EXPECT_EQ(msgs.Texts(MsgSeverity::kInternal),
                std::vector<std::string>{"Cannot add PARAM DRIVER_NAME here. Use SetName \n"});
    } else {
      EXPECT_TRUE(msgs.Messages().empty());
    }
  }
  EXPECT_EQ(d.GetPropertyValueStr(1, "BAUD"), "115200");
  EXPECT_EQ(d.GetPropertyValueStr(1, "DRIVER_NAME"), "uart_0");
}

TEST_F(CompTest, LibraryLikeSettersRefuseLibraryNameWithTheirOwnTexts) {
  OsInst os;
  EXPECT_EQ(os.SetPropertyValueStr(1, "library_name", "x"), 2);
  EXPECT_EQ(os.CreateAddPropertySetValue(1, "Library_Name", "x"), nullptr);
  EXPECT_EQ(msgs.Texts(MsgSeverity::kInternal),
            (std::vector<std::string>{"Cannot add PARAM LIBRARY_NAME here. Use SetName \n",
                                      "Cannot add PARAM LIBRARY_NAME here.  Use SetName\n"}));
  EXPECT_TRUE(os.GetPropSeqRef(1).empty());
}

TEST_F(CompTest, CreateAddPropertySetValueCreatesTheKindOfTheSequence) {
  DrvInst d;
  const char* tags[] = {"TavSoftware_Option", "TavSoftware_Param", "TavSoftware_ArrayInst",
                        "TavSoftware_Interface"};
  for (int nt = 0; nt <= 3; ++nt) {
    MdtBase::Property* p = d.CreateAddPropertySetValue(nt, "P", nt == 2 ? "(a,b)" : "v");
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(BaseNode::GetBaseNode(p), tags[nt]);
    EXPECT_EQ(p->GetNodeType(), nt);
    EXPECT_EQ(d.GetPropertyByName(nt, "p"), p);
  }
  // The array value was rebuilt into rows, not just stored as text.
  auto* arr = static_cast<ArrayInst*>(d.GetPropertyByName(2, "P"));
  EXPECT_EQ(arr->GetPropSeqRef(ArrayInst::ELEMENTS).size(), 2u);
  EXPECT_EQ(arr->GetValueStr(), "(a,b)");

  // An existing property gets the value; nothing new is added.
  MdtBase::Property* again = d.CreateAddPropertySetValue(1, "p", "w");
  EXPECT_EQ(again, d.GetPropertyByName(1, "P"));
  EXPECT_EQ(again->GetValueStr(), "w");
  EXPECT_EQ(d.GetPropSeqRef(1).size(), 1u);

  EXPECT_EQ(d.CreateAddPropertySetValue(4, "P", "v"), nullptr);
  EXPECT_EQ(d.CreateAddPropertySetValue(1, "driver_name", "v"), nullptr);
  EXPECT_EQ(msgs.Texts(MsgSeverity::kInternal),
            std::vector<std::string>{"Cannot add PARAM DRIVER_NAME here.  Use SetName\n"});

  ProcInst proc;
  EXPECT_EQ(proc.CreateAddPropertySetValue(3, "I", "v"), nullptr);
  EXPECT_NE(proc.CreateAddPropertySetValue(2, "A", "(x)"), nullptr);
}

// --- duplicates ------------------------------------------------------------------

TEST_F(CompTest, DuplicateNameIsRefusedAndTheCallerKeepsTheProperty) {
  DrvInst d;
  d.SetName("uart_0");
  LibInst l;
  l.SetName("tavfs");
  struct Row {
    std::function<int(MdtBase::Property*)> add;
    std::function<size_t()> size;
    const char* text;
  };
  const Row rows[] = {
      {[&](MdtBase::Property* p) { return d.AddProperty(0, p); },
       [&] { return d.GetPropSeqRef(0).size(); },
       "Property Mode already added to driver instance uart_0\n"},
      {[&](MdtBase::Property* p) { return l.AddProperty(0, p); },
       [&] { return l.GetPropSeqRef(0).size(); },
       "Property Mode already added to library instance tavfs\n"},
  };
  for (const Row& row : rows) {
    msgs.Clear();
    EXPECT_EQ(row.add(new Option("MODE")), 1);
    std::unique_ptr<Option> dup(new Option("Mode"));
    EXPECT_EQ(row.add(dup.get()), -1);
    EXPECT_EQ(row.size(), 1u);
    EXPECT_EQ(msgs.Texts(MsgSeverity::kError), std::vector<std::string>{row.text});
    // `dup` is still ours: the sanitizer build would report a double free.
  }
}

TEST_F(CompTest, ProcessorInstanceHasNoInterfaceSequence) {
  ProcInst p;
  std::unique_ptr<Interface> iface(new Interface());
  EXPECT_EQ(p.AddProperty(3, iface.get()), -1);
  EXPECT_EQ(p.GetPropertyByName(3, ""), nullptr);
  EXPECT_TRUE(p.GetPropSeqRef(3).empty());
}

// --- announcements ---------------------------------------------------------------

TEST_F(CompTest, DriverInstanceAnnouncesEachEditOnlyWhenEnabled) {
  for (bool enabled : {false, true}) {
    DrvInst d;
    d.SetNotifyEnabled(enabled);
    int expected = 0;
    auto step = [&](const char* what, auto&& op) {
      op();
      if (enabled) ++expected;
      EXPECT_EQ(d.GetNotifyCount(), expected) << what;
    };
    step("SetName", [&] { d.SetName("uart_0"); });
    step("AddProperty", [&] { d.AddProperty(1, NewParam("A", "1")); });
    step("SetPropertyValueStr", [&] { d.SetPropertyValueStr(1, "A", "2"); });
    step("CreateAddPropertySetValue", [&] { d.CreateAddPropertySetValue(1, "B", "3"); });
    step("DelProperty by name", [&] { d.DelProperty(1, "B"); });
    step("DelProperty by pointer", [&] { d.DelProperty(1, d.GetPropertyByName(1, "A")); });
    step("DelPropSeq", [&] { d.DelPropSeq(0); });
    // Refused edits change nothing and say nothing.
    d.SetPropertyValueStr(1, "missing", "x");
    d.DelProperty(1, "missing");
    d.SetPropertyValueStr(1, "", "x");
    EXPECT_EQ(d.GetNotifyCount(), expected);
  }
}

TEST_F(CompTest, ProcessorInstanceAddAndDelAreSilentButItsOtherEditsAnnounce) {
  ProcInst p;
  p.SetNotifyEnabled(true);
  p.SetName("cpu");
  EXPECT_EQ(p.GetNotifyCount(), 1);
  p.AddProperty(1, NewParam("A", "1"));
  p.DelProperty(1, "A");
  p.AddProperty(1, NewParam("B", "1"));
  p.DelProperty(1, p.GetPropertyByName(1, "B"));
  EXPECT_EQ(p.GetNotifyCount(), 1);
  p.CreateAddPropertySetValue(1, "C", "2");
  p.SetPropertyValueStr(1, "C", "3");
  EXPECT_EQ(p.GetNotifyCount(), 3);
}

TEST_F(CompTest, LibraryAndOsInstancesNeverAnnounce) {
  for (LibInst* l : {new LibInst(), static_cast<LibInst*>(new OsInst())}) {
    std::unique_ptr<LibInst> owner(l);
    l->SetNotifyEnabled(true);
    l->SetName("lib");
    l->AddProperty(1, NewParam("A", "1"));
    l->SetPropertyValueStr(1, "A", "2");
    l->CreateAddPropertySetValue(0, "O", "x");
    l->DelProperty(1, "A");
    l->DelPropSeq(0);
    EXPECT_EQ(l->GetNotifyCount(), 0) << BaseNode::GetBaseNode(l);
  }
}

// --- tags and ownership -----------------------------------------------------------

TEST_F(CompTest, EachComponentRegistersItsTagAfterItsBases) {
  Processor proc;
  EXPECT_STREQ(BaseNode::GetBaseNode(&proc), "TavSoftware_Processor");
  for (const char* tag : {"TavSoftware_ProcInst", "TavSoftware_DrvInst", "MdtBas_PsfComp"})
    EXPECT_TRUE(BaseNode::IsBaseNodeType(&proc, tag)) << tag;
  Os os;
  EXPECT_STREQ(BaseNode::GetBaseNode(&os), "TavSoftware_Os");
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&os, "TavSoftware_OsInst"));
  EXPECT_TRUE(BaseNode::IsBaseNodeType(&os, "TavSoftware_LibInst"));
  Driver drv;
  EXPECT_STREQ(BaseNode::GetBaseNode(&drv), "TavSoftware_Driver");
}

TEST_F(CompTest, ComponentsFreeTheirSequencesButNotTheirLinks) {
  auto* drv = new Driver();
  drv->SetName("uart");
  drv->GetInstSeqRef().push_back("uart_0");
  drv->CreateAddPropertySetValue(0, "O", "x");
  drv->CreateAddPropertySetValue(2, "A", "((1,2),(3,4))");
  drv->CreateAddPropertySetValue(3, "I", "");
  auto* lib = new Library();
  lib->SetName("tavfs");
  lib->CreateAddPropertySetValue(1, "P", "v");
  auto* os = new OsInst();
  os->SetName("standalone");
  {
    Processor proc;
    proc.GetDriverSeqRef().push_back(drv);
    proc.GetLibrarySeqRef().push_back(lib);
    proc.SetOsInstance(os);
    proc.SetHwInstance("cpu_0");
    proc.CreateAddPropertySetValue(1, "P", "v");
    EXPECT_EQ(proc.GetOsInstance(), os);
    EXPECT_EQ(proc.GetHwInstance(), "cpu_0");
  }
  // Still alive after the processor is gone.
  EXPECT_EQ(drv->GetInstSeqRef().size(), 1u);
  EXPECT_EQ(lib->GetPropertyValueStr(1, "p"), "v");
  delete drv;
  delete lib;
  delete os;
}

TEST_F(CompTest, ProcessorLookupsMatchNamesExactly) {
  Driver uart;
  uart.SetName("uart");
  Library fs;
  fs.SetName("tavfs");
  Processor proc;
  proc.GetDriverSeqRef().push_back(&uart);
  proc.GetLibrarySeqRef().push_back(&fs);
  EXPECT_EQ(proc.GetDriverByName("uart"), &uart);
  EXPECT_EQ(proc.GetDriverByName("UART"), nullptr);
  EXPECT_EQ(proc.GetLibraryByName("tavfs"), &fs);
  EXPECT_EQ(proc.GetLibraryByName("TavFs"), nullptr);
  const Processor& cproc = proc;
  EXPECT_EQ(cproc.GetDriverByName("uart"), &uart);
}

// --- links to the core and the definition ------------------------------------------

TEST_F(CompTest, CoreLinkIsStoredFromTheCoreOrFromItsFile) {
  MdtBase::BaseNode core;
  Mdd mdd;
  mdd.SetOwner(&core);
  DrvInst d;
  EXPECT_EQ(d.GetBaseNodePtr(1000), nullptr);
  EXPECT_EQ(d.GetBaseNodePtr(1001), nullptr);
  d.SetBaseNodePtr(1000, &mdd);
  EXPECT_EQ(d.GetBaseNodePtr(1001), &core);
  d.SetBaseNodePtr(1001, nullptr);
  EXPECT_EQ(d.GetBaseNodePtr(1001), nullptr);
  d.SetBaseNodePtr(1001, &core);
  d.SetBaseNodePtr(1000, nullptr);
  EXPECT_EQ(d.GetBaseNodePtr(1001), nullptr);
  // Without a definition file the fallback lookups find only own properties.
  d.CreateAddPropertySetValue(1, "P", "own");
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(1, "P"), "own");
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(2, "P"), "");

  LibInst l;
  l.SetBaseNodePtr(1001, &core);
  EXPECT_EQ(l.GetBaseNodePtr(1001), &core);
  EXPECT_EQ(l.GetBaseNodePtr(1000), nullptr);
  EXPECT_EQ(l.GetPropertyByNameFromLibInstOrMld(1, "P"), nullptr);
}

// Stand-ins that hand out a definition file the way the core link will.
class DrvInstWithMdd : public DrvInst {
 public:
  explicit DrvInstWithMdd(BaseNode* file) : file_(file) {}
  BaseNode* GetBaseNodePtr(int nodeType) const override {
    return nodeType == 1000 ? file_ : DrvInst::GetBaseNodePtr(nodeType);
  }

 private:
  BaseNode* file_;
};

class LibInstWithMld : public LibInst {
 public:
  explicit LibInstWithMld(BaseNode* file) : file_(file) {}
  BaseNode* GetBaseNodePtr(int nodeType) const override {
    return nodeType == 1000 ? file_ : LibInst::GetBaseNodePtr(nodeType);
  }

 private:
  BaseNode* file_;
};

TEST_F(CompTest, FallbackLooksInTheCorrespondingDefinitionSequence) {
  Mdd mdd;
  auto* arr = new Array();
  arr->SetName("regs");
  arr->SetValueStr("(def)");
  mdd.AddProperty(Mdd::ARRAYS, arr);
  mdd.AddProperty(Mdd::PARAMETERS, NewParam("BAUD", "9600"));
  mdd.AddProperty(Mdd::OPTIONS, NewParam("baud", "opt"));
  DrvInstWithMdd d(&mdd);
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(2, "REGS"), "(def)");
  EXPECT_EQ(d.GetPropertyByNameFromDrvInstOrMdd(2, "regs"), arr);
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(1, "baud"), "9600");
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(0, "baud"), "opt");
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(3, "baud"), "");
  d.CreateAddPropertySetValue(1, "BAUD", "115200");
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(1, "baud"), "115200");

  // A file of the wrong kind is not read as an Mdd.
  Mld mld;
  mld.AddProperty(Mld::ARRAYS, NewParam("regs", "mld"));
  DrvInstWithMdd wrong(&mld);
  EXPECT_EQ(wrong.GetPropertyByNameFromDrvInstOrMdd(2, "regs"), nullptr);

  mld.AddProperty(Mld::INTERFACES, NewParam("stdio", "iface"));
  LibInstWithMld l(&mld);
  EXPECT_EQ(l.GetPropertyValueStrFromLibInstOrMld(3, "STDIO"), "iface");
  EXPECT_EQ(l.GetPropertyValueStrFromLibInstOrMld(2, "regs"), "mld");
  LibInstWithMld wrongLib(&mdd);
  EXPECT_EQ(wrongLib.GetPropertyByNameFromLibInstOrMld(2, "regs"), nullptr);
}

}  // namespace
}  // namespace TavSoftware

// Software components: name mirroring, guarded setters, duplicate refusal,
// change announcements, links and ownership.
#include <gtest/gtest.h>

#include <memory>
#include <string>

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

// SetName creates the name parameter once and reuses it afterwards.
template <class C>
void ExpectNameMirrored(const char* nameParam) {
  C comp;
  SCOPED_TRACE(BaseNode::GetBaseNode(&comp));
  comp.SetName("uart_0");
  const PropSeq& params = comp.GetPropSeqRef(1);
  ASSERT_EQ(params.size(), 1u);
  MdtBase::Property* param = params[0];
  EXPECT_EQ(param->GetName(), nameParam);
  EXPECT_STREQ(BaseNode::GetBaseNode(param), "TavSoftware_Param");
  EXPECT_EQ(param->GetValueStr(), "uart_0");
  comp.SetName("uart_1");
  EXPECT_EQ(params, PropSeq{param});
  EXPECT_EQ(param->GetValueStr(), "uart_1");
}

TEST_F(CompTest, SetNameCreatesTheNameParameterOnceAndReusesIt) {
  ExpectNameMirrored<DrvInst>("DRIVER_NAME");
  ExpectNameMirrored<Processor>("DRIVER_NAME");
  ExpectNameMirrored<LibInst>("LIBRARY_NAME");
  ExpectNameMirrored<Library>("LIBRARY_NAME");
  ExpectNameMirrored<OsInst>("OS_NAME");
  ExpectNameMirrored<Os>("OS_NAME");
  // A name parameter written in another case is the same parameter.
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
      {1, "", 1, false},     {1, "driver_name", 2, true}, {1, "missing", 2, false},
      {0, "BAUD", 2, false}, {1, "baud", 0, false},       {0, "DRIVER_NAME", 2, false},
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

  // A processor instance has no interface sequence.
  ProcInst proc;
  EXPECT_EQ(proc.CreateAddPropertySetValue(3, "I", "v"), nullptr);
  std::unique_ptr<Interface> iface(new Interface());
  EXPECT_EQ(proc.AddProperty(3, iface.get()), -1);
  EXPECT_TRUE(proc.GetPropSeqRef(3).empty());
  EXPECT_NE(proc.CreateAddPropertySetValue(2, "A", "(x)"), nullptr);
}

// --- duplicates ------------------------------------------------------------------

template <class C>
void ExpectDuplicateRefused(MsgCapture& msgs, const char* name, const char* text) {
  C comp;
  comp.SetName(name);
  msgs.Clear();
  EXPECT_EQ(comp.AddProperty(0, new Option("MODE")), 1);
  auto dup = std::make_unique<Option>("Mode");
  EXPECT_EQ(comp.AddProperty(0, dup.get()), -1);
  EXPECT_EQ(comp.GetPropSeqRef(0).size(), 1u);
  EXPECT_EQ(msgs.Texts(MsgSeverity::kError), std::vector<std::string>{text});
  // `dup` is still ours: the sanitizer build would report a double free.
}

TEST_F(CompTest, DuplicateNameIsRefusedAndTheCallerKeepsTheProperty) {
  ExpectDuplicateRefused<DrvInst>(msgs, "uart_0",
                                  "Property Mode already added to driver instance uart_0\n");
  ExpectDuplicateRefused<LibInst>(msgs, "tavfs",
                                  "Property Mode already added to library instance tavfs\n");
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

TEST_F(CompTest, ProcessorAddDelAndLibraryLikeEditsAreSilent) {
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
  Os os;
  // The deepest chains of the library: every tag is kept, the last is the class.
  for (const char* tag : {"MdtBas_NameValue", "MdtBas_PsfComp", "TavSoftware_DrvInst",
                          "TavSoftware_ProcInst", "TavSoftware_Processor"})
    EXPECT_TRUE(BaseNode::IsBaseNodeType(&proc, tag)) << tag;
  for (const char* tag : {"MdtBas_NameValue", "MdtBas_PsfComp", "TavSoftware_LibInst",
                          "TavSoftware_OsInst", "TavSoftware_Os"})
    EXPECT_TRUE(BaseNode::IsBaseNodeType(&os, tag)) << tag;
  EXPECT_STREQ(BaseNode::GetBaseNode(&proc), "TavSoftware_Processor");
  EXPECT_STREQ(BaseNode::GetBaseNode(&os), "TavSoftware_Os");
}

TEST_F(CompTest, ComponentsFreeTheirSequencesButNotTheirLinks) {
  auto* drv = new Driver();
  drv->GetInstSeqRef().push_back("uart_0");
  drv->CreateAddPropertySetValue(0, "O", "x");
  drv->CreateAddPropertySetValue(2, "A", "((1,2),(3,4))");
  drv->CreateAddPropertySetValue(3, "I", "");
  auto* lib = new Library();
  lib->CreateAddPropertySetValue(1, "P", "v");
  auto* os = new OsInst();
  {
    Processor proc;
    proc.GetDriverSeqRef().push_back(drv);
    proc.GetLibrarySeqRef().push_back(lib);
    proc.SetOsInstance(os);
    proc.CreateAddPropertySetValue(1, "P", "v");
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
}

// --- fallback to the definition file --------------------------------------------

// Stand-in that hands out a definition file the way the core link does.
template <class Base>
class WithFile : public Base {
 public:
  explicit WithFile(BaseNode* file) : file_(file) {}
  BaseNode* GetBaseNodePtr(int nodeType) const override {
    return nodeType == 1000 ? file_ : Base::GetBaseNodePtr(nodeType);
  }

 private:
  BaseNode* file_;
};

TEST_F(CompTest, FallbackLooksInTheCorrespondingDefinitionSequence) {
  // Every definition sequence holds an "x" of its own, so a wrong mapping shows.
  Mdd mdd;
  Mld mld;
  const int definitionType[] = {2, 3, 6, 5};  // for component NodeType 0..3
  for (int nt = 0; nt < 4; ++nt) {
    mdd.AddProperty(definitionType[nt], NewParam("x", ("mdd" + std::to_string(nt)).c_str()));
    mld.AddProperty(definitionType[nt], NewParam("x", ("mld" + std::to_string(nt)).c_str()));
  }
  WithFile<DrvInst> d(&mdd);
  WithFile<LibInst> l(&mld);
  for (int nt = 0; nt < 4; ++nt) {
    EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(nt, "X"), "mdd" + std::to_string(nt));
    EXPECT_EQ(l.GetPropertyValueStrFromLibInstOrMld(nt, "X"), "mld" + std::to_string(nt));
  }
  EXPECT_EQ(d.GetPropertyByNameFromDrvInstOrMdd(2, "x"), mdd.GetPropertyByName(Mdd::ARRAYS, "x"));
  d.CreateAddPropertySetValue(1, "x", "own");  // the instance's own value wins
  EXPECT_EQ(d.GetPropertyValueStrFromDrvInstOrMdd(1, "X"), "own");

  // A file of the wrong kind is not read as a definition.
  WithFile<DrvInst> wrongDrv(&mld);
  WithFile<LibInst> wrongLib(&mdd);
  EXPECT_EQ(wrongDrv.GetPropertyByNameFromDrvInstOrMdd(2, "x"), nullptr);
  EXPECT_EQ(wrongLib.GetPropertyByNameFromLibInstOrMld(2, "x"), nullptr);
}

// Long sequences answer duplicate checks from a name index; it must see a
// child renamed in place and children added or removed through the sequence
// reference, or a duplicate slips in (or a free name is refused).
TEST(CompNameIndex, DuplicateChecksFollowRenamesAndDirectEdits) {
  MsgCapture msgs;
  DrvInst drv;
  for (int i = 0; i < 40; ++i)
    ASSERT_GT(drv.AddProperty(DrvInst::PARAMETERS, new Param("P" + std::to_string(i))), 0);
  auto refused = [&drv](const char* name) {
    auto p = std::make_unique<Param>(name);
    if (drv.AddProperty(DrvInst::PARAMETERS, p.get()) > 0) {
      p.release();
      return false;
    }
    return true;
  };
  EXPECT_TRUE(refused("p7"));
  drv.GetPropertyByName(DrvInst::PARAMETERS, "P7")->SetName("RENAMED");
  EXPECT_TRUE(refused("renamed"));
  EXPECT_FALSE(refused("P7"));
  PropSeq& seq = drv.GetPropSeqRef(DrvInst::PARAMETERS);
  seq.push_back(new Param("DIRECT"));
  EXPECT_TRUE(refused("direct"));
  delete seq.front();  // P0
  seq.erase(seq.begin());
  EXPECT_FALSE(refused("p0"));
  EXPECT_EQ(drv.GetPropertyByName(DrvInst::PARAMETERS, "P1"), seq.front());
  EXPECT_EQ(msgs.Texts(MsgSeverity::kError).front(),
            "Property p7 already added to driver instance \n");
}

}  // namespace
}  // namespace TavSoftware

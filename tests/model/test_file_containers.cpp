// PSF file containers: definition files, the MSS, the runtime model, the
// category dependency queries and the presentation tree.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <memory>
#include <string>

#include "Array.h"
#include "Block.h"
#include "Category.h"
#include "CategoryUtil.h"
#include "Driver.h"
#include "DrvInst.h"
#include "Interface.h"
#include "LibInst.h"
#include "Library.h"
#include "Mdd.h"
#include "MddUtil.h"
#include "Mld.h"
#include "MldUtil.h"
#include "Mss.h"
#include "Option.h"
#include "Os.h"
#include "OsInst.h"
#include "Param.h"
#include "ProcInst.h"
#include "Processor.h"
#include "PropTree.h"
#include "Property.h"
#include "SwRTClass.h"

namespace TavSoftware {
namespace {

using MdtBase::BaseNode;

Param* NewParam(const char* name, const char* value) {
  auto* p = new Param(name);
  p->SetMdtValuePtr(new MdtBase::StrVal(value));
  return p;
}

// A category with its own parameter and, when `depName` is given, the
// condition depName = depValue on it.
Category* NewCategory(const char* name, const char* depName = nullptr, const char* depValue = "") {
  auto* c = new Category();
  c->SetName(name);
  auto* own = NewParam(name, "");
  if (depName) {
    auto* dep = new MdtBase::PsfComp("dep");
    auto* list = new MdtBase::ListPsfCompVal();
    auto* cond = new MdtBase::PsfComp(depName);
    cond->SetValueStr(depValue);
    list->Add(cond);
    dep->SetMdtValuePtr(list);
    own->AddPsfComp(dep);
  }
  c->AddProperty(Category::PARAMETERS, own);
  return c;
}

// --- Mdd and Mld -----------------------------------------------------------------

TEST(FileDefinitions, KindlessLookupsFollowTheirOrder) {
  Mdd mdd;
  mdd.AddProperty(Mdd::ARRAYS, NewParam("X", "array"));
  mdd.AddProperty(Mdd::OPTIONS, NewParam("Y", "option"));
  EXPECT_EQ(mdd.GetPropertyByName("x")->GetValueStr(), "array");
  mdd.AddProperty(Mdd::PARAMETERS, NewParam("x", "param"));
  EXPECT_EQ(mdd.GetPropertyByName("X")->GetValueStr(), "param");
  EXPECT_EQ(mdd.GetPropertyByName("Y"), nullptr);

  Mld mld;
  auto* cat = NewCategory("net");
  cat->AddProperty(Category::OPTIONS, NewParam("in_cat", "category"));
  mld.AddProperty(Mld::CATEGORIES, cat);
  mld.AddProperty(Mld::INTERFACES, NewParam("in_cat", "interface"));
  mld.AddProperty(Mld::INTERFACES, NewParam("only_iface", "interface"));
  mld.AddProperty(Mld::OPTIONS, NewParam("only_iface", "option"));
  EXPECT_EQ(mld.GetPropertyByName("IN_CAT")->GetValueStr(), "category");
  EXPECT_EQ(mld.GetPropertyByName("only_iface")->GetValueStr(), "option");
  mld.AddProperty(Mld::PARAMETERS, NewParam("in_cat", "param"));
  EXPECT_EQ(mld.GetPropertyByName("in_cat")->GetValueStr(), "param");
}

TEST(FileDefinitions, MldCategoryLookupSeesInsideCategoriesOnly) {
  Mld mld;
  auto* cat = NewCategory("net");
  cat->AddProperty(Category::PARAMETERS, NewParam("tcp_port", "80"));
  mld.AddProperty(Mld::CATEGORIES, cat);
  EXPECT_EQ(mld.GetPropertyByName(Mld::CATEGORIES, "TCP_PORT")->GetValueStr(), "80");
  EXPECT_EQ(mld.GetPropertyValueStr(Mld::CATEGORIES, "tcp_port"), "80");
  // The category's own parameter carries its name; the category itself is
  // never the answer.
  EXPECT_STREQ(BaseNode::GetBaseNode(mld.GetPropertyByName(Mld::CATEGORIES, "net")),
               "TavSoftware_Param");
  auto* bare = new Category();
  bare->SetName("bare");
  mld.AddProperty(Mld::CATEGORIES, bare);
  EXPECT_EQ(mld.GetPropertyByName(Mld::CATEGORIES, "bare"), nullptr);
}

TEST(FileDefinitions, UnusedNodeTypesAreRefusedAndClearFreesEverything) {
  for (int nt : {0, 1, 7}) {
    Mdd mdd;
    Mld mld;
    std::unique_ptr<Param> p(NewParam("P", "v"));
    EXPECT_EQ(mdd.AddProperty(nt, p.get()), -1);
    EXPECT_EQ(mld.AddProperty(nt, p.get()), -1);
  }
  Mdd mdd;
  mdd.AddProperty(Mdd::BLOCKS, new Block());
  mdd.AddProperty(Mdd::PARAMETERS, NewParam("P", "v"));
  EXPECT_EQ(mdd.Clear(), 0);
  for (int nt = 2; nt <= 6; ++nt) EXPECT_TRUE(mdd.GetPropSeqRef(nt).empty());
  EXPECT_EQ(mdd.AddProperty(Mdd::PARAMETERS, NewParam("P", "again")), 1);
}

TEST(FileDefinitions, VerifyPropTypeChecksTheExactTag) {
  std::unique_ptr<MdtBase::Property> option(new Option()), param(new Param()), block(new Block()),
      category(new Category()), iface(new Interface()), array(new Array()), plain(new Property());
  struct Row {
    int nodeType;
    MdtBase::Property* p;
    bool mdd;
    bool mld;
  };
  const Row rows[] = {
      {2, option.get(), true, true},    {2, param.get(), false, false},
      {3, param.get(), true, true},     {4, block.get(), true, false},
      {4, category.get(), false, true}, {5, iface.get(), true, true},
      {6, array.get(), true, true},     {6, plain.get(), false, false},
      {0, param.get(), false, false},   {1, param.get(), false, false},
      {3, nullptr, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.nodeType);
    EXPECT_EQ(MddUtil::VerifyPropType(row.nodeType, row.p), row.mdd);
    EXPECT_EQ(MldUtil::VerifyPropType(row.nodeType, row.p), row.mld);
  }
}

TEST(FileDefinitions, AssignOwnerReachesEveryLevel) {
  Mdd mdd;
  auto* opt = new Option("O");
  auto* sub = new MdtBase::PsfComp("desc");
  opt->AddPsfComp(sub);
  mdd.AddProperty(Mdd::OPTIONS, opt);
  auto* block = new Block();
  auto* inBlock = NewParam("B", "1");
  block->AddProperty(3, inBlock);
  mdd.AddProperty(Mdd::BLOCKS, block);
  auto* arr = new Array();
  auto* column = NewParam("col", "");
  arr->AddProperty(2, column);
  mdd.AddProperty(Mdd::ARRAYS, arr);
  EXPECT_EQ(MddUtil::AssignOwner(&mdd), 0);
  EXPECT_EQ(opt->GetOwner(), &mdd);
  EXPECT_EQ(sub->GetOwner(), opt);
  EXPECT_EQ(block->GetOwner(), &mdd);
  EXPECT_EQ(inBlock->GetOwner(), block);
  EXPECT_EQ(column->GetOwner(), arr);
  EXPECT_EQ(MddUtil::AssignOwner(nullptr), -1);

  Mld mld;
  auto* cat = NewCategory("net");
  auto* catArr = new Array();
  auto* catCol = NewParam("c", "");
  catArr->AddProperty(2, catCol);
  cat->AddProperty(Category::ARRAYS, catArr);
  mld.AddProperty(Mld::CATEGORIES, cat);
  EXPECT_EQ(MldUtil::AssignOwner(&mld), 0);
  EXPECT_EQ(cat->GetOwner(), &mld);
  EXPECT_EQ(cat->GetPropSeqRef(Category::PARAMETERS)[0]->GetOwner(), cat);
  EXPECT_EQ(catArr->GetOwner(), cat);
  EXPECT_EQ(catCol->GetOwner(), catArr);
}

// --- category dependencies -----------------------------------------------------------

TEST(FileCategories, IsCategoryDepOnParamDecidesFromInstanceThenDefinition) {
  struct Row {
    const char* mldValue;   // null: the Mld has no such parameter
    const char* instValue;  // null: the instance has no such parameter
    bool expected;
  };
  const Row rows[] = {
      {nullptr, nullptr, true}, {"false", nullptr, false}, {"TRUE", nullptr, true},
      {"false", "True", true},  {"true", "false", false},  {"true", "", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.mldValue ? row.mldValue : "-") + "/" +
                 (row.instValue ? row.instValue : "-"));
    Mld mld;
    if (row.mldValue) mld.AddProperty(Mld::PARAMETERS, NewParam("use_net", row.mldValue));
    auto* cat = NewCategory("net", "USE_NET", "true");
    mld.AddProperty(Mld::CATEGORIES, cat);
    MldUtil::AssignOwner(&mld);
    LibInst inst;
    if (row.instValue) inst.AddProperty(1, NewParam("use_net", row.instValue));
    String paramName;
    EXPECT_EQ(CategoryUtil::IsCategoryDepOnParam(cat, &inst, paramName), row.expected);
    EXPECT_EQ(paramName, "USE_NET");
  }
}

TEST(FileCategories, IsCategoryDepOnParamWithoutConditionOrOwner) {
  String paramName = "untouched";
  auto noOwn = std::make_unique<Category>();
  noOwn->SetName("x");
  EXPECT_FALSE(CategoryUtil::IsCategoryDepOnParam(noOwn.get(), nullptr, paramName));
  std::unique_ptr<Category> plain(NewCategory("plain"));
  EXPECT_TRUE(CategoryUtil::IsCategoryDepOnParam(plain.get(), nullptr, paramName));
  EXPECT_EQ(paramName, "untouched");
  std::unique_ptr<Category> orphan(NewCategory("orphan", "p", "1"));
  EXPECT_TRUE(CategoryUtil::IsCategoryDepOnParam(orphan.get(), nullptr, paramName));
  EXPECT_EQ(paramName, "p");
}

TEST(FileCategories, DependentCategoriesAreFoundByName) {
  Mld mld;
  auto* net = NewCategory("net");
  auto* tcp = NewCategory("tcp", "NET", "true");
  auto* udp = NewCategory("udp", "net", "true");
  auto* fs = NewCategory("fs", "use_fs", "true");
  for (Category* c : {net, tcp, udp, fs}) mld.AddProperty(Mld::CATEGORIES, c);
  MldUtil::AssignOwner(&mld);

  std::vector<MdtBase::Property*> deps;
  EXPECT_EQ(CategoryUtil::GetDepCategorySeq(net, deps), 2);
  EXPECT_EQ(deps, (std::vector<MdtBase::Property*>{tcp, udp}));
  deps.clear();
  EXPECT_EQ(CategoryUtil::GetDepCategorySeq(fs, deps), 2);
  EXPECT_TRUE(deps.empty());
  auto bare = std::make_unique<Category>();
  bare->SetName("bare");
  EXPECT_EQ(CategoryUtil::GetDepCategorySeq(bare.get(), deps), 1);

  std::vector<String> names;
  CategoryUtil::GetCategoryListDepOnParam("Net", &mld, names);
  EXPECT_EQ(names, (std::vector<String>{"tcp", "udp"}));
  names.clear();
  CategoryUtil::GetCategoryListDepOnParam("use_fs", &mld, names);
  EXPECT_EQ(names, std::vector<String>{"fs"});
}

TEST(FileCategories, GetPropertyByNameSearchesParamsArraysPropertiesOptions) {
  std::unique_ptr<Category> a(NewCategory("a")), b(NewCategory("b"));
  a->AddProperty(Category::OPTIONS, NewParam("x", "a-option"));
  a->AddProperty(Category::PROPERTIES, NewParam("x", "a-property"));
  b->AddProperty(Category::PARAMETERS, NewParam("x", "b-param"));
  std::vector<Category*> cats{a.get(), b.get()};
  EXPECT_EQ(CategoryUtil::GetPropertyByName(cats, "X")->GetValueStr(), "a-property");
  a->AddProperty(Category::ARRAYS, NewParam("x", "a-array"));
  EXPECT_EQ(CategoryUtil::GetPropertyByName(cats, "x")->GetValueStr(), "a-array");
  EXPECT_EQ(CategoryUtil::GetPropertyByName(cats, "y"), nullptr);
}

// --- Mss ---------------------------------------------------------------------

TEST(FileMss, ProcessorInstanceOfferedAsDriverGoesToProcessors) {
  Mss mss;
  auto* proc = new ProcInst();
  proc->SetName("cpu");
  EXPECT_EQ(mss.AddPsfComp(Mss::DRIVERS, proc), 1);
  EXPECT_TRUE(mss.GetPsfCompSeqRef(Mss::DRIVERS).empty());
  EXPECT_EQ(proc->GetNodeType(), Mss::PROCESSORS);
  EXPECT_EQ(mss.GetPsfCompByName(Mss::PROCESSORS, "CPU"), proc);
  EXPECT_EQ(mss.AddPsfComp(Mss::DRIVERS, new DrvInst()), 1);

  // Deletion diverts the same way; a processor instance that is not there is
  // reported as not found.
  ProcInst stranger;
  EXPECT_EQ(mss.DelPsfComp(Mss::DRIVERS, &stranger), 1);
  EXPECT_EQ(mss.DelPsfComp(Mss::DRIVERS, proc), 0);
  EXPECT_TRUE(mss.GetPsfCompSeqRef(Mss::PROCESSORS).empty());
  EXPECT_EQ(mss.DelPsfComp(Mss::DRIVERS, "nothing"), -1);
}

TEST(FileMss, UnownedSequenceEntriesOutliveTheMss) {
  auto kept = std::make_unique<DrvInst>();
  {
    Mss mss;
    mss.AddPsfComp(Mss::UNOWNED, kept.get());
    EXPECT_EQ(mss.DelPsfComp(Mss::UNOWNED, kept.get()), 0);
    mss.AddPsfComp(Mss::UNOWNED, kept.get());
    EXPECT_EQ(mss.DelPsfCompSeq(Mss::UNOWNED), 0);
    mss.AddPsfComp(Mss::UNOWNED, kept.get());
    mss.AddPsfComp(Mss::LIBRARIES, new LibInst());
    mss.AddPsfComp(Mss::PARAMETERS, new MdtBase::PsfComp("VERSION"));
  }
  kept->SetName("still_here");  // use after free if the Mss destroyed it
}

TEST(FileMss, NameAndFileNameFollowEachOther) {
  Mss mss;
  mss.SetFileName("/work/proj/system.mss");
  EXPECT_EQ(mss.GetName(), "system");
  mss.SetName("board");
  EXPECT_EQ(mss.GetFileNameStr(), "/work/proj/board.mss");
  mss.SetFileName(Port::FileName("rel/dir/other.mss"));
  EXPECT_EQ(mss.GetName(), "other");
  mss.SetName("x");
  EXPECT_EQ(mss.GetFileNameStr(), "rel/dir/x.mss");
}

TEST(FileMss, EditsAnnounceOnlyWhenEnabled) {
  for (bool enabled : {false, true}) {
    Mss mss;
    mss.SetNotifyEnabled(enabled);
    auto* drv = new DrvInst();
    mss.AddPsfComp(Mss::DRIVERS, drv);
    mss.DelPsfComp(Mss::DRIVERS, drv);
    DrvInst absent;
    mss.DelPsfComp(Mss::DRIVERS, &absent);  // nothing removed: not announced
    mss.DelPsfCompSeq(Mss::OSES);
    mss.SetName("a");
    mss.SetFileName("b.mss");
    EXPECT_EQ(mss.GetNotifyCount(), enabled ? 5 : 0);
  }
}

// --- SwRTClass -----------------------------------------------------------------

class FakeHwDb : public TavHwDb::HwDb {
 public:
  std::vector<std::string> GetProcessorInstNames() const override { return {}; }
  std::string GetProcessorIpType(const std::string&) const override { return ""; }
  std::string GetProcessorIpVersion(const std::string&) const override { return ""; }
  std::vector<std::string> GetAllInstNames() const override { return {}; }
  bool IsInstPresent(const std::string&) const override { return false; }
  std::string GetIpType(const std::string&) const override { return ""; }
  std::string GetIpVersion(const std::string&) const override { return ""; }
  std::string GetIpClass(const std::string&) const override { return ""; }
  std::vector<std::string> GetAddressableInstNames(const std::string&) const override { return {}; }
  std::string GetInstParamValue(const std::string&, const std::string&) const override {
    return "";
  }
};

TEST(FileSwRT, AddNameValueClassifiesByExactTag) {
  auto other = std::make_unique<DrvInst>();  // not a runtime kind: not owned
  auto os = std::make_unique<Os>();          // an Os is not taken for an OsInst
  {
    SwRTClass rt;
    struct Row {
      MdtBase::PsfComp* comp;
      int kind;
      int mssKind;
    };
    const Row rows[] = {
        {new Processor(), SwRTClass::PROCESSORS, Mss::PROCESSORS},
        {new Driver(), SwRTClass::DRIVERS, Mss::DRIVERS},
        {new Library(), SwRTClass::LIBRARIES, Mss::LIBRARIES},
        {new OsInst(), SwRTClass::OSES, Mss::OSES},
        {other.get(), SwRTClass::OTHERS, Mss::UNOWNED},
        {os.get(), SwRTClass::OTHERS, Mss::UNOWNED},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(BaseNode::GetBaseNode(row.comp));
      row.comp->SetName("c");
      EXPECT_EQ(rt.AddNameValue(row.comp), row.kind);
      EXPECT_EQ(row.comp->GetNodeType(), row.kind);
      EXPECT_EQ(rt.GetPsfCompSeqRef(row.mssKind).back(), row.comp);
      EXPECT_EQ(rt.GetNameValueSeqRef(row.kind).back(), row.comp);
      EXPECT_EQ(rt.GetNameValueByName(row.kind, "C"), rt.GetNameValueSeqRef(row.kind)[0]);
    }
    EXPECT_EQ(rt.GetNameValueSeqRef(SwRTClass::OTHERS).size(), 2u);
    EXPECT_EQ(rt.AddNameValue(nullptr), -1);
  }
  EXPECT_EQ(other->GetName(), "c");
  EXPECT_EQ(os->GetName(), "c");
}

TEST(FileSwRT, KeepsTheHardwareDatabaseAlive) {
  boost::shared_ptr<TavHwDb::HwDb> db = boost::make_shared<FakeHwDb>();
  auto rt = std::make_unique<SwRTClass>();
  rt->SetHwDbPtr(db);
  EXPECT_EQ(db.use_count(), 2);
  rt->SetHwDbPtr(boost::shared_ptr<TavHwDb::HwDb>());
  EXPECT_EQ(db.use_count(), 1);
  rt->SetHwDbPtr(db);
  rt.reset();
  EXPECT_EQ(db.use_count(), 1);
}

// --- PropTree --------------------------------------------------------------------

TEST(FilePropTree, OwningNodeFreesItsPropertyOnClearAndDestruction) {
  PropTree child;
  {
    PropTree node;
    node.SetInfo(NewParam("a", "1"), 2);
    node.AddChild(&child);
    EXPECT_EQ(node.Clear(), 0);
    EXPECT_EQ(node.GetProperty(), nullptr);
    EXPECT_EQ(node.GetLevel(), 0);
    EXPECT_TRUE(node.GetChildren().empty());
    node.SetProperty(NewParam("b", "1"));
    node.SetProperty(NewParam("c", "1"));  // the replaced one is freed
    node.AddChild(&child);
  }
  // The child was never the node's to destroy.
  EXPECT_EQ(child.GetLevel(), 0);
}

TEST(FilePropTree, PresentingADefinitionPropertyNeverDestroysIt) {
  Mdd mdd;
  auto* defined = NewParam("baud", "9600");
  mdd.AddProperty(Mdd::PARAMETERS, defined);
  {
    PropTree node;
    node.SetInfoNoOwn(defined, 1);
    EXPECT_FALSE(node.GetOwnsProperty());
    node.Clear();
    node.SetProperty(defined, false);
    node.SetProperty(NewParam("own", "1"));  // replacing a borrowed one frees nothing
    node.SetInfo(defined, 3, false);
  }
  EXPECT_EQ(mdd.GetPropertyValueStr(Mdd::PARAMETERS, "BAUD"), "9600");
}

}  // namespace
}  // namespace TavSoftware

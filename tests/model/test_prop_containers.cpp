// Containers of the property family: typed sequences, tag checks, ownership.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "Array.h"
#include "ArrayInst.h"
#include "ArrayInstUtil.h"
#include "ArrayUtil.h"
#include "Block.h"
#include "BlockUtil.h"
#include "Category.h"
#include "Dep.h"
#include "Element.h"
#include "ElementUtil.h"
#include "Function.h"
#include "Interface.h"
#include "InterfaceUtil.h"
#include "Option.h"
#include "Param.h"
#include "Property.h"

namespace TavSoftware {
namespace {

using MdtBase::BaseNode;
using MakeProp = std::function<MdtBase::Property*()>;

// One function per container so the table can name it; every container
// shares the same interface without a common base beyond MdtBase::Property.
struct ContainerOps {
  const char* name;
  std::function<MdtBase::Property*()> make;
  std::function<bool(MdtBase::Property*, int, const MdtBase::Property*)> verify;
};

template <class C>
ContainerOps Ops(const char* name) {
  return {name, [] { return new C(); },
          [](MdtBase::Property* c, int nt, const MdtBase::Property* child) {
            return static_cast<C*>(c)->VerifyPropType(nt, child);
          }};
}

const MakeProp kParam = [] { return new Param(); };
const MakeProp kOption = [] { return new Option(); };
const MakeProp kDep = [] { return new Dep(); };
const MakeProp kFunction = [] { return new Function(); };
const MakeProp kProperty = [] { return new Property(); };
const MakeProp kArray = [] { return new Array(); };
const MakeProp kElement = [] { return new Element(); };
const MakeProp kInterface = [] { return new Interface(); };
const MakeProp kBase = [] { return new MdtBase::Property("plain"); };

TEST(PropContainers, VerifyPropTypeAcceptsOnlyTheListedTagPerNodeType) {
  struct Row {
    ContainerOps ops;
    int nodeType;
    MakeProp child;
    bool expected;
  };
  const Row rows[] = {
      {Ops<Array>("Array"), 1, kProperty, true},
      {Ops<Array>("Array"), 2, kParam, true},
      {Ops<Array>("Array"), 2, kOption, false},
      {Ops<Array>("Array"), 1, kParam, false},
      {Ops<ArrayInst>("ArrayInst"), 1, kProperty, true},
      {Ops<ArrayInst>("ArrayInst"), 2, kElement, true},
      {Ops<ArrayInst>("ArrayInst"), 2, kParam, false},
      {Ops<Element>("Element"), 1, kParam, true},
      {Ops<Element>("Element"), 1, kOption, false},
      // Every NodeType selects an element's one sequence, but only 1 is checked.
      {Ops<Element>("Element"), 2, kParam, false},
      {Ops<Block>("Block"), 1, kDep, true},
      {Ops<Block>("Block"), 2, kOption, true},
      {Ops<Block>("Block"), 3, kParam, true},
      {Ops<Block>("Block"), 4, kArray, true},
      {Ops<Block>("Block"), 5, kInterface, true},
      {Ops<Block>("Block"), 3, kOption, false},
      {Ops<Category>("Category"), 1, kProperty, true},
      {Ops<Category>("Category"), 2, kOption, true},
      {Ops<Category>("Category"), 3, kParam, true},
      {Ops<Category>("Category"), 4, kArray, true},
      {Ops<Category>("Category"), 4, kParam, false},
      {Ops<Interface>("Interface"), 1, kProperty, true},
      {Ops<Interface>("Interface"), 2, kFunction, true},
      {Ops<Interface>("Interface"), 2, kProperty, false},
      // The most derived tag decides: a base property is not a PROPERTY entry.
      {Ops<Interface>("Interface"), 1, kBase, false},
  };
  for (const Row& r : rows) {
    std::unique_ptr<MdtBase::Property> container(r.ops.make());
    std::unique_ptr<MdtBase::Property> child(r.child());
    EXPECT_EQ(r.ops.verify(container.get(), r.nodeType, child.get()), r.expected)
        << r.ops.name << " NodeType " << r.nodeType << " child "
        << BaseNode::GetBaseNode(child.get());
  }
}

TEST(PropContainers, VerifyPropTypeIsFalseForUnlistedNodeTypeAndNull) {
  const ContainerOps containers[] = {Ops<Array>("Array"),       Ops<ArrayInst>("ArrayInst"),
                                     Ops<Element>("Element"),   Ops<Block>("Block"),
                                     Ops<Category>("Category"), Ops<Interface>("Interface")};
  const MakeProp children[] = {kParam, kOption, kDep, kFunction, kProperty, kArray, kElement,
                               kInterface};
  for (const ContainerOps& ops : containers) {
    std::unique_ptr<MdtBase::Property> container(ops.make());
    for (int nodeType : {0, -1, 6, 99, -2147483647 - 1}) {
      for (const MakeProp& make : children) {
        std::unique_ptr<MdtBase::Property> child(make());
        EXPECT_FALSE(ops.verify(container.get(), nodeType, child.get()))
            << ops.name << " NodeType " << nodeType << " child "
            << BaseNode::GetBaseNode(child.get());
      }
    }
    EXPECT_FALSE(ops.verify(container.get(), 1, nullptr)) << ops.name;
  }
}

TEST(PropContainers, AddPropertyReturnsLengthAndStoresNodeType) {
  Block block;
  auto* first = new Param("a");
  auto* second = new Param("b");
  EXPECT_EQ(block.AddProperty(Block::PARAMETERS, first), 1);
  EXPECT_EQ(block.AddProperty(Block::PARAMETERS, second), 2);
  EXPECT_EQ(first->GetNodeType(), 3);
  EXPECT_EQ(second->GetNodeType(), 3);
  // Tags are not checked on adding, and each sequence counts on its own.
  EXPECT_EQ(block.AddProperty(Block::DEPS, new Option("x")), 1);
  ASSERT_EQ(block.GetPropSeqRef(Block::PARAMETERS).size(), 2u);
  EXPECT_EQ(block.GetPropSeqRef(Block::PARAMETERS)[0], first);
  EXPECT_EQ(block.GetPropSeqRef(Block::PARAMETERS)[1], second);
  // Adding does not set the owner.
  EXPECT_EQ(first->GetOwner(), nullptr);
}

TEST(PropContainers, AddPropertyRefusesNullAndUnlistedNodeType) {
  Category category;
  EXPECT_EQ(category.AddProperty(Category::PARAMETERS, nullptr), -1);
  auto stray = std::make_unique<Param>("stray");
  EXPECT_EQ(category.AddProperty(7, stray.get()), -1);  // the caller keeps it
  EXPECT_TRUE(category.GetPropSeqRef(7).empty());
  EXPECT_EQ(category.GetPropertyByName(7, "stray"), nullptr);
  EXPECT_EQ(category.DelPropSeq(7), 0);
}

TEST(PropContainers, ElementSelectsItsOneSequenceForEveryNodeType) {
  Element element;
  EXPECT_EQ(element.AddProperty(1, new Param("a")), 1);
  EXPECT_EQ(element.AddProperty(5, new Param("b")), 2);
  EXPECT_EQ(&element.GetPropSeqRef(1), &element.GetPropSeqRef(42));
  EXPECT_NE(element.GetPropertyByName(3, "A"), nullptr);
}

TEST(PropContainers, GetPropertyByNameIgnoresCaseInBothForms) {
  Interface iface;
  auto* fn = new Function("Xmit");
  iface.AddProperty(Interface::FUNCTIONS, fn);
  EXPECT_EQ(iface.GetPropertyByName(Interface::FUNCTIONS, "XMIT"), fn);
  const Interface& view = iface;
  EXPECT_EQ(view.GetPropertyByName(Interface::FUNCTIONS, "xmit"), fn);
  EXPECT_EQ(view.GetPropertyByName(Interface::PROPERTIES, "xmit"), nullptr);
  EXPECT_EQ(&view.GetPropSeqRef(Interface::FUNCTIONS), &iface.GetPropSeqRef(Interface::FUNCTIONS));
}

TEST(PropContainers, DelPropertyResults) {
  Array array;
  array.AddProperty(Array::PARAMETERS, new Param("a"));
  auto* b = new Param("b");
  array.AddProperty(Array::PARAMETERS, b);
  Param outsider("c");

  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, "missing"), -1);
  EXPECT_EQ(array.GetPropSeqRef(Array::PARAMETERS).size(), 2u);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, static_cast<MdtBase::Property*>(nullptr)), -1);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, &outsider), 1);  // not ours: left alone
  // A name is looked up in the sequence asked for only.
  EXPECT_EQ(array.DelProperty(Array::PROPERTIES, "a"), -1);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, "A"), 0);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, b), 0);
  EXPECT_TRUE(array.GetPropSeqRef(Array::PARAMETERS).empty());
}

TEST(PropContainers, DelPropSeqEmptiesOnlyThatSequence) {
  Interface iface;
  iface.AddProperty(Interface::PROPERTIES, new Property("p"));
  iface.AddProperty(Interface::FUNCTIONS, new Function("f1"));
  iface.AddProperty(Interface::FUNCTIONS, new Function("f2"));
  EXPECT_EQ(iface.DelPropSeq(Interface::FUNCTIONS), 0);
  EXPECT_TRUE(iface.GetPropSeqRef(Interface::FUNCTIONS).empty());
  EXPECT_EQ(iface.GetPropSeqRef(Interface::PROPERTIES).size(), 1u);
  EXPECT_EQ(iface.AddProperty(Interface::FUNCTIONS, new Function("f3")), 1);
}

TEST(PropContainers, CategoryIsIncludedStartsFalse) {
  Category category;
  EXPECT_FALSE(category.GetIsIncluded());
  category.SetIsIncluded(true);
  EXPECT_TRUE(category.GetIsIncluded());
}

TEST(PropContainers, TypeTagsNameTheMostDerivedClass) {
  struct Row {
    MakeProp make;
    const char* tag;
  };
  const Row rows[] = {
      {kParam, "TavSoftware_Param"},        {kOption, "TavSoftware_Option"},
      {kDep, "TavSoftware_Dep"},            {kFunction, "TavSoftware_Function"},
      {kProperty, "TavSoftware_Property"},  {kArray, "TavSoftware_Array"},
      {kElement, "TavSoftware_Element"},    {kInterface, "TavSoftware_Interface"},
      {[] { return new ArrayInst(); }, "TavSoftware_ArrayInst"},
      {[] { return new Block(); }, "TavSoftware_Block"},
      {[] { return new Category(); }, "TavSoftware_Category"},
  };
  for (const Row& r : rows) {
    std::unique_ptr<MdtBase::Property> p(r.make());
    EXPECT_STREQ(BaseNode::GetBaseNode(p.get()), r.tag);
    EXPECT_TRUE(BaseNode::IsBaseNodeType(p.get(), "MdtBas_Property")) << r.tag;
  }
  Option named("DRIVER_STATE");
  EXPECT_EQ(named.GetName(), "DRIVER_STATE");
}

// Builds a block with every kind of child, each with a sub-property, and
// nested containers below; destroying it must free everything (the sanitizer
// build reports any leak).
std::unique_ptr<Block> MakeDeepBlock() {
  auto block = std::make_unique<Block>();
  block->AddPsfComp(new MdtBase::PsfComp("desc"));
  block->AddProperty(Block::DEPS, new Dep("d"));
  block->AddProperty(Block::OPTIONS, new Option("o"));
  auto* param = new Param("p");
  param->AddPsfComp(new MdtBase::PsfComp("type"));
  block->AddProperty(Block::PARAMETERS, param);
  auto* array = new Array();
  array->SetName("arr");
  auto* column = new Param("col");
  column->AddPsfComp(new MdtBase::PsfComp("default"));
  array->AddProperty(Array::PARAMETERS, column);
  array->AddProperty(Array::PROPERTIES, new Property("size"));
  block->AddProperty(Block::ARRAYS, array);
  auto* iface = new Interface();
  iface->SetName("if0");
  auto* fn = new Function("f");
  fn->AddPsfComp(new MdtBase::PsfComp("desc"));
  iface->AddProperty(Interface::FUNCTIONS, fn);
  iface->AddProperty(Interface::PROPERTIES, new Property("pp"));
  block->AddProperty(Block::INTERFACES, iface);
  return block;
}

TEST(PropContainers, BlockAssignOwnerReachesNestedChildren) {
  auto block = MakeDeepBlock();
  ASSERT_EQ(BlockUtil::AssignOwner(block.get()), 0);
  for (int nt = Block::DEPS; nt <= Block::INTERFACES; ++nt) {
    for (auto* child : block->GetPropSeqRef(nt)) EXPECT_EQ(child->GetOwner(), block.get()) << nt;
  }
  EXPECT_EQ(block->GetPsfCompSeqRef()[0]->GetOwner(), block.get());
  auto* param = block->GetPropertyByName(Block::PARAMETERS, "p");
  EXPECT_EQ(param->GetPsfCompSeqRef()[0]->GetOwner(), param);

  auto* array = static_cast<Array*>(block->GetPropertyByName(Block::ARRAYS, "arr"));
  auto* column = array->GetPropertyByName(Array::PARAMETERS, "col");
  EXPECT_EQ(column->GetOwner(), array);
  EXPECT_EQ(column->GetPsfCompSeqRef()[0]->GetOwner(), column);
  EXPECT_EQ(array->GetPropertyByName(Array::PROPERTIES, "size")->GetOwner(), array);

  auto* iface = static_cast<Interface*>(block->GetPropertyByName(Block::INTERFACES, "if0"));
  auto* fn = iface->GetPropertyByName(Interface::FUNCTIONS, "f");
  EXPECT_EQ(fn->GetOwner(), iface);
  EXPECT_EQ(fn->GetPsfCompSeqRef()[0]->GetOwner(), fn);
  EXPECT_EQ(iface->GetPropertyByName(Interface::PROPERTIES, "pp")->GetOwner(), iface);
}

TEST(PropContainers, ArrayInstAssignOwnerReachesElementParams) {
  ArrayInst array;
  array.AddProperty(ArrayInst::PROPERTIES, new Property("p"));
  auto* element = new Element();
  auto* cell = new Param("c");
  element->AddProperty(Element::PARAMETERS, cell);
  array.AddProperty(ArrayInst::ELEMENTS, element);
  // A stranger in the element sequence is owned but not treated as a row.
  auto* stranger = new Param("s");
  array.AddProperty(ArrayInst::ELEMENTS, stranger);

  ASSERT_EQ(ArrayInstUtil::AssignOwner(&array), 0);
  EXPECT_EQ(array.GetPropSeqRef(ArrayInst::PROPERTIES)[0]->GetOwner(), &array);
  EXPECT_EQ(element->GetOwner(), &array);
  EXPECT_EQ(cell->GetOwner(), element);
  EXPECT_EQ(stranger->GetOwner(), &array);
}

TEST(PropContainers, AssignOwnerRefusesNull) {
  EXPECT_EQ(ArrayUtil::AssignOwner(nullptr), -1);
  EXPECT_EQ(ArrayInstUtil::AssignOwner(nullptr), -1);
  EXPECT_EQ(ElementUtil::AssignOwner(nullptr), -1);
  EXPECT_EQ(BlockUtil::AssignOwner(nullptr), -1);
  EXPECT_EQ(InterfaceUtil::AssignOwner(nullptr), -1);
}

TEST(PropContainers, DestroyingAContainerFreesEveryLevel) {
  auto block = MakeDeepBlock();
  BlockUtil::AssignOwner(block.get());
  block.reset();  // leak check by the sanitizer build
  Category category;
  category.AddProperty(Category::ARRAYS, new Array());
  category.AddProperty(Category::OPTIONS, new Option("o"));
}

}  // namespace
}  // namespace TavSoftware

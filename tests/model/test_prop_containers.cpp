// Containers of the property family: typed sequences, tag checks, ownership.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// The containers share an interface but no common base beyond MdtBase::Property.
template <class C>
bool Verify(int nodeType, const MdtBase::Property* child) {
  return C().VerifyPropType(nodeType, child);
}

TEST(PropContainers, VerifyPropTypeAcceptsOnlyTheListedTagPerNodeType) {
  struct Row {
    const char* name;
    bool (*verify)(int, const MdtBase::Property*);
    std::vector<std::pair<int, std::string>> accepts;  // NodeType and child tag
  };
  const Row rows[] = {
      {"Array", Verify<Array>, {{1, "TavSoftware_Property"}, {2, "TavSoftware_Param"}}},
      {"ArrayInst", Verify<ArrayInst>, {{1, "TavSoftware_Property"}, {2, "TavSoftware_Element"}}},
      // Every NodeType selects an element's one sequence, but only 1 is accepted.
      {"Element", Verify<Element>, {{1, "TavSoftware_Param"}}},
      {"Block",
       Verify<Block>,
       {{1, "TavSoftware_Dep"},
        {2, "TavSoftware_Option"},
        {3, "TavSoftware_Param"},
        {4, "TavSoftware_Array"},
        {5, "TavSoftware_Interface"}}},
      {"Category",
       Verify<Category>,
       {{1, "TavSoftware_Property"},
        {2, "TavSoftware_Option"},
        {3, "TavSoftware_Param"},
        {4, "TavSoftware_Array"}}},
      {"Interface", Verify<Interface>, {{1, "TavSoftware_Property"}, {2, "TavSoftware_Function"}}},
  };
  const MakeProp children[] = {
      [] { return new Param(); }, [] { return new Option(); }, [] { return new Dep(); },
      [] { return new Function(); }, [] { return new Property(); }, [] { return new Array(); },
      [] { return new Element(); }, [] { return new Interface(); },
      // The most derived tag decides: a base property is no PROPERTY entry.
      [] { return new MdtBase::Property("plain"); }};
  for (const Row& r : rows) {
    for (int nodeType : {-2147483647 - 1, -1, 0, 1, 2, 3, 4, 5, 6}) {
      for (const MakeProp& make : children) {
        std::unique_ptr<MdtBase::Property> child(make());
        const std::string tag = BaseNode::GetBaseNode(child.get());
        bool expected = false;
        for (const auto& [nt, accepted] : r.accepts) expected |= nt == nodeType && accepted == tag;
        EXPECT_EQ(r.verify(nodeType, child.get()), expected)
            << r.name << " NodeType " << nodeType << " child " << tag;
      }
    }
    EXPECT_FALSE(r.verify(1, nullptr)) << r.name;
  }
}

TEST(PropContainers, AddPropertyReturnsLengthAndStoresNodeType) {
  Block block;
  auto* first = new Param("a");
  auto* second = new Param("b");
  EXPECT_EQ(block.AddProperty(Block::PARAMETERS, first), 1);
  EXPECT_EQ(block.AddProperty(Block::PARAMETERS, second), 2);
  EXPECT_EQ(second->GetNodeType(), 3);
  // Tags are not checked on adding, and each sequence counts on its own.
  EXPECT_EQ(block.AddProperty(Block::DEPS, new Option("x")), 1);
  EXPECT_EQ(block.GetPropSeqRef(Block::PARAMETERS), (PropSeq{first, second}));
  EXPECT_EQ(first->GetOwner(), nullptr);  // adding does not set the owner

  // Null and unlisted NodeTypes are refused; the caller keeps the child.
  Category category;
  EXPECT_EQ(category.AddProperty(Category::PARAMETERS, nullptr), -1);
  auto stray = std::make_unique<Param>("stray");
  EXPECT_EQ(category.AddProperty(7, stray.get()), -1);
  EXPECT_TRUE(category.GetPropSeqRef(7).empty());
  EXPECT_EQ(category.DelPropSeq(7), 0);

  // An element has one sequence whatever the NodeType.
  Element element;
  EXPECT_EQ(element.AddProperty(1, new Param("a")), 1);
  EXPECT_EQ(element.AddProperty(5, new Param("b")), 2);
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
}

TEST(PropContainers, DelPropertyAndDelPropSeqResults) {
  Array array;
  array.AddProperty(Array::PROPERTIES, new Property("size"));
  array.AddProperty(Array::PARAMETERS, new Param("a"));
  auto* b = new Param("b");
  array.AddProperty(Array::PARAMETERS, b);
  Param outsider("c");

  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, "missing"), -1);
  EXPECT_EQ(array.GetPropSeqRef(Array::PARAMETERS).size(), 2u);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, static_cast<MdtBase::Property*>(nullptr)), -1);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, &outsider), 1);  // not ours: left alone
  EXPECT_EQ(array.DelProperty(Array::PROPERTIES, "a"), -1);       // only the sequence asked for
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, "A"), 0);
  EXPECT_EQ(array.DelProperty(Array::PARAMETERS, b), 0);
  EXPECT_TRUE(array.GetPropSeqRef(Array::PARAMETERS).empty());

  array.AddProperty(Array::PARAMETERS, new Param("d"));
  EXPECT_EQ(array.DelPropSeq(Array::PARAMETERS), 0);
  EXPECT_TRUE(array.GetPropSeqRef(Array::PARAMETERS).empty());
  EXPECT_EQ(array.GetPropSeqRef(Array::PROPERTIES).size(), 1u);
  EXPECT_EQ(array.AddProperty(Array::PARAMETERS, new Param("e")), 1);
}

// A block with every kind of child, each with a sub-property, and nested
// containers below; destroying it must free everything (the sanitizer build
// reports any leak).
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

TEST(PropContainers, ArrayInstAssignOwnerReachesElementParamsAndSkipsStrangers) {
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

  for (int r : {ArrayUtil::AssignOwner(nullptr), ArrayInstUtil::AssignOwner(nullptr),
                ElementUtil::AssignOwner(nullptr), BlockUtil::AssignOwner(nullptr),
                InterfaceUtil::AssignOwner(nullptr)})
    EXPECT_EQ(r, -1);
}

}  // namespace
}  // namespace TavSoftware

// Array instances: rows rebuilt from value text, and the interrupt-handler array.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "ArrayInstUtil.h"
#include "Element.h"
#include "ElementUtil.h"
#include "Param.h"
#include "TestSupport.h"

namespace TavSoftware {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows RowsOf(const ArrayInst& array) {
  Rows rows;
  for (const auto* element : array.GetPropSeqRef(ArrayInst::ELEMENTS)) {
    EXPECT_EQ(element->GetNodeType(), ArrayInst::ELEMENTS);
    std::vector<std::string> row;
    for (const auto* cell :
         static_cast<const Element*>(element)->GetPropSeqRef(Element::PARAMETERS)) {
      EXPECT_TRUE(cell->GetName().empty());  // columns get their names when merged
      row.push_back(cell->GetValueStr());
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(PropArrayInst, SetValueStrRebuildsRowsAndKeepsText) {
  struct Row {
    const char* text;
    Rows rows;
  };
  const Row cases[] = {
      {"((1,2),(3,4))", {{"1", "2"}, {"3", "4"}}},
      {"(x, y)", {{"x"}, {"y"}}},
      {"()", {}},
      {"( (a , b) , (c,d) )", {{"a", "b"}, {"c", "d"}}},
      {"(single)", {{"single"}}},
      {"((a,b,c),(d))", {{"a", "b", "c"}, {"d"}}},
      {"", {}},
      {"((1,,3))", {{"1", "", "3"}}},
      {"(0x10,\tfoo_bar ,baz)", {{"0x10"}, {"foo_bar"}, {"baz"}}},
  };
  // One array for all rows: each call must replace the rows of the one before.
  ArrayInst array;
  array.SetMdtValuePtr(new MdtBase::StrVal());
  for (const Row& c : cases) {
    EXPECT_EQ(array.SetValueStr(c.text), 0) << c.text;
    // Counted before the rows are built, from the text given.
    EXPECT_EQ(array.GetRowCount(), c.rows.size()) << c.text;
    array.SetMdtValuePtr(new MdtBase::StrVal("((other))"));
    EXPECT_EQ(RowsOf(array), c.rows) << c.text;
    EXPECT_EQ(array.GetRowCount(), c.rows.size()) << c.text;
    array.SetMdtValuePtr(new MdtBase::StrVal(c.text));
    EXPECT_EQ(array.GetValueStr(), c.text);
    // Through the base class the override is what runs.
    static_cast<MdtBase::NameValue&>(array).SetValueStr("(z)");
    EXPECT_EQ(RowsOf(array), (Rows{{"z"}})) << c.text;
  }

  ArrayInst bare;  // without a value object nothing changes
  bare.AddProperty(ArrayInst::ELEMENTS, new Element());
  EXPECT_EQ(bare.SetValueStr("((1,2))"), 1);
  EXPECT_EQ(bare.GetPropSeqRef(ArrayInst::ELEMENTS).size(), 1u);
}

// A quadratic walk (copying the rest of the text per item) takes minutes on
// this input; the cursor walk takes well under a second even instrumented.
TEST(PropArrayInst, SetValueStrIsLinearOnLargeValues) {
  const size_t kItems = 100000;
  std::string oneColumn = "(", rows = "(";
  const std::string filler(40, 'v');
  for (size_t i = 0; i < kItems; ++i) {
    if (i) {
      oneColumn += ", ";
      rows += ",";
    }
    oneColumn += filler + std::to_string(i);
    rows += "(" + std::to_string(i) + "," + filler + ")";
  }
  oneColumn += ")";
  rows += ")";

  ArrayInst array;
  array.SetMdtValuePtr(new MdtBase::StrVal());
  auto start = std::chrono::steady_clock::now();
  array.SetValueStr(oneColumn);
  ASSERT_EQ(array.GetPropSeqRef(ArrayInst::ELEMENTS).size(), kItems);
  array.SetValueStr(rows);
  ASSERT_EQ(array.GetPropSeqRef(ArrayInst::ELEMENTS).size(), kItems);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0);
  auto* last = static_cast<Element*>(array.GetPropSeqRef(ArrayInst::ELEMENTS).back());
  EXPECT_EQ(last->GetPropSeqRef(1)[0]->GetValueStr(), std::to_string(kItems - 1));
}

// ---------------------------------------------------------------------------
// Interrupt-handler array
// ---------------------------------------------------------------------------
class PropIntHandler : public tavtest::ScratchTest {
 protected:
  void SetUp() override {
    array.SetName("INTERRUPT_HANDLER");  // the name is matched ignoring case
    ArrayInstUtil::SetIntHandlerValue(&array, "Rx", "rx_isr");
    ArrayInstUtil::SetIntHandlerValue(&array, "Tx", "tx_isr");
  }
  const PropSeq& Elements() const { return array.GetPropSeqRef(ArrayInst::ELEMENTS); }
  ArrayInst array;
};

TEST_F(PropIntHandler, SetCreatesChangesAndRemovesRowsByPortIgnoringCase) {
  ASSERT_EQ(Elements().size(), 2u);
  const auto* row = static_cast<const Element*>(Elements()[0]);
  const PropSeq& cells = row->GetPropSeqRef(Element::PARAMETERS);
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0]->GetName(), "int_handler");
  EXPECT_EQ(cells[0]->GetValueStr(), "rx_isr");
  EXPECT_EQ(cells[1]->GetName(), "int_port");
  EXPECT_EQ(cells[1]->GetValueStr(), "Rx");
  EXPECT_EQ(row->GetNodeType(), ArrayInst::ELEMENTS);
  // The new row joins the tree: its array owns it, it owns its cells.
  EXPECT_EQ(row->GetOwner(), &array);
  EXPECT_EQ(cells[0]->GetOwner(), row);

  EXPECT_EQ(ArrayInstUtil::GetElementForIntPortByName(&array, "TX"), Elements()[1]);
  EXPECT_EQ(ArrayInstUtil::GetElementForIntPortByName(&array, "Nope"), nullptr);
  ArrayInstUtil::SetIntHandlerValue(&array, "RX", "other_isr");
  EXPECT_EQ(Elements().size(), 2u);
  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(&array, "rX"), "other_isr");
  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(&array, "Nope"), "");

  ArrayInstUtil::SetIntHandlerValue(&array, "Nope", "");  // no row, no handler: nothing
  EXPECT_EQ(Elements().size(), 2u);
  ArrayInstUtil::SetIntHandlerValue(&array, "rx", "");
  ASSERT_EQ(Elements().size(), 1u);
  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(&array, "Rx"), "");
  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(&array, "Tx"), "tx_isr");
}

TEST_F(PropIntHandler, OtherArraysAndNullAreLeftAlone) {
  ArrayInst other;
  other.SetName("interrupt_handlers");
  ArrayInstUtil::SetIntHandlerValue(&other, "Rx", "rx_isr");
  EXPECT_TRUE(other.GetPropSeqRef(ArrayInst::ELEMENTS).empty());
  // Even with a matching row, only the interrupt-handler array answers.
  auto* row = new Element();
  ArrayInstUtil::CreateElementForIntPortIntHandler(row, "h", "Rx");
  other.AddProperty(ArrayInst::ELEMENTS, row);
  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(&other, "Rx"), "");
  EXPECT_EQ(ArrayInstUtil::GetElementForIntPortByName(&other, "Rx"), row);

  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(nullptr, "Rx"), "");
  ArrayInstUtil::SetIntHandlerValue(nullptr, "Rx", "h");
  ArrayInstUtil::CreateElementForIntPortIntHandler(nullptr, "h", "p");
  EXPECT_EQ(ArrayInstUtil::GetElementForIntPortByName(nullptr, "Rx"), nullptr);
  EXPECT_EQ(ArrayInstUtil::GetElementByIndex(nullptr, 0), nullptr);
}

TEST_F(PropIntHandler, RowWithoutHandlerCellGetsOne) {
  auto* row = new Element();
  auto* port = new Param("int_port");
  port->SetMdtValuePtr(new MdtBase::StrVal("Err"));
  row->AddProperty(Element::PARAMETERS, port);
  array.AddProperty(ArrayInst::ELEMENTS, row);
  ArrayInstUtil::SetIntHandlerValue(&array, "err", "err_isr");
  EXPECT_EQ(ArrayInstUtil::GetIntHandlerValue(&array, "ERR"), "err_isr");
  EXPECT_EQ(Elements().size(), 3u);
}

TEST_F(PropIntHandler, GetElementByIndexRefusesEveryIndexOutsideTheRows) {
  const std::pair<int, int> cases[] = {{0, 0},  {1, 1},   {2, -1},  // slot -1: null
                                       {3, -1}, {-1, -1}, {-2147483647 - 1, -1}};
  for (const auto& [index, slot] : cases) {
    EXPECT_EQ(ArrayInstUtil::GetElementByIndex(&array, index),
              slot < 0 ? nullptr : Elements()[static_cast<size_t>(slot)])
        << index;
  }
}

TEST_F(PropIntHandler, CheckDupIntPortReportsExactError) {
  EXPECT_EQ(ElementUtil::CheckDupIntPort(Elements(), "Uart"), 0);
  EXPECT_TRUE(msgs.Messages().empty());
  EXPECT_EQ(ElementUtil::CheckDupIntPort(Elements(), "tX"), -1);
  ASSERT_EQ(msgs.Messages().size(), 1u);
  EXPECT_EQ(msgs.Messages()[0].severity, MsgSeverity::kError);
  EXPECT_EQ(msgs.Messages()[0].text, "Interrupt Handler for interrupt port tX is already added\n");
  // Non-element entries are skipped rather than misread.
  Param loose("int_port");
  loose.SetValueStr("tX");
  EXPECT_EQ(ElementUtil::CheckDupIntPort(PropSeq{nullptr, &loose}, "tX"), 0);
}

}  // namespace
}  // namespace TavSoftware

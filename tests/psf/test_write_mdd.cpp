// The MDD listing writer and the instance printers and type checks that the
// MSS writer is built from.
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ArrayInst.h"
#include "Block.h"
#include "DrvInstUtil.h"
#include "Element.h"
#include "Interface.h"
#include "LibInst.h"
#include "LibInstUtil.h"
#include "Mdd.h"
#include "MddUtil.h"
#include "Option.h"
#include "OsInst.h"
#include "Param.h"
#include "ProcInstUtil.h"
#include "SwPropertyUtil.h"
#include "WriteMdd.h"
#include "test_mdd_support.h"

namespace TavSoftware {
namespace {

namespace fs = std::filesystem;

template <class T>
T* Named(const char* name, const char* value) {
  auto* p = new T();
  p->SetName(name);
  p->SetValueStr(value);
  return p;
}

class WriteMddTest : public tavtest::ScratchTest {
 protected:
  void Fill(Mdd& mdd) {
    mdd.AddProperty(Mdd::PARAMETERS, Named<Param>("C_BASEADDR", "0x40600000"));
    mdd.AddProperty(Mdd::PARAMETERS, Named<Param>("C_BAUD", "9600"));
    mdd.AddProperty(Mdd::OPTIONS, Named<Option>("DRC", "uart_drc"));
    mdd.AddProperty(Mdd::BLOCKS, new Block());
    mdd.AddProperty(Mdd::BLOCKS, new Block());
    mdd.AddProperty(Mdd::INTERFACES, Named<Interface>("stdio", ""));
  }
};

TEST_F(WriteMddTest, ListsParametersOptionsAndCountsAndStampsOnlyWhenAsked) {
  Mdd mdd;
  Fill(mdd);
  const std::string out = dir / "uart.mdd";
  ASSERT_EQ(0, WriteMdd::Write(out, static_cast<const Mdd*>(&mdd)));
  EXPECT_EQ(
      "\n# Parameters\n\n PARAMETER C_BASEADDR = 0x40600000\n PARAMETER C_BAUD = 9600\n"
      "\n# Options\n\n OPTION DRC = uart_drc\n"
      "\n# Blocks\n\n\n\n"
      "\n# Interfaces \n\n\n"
      "\n# Arrays \n\n",
      tavtest::ReadFile(out));
  const auto& params = mdd.GetPropSeqRef(Mdd::PARAMETERS);
  EXPECT_EQ(0, params[0]->GetLineNum());  // the read-only form does not stamp

  ASSERT_EQ(0, MddUtil::Write(out, &mdd));
  EXPECT_EQ(out, params[0]->GetFileNameStr());
  EXPECT_EQ(4, params[0]->GetLineNum());
  EXPECT_EQ(5, params[1]->GetLineNum());
  EXPECT_EQ(9, mdd.GetPropSeqRef(Mdd::OPTIONS)[0]->GetLineNum());
  EXPECT_EQ(0, mdd.GetPropSeqRef(Mdd::BLOCKS)[0]->GetLineNum());  // not written, not stamped
}

TEST_F(WriteMddTest, RefusalsAndFailures) {
  Mdd mdd;
  Fill(mdd);
  EXPECT_EQ(1, WriteMdd::Write(nullptr, &mdd, 1));
  EXPECT_EQ(1, WriteMdd::Write(String(), static_cast<const Mdd*>(&mdd)));
  EXPECT_EQ(-1, WriteMdd::Write(dir / "x.mdd", static_cast<Mdd*>(nullptr), 0));
  EXPECT_TRUE(msgs.Messages().empty());

  const std::string target = dir / "missing/uart.mdd";
  EXPECT_EQ(2, MddUtil::Write(target, &mdd));
  EXPECT_EQ(
      std::vector<std::string>{"MDD file \"" + target + "\" could not be opened for writing\n"},
      msgs.Texts(MsgSeverity::kStatus));
  EXPECT_EQ(0, mdd.GetPropSeqRef(Mdd::PARAMETERS)[0]->GetLineNum());
  EXPECT_TRUE(mdd.GetPropSeqRef(Mdd::PARAMETERS)[0]->GetFileNameStr().empty());
}

// ---------------------------------------------------------------------------
// Type checks of the instance utilities: the exact most derived tag only.
// ---------------------------------------------------------------------------
TEST(InstUtilVerifyPropType, AcceptsOnlyTheTagOfTheSequence) {
  Option option;
  Param param;
  ArrayInst array;
  Interface iface;
  Element element;  // a property of the family, but never a child of an instance
  MdtBase::Property untagged;
  const MdtBase::Property* kinds[] = {&option, &param, &array, &iface};
  for (int nodeType = -1; nodeType <= 4; ++nodeType) {
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(nodeType * 10 + k);
      EXPECT_EQ(nodeType == k, DrvInstUtil::VerifyPropType(nodeType, kinds[k]));
      EXPECT_EQ(nodeType == k, LibInstUtil::VerifyPropType(nodeType, kinds[k]));
      EXPECT_EQ(nodeType == k && k != 3, ProcInstUtil::VerifyPropType(nodeType, kinds[k]));
    }
    EXPECT_FALSE(DrvInstUtil::VerifyPropType(nodeType, &element));
    EXPECT_FALSE(DrvInstUtil::VerifyPropType(nodeType, &untagged));
    EXPECT_FALSE(LibInstUtil::VerifyPropType(nodeType, nullptr));
    EXPECT_FALSE(ProcInstUtil::VerifyPropType(nodeType, nullptr));
  }
  EXPECT_FALSE(DrvInstUtil::VerifyPropType(1000, &param));
}

// ---------------------------------------------------------------------------
// Printers, written into a string.
// ---------------------------------------------------------------------------
std::string Print(const std::function<void(MdtBase::UtStreamWriter*)>& print) {
  std::ostringstream text;
  MdtBase::UtStreamWriter writer(text);
  print(&writer);
  return text.str();
}

TEST(SwPropertyUtilPrint, ArrayAndInterfaceEdgeCases) {
  ArrayInst unnamed;
  unnamed.SetMdtValuePtr(new MdtBase::StrVal());
  unnamed.SetValueStr("(1,2)");
  EXPECT_EQ("", Print([&](auto* w) { SwPropertyUtil::PrintArrayInst(&unnamed, "ARRAYINST", w); }));

  ArrayInst mixed;
  mixed.SetName("Mixed");
  mixed.GetComment().AddLine("rows");
  mixed.AddProperty(ArrayInst::ELEMENTS, new Element());  // an empty row stays a row
  auto* row = new Element();
  row->AddProperty(Element::PARAMETERS, Named<Param>("a", "1"));
  row->AddProperty(Element::PARAMETERS, Named<Param>("b", ""));
  mixed.AddProperty(ArrayInst::ELEMENTS, row);
  auto* single = new Element();
  single->AddProperty(Element::PARAMETERS, Named<Param>("a", "3"));
  mixed.AddProperty(ArrayInst::ELEMENTS, single);
  // Rows of other lengths keep their parentheses, but for a last row of one
  // value; an empty last value keeps its own comma, so the text reads back
  // into the same rows.
  EXPECT_EQ("# rows\n PARAMETER Mixed = ((),(1,,),3)\n",
            Print([&](auto* w) { SwPropertyUtil::PrintArrayInst(&mixed, "", w); }));
  ArrayInst back;
  back.SetMdtValuePtr(new MdtBase::StrVal());
  back.SetValueStr("((),(1,,),3)");
  EXPECT_EQ("()(1,)(3)", tavtest::ArrayRows(back));

  // Which single rows go bare, and that each text reads back as written.
  const std::pair<std::vector<std::vector<std::string>>, std::string> layouts[] = {
      {{{"1", "2"}, {"3"}}, "((1,2),3)"},
      {{{"1", "2"}, {"3"}, {"4"}}, "((1,2),(3),4)"},
      {{{"3"}, {"1", "2"}}, "((3),(1,2))"},
      {{{"1", "2"}, {""}}, "((1,2),(,))"},
      {{{"1", "2"}, {"(x"}}, "((1,2),( (x))"},
      {{{"1"}, {"2"}}, "(1,2)"},
  };
  for (const auto& [cells, text] : layouts) {
    ArrayInst a;
    a.SetName("a");
    std::string rows;
    for (const auto& r : cells) {
      auto* e = new Element();
      rows += "(";
      for (size_t i = 0; i < r.size(); ++i) {
        e->AddProperty(Element::PARAMETERS, Named<Param>(("c" + std::to_string(i)).c_str(), r[i].c_str()));
        rows += (i ? "," : "") + r[i];
      }
      rows += ")";
      a.AddProperty(ArrayInst::ELEMENTS, e);
    }
    EXPECT_EQ(" PARAMETER a = " + text + "\n",
              Print([&](auto* w) { SwPropertyUtil::PrintArrayInst(&a, "", w); }));
    ArrayInst read;
    read.SetMdtValuePtr(new MdtBase::StrVal());
    read.SetValueStr(text);
    EXPECT_EQ(rows, tavtest::ArrayRows(read)) << text;
  }

  ArrayInst empty;
  empty.SetName("e");
  EXPECT_EQ(" PARAMETER e = ()\n",
            Print([&](auto* w) { SwPropertyUtil::PrintArrayInst(&empty, "", w); }));

  PropSeq ifaces = {Named<Interface>("", ""), Named<Interface>("named", "")};
  ifaces[0]->GetComment().AddLine("lost with its nameless interface");
  EXPECT_EQ(" INTERFACE named\n",
            Print([&](auto* w) { SwPropertyUtil::PrintInterfaceList(ifaces, "", w); }));
  for (auto* p : ifaces) delete p;
}

TEST(LibInstUtilPrint, FileSysBlockAndKinds) {
  LibInst lib;
  lib.GetComment().AddLine("lib comment");
  EXPECT_EQ("BEGIN FILESYS\nEND\n", Print([&](auto* w) { LibInstUtil::PrintFileSys(&lib, w); }));
  lib.SetName("tavfs");
  lib.CreateAddPropertySetValue(LibInst::PARAMETERS, "PROC_INSTANCE", "cpu_0");
  EXPECT_EQ(
      "BEGIN FILESYS\n PARAMETER FILESYS_NAME = tavfs\n PARAMETER PROC_INSTANCE = cpu_0\nEND\n",
      Print([&](auto* w) { LibInstUtil::PrintFileSys(&lib, w); }));

  OsInst os;
  os.SetName("sa");
  EXPECT_EQ("BEGIN OS\n PARAMETER OS_NAME = sa\nEND\n",
            Print([&](auto* w) { LibInstUtil::PrintLibInst(&os, "", w); }));
  EXPECT_EQ(
      "# lib comment\nBEGIN LIBRARY\n PARAMETER LIBRARY_NAME = tavfs\n"
      " PARAMETER PROC_INSTANCE = cpu_0\nEND\n",
      Print([&](auto* w) { LibInstUtil::PrintLibInst(&lib, "", w); }));
  EXPECT_EQ("", Print([&](auto* w) { LibInstUtil::PrintLibInst(nullptr, "library", w); }));
}

}  // namespace
}  // namespace TavSoftware

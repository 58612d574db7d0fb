// Operations on the properties of software instances: the kinds of property,
// the merge of a definition's entries with an instance's into a runtime
// component (options, parameters, blocks, categories, arrays, interfaces),
// and printing array values and interfaces as MSS lines.
//
// Every merge operation creates new nodes and appends them directly to the
// output sequence, which owns them from then on; the caller sets owners and
// NodeTypes afterwards (the instance utilities' AssignOwner). The results are
// error counts: the sums of the base-library copy and merge results and of
// the problems reported.
#ifndef TAVSOFTWARE_SWPROPERTYUTIL_H
#define TAVSOFTWARE_SWPROPERTYUTIL_H

#include "SwTypes.h"

namespace TavSoftware {

class Array;
class ArrayInst;
class Block;
class Category;
class DrvInst;
class Interface;
class LibInst;
class Mdd;

class TAVSW_API SwPropertyUtil {
 public:
  SwPropertyUtil() = delete;

  // --- Kinds ---------------------------------------------------------------
  // The type tag of a keyword ("PARAM", "ARRAYINST", "ARRAY", "INTERFACE",
  // "OPTION", "BLOCK", "CATEGORY", ignoring case); empty for any other.
  static String GetPropertyClass(const String& keyword);
  // The keyword of one of those type tags (ignoring case); empty otherwise.
  static String GetPropertyType(const String& tag);
  // A new empty node for a keyword or type tag: Param (also "PARAMETER"),
  // ArrayInst (also for "ARRAY"), Interface, Option, Property, Element,
  // Function. Null for "BLOCK", "CATEGORY" and anything else. The caller
  // owns it.
  static MdtBase::Property* CreateDerivedProperty(const String& kind);

  // --- Options and parameters ----------------------------------------------
  // Merges the definition entries `defs` with the instance entries `inst`
  // into `out`: one new node per definition entry, in definition order,
  // holding the instance's value when the instance sets it and (with
  // `evalDeps`) its "dep" condition holds; a parameter whose condition fails
  // is left out with a warning. Without `evalDeps` the defaults stand. A
  // merged "PARAMETER" the instance sets gets a child "MSS_VALUE" with the
  // instance's text. Then the instance's identity parameters that `out`
  // lacks are carried over; other undeclared entries are left out.
  static int CreateMergedPropertyList(const PropSeq& defs, const PropSeq& inst, PropSeq& out,
                                      const String& kind, bool evalDeps);
  // Appends a copy of every entry of `src` to `dst`. `kind` is unused.
  static int CreateMergedPropertyList(const PropSeq& src, PropSeq& dst, const String& kind);
  // True when every entry (name = value) of the condition list of `dep`
  // holds, each name looked up in `first`, then `second`, the values
  // compared ignoring case. True without a value; false for a name found in
  // neither list.
  static bool EvalDepCond(const MdtBase::PsfComp* dep, const PropSeq& first,
                          const PropSeq& second);

  // --- Blocks of a driver definition ---------------------------------------
  // Whether the block takes part in the merge into `out`: its first Dep
  // names a parameter of `out` whose merged value, read as an integer,
  // equals the condition's. A block without a Dep is included; a condition
  // without a name or value is an error and excludes the block; a value that
  // is not an integer excludes it silently.
  static bool IsBlockIncluded(const Block* block, const DrvInst* inst, const DrvInst* out);
  // The same for an unmerged instance: the condition's text compared with
  // the instance's parameter, else the definition's default.
  static bool IsBlockIncluded(const Block* block, const DrvInst* inst, const Mdd* mdd);
  // Appends the block's options, parameters, interfaces and arrays, merged
  // with the instance's, to `out`.
  static int MergeBlock(const Block* block, const DrvInst* inst, DrvInst* out);
  // MergeBlock for every included block, in order. `kind` is unused.
  static int MergeBlockList(const PropSeq& blocks, const DrvInst* inst, DrvInst* out,
                            const String& kind);

  // --- Categories of a library or OS definition ----------------------------
  // Whether the category is selected for the instance (and then marks it
  // included). False with `reason` 1 when its selection parameter is
  // "false" in the MSS, or unset there with the default "false"; false with
  // `reason` 5 when the selection parameter's condition fails. A category
  // without a selection parameter counts as included. `categories` is unused.
  static bool IsCategoryIncluded(Category* category, const PropSeq& categories,
                                 const LibInst* inst, const LibInst* out, int& reason);
  // Appends the category's options, parameters and arrays to `out`: merged
  // with the instance's values when `included`, else with the defaults
  // only (the MSS text kept under "MSS_VALUE").
  static int MergeCategory(const Category* category, const LibInst* inst, LibInst* out,
                           bool included);
  // MergeCategory for every category, in order, reporting the instance
  // values an ignored one throws away. `kind` is unused.
  static int MergeCategoryList(const PropSeq& categories, const LibInst* inst, LibInst* out,
                               const String& kind);
  // Reports (information header, then one warning per entry) the parameters
  // and array values the instance sets in an ignored category.
  static void PrintCategWarnMsg(const Category* category, const LibInst* inst, int reason);

  // --- Arrays --------------------------------------------------------------
  // Merges the array definitions `defs` with the instance's array values
  // `inst` into `out`; `owner` is the component being built, whose
  // parameters name array sizes. An array the instance does not set is
  // built from its defaults, or left out when its size is absent or 0.
  // Undeclared array values are left out. `kind` is unused.
  static int CreateMergedArrayInstList(const PropSeq& defs, const PropSeq& inst, PropSeq& out,
                                       MdtBase::PsfComp* owner, const String& kind);
  // Appends a copy (CopyArrayInst) of every array value of `src` to `dst`.
  static int CreateMergedArrayInstList(const PropSeq& src, PropSeq& dst, MdtBase::PsfComp* owner,
                                       const String& kind);
  // Builds `out` from the definition `def` and the MSS rows of `mssArray`:
  // fields paired with columns by position (missing fields take the
  // column's default), rows with more fields than columns dropped with an
  // error (counted), the size fixed to the number of MSS rows or the rows
  // filled up to the declared size from the default initialisers. A
  // negative declared size counts as 0.
  static int MergeArrayInst(const Array* def, const ArrayInst* mssArray, ArrayInst* out);
  // Builds `out` from the definition alone, with as many rows as its size
  // says (a size parameter is looked up in `owner`). `keep` becomes 0 when
  // the array should be left out (no size, or a size of 0).
  static int CopyBaseArrayDefaults(const Array* def, ArrayInst* out, MdtBase::PsfComp* owner,
                                   int& keep);
  // Builds `out` from the definition with plain column copies (no
  // defaults); a size that cannot be had counts as 1 with a warning.
  static int CopyBaseArray(const Array* def, ArrayInst* out, MdtBase::PsfComp* owner);
  // Gives each field of each row that `defaultProperty` initialises a child
  // "default" holding the initialiser's text. Values are not changed.
  static void UpdateArrayDefaults(ArrayInst* array, const MdtBase::Property* defaultProperty);
  // `dst` takes the name, copies of the attributes and of every element.
  static int CopyArrayInst(const ArrayInst* src, ArrayInst* dst);
  // Appends a copy of every element of `src` to `dst`.
  static int CopyElements(const PropSeq& src, PropSeq& dst);
  // The i-th node of a list-of-nodes value; null otherwise or out of range.
  static MdtBase::BaseNode* GetDefaultValueForIndex(const MdtBase::MdtValue* value, int i);
  // The j-th word of a word-list row, the text of a string row (whatever
  // j is), else empty.
  static String GetParamValForIndex(const MdtBase::BaseNode* row, int j);

  // --- Interfaces ----------------------------------------------------------
  // One interface per definition, in order, with the definition's
  // properties and functions (and, when the instance has it, the instance
  // interface's location). Undeclared instance interfaces are left out.
  static int CreateMergedInterfaceList(const PropSeq& defs, const PropSeq& inst, PropSeq& out,
                                       const String& kind);
  // Appends a copy of every interface of `src` to `dst`.
  static int CreateMergedInterfaceList(const PropSeq& src, PropSeq& dst, const String& kind);
  static int MergeInterface(const Interface* def, const Interface* mssInterface, Interface* out);
  static int CopyBaseInterface(const Interface* src, Interface* dst);

  // Writes an array value as one MSS line after its comment lines ("# "):
  // " PARAMETER name = ((a,b),(c,d))" for elements of several values,
  // " PARAMETER name = (a,b,c)" for elements of one value, "()" for none.
  // The MSS reader turns the line back into the same elements.
  // Nothing for an array without a name, a null array or a null writer.
  // `keyword` is accepted for symmetry with the other printers and unused.
  static void PrintArrayInst(const ArrayInst* arrayInst, const String& keyword,
                             MdtBase::UtStreamWriter* writer);
  // PrintArrayInst for every member of `seq` that is an ArrayInst.
  static void PrintArrayInstList(const PropSeq& seq, const String& keyword,
                                 MdtBase::UtStreamWriter* writer);

  // Writes an interface: its comment lines ("# "), " INTERFACE name", one
  // " PROPERTY name = value" line per property and one " FUNCTION name =
  // value" line per function. Nothing for an interface without a name, a
  // null interface or a null writer. `keyword` is unused.
  static void PrintInterface(const Interface* iface, const String& keyword,
                             MdtBase::UtStreamWriter* writer);
  // PrintInterface for every member of `seq` that is an Interface.
  static void PrintInterfaceList(const PropSeq& seq, const String& keyword,
                                 MdtBase::UtStreamWriter* writer);
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWPROPERTYUTIL_H

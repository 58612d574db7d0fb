#include "runtime/RuntimeCommon.h"

#include "DrvInst.h"
#include "LibInst.h"

namespace TavSoftware::rt {

bool InNames(std::string_view name, std::initializer_list<const char*> names) {
  // Asked for every entry merged or checked, against lists of a few names
  // that mostly differ in their first letter: that letter decides most.
  const int first = name.empty() ? 0 : String::Lower(static_cast<unsigned char>(name[0]));
  for (const char* n : names)
    if (String::Lower(static_cast<unsigned char>(*n)) == first && Eq(name, n)) return true;
  return false;
}

const DrvInst* AsDrvInst(const MdtBase::BaseNode* node) {
  return MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_DrvInst")
             ? static_cast<const DrvInst*>(node)
             : nullptr;
}
DrvInst* AsDrvInst(MdtBase::BaseNode* node) {
  return const_cast<DrvInst*>(AsDrvInst(static_cast<const MdtBase::BaseNode*>(node)));
}
const LibInst* AsLibInst(const MdtBase::BaseNode* node) {
  return MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_LibInst")
             ? static_cast<const LibInst*>(node)
             : nullptr;
}
LibInst* AsLibInst(MdtBase::BaseNode* node) {
  return const_cast<LibInst*>(AsLibInst(static_cast<const MdtBase::BaseNode*>(node)));
}

const PropSeq& InstSeq(const MdtBase::BaseNode* comp, int nodeType) {
  static const PropSeq kEmpty;
  if (const DrvInst* d = AsDrvInst(comp)) return d->GetPropSeqRef(nodeType);
  if (const LibInst* l = AsLibInst(comp)) return l->GetPropSeqRef(nodeType);
  return kEmpty;
}

PropSeq* InstSeqMutable(MdtBase::BaseNode* comp, int nodeType) {
  if (DrvInst* d = AsDrvInst(comp)) return &d->GetPropSeqRef(nodeType);
  if (LibInst* l = AsLibInst(comp)) return &l->GetPropSeqRef(nodeType);
  return nullptr;
}

String InstParamValue(const MdtBase::BaseNode* comp, const String& name) {
  const MdtBase::Property* p = MdtBase::PropertyUtil::GetPropertyByName(InstSeq(comp, 1), name, 0);
  return p ? p->GetValueStr() : String();
}

bool IsDriverComp(const MdtBase::BaseNode* node) {
  return MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_DrvInst") &&
         !MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_ProcInst");
}

bool IsLibraryComp(const MdtBase::BaseNode* node) {
  return MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_LibInst") &&
         !MdtBase::BaseNode::IsBaseNodeType(node, "TavSoftware_OsInst");
}

std::vector<String> ValueWords(const MdtBase::MdtValue* value) {
  std::vector<String> out;
  if (!value) return out;
  if (MdtBase::BaseNode::IsBaseNodeType(value, "MdtBas_ListStrVal"))
    return static_cast<const MdtBase::ListStrVal*>(value)->GetList();
  // Values built by hand or copied from an MSS hold plain text.
  String text = value->GetValueStr();
  text.ReplaceChars("()", ' ');
  MdtBase::ListStrVal list(text, ", \t");
  return list.GetList();
}

String CoreDirName(const String& name, const String& version) {
  if (version.empty()) return name;
  String v = version;
  v.ReplaceChars(".", '_');
  while (!v.empty() && v.back() == '_') v.pop_back();
  return name + "_v" + v;
}

String DirWithSlash(const String& dir) {
  if (dir.empty() || dir.back() == Port::FileName::GetPathSeparator()) return dir;
  return dir + Port::FileName::GetPathSeparator();
}

void CopyCompBase(const MdtBase::PsfComp* src, MdtBase::PsfComp* dst) {
  if (!src || !dst || src == dst) return;
  dst->MdtBase::NameValue::SetName(src->GetName());
  dst->SetMdtValuePtr(src->GetMdtValuePtr() ? src->GetMdtValuePtr()->Clone() : nullptr);
  dst->SetComment(src->GetComment());
  dst->SetFileNameShared(src->GetSharedFileName());
  dst->SetLineNum(src->GetLineNum());
  dst->SetLocInFile(src->GetLocInFile());
}

void StampNodeTypes(PropSeq& seq, int nodeType) {
  for (MdtBase::Property* p : seq)
    if (p) p->SetNodeType(nodeType);
}

}  // namespace TavSoftware::rt

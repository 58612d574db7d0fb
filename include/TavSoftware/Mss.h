// The software description of one system (MSS file) in memory.
#ifndef TAVSOFTWARE_MSS_H
#define TAVSOFTWARE_MSS_H

#include <memory>

#include "SwTypes.h"

namespace TavSoftware {

struct MssImp;

// Owns the entries of sequences 1 to 6 and destroys them with itself; the
// entries of sequence 0 are only referred to. The name of an Mss is the base
// name of its file. Changes are announced through NotifyPropertyChanged()
// when notification is enabled on the node.
class TAVSW_API Mss : public MdtBase::PsfFile {
 public:
  enum NodeType {
    UNOWNED = 0,     // components referred to, not owned
    PARAMETERS = 1,  // file-level parameters ("VERSION")
    ARRAYS = 2,      // file-level array values
    DRIVERS = 3,     // DrvInst
    LIBRARIES = 4,   // LibInst
    OSES = 5,        // OsInst
    PROCESSORS = 6   // ProcInst
  };

  Mss();
  ~Mss() override;

  // The sequence of `nodeType`; an unlisted value gives an empty scratch
  // sequence that keeps nothing.
  PsfCompSeq& GetPsfCompSeqRef(int nodeType);
  const PsfCompSeq& GetPsfCompSeqRef(int nodeType) const;
  // First entry of that name (ignoring case); null when absent.
  MdtBase::PsfComp* GetPsfCompByName(int nodeType, const String& name);
  const MdtBase::PsfComp* GetPsfCompByName(int nodeType, const String& name) const;
  // Its value text; empty when absent.
  String GetPsfCompValueStr(int nodeType, const String& name) const;

  // Appends `comp` and sets its NodeType; a processor instance
  // ("TavSoftware_ProcInst") offered as a driver goes to PROCESSORS instead.
  // Takes ownership except for UNOWNED. Returns the new length of the
  // sequence it went to; -1 for null or an unlisted NodeType (the caller
  // keeps it). Announces.
  int AddPsfComp(int nodeType, MdtBase::PsfComp* comp);
  // Removes `comp` (with the same diversion of processor instances) and
  // destroys it unless the sequence is UNOWNED: 0 (announced); 1 when it is
  // not in the sequence or null.
  int DelPsfComp(int nodeType, MdtBase::PsfComp* comp);
  // The same, by name (ignoring case); -1 when no such entry.
  int DelPsfComp(int nodeType, const String& name);
  // Empties the sequence, destroying its entries unless it is UNOWNED; 0.
  // Announces.
  int DelPsfCompSeq(int nodeType);

  // Sets the name and makes it the base name of the file name, keeping the
  // directory and the extension. Announces.
  void SetName(const String& name) override;
  // Sets the file name and takes its base name as the name. Announces.
  void SetFileName(const String& fileName) override;
  void SetFileName(const Port::FileName& fileName);
  void SetFileName(const char* fileName);

 private:
  std::unique_ptr<MssImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_MSS_H

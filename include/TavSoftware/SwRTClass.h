// The runtime software model: the merged components of one system, indexed
// by kind, and the hardware database they were checked against.
#ifndef TAVSOFTWARE_SWRTCLASS_H
#define TAVSOFTWARE_SWRTCLASS_H

#include <boost/shared_ptr.hpp>
#include <memory>

#include "HwDb.h"
#include "Mss.h"

namespace TavSoftware {

struct SwRTClassImp;

// Owns the components added as processors, drivers, libraries and OSs (they
// stand in the Mss sequences 6, 3, 4, 5); a component of any other kind is
// only indexed. Keeps the hardware database alive.
class TAVSW_API SwRTClass : public Mss {
 public:
  enum NodeType {
    OTHERS = 0,      // anything else (not owned)
    PROCESSORS = 1,  // Processor
    DRIVERS = 2,     // Driver
    LIBRARIES = 3,   // Library
    OSES = 4         // OsInst
  };

  SwRTClass();
  ~SwRTClass() override;

  // Classifies `nv` by its exact most derived type tag
  // ("TavSoftware_Processor" 1, "TavSoftware_Driver" 2, "TavSoftware_Library"
  // 3, "TavSoftware_OsInst" 4, anything else 0), adds it to the Mss sequence
  // of that kind (6, 3, 4, 5; 0 for the rest, not owned), appends it to the
  // index and gives it the kind as its NodeType. Returns the kind; -1 for
  // null (nothing added).
  int AddNameValue(MdtBase::NameValue* nv);
  // The index of one kind (not owning); an unlisted kind gives an empty
  // scratch sequence.
  NVSeq& GetNameValueSeqRef(int nodeType);
  const NVSeq& GetNameValueSeqRef(int nodeType) const;
  // First indexed component of that kind and name (ignoring case); null when none.
  MdtBase::NameValue* GetNameValueByName(int nodeType, const String& name) const;

  // A copy of the shared pointer (may be null).
  boost::shared_ptr<TavHwDb::HwDb> GetHwDbPtr() const;
  // Keeps `hwDb`; the previous database is released.
  void SetHwDbPtr(const boost::shared_ptr<TavHwDb::HwDb>& hwDb);

  // The MSS the model was built from, when the model read it itself (the
  // components point into it). The model takes ownership; null releases
  // nothing. Destroyed with the model.
  void AdoptSourceMss(Mss* mss);
  // That MSS, or null when the caller keeps the source.
  const Mss* GetSourceMss() const;
  // Keeps a node the model made outside its Mss sequences (the update
  // stage's processors, OS objects and per-processor drivers) until the
  // model is destroyed: pointers handed out stay valid across repeated
  // updates. Takes ownership; null is ignored.
  void Adopt(MdtBase::BaseNode* node);

 private:
  std::unique_ptr<SwRTClassImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_SWRTCLASS_H

// A processor of the runtime model, with the drivers, libraries and OS that
// the model organises under it.
#ifndef TAVSOFTWARE_PROCESSOR_H
#define TAVSOFTWARE_PROCESSOR_H

#include <memory>
#include <vector>

#include "ProcInst.h"

namespace TavSoftware {

class Driver;
class Library;
class OsInst;
struct ProcessorImp;

// The driver and library lists and the OS are links; the processor owns none
// of them.
class TAVSW_API Processor : public ProcInst {
 public:
  Processor();
  ~Processor() override;

  std::vector<Driver*>& GetDriverSeqRef();
  const std::vector<Driver*>& GetDriverSeqRef() const;
  std::vector<Library*>& GetLibrarySeqRef();
  const std::vector<Library*>& GetLibrarySeqRef() const;

  // The hardware instance of the processor; empty at first.
  const String& GetHwInstance() const;
  void SetHwInstance(const String& inst);

  // The OS running on it (not owned); null at first.
  OsInst* GetOsInstance() const;
  void SetOsInstance(OsInst* os);

  // First entry whose name equals `name` exactly (with case); null when none.
  Driver* GetDriverByName(const String& name);
  const Driver* GetDriverByName(const String& name) const;
  Library* GetLibraryByName(const String& name);
  const Library* GetLibraryByName(const String& name) const;

 private:
  std::unique_ptr<ProcessorImp> imp_;
};

}  // namespace TavSoftware

#endif  // TAVSOFTWARE_PROCESSOR_H

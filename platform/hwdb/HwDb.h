// Hardware database interface. The software database only calls these ten
// operations; the hardware side (a sibling library) implements them. They
// only read, and are asked from one thread at a time.
#ifndef TAVSOFTWARE_HWDB_H
#define TAVSOFTWARE_HWDB_H

#include <string>
#include <vector>

#include "Export.h"

namespace TavHwDb {

class TAVSW_API HwDb {
 public:
  virtual ~HwDb();

  // Names of all processor instances.
  virtual std::vector<std::string> GetProcessorInstNames() const = 0;
  // IP type (core name) of a processor instance; empty when unknown.
  virtual std::string GetProcessorIpType(const std::string& procInst) const = 0;
  // IP version of a processor instance, for example "1.00.a".
  virtual std::string GetProcessorIpVersion(const std::string& procInst) const = 0;
  // Names of all IP instances in the hardware.
  virtual std::vector<std::string> GetAllInstNames() const = 0;
  virtual bool IsInstPresent(const std::string& inst) const = 0;
  // IP type of an instance; empty when there is no such instance.
  virtual std::string GetIpType(const std::string& inst) const = 0;
  virtual std::string GetIpVersion(const std::string& inst) const = 0;
  // IP class; "PROCESSOR" marks a processor.
  virtual std::string GetIpClass(const std::string& inst) const = 0;
  // Instances addressable by a processor (its peripherals); an entry may be empty.
  virtual std::vector<std::string> GetAddressableInstNames(const std::string& procInst) const = 0;
  // A hardware parameter of an instance; empty when absent.
  virtual std::string GetInstParamValue(const std::string& inst,
                                        const std::string& param) const = 0;
};

}  // namespace TavHwDb

#endif  // TAVSOFTWARE_HWDB_H

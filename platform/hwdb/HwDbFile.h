// A hardware database read from a hardware description file (JSON).
//
//   { "format": 1,
//     "instances": [
//       { "name": "cpu_0", "type": "tavcpu", "version": "1.00.a", "class": "PROCESSOR",
//         "parameters": { "C_USE_HW_MUL": "1" }, "addressable": ["uart_0"] },
//       ... ] }
//
// The processors are the instances of class "PROCESSOR" (any case), in file
// order. Names are looked up ignoring case. A parameter value is a JSON
// string or number; a number keeps its text as written.
#ifndef TAVSOFTWARE_HWDBFILE_H
#define TAVSOFTWARE_HWDBFILE_H

#include <boost/shared_ptr.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "HwDb.h"

namespace TavHwDb {

class TAVSW_API HwDbFile : public HwDb {
 public:
  struct Instance {
    std::string name, type, version, ipClass;
    std::vector<std::pair<std::string, std::string>> parameters;  // in file order
    std::vector<std::string> addressable;
  };

  // Reads the file. Null, after one error naming the file (with line and
  // column for malformed JSON, the JSON path for a wrong or missing value,
  // the name for a duplicate instance), when it cannot be used; an unknown
  // key is a warning naming it. `errors` receives the number of errors.
  static boost::shared_ptr<HwDbFile> Read(const std::string& path, int& errors);
  // The same on text already in memory; `name` stands for the file in
  // messages.
  static boost::shared_ptr<HwDbFile> FromText(const std::string& text, const std::string& name,
                                              int& errors);

  const std::vector<Instance>& Instances() const { return insts_; }

  std::vector<std::string> GetProcessorInstNames() const override;
  std::string GetProcessorIpType(const std::string& procInst) const override;
  std::string GetProcessorIpVersion(const std::string& procInst) const override;
  std::vector<std::string> GetAllInstNames() const override;
  bool IsInstPresent(const std::string& inst) const override;
  std::string GetIpType(const std::string& inst) const override;
  std::string GetIpVersion(const std::string& inst) const override;
  std::string GetIpClass(const std::string& inst) const override;
  std::vector<std::string> GetAddressableInstNames(const std::string& procInst) const override;
  std::string GetInstParamValue(const std::string& inst, const std::string& param) const override;

 private:
  HwDbFile() = default;
  const Instance* Find(const std::string& name) const;

  std::vector<Instance> insts_;
  std::unordered_map<std::string, size_t> byName_;  // lower-case name -> index
};

}  // namespace TavHwDb

#endif  // TAVSOFTWARE_HWDBFILE_H

// An in-memory hardware database for tests: instances with type, version,
// class, parameters, and the instances each processor addresses.
#ifndef TAVSOFTWARE_TESTS_FAKEHWDB_H
#define TAVSOFTWARE_TESTS_FAKEHWDB_H

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

#include "HwDb.h"

namespace tavtest {

class FakeHwDb : public TavHwDb::HwDb {
 public:
  struct Inst {
    std::string type, version, ipClass;
    std::map<std::string, std::string> params;
    std::vector<std::string> addressable;
  };

  // Adds (or replaces) an instance; instances keep the order they were added in.
  FakeHwDb& Add(const std::string& name, const std::string& type, const std::string& version,
                const std::string& ipClass = "PERIPHERAL") {
    if (!insts_.count(name)) order_.push_back(name);
    insts_[name] = Inst{type, version, ipClass, {}, {}};
    return *this;
  }
  FakeHwDb& Param(const std::string& inst, const std::string& name, const std::string& value) {
    insts_[inst].params[name] = value;
    return *this;
  }
  FakeHwDb& Addressable(const std::string& proc, std::vector<std::string> names) {
    insts_[proc].addressable = std::move(names);
    return *this;
  }

  std::vector<std::string> GetProcessorInstNames() const override {
    std::vector<std::string> out;
    for (const auto& n : order_)
      if (insts_.at(n).ipClass == "PROCESSOR") out.push_back(n);
    return out;
  }
  std::string GetProcessorIpType(const std::string& p) const override { return Get(p).type; }
  std::string GetProcessorIpVersion(const std::string& p) const override { return Get(p).version; }
  std::vector<std::string> GetAllInstNames() const override { return order_; }
  bool IsInstPresent(const std::string& i) const override { return insts_.count(i) != 0; }
  std::string GetIpType(const std::string& i) const override { return Get(i).type; }
  std::string GetIpVersion(const std::string& i) const override { return Get(i).version; }
  std::string GetIpClass(const std::string& i) const override { return Get(i).ipClass; }
  std::vector<std::string> GetAddressableInstNames(const std::string& p) const override {
    return Get(p).addressable;
  }
  std::string GetInstParamValue(const std::string& i, const std::string& param) const override {
    const Inst& inst = Get(i);
    auto it = inst.params.find(param);
    return it == inst.params.end() ? std::string() : it->second;
  }

 private:
  const Inst& Get(const std::string& name) const {
    static const Inst kNone;
    auto it = insts_.find(name);
    return it == insts_.end() ? kNone : it->second;
  }
  std::map<std::string, Inst> insts_;
  std::vector<std::string> order_;
};

inline boost::shared_ptr<FakeHwDb> MakeFakeHwDb() { return boost::make_shared<FakeHwDb>(); }

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_FAKEHWDB_H

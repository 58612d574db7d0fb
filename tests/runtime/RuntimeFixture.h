// A scratch repository, an MSS read from text, and compact views of what
// the merge and check operations report.
#ifndef TAVSOFTWARE_TESTS_RUNTIME_RUNTIMEFIXTURE_H
#define TAVSOFTWARE_TESTS_RUNTIME_RUNTIMEFIXTURE_H

#include <memory>
#include <string>
#include <vector>

#include "../repos/RepoFixture.h"
#include "Mss.h"
#include "ParseMss.h"
#include "SwRepos.h"
#include "SwReposMan.h"

namespace tavtest {

class RuntimeTest : public RepoTest {
 protected:
  // Reads `text` as sys.mss into `mss`; the reader must accept it.
  void ReadMss(const std::string& text) {
    dir.Write("sys.mss", text);
    mss = std::make_unique<TavSoftware::Mss>();
    ASSERT_EQ(0, TavSoftware::ParseMss::Parse(mssPath, mss.get()));
    msgs.Clear();
  }
  // The repository manager over the scratch repositories named, the first
  // searched first.
  std::vector<TavSoftware::SwRepos*>& Repos(std::vector<std::string> names = {"repo"}) {
    man = std::make_unique<TavSoftware::SwReposMan>(false);
    for (auto it = names.rbegin(); it != names.rend(); ++it) man->AddSwRepos(Repo(*it), 0);
    return man->GetSwReposSeqRef();
  }
  template <class T>
  T* Comp(int nodeType, size_t i = 0) {
    return dynamic_cast<T*>(mss->GetPsfCompSeqRef(nodeType).at(i));
  }
  // "<mss> line <n> - <text>", as messages about the MSS begin.
  std::string At(int line, const std::string& text) const {
    return mssPath + " line " + std::to_string(line) + " - " + text;
  }
  // Every message as "<severity>: <text>", in order.
  std::vector<std::string> Said() const {
    std::vector<std::string> out;
    for (const auto& m : msgs.Messages())
      out.push_back(std::string(Port_MsgManData::SeverityName(m.severity)) + ": " + m.text);
    return out;
  }

  const std::string mssPath = dir / "sys.mss";
  std::unique_ptr<TavSoftware::Mss> mss;
  std::unique_ptr<TavSoftware::SwReposMan> man;
};

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_RUNTIME_RUNTIMEFIXTURE_H

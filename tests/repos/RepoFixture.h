// Builds small repositories in a test's scratch directory.
#ifndef TAVSOFTWARE_TESTS_REPOS_REPOFIXTURE_H
#define TAVSOFTWARE_TESTS_REPOS_REPOFIXTURE_H

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "TestSupport.h"

namespace tavtest {

// Directory name of a core: name + "_v" + version with dots as underscores.
inline std::string CoreDirName(const std::string& name, const std::string& version) {
  std::string v = version;
  for (char& c : v)
    if (c == '.') c = '_';
  return name + "_v" + v;
}

inline std::string MddText(const std::string& name, const std::string& body = "") {
  return "OPTION psf_version = 2.1;\n\nBEGIN DRIVER " + name + "\n" + body + "END DRIVER\n";
}

// `type` is LIBRARY or OS (the END line sets MLD_TYPE).
inline std::string MldText(const std::string& name, const std::string& type,
                           const std::string& body = "") {
  return "OPTION psf_version = 2.1;\n\nBEGIN " + type + " " + name + "\n" + body + "END " + type +
         "\n";
}

class RepoTest : public ScratchTest {
 protected:
  // Writes <repo>/<category>/<name>_v<ver>/data/<name>_v2_1_0.mdd; its path.
  std::string AddDriver(const std::string& repo, const std::string& category,
                        const std::string& name, const std::string& version,
                        const std::string& body = "") {
    return dir.Write(
        repo + "/" + category + "/" + CoreDirName(name, version) + "/data/" + name + "_v2_1_0.mdd",
        MddText(name, body));
  }
  std::string AddLibrary(const std::string& repo, const std::string& category,
                         const std::string& name, const std::string& version,
                         const std::string& type = "LIBRARY", const std::string& body = "") {
    return dir.Write(
        repo + "/" + category + "/" + CoreDirName(name, version) + "/data/" + name + "_v2_1_0.mld",
        MldText(name, type, body));
  }
  std::string Repo(const std::string& repo) const { return dir / repo; }

  // Rewrites `path` and dates it clearly after its previous stamp, so the
  // change is seen whatever the file system's time granularity.
  static void RewriteNewer(const std::string& path, const std::string& content) {
    namespace fs = std::filesystem;
    auto before = fs::last_write_time(path);
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out << content;
    }
    fs::last_write_time(path, before + std::chrono::seconds(10));
  }
};

}  // namespace tavtest

#endif  // TAVSOFTWARE_TESTS_REPOS_REPOFIXTURE_H

#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace tavtest {

ScratchDir::ScratchDir() {
  std::string tmpl = (fs::temp_directory_path() / "tavsw_test_XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  path_ = made ? made : tmpl;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Tests may make directories unreadable; give them back before removing.
  for (auto it = fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code ec2;
    if (it->is_directory(ec2) && !it->is_symlink(ec2))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec2);
  }
  fs::remove_all(path_, ec);
}

std::string ScratchDir::Write(const std::string& rel, const std::string& content) const {
  std::string p = path_ + "/" + rel;
  fs::create_directories(fs::path(p).parent_path());
  std::ofstream out(p, std::ios::binary);
  out << content;
  return p;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace tavtest

// What every tavsw command shares: the streams and diagnostics it runs
// with, the command interface, and the options that choose the software
// repositories.
#ifndef TAVSOFTWARE_TOOLS_COMMAND_H
#define TAVSOFTWARE_TOOLS_COMMAND_H

#include <CLI/CLI.hpp>
#include <istream>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Diagnostics.h"
#include "MdtBase.h"
#include "Port.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"

namespace tavsw {

using TavSoftware::String;

struct Context {
  std::ostream& out;
  std::ostream& err;
  Diagnostics& diag;
  // The process ends when the command returns (see TavswMain).
  bool processEnds = false;
  // What `tcl --interactive` reads, and whether a user types it.
  std::istream& in;
  bool inIsTerminal = false;
  // Keeps `held` alive until the process ends, when `processEnds`; lets it
  // go now otherwise. What is kept stays reachable, so no leak checker
  // reports it, and is never destroyed: destroying the model of a large
  // system frees hundreds of thousands of blocks the exit takes back at
  // once.
  template <class T>
  void LeaveForExit(T held) const {
    if (processEnds) KeepUntilExit(std::make_shared<T>(std::move(held)));
  }

 private:
  static void KeepUntilExit(std::shared_ptr<void> held);
};

// A subcommand: declares its arguments on its CLI11 app, then runs once the
// command line was parsed. New commands derive from it and are listed in
// MakeCommands().
class Command {
 public:
  virtual ~Command() = default;
  virtual const char* Name() const = 0;
  virtual const char* Help() const = 0;
  virtual void Declare(CLI::App& app) = 0;
  virtual int Run(Context& ctx) = 0;
};

// The manager the repository commands search: the installation's
// repositories (QUARLY_VEK) and the --repo directories, the first one given
// searched first.
struct RepoOptions {
  std::vector<std::string> dirs;
  bool verbose = false;
  void Declare(CLI::App& app) {
    // One directory per --repo: a repository never takes the next word.
    app.add_option("--repo", dirs,
                   "Also search this repository (the first given is searched first)")
        ->type_name("DIR")
        ->allow_extra_args(false);
    app.add_flag("-v,--verbose", verbose,
                 "Also list the directories the scan passed over, and why");
  }
  // The scan alone, which says nothing. Null when a --repo names no directory. The
  // repositories are listed, and a core's definition file is looked for
  // when it is first needed: a build asks for a few cores of thousands.
  std::unique_ptr<TavSoftware::SwReposMan> Scan() const {
    for (const auto& d : dirs)
      if (!Port::File::isdir(d)) return nullptr;
    auto man = std::make_unique<TavSoftware::SwReposMan>(true);
    // The repository added last is searched first.
    for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) man->AddSwRepos(String(*it), 0, true);
    return man;
  }
  // The manager, or null when a --repo names no directory (reported).
  // `scanned` is what an earlier Scan() made, if any; it is used when the
  // directories still pass the checks. No repository at all is a warning,
  // or with `noneIsError` an error and null.
  std::unique_ptr<TavSoftware::SwReposMan> Make(
      Context& ctx, std::unique_ptr<TavSoftware::SwReposMan> scanned = nullptr,
      bool noneIsError = false) const {
    bool ok = true;
    for (const auto& d : dirs) {
      if (Port::File::isdir(d)) continue;
      ctx.diag.Tool(MsgSeverity::kError,
                    Port::File::exist(d) ? "not a directory" : "no such directory", d);
      ok = false;
    }
    if (!ok) return nullptr;
    auto man = scanned ? std::move(scanned) : Scan();
    if (!man) return nullptr;  // a directory went away since the check
    if (man->GetSwReposSeqRef().empty()) {
      ctx.diag.Tool(noneIsError ? MsgSeverity::kError : MsgSeverity::kWarning,
                    "no repository to search (QUARLY_VEK names no installation and no --repo "
                    "was given)");
      if (noneIsError) return nullptr;
    }
    for (TavSoftware::SwRepos* repos : man->GetSwReposSeqRef()) {
      if (!repos->HasCores())
        ctx.diag.Tool(MsgSeverity::kWarning, "holds no core", repos->GetReposDir());
      if (verbose) ReportSkipped(ctx, *repos);
    }
    return man;
  }

 private:
  // The directories of the repository's categories that did not become a
  // core, and why: the scan passes over them without a word.
  static void ReportSkipped(Context& ctx, TavSoftware::SwRepos& repos) {
    std::set<std::string> cores;
    for (const TavSoftware::SwCore* c : repos.GetSwCoreSeqRef())
      cores.insert(c->GetCoreDir().GetFullName());
    const struct {
      std::vector<String> names;
      const char* ext;
    } groups[] = {{{"pcores", "drivers"}, ".mdd"}, {{"sw_services", "bsp"}, ".mld"}};
    for (const auto& g : groups) {
      for (const Port::FileName& category :
           repos.CollectCoreRootDirectories(repos.GetReposDir(), g.names)) {
        std::vector<String> subs;
        MdtBase::BaseUtils::ListSubDirs(category.GetFullName(), subs);
        for (const String& sub : subs) {
          const std::string dir = category.GetFullName() + "/" + sub;
          if (cores.count(dir + "/data")) continue;
          String name, version;
          std::string why;
          if (!MdtBase::BaseUtils::SeperateDirAndVer(sub, name, version))
            why = "no version in the name (expected NAME_vX_YY_Z)";
          else if (!Port::File::isdir(dir + "/data"))
            why = "no data/ directory";
          else if (!Port::File::isfile(dir + "/data/" + name + "_v2_1_0" + g.ext))
            why = "no data/" + name + "_v2_1_0" + g.ext;
          else
            why = "unreadable";
          ctx.diag.Tool(MsgSeverity::kInfo, "skipped: " + why, dir);
        }
      }
    }
  }
};

// "could not be written", with the system's reason for the last failed
// write when there is one.
inline std::string WriteFailure() {
  const std::string reason = MdtBase::UtStreamWriter::LastFailure();
  return "could not be written" + (reason.empty() ? std::string() : ": " + reason);
}

// The commands over the runtime model: build, check, tcl.
std::vector<std::unique_ptr<Command>> MakeModelCommands();
// The commands that make and change an MSS and query the repositories: new,
// edit, query, flags.
std::vector<std::unique_ptr<Command>> MakeEditCommands();
// The language server for editors: lsp.
std::vector<std::unique_ptr<Command>> MakeLspCommands();
// The commands that explain a system and help at the shell: explain, show,
// completion.
std::vector<std::unique_ptr<Command>> MakeInfoCommands();

// Every command of the tool, in the order they are listed.
std::vector<std::unique_ptr<Command>> MakeCommands();

// The number of single-character edits, a swap of two neighbours counting
// as one, between `a` and `b`: how close a mistyped name is to a known one.
size_t EditDistance(const std::string& a, const std::string& b, bool ignoreCase = false);

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_COMMAND_H

#include "Tavsw.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "ParseMdd.h"
#include "ParseMld.h"
#include "ParseMss.h"
#include "Port.h"
#include "Summary.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "WriteMss.h"

#ifndef TAVSW_VERSION
#define TAVSW_VERSION "unknown"
#endif

namespace tavsw {
namespace {

using TavSoftware::String;

// Routes the library's messages to the tool's error stream while it lives,
// counting the errors, and puts the previous sink back afterwards.
class StreamSink : public MsgSink {
 public:
  explicit StreamSink(std::ostream& err) : err_(err), previous_(Port_MsgManData::SetSink(this)) {}
  ~StreamSink() override { Port_MsgManData::SetSink(previous_); }
  StreamSink(const StreamSink&) = delete;
  StreamSink& operator=(const StreamSink&) = delete;

  void Report(const MsgRecord& msg) override {
    if (msg.severity == MsgSeverity::kError || msg.severity == MsgSeverity::kInternal) ++errors_;
    std::string text = msg.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    err_ << Port_MsgManData::SeverityName(msg.severity) << ": " << text << "\n";
  }
  int Errors() const { return errors_; }

 private:
  std::ostream& err_;
  MsgSink* previous_;
  int errors_ = 0;
};

struct Context {
  std::ostream& out;
  std::ostream& err;
  StreamSink& sink;
};

// A subcommand: declares its arguments on its CLI11 app, then runs once the
// command line was parsed. New commands (repository queries, ...) derive
// from it and are listed in MakeCommands().
class Command {
 public:
  virtual ~Command() = default;
  virtual const char* Name() const = 0;
  virtual const char* Help() const = 0;
  virtual void Declare(CLI::App& app) = 0;
  virtual int Run(Context& ctx) = 0;
};

enum class FileKind { kUnknown, kMdd, kMld, kMss };

FileKind KindOf(const std::string& path) {
  String ext = Port::FileName(path).GetExtension();
  if (ext.EqualsNoCase(".mdd")) return FileKind::kMdd;
  if (ext.EqualsNoCase(".mld")) return FileKind::kMld;
  if (ext.EqualsNoCase(".mss")) return FileKind::kMss;
  return FileKind::kUnknown;
}

// Reads one file with the reader its extension names; prints the summary
// unless quiet. True when the file was read without errors.
bool ParseOne(Context& ctx, const std::string& path, bool quiet) {
  const int errorsBefore = ctx.sink.Errors();
  int result = 0;
  switch (KindOf(path)) {
    case FileKind::kMdd: {
      TavSoftware::Mdd mdd;
      result = TavSoftware::ParseMdd::Parse(path, &mdd);
      if (!quiet) PrintMddSummary(mdd, ctx.out);
      break;
    }
    case FileKind::kMld: {
      TavSoftware::Mld mld;
      result = TavSoftware::ParseMld::Parse(path, &mld);
      if (!quiet) PrintMldSummary(mld, ctx.out);
      break;
    }
    case FileKind::kMss: {
      TavSoftware::Mss mss;
      result = TavSoftware::ParseMss::Parse(path, &mss);
      if (!quiet) PrintMssSummary(mss, ctx.out);
      break;
    }
    case FileKind::kUnknown:
      return false;  // refused before reading
  }
  // A reader's count and the messages it issued must agree; trust either.
  return result == 0 && ctx.sink.Errors() == errorsBefore;
}

bool CheckKinds(Context& ctx, const std::vector<std::string>& files,
                const std::vector<FileKind>& accepted, const char* expected) {
  for (const auto& f : files) {
    FileKind k = KindOf(f);
    bool ok = false;
    for (FileKind a : accepted) ok = ok || a == k;
    if (!ok) {
      ctx.err << "tavsw: " << f << ": unknown file type (expected " << expected << ")\n";
      return false;
    }
  }
  return true;
}

class ParseCommand : public Command {
 public:
  const char* Name() const override { return "parse"; }
  const char* Help() const override {
    return "Read .mdd, .mld and .mss files and summarise what was read";
  }
  void Declare(CLI::App& app) override {
    app.add_option("files", files_, "Files to read (.mdd, .mld, .mss)")->required();
    app.add_flag("-q,--quiet", quiet_, "Print diagnostics only");
  }
  int Run(Context& ctx) override {
    // Refuse the whole command line before reading anything, so a typo does
    // not hide among the summaries.
    if (!CheckKinds(ctx, files_, {FileKind::kMdd, FileKind::kMld, FileKind::kMss},
                    ".mdd, .mld or .mss"))
      return kTavswUsage;
    bool clean = true;
    for (const auto& f : files_) clean = ParseOne(ctx, f, quiet_) && clean;
    return clean ? kTavswOk : kTavswErrors;
  }

 private:
  std::vector<std::string> files_;
  bool quiet_ = false;
};

class FmtCommand : public Command {
 public:
  const char* Name() const override { return "fmt"; }
  const char* Help() const override { return "Rewrite an MSS file in the standard layout"; }
  void Declare(CLI::App& app) override {
    app.add_option("file", file_, "The MSS file")->required();
    app.add_option("-o,--output", output_, "Write here instead of in place");
  }
  int Run(Context& ctx) override {
    if (!CheckKinds(ctx, {file_}, {FileKind::kMss}, ".mss")) return kTavswUsage;
    TavSoftware::Mss mss;
    const int errorsBefore = ctx.sink.Errors();
    int result = TavSoftware::ParseMss::Parse(file_, &mss);
    // Writing back what a faulty read kept would silently drop the rejected
    // statements from the user's file.
    if (result != 0 || ctx.sink.Errors() != errorsBefore) {
      ctx.err << "tavsw: " << file_ << ": not written, the file has errors\n";
      return kTavswErrors;
    }
    const std::string target = output_.empty() ? file_ : output_;
    const TavSoftware::Mss& readOnly = mss;
    if (TavSoftware::WriteMss::Write(String(target), &readOnly) != 0) {
      ctx.err << "tavsw: " << target << ": could not be written\n";
      return kTavswUsage;
    }
    return kTavswOk;
  }

 private:
  std::string file_;
  std::string output_;
};

// ---------------------------------------------------------------------------
// Repository queries
// ---------------------------------------------------------------------------
// "driver", "library" or "os"; reading an MLD core's file to tell the last two apart.
const char* KindName(TavSoftware::SwCore& core) {
  if (core.GetPsfKind() == 1) return "driver";
  auto* mld = dynamic_cast<TavSoftware::Mld*>(core.GetPsfFileObj(0));
  if (mld && mld->GetPropertyValueStr(TavSoftware::Mld::OPTIONS, "MLD_TYPE").EqualsNoCase("os"))
    return "os";
  return "library";
}

std::string DefinitionFile(const TavSoftware::SwCore& core) {
  Port::FileName f = core.GetCoreDir();
  f.PushPathEnd(core.GetName() + core.GetPsfVersion() + (core.GetPsfKind() == 1 ? ".mdd" : ".mld"));
  return f.GetFullName();
}

// The manager the repository commands search: the installation's
// repositories (QUARLY_VEK) and the --repo directories, the first one given
// searched first.
struct RepoOptions {
  std::vector<std::string> dirs;
  void Declare(CLI::App& app) {
    app.add_option("--repo", dirs,
                   "Also search this repository (the first given is searched first)");
  }
  std::unique_ptr<TavSoftware::SwReposMan> Make() const {
    auto man = std::make_unique<TavSoftware::SwReposMan>(true);
    // The repository added last is searched first.
    for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) man->AddSwRepos(String(*it), 0);
    return man;
  }
};

void PrintCore(std::ostream& out, TavSoftware::SwCore& core) {
  out << core.GetName() << " " << core.GetVersion() << " " << KindName(core) << " "
      << DefinitionFile(core) << "\n";
}

class RepoListCommand : public Command {
 public:
  const char* Name() const override { return "list"; }
  const char* Help() const override {
    return "List every core of every repository in search order";
  }
  void Declare(CLI::App& app) override { repo_.Declare(app); }
  int Run(Context& ctx) override {
    auto man = repo_.Make();
    for (TavSoftware::SwRepos* repos : man->GetSwReposSeqRef()) {
      ctx.out << "repository " << repos->GetReposDir()
              << (repos->GetReposType() == 1 ? " (installed)" : "") << "\n";
      // A lookup sees the core scanned last first.
      auto& cores = repos->GetSwCoreSeqRef();
      for (auto it = cores.rbegin(); it != cores.rend(); ++it) {
        ctx.out << "  ";
        PrintCore(ctx.out, **it);
      }
    }
    return ctx.sink.Errors() == 0 ? kTavswOk : kTavswErrors;
  }

 private:
  RepoOptions repo_;
};

class RepoFindCommand : public Command {
 public:
  const char* Name() const override { return "find"; }
  const char* Help() const override {
    return "Show which core a lookup by name (and version) picks";
  }
  void Declare(CLI::App& app) override {
    app.add_option("name", name_, "Core name")->required();
    app.add_option("version", version_, "Core version, e.g. 1.00.a (any when omitted)");
    app.add_option("--kind", kind_, "driver, library or os (any when omitted)")
        ->check(CLI::IsMember({"driver", "library", "os"}, CLI::ignore_case));
    repo_.Declare(app);
  }
  int Run(Context& ctx) override {
    auto man = repo_.Make();
    ctx.out << "searched:\n";
    int n = 0;
    for (TavSoftware::SwRepos* repos : man->GetSwReposSeqRef())
      ctx.out << "  " << ++n << " " << repos->GetReposDir() << "\n";
    TavSoftware::SwCore* core = Find(*man);
    if (!core) {
      ctx.out << "not found: " << name_ << (version_.empty() ? "" : " " + version_) << "\n";
      return kTavswErrors;
    }
    ctx.out << "found: ";
    PrintCore(ctx.out, *core);
    return kTavswOk;
  }

 private:
  TavSoftware::SwCore* Find(TavSoftware::SwReposMan& man) const {
    String kind = kind_;
    if (kind.empty()) return man.GetCoreByName(name_, version_);
    // The same walk as the library's lookups (repositories in list order,
    // the core scanned last first, cores whose file cannot be read passed
    // over), except that a library lookup here passes over OS cores, as the
    // OS lookup passes over libraries.
    const bool driver = kind.EqualsNoCase("driver");
    const bool os = kind.EqualsNoCase("os");
    for (TavSoftware::SwRepos* repos : man.GetSwReposSeqRef()) {
      auto& cores = repos->GetSwCoreSeqRef();
      for (auto it = cores.rbegin(); it != cores.rend(); ++it) {
        TavSoftware::SwCore* c = *it;
        if (!c->GetName().EqualsNoCase(name_)) continue;
        if (!version_.empty() && !c->GetVersion().EqualsNoCase(version_)) continue;
        if (driver) {
          if (c->GetPsfKind() == 1 && c->GetPsfFileObj(1)) return c;
          continue;
        }
        if (c->GetPsfKind() == 1 || !c->GetPsfFileObj(0)) continue;
        if ((std::string(KindName(*c)) == "os") == os) return c;
      }
    }
    return nullptr;
  }

  std::string name_, version_, kind_;
  RepoOptions repo_;
};

// "repo list" and "repo find".
class RepoCommand : public Command {
 public:
  const char* Name() const override { return "repo"; }
  const char* Help() const override { return "Query the software repositories"; }
  void Declare(CLI::App& app) override {
    app.require_subcommand(1);
    for (Command* c : {static_cast<Command*>(&list_), static_cast<Command*>(&find_)}) {
      CLI::App* sub = app.add_subcommand(c->Name(), c->Help());
      c->Declare(*sub);
      subs_.emplace_back(sub, c);
    }
  }
  int Run(Context& ctx) override {
    for (auto& [sub, command] : subs_)
      if (sub->parsed()) return command->Run(ctx);
    return kTavswUsage;
  }

 private:
  RepoListCommand list_;
  RepoFindCommand find_;
  std::vector<std::pair<CLI::App*, Command*>> subs_;
};

std::vector<std::unique_ptr<Command>> MakeCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<ParseCommand>());
  commands.push_back(std::make_unique<FmtCommand>());
  commands.push_back(std::make_unique<RepoCommand>());
  return commands;
}

}  // namespace
}  // namespace tavsw

int TavswMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
  using namespace tavsw;
  StreamSink sink(err);
  Context ctx{out, err, sink};

  CLI::App app{"Reads, summarises and rewrites MSS, MDD and MLD files", "tavsw"};
  app.set_version_flag("--version", "tavsw " TAVSW_VERSION);
  app.require_subcommand(1);
  std::vector<std::unique_ptr<Command>> commands = MakeCommands();
  std::vector<std::pair<CLI::App*, Command*>> apps;
  for (auto& c : commands) {
    CLI::App* sub = app.add_subcommand(c->Name(), c->Help());
    c->Declare(*sub);
    apps.emplace_back(sub, c.get());
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {  // --help, --version
    app.exit(e, out, err);
    return kTavswOk;
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    return kTavswUsage;
  }

  for (auto& [sub, command] : apps)
    if (sub->parsed()) return command->Run(ctx);
  return kTavswUsage;
}

#include "Tavsw.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "Command.h"
#include "Diagnostics.h"
#include "Diff.h"
#include "InfoCommands.h"
#include "JsonOut.h"
#include "Mdd.h"
#include "Mld.h"
#include "Mss.h"
#include "MssEdit.h"
#include "ParseMdd.h"
#include "ParseMld.h"
#include "ParseMss.h"
#include "Port.h"
#include "Summary.h"
#include "SwCore.h"
#include "SwRepos.h"
#include "SwReposMan.h"
#include "WriteMss.h"

#include <unistd.h>

#ifndef TAVSW_VERSION
#define TAVSW_VERSION "unknown"
#endif

namespace tavsw {
namespace {

using TavSoftware::String;

constexpr const char* kExitCodes =
    "Exit status: 0 no errors; 1 an input had errors or a lookup found nothing; 2 usage error\n"
    "or an output that could not be written.";

// Every command also takes the tool's own options.
constexpr const char* kCommandFooter =
    "Every command also takes --diagnostics=text|gcc|json (the form of the diagnostics on\n"
    "stderr) and --max-errors N (show at most N errors).\n"
    "Exit status: 0 no errors; 1 an input had errors or a lookup found nothing; 2 usage error\n"
    "or an output that could not be written.";

enum class FileKind { kUnknown, kMdd, kMld, kMss };

FileKind KindOf(const std::string& path) {
  String ext = Port::FileName(path).GetExtension();
  if (ext.EqualsNoCase(".mdd")) return FileKind::kMdd;
  if (ext.EqualsNoCase(".mld")) return FileKind::kMld;
  if (ext.EqualsNoCase(".mss")) return FileKind::kMss;
  return FileKind::kUnknown;
}

const char* KindWord(FileKind kind) {
  switch (kind) {
    case FileKind::kMdd:
      return "mdd";
    case FileKind::kMld:
      return "mld";
    case FileKind::kMss:
      return "mss";
    case FileKind::kUnknown:
      break;
  }
  return "";
}

// Reads one file with the reader its extension names; prints the summary
// (or adds its JSON to `json`) unless quiet or the file could not be opened.
// True when the file was read without errors.
// `last`: the tree read may be left for the exit (see Context::processEnds);
// earlier ones go before the next is read, so that many files never add up.
bool ParseOne(Context& ctx, const std::string& path, bool quiet, nlohmann::json* json, bool last) {
  ctx.diag.NewScope();
  const int errorsBefore = ctx.diag.Errors();
  const int warningsBefore = ctx.diag.Warnings();
  // A file that cannot be opened gets the reader's error and no empty
  // summary.
  const bool opened = Port::File::isfile(path) && std::ifstream(path).is_open();
  int result = 0;
  nlohmann::json content;
  std::ostringstream summary;
  switch (KindOf(path)) {
    case FileKind::kMdd: {
      auto mdd = std::make_unique<TavSoftware::Mdd>();
      result = TavSoftware::ParseMdd::Parse(path, mdd.get());
      if (json)
        content = MddJson(*mdd);
      else if (!quiet)
        PrintMddSummary(*mdd, summary);
      if (last) ctx.LeaveForExit(std::move(mdd));
      break;
    }
    case FileKind::kMld: {
      auto mld = std::make_unique<TavSoftware::Mld>();
      result = TavSoftware::ParseMld::Parse(path, mld.get());
      if (json)
        content = MldJson(*mld);
      else if (!quiet)
        PrintMldSummary(*mld, summary);
      if (last) ctx.LeaveForExit(std::move(mld));
      break;
    }
    case FileKind::kMss: {
      auto mss = std::make_unique<TavSoftware::Mss>();
      result = TavSoftware::ParseMss::Parse(path, mss.get());
      if (json)
        content = MssJson(*mss);
      else if (!quiet)
        PrintMssSummary(*mss, summary);
      if (last) ctx.LeaveForExit(std::move(mss));
      break;
    }
    case FileKind::kUnknown:
      return false;  // refused before reading
  }
  const int errors = ctx.diag.Errors() - errorsBefore;
  if (json) {
    nlohmann::json entry = {{"file", path},
                            {"format", KindWord(KindOf(path))},
                            {"read", opened},
                            {"errors", errors},
                            {"warnings", ctx.diag.Warnings() - warningsBefore}};
    if (opened) entry["content"] = content;
    json->push_back(entry);
  } else if (!quiet && opened) {
    ctx.out << path << ":\n" << summary.str();
  }
  // A reader's count and the messages it issued must agree; trust either.
  return result == 0 && errors == 0;
}

bool CheckKinds(Context& ctx, const std::vector<std::string>& files,
                const std::vector<FileKind>& accepted, const char* expected) {
  for (const auto& f : files) {
    FileKind k = KindOf(f);
    bool ok = false;
    for (FileKind a : accepted) ok = ok || a == k;
    if (!ok) {
      ctx.diag.Tool(MsgSeverity::kError,
                    "unknown file type (expected " + std::string(expected) + ")", f);
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
    app.add_flag("--json", json_,
                 "Print what was read as one JSON document (a list, one object per file)");
  }
  int Run(Context& ctx) override {
    // Refuse the whole command line before reading anything, so a typo does
    // not hide among the summaries.
    if (!CheckKinds(ctx, files_, {FileKind::kMdd, FileKind::kMld, FileKind::kMss},
                    ".mdd, .mld or .mss"))
      return kTavswUsage;
    bool clean = true;
    nlohmann::json list = nlohmann::json::array();
    for (const auto& f : files_)
      clean = ParseOne(ctx, f, quiet_, json_ ? &list : nullptr, &f == &files_.back()) && clean;
    if (json_) WriteJson(ctx.out, list);
    return clean ? kTavswOk : kTavswErrors;
  }

 private:
  std::vector<std::string> files_;
  bool quiet_ = false;
  bool json_ = false;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class FmtCommand : public Command {
 public:
  const char* Name() const override { return "fmt"; }
  const char* Help() const override { return "Rewrite MSS files in the standard layout"; }
  void Declare(CLI::App& app) override {
    app.add_option("files", files_, "The MSS files")->required();
    output_ = app.add_option("-o,--output", outputPath_,
                             "Write here instead of in place ('-': standard output); one input "
                             "file only");
    app.add_flag("--check", check_,
                 "Write nothing; name the files that would change and exit 1 if any");
    app.add_flag("--diff", diff_, "Write nothing; print a unified diff of what would change");
    app.add_flag("--force", force_,
                 "Write even when reading reported warnings or left out text of the file");
  }
  int Run(Context& ctx) override {
    if (output_->count() > 0 && outputPath_.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, "-o needs a file name ('-' for standard output)");
      return kTavswUsage;
    }
    if (output_->count() > 0 && files_.size() > 1) {
      ctx.diag.Tool(MsgSeverity::kError,
                    "-o takes one input file, not " + std::to_string(files_.size()));
      return kTavswUsage;
    }
    for (const auto& f : files_) {
      const FileKind kind = KindOf(f);
      if (kind == FileKind::kMdd || kind == FileKind::kMld) {
        ctx.diag.Tool(
            MsgSeverity::kError,
            std::string(kind == FileKind::kMdd ? "MDD" : "MLD") + " files cannot be formatted yet",
            f);
        return kTavswUsage;
      }
    }
    if (!CheckKinds(ctx, files_, {FileKind::kMss}, ".mss")) return kTavswUsage;
    int status = kTavswOk;
    for (const auto& f : files_) status = std::max(status, FormatOne(ctx, f));
    return status;
  }

 private:
  int FormatOne(Context& ctx, const std::string& file) {
    ctx.diag.NewScope();
    TavSoftware::Mss mss;
    std::vector<TavSoftware::MssTextLoss> losses;
    const int errorsBefore = ctx.diag.Errors();
    const int messagesBefore = ctx.diag.Messages();
    int result = TavSoftware::ParseMss::Parse(file, &mss, &losses);
    // Writing back what a faulty read kept would silently drop the rejected
    // statements from the user's file.
    if (result != 0 || ctx.diag.Errors() != errorsBefore) {
      ctx.diag.Tool(MsgSeverity::kError, "not written, the file has errors", file);
      return kTavswErrors;
    }
    // A warning or a silent loss means the written file would say less than
    // the user's.
    if (!force_ && (!losses.empty() || ctx.diag.Messages() != messagesBefore)) {
      for (const auto& loss : losses)
        ctx.diag.Tool(MsgSeverity::kWarning, "would be lost: " + loss.what, file, loss.line);
      ctx.diag.Tool(MsgSeverity::kError,
                    losses.empty()
                        ? "not written, reading it reported problems (--force writes anyway)"
                        : "not written, formatting would lose text (--force writes anyway)",
                    file);
      return kTavswErrors;
    }
    const std::string text = TavSoftware::WriteMss::ToText(mss);
    if (check_ || diff_) {
      const std::string before = ReadWhole(file);
      if (diff_) ctx.out << UnifiedDiff(before, text, file, file);
      if (check_ && before != text) {
        if (!diff_) ctx.out << file << "\n";
        return kTavswErrors;
      }
      return kTavswOk;
    }
    // What is written must read back as the file read.
    if (const std::string problem = ReadBackProblem(text, mss, force_); !problem.empty()) {
      ctx.diag.Tool(MsgSeverity::kError,
                    "not written, the formatted text would not read back the same: " + problem,
                    file);
      return kTavswErrors;
    }
    if (outputPath_ == "-") {
      ctx.out << text;
      return kTavswOk;
    }
    const std::string target = outputPath_.empty() ? file : outputPath_;
    if (const std::string failure = WriteFileAtomically(target, text); !failure.empty()) {
      ctx.diag.Tool(MsgSeverity::kError, "could not be written: " + failure, target);
      return kTavswUsage;
    }
    return kTavswOk;
  }

  std::vector<std::string> files_;
  std::string outputPath_;
  CLI::Option* output_ = nullptr;
  bool check_ = false, diff_ = false, force_ = false;
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
  void Declare(CLI::App& app) override {
    repo_.Declare(app);
    app.add_flag("--json", json_, "Print the list as one JSON document");
  }
  int Run(Context& ctx) override {
    const int errorsBefore = ctx.diag.Errors();
    // A list of nothing would pass for an empty installation.
    auto man = repo_.Make(ctx, nullptr, true);
    if (!man) return kTavswErrors;
    nlohmann::json list = nlohmann::json::array();
    for (TavSoftware::SwRepos* repos : man->GetSwReposSeqRef()) {
      if (!json_)
        ctx.out << "repository " << repos->GetReposDir()
                << (repos->GetReposType() == 1 ? " (installed)" : "") << "\n";
      nlohmann::json cores = nlohmann::json::array();
      // A lookup sees the core scanned last first.
      auto& seq = repos->GetSwCoreSeqRef();
      for (auto it = seq.rbegin(); it != seq.rend(); ++it) {
        TavSoftware::SwCore& core = **it;
        // Every definition file is read, MDD as well as MLD, so a broken one
        // is reported whatever its kind.
        if (core.GetPsfKind() == 1) core.GetPsfFileObj(1);
        if (json_) {
          cores.push_back({{"name", core.GetName()},
                           {"version", core.GetVersion()},
                           {"kind", KindName(core)},
                           {"file", DefinitionFile(core)}});
        } else {
          ctx.out << "  ";
          PrintCore(ctx.out, core);
        }
      }
      if (json_)
        list.push_back({{"directory", repos->GetReposDir()},
                        {"installed", repos->GetReposType() == 1},
                        {"cores", cores}});
    }
    if (json_)
      ctx.out << nlohmann::json({{"repositories", list}})
                     .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
              << "\n";
    return ctx.diag.Errors() == errorsBefore ? kTavswOk : kTavswErrors;
  }

 private:
  RepoOptions repo_;
  bool json_ = false;
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
    const int errorsBefore = ctx.diag.Errors();
    auto man = repo_.Make(ctx);
    if (!man) return kTavswErrors;
    ctx.out << "searched:\n";
    int n = 0;
    for (TavSoftware::SwRepos* repos : man->GetSwReposSeqRef())
      ctx.out << "  " << ++n << " " << repos->GetReposDir() << "\n";
    TavSoftware::SwCore* core = Find(*man);
    if (!core) {
      ctx.out << "not found: " << name_ << (version_.empty() ? "" : " " + version_) << "\n";
      // A name no core has may be mistyped; a version that is not there
      // is no typing error of the name.
      std::vector<std::string> names;
      bool named = false;
      for (TavSoftware::SwRepos* repos : man->GetSwReposSeqRef())
        for (const TavSoftware::SwCore* c : repos->GetSwCoreSeqRef()) {
          names.push_back(c->GetName());
          named = named || c->GetName().EqualsNoCase(name_);
        }
      if (!named) NoteClosest(ctx, name_, names);
      return kTavswErrors;
    }
    ctx.out << "found: ";
    PrintCore(ctx.out, *core);
    // A definition file passed over on the way had errors: the answer may
    // not be the one the user expects.
    return ctx.diag.Errors() == errorsBefore ? kTavswOk : kTavswErrors;
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
    app.fallthrough();
    for (Command* c : {static_cast<Command*>(&list_), static_cast<Command*>(&find_)}) {
      CLI::App* sub = app.add_subcommand(c->Name(), c->Help());
      sub->footer(kCommandFooter);
      c->Declare(*sub);
      subs_.emplace_back(sub, c);
    }
  }
  int Run(Context& ctx) override {
    for (auto& [sub, command] : subs_)
      if (sub->parsed()) return command->Run(ctx);
    return kTavswUsage;
  }
  std::vector<std::string> Names() const { return {"list", "find"}; }

 private:
  RepoListCommand list_;
  RepoFindCommand find_;
  std::vector<std::pair<CLI::App*, Command*>> subs_;
};

// The options of the tool itself, valid before and after the command.
struct GlobalOptions {
  std::string diagnostics = "text";
  std::string maxErrors;  // empty: no limit
};

// The value of --max-errors: a count above 0; -1 for anything else.
int MaxErrorsOf(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  const int n = std::stoi(text);
  return n > 0 ? n : -1;
}

DiagFormat FormatOf(const std::string& name) {
  if (name == "gcc") return DiagFormat::kGcc;
  if (name == "json") return DiagFormat::kJson;
  return DiagFormat::kText;
}

// Looks ahead for the diagnostics form, so that even a message about the
// command line itself comes in the form asked for.
std::string PeekDiagnostics(int argc, char** argv) {
  std::string form = "text";
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a.starts_with("--diagnostics="))
      form = a.substr(14);
    else if (a == "--diagnostics" && i + 1 < argc)
      form = argv[++i];
  }
  return form;
}

// The first word that is no option (nor the value of a tool option) should
// name a command, and the word after "repo" a repository command. The word
// that does not, empty when all do.
std::string UnknownCommand(int argc, char** argv, const std::vector<std::string>& commands,
                           const std::vector<std::string>& repoCommands) {
  auto next = [&](int from) {
    for (int i = from; i < argc; ++i) {
      std::string_view a = argv[i];
      if (a == "--diagnostics" || a == "--max-errors") {
        ++i;
        continue;
      }
      if (!a.starts_with("-")) return i;
    }
    return argc;
  };
  auto listed = [](const std::vector<std::string>& names, const std::string& w) {
    return std::find(names.begin(), names.end(), w) != names.end();
  };
  int i = next(1);
  if (i == argc) return "";
  if (!listed(commands, argv[i])) return argv[i];
  if (std::string(argv[i]) != "repo" || i + 1 >= argc) return "";
  std::string_view sub = argv[i + 1];
  if (sub.starts_with("-") || listed(repoCommands, std::string(sub))) return "";
  return "repo " + std::string(sub);
}

std::string Join(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : ", ") + w;
  return out;
}

// The words of the command line that name the command ("build", "repo
// list"): the first word that is no option nor the value of a tool option,
// and the one after "repo".
std::vector<std::string> CommandWords(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc && words.size() < 2; ++i) {
    std::string_view a = argv[i];
    if (a == "--") break;
    if (a == "--diagnostics" || a == "--max-errors") {
      ++i;
      continue;
    }
    if (a.starts_with("-")) continue;
    if (!words.empty() && words[0] != "repo") break;
    words.emplace_back(a);
  }
  return words;
}


// The known option closest to `typed` ("--rep" gives "--repo"); "" when
// none is close: at most two edits, fewer than half its letters, or the
// only option `typed` begins.
std::string ClosestOption(const std::string& typed, const std::vector<std::string>& known) {
  std::string best, onlyPrefixed;
  int prefixed = 0;
  size_t bestDistance = 3;
  for (const std::string& k : known) {
    if (typed.size() >= 3 && k.starts_with(typed)) {
      ++prefixed;
      onlyPrefixed = k;
    }
    const size_t d = EditDistance(typed, k);
    if (d < bestDistance && 2 * d < k.size() - (k.starts_with("--") ? 2 : 1)) {
      bestDistance = d;
      best = k;
    }
  }
  if (best.empty() && prefixed == 1) best = onlyPrefixed;
  return best;
}

// The options `app` takes, as typed: "--repo", "-o".
void AddOptionNames(const CLI::App& app, std::vector<std::string>& names) {
  for (const CLI::Option* o : app.get_options()) {
    for (const std::string& l : o->get_lnames()) names.push_back("--" + l);
    for (const std::string& sn : o->get_snames()) names.push_back("-" + sn);
  }
}

// The options the tool and the command `words` names take.
std::vector<std::string> KnownOptions(const CLI::App& app, const std::vector<std::string>& words) {
  std::vector<std::string> known;
  AddOptionNames(app, known);
  const CLI::App* in = &app;
  for (const std::string& w : words) {
    const CLI::App* sub = nullptr;
    for (const CLI::App* s : in->get_subcommands([](const CLI::App*) { return true; }))
      if (s->get_name() == w) sub = s;
    if (!sub) break;
    AddOptionNames(*sub, known);
    in = sub;
  }
  return known;
}

// "unknown option '--rep'; did you mean '--repo'?", or without a close
// option where to look.
std::string UnknownOption(const CLI::App& app, const std::vector<std::string>& words,
                          const std::string& option, const std::string& seeHelp) {
  const std::string closest = ClosestOption(option, KnownOptions(app, words));
  return "unknown option '" + option + "'" +
         (closest.empty() ? seeHelp : "; did you mean '" + closest + "'?");
}

// A CLI11 complaint as one plain sentence for the user.
std::string PlainParseError(const CLI::ParseError& e) {
  std::string what = e.what();
  // "--repo: 1 required TEXT missing"
  const size_t colon = what.find(": ");
  if (e.get_name() == "ArgumentMismatch" && colon != std::string::npos &&
      what.ends_with(" missing"))
    return what.substr(0, colon) + " needs a value";
  // "--hw: At Most 1 required but received 2"
  const size_t received = what.find("but received ");
  if (e.get_name() == "ArgumentMismatch" && colon != std::string::npos &&
      received != std::string::npos)
    return what.substr(0, colon) + " takes one value, not " + what.substr(received + 13);
  if (!what.empty() && what.back() == '.') what.pop_back();
  return what;
}

}  // namespace

std::vector<std::unique_ptr<Command>> MakeCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<ParseCommand>());
  commands.push_back(std::make_unique<FmtCommand>());
  commands.push_back(std::make_unique<RepoCommand>());
  for (auto& c : MakeModelCommands()) commands.push_back(std::move(c));
  for (auto& c : MakeEditCommands()) commands.push_back(std::move(c));
  for (auto& c : MakeInfoCommands()) commands.push_back(std::move(c));
  for (auto& c : MakeLspCommands()) commands.push_back(std::move(c));
  return commands;
}

// The number of single-character edits (an exchange of two neighbours
// counting as one) that turn `a` into `b`, letters compared with or
// without their case.
size_t EditDistance(const std::string& a, const std::string& b, bool ignoreCase) {
  auto same = [ignoreCase](char x, char y) {
    return ignoreCase ? std::toupper(static_cast<unsigned char>(x)) ==
                            std::toupper(static_cast<unsigned char>(y))
                      : x == y;
  };
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (same(a[i - 1], b[j - 1]) ? 0 : 1)});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

}  // namespace tavsw

void tavsw::Context::KeepUntilExit(std::shared_ptr<void> held) {
  // Never destroyed, and so neither is anything it holds.
  static auto* kept = new std::vector<std::shared_ptr<void>>();
  kept->push_back(std::move(held));
}

int TavswMain(int argc, char** argv, std::ostream& out, std::ostream& err, bool processEnds) {
  return TavswMain(argc, argv, std::cin, out, err, processEnds);
}

int TavswMain(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
              bool processEnds) {
  using namespace tavsw;
  const std::string peeked = PeekDiagnostics(argc, argv);
  GlobalOptions global;

  CLI::App app{"Reads, summarises and rewrites MSS, MDD and MLD files", "tavsw"};
  app.set_version_flag("--version", "tavsw " TAVSW_VERSION);
  app.require_subcommand(1);
  app.fallthrough();
  app.footer(kExitCodes);
  // Both values are checked below, so that a bad one gets a plain message.
  app.add_option("--diagnostics", global.diagnostics,
                 "How diagnostics are printed on stderr: text (default), gcc "
                 "(FILE:LINE: error: TEXT) or json (one object per line)")
      ->type_name("FORM");
  CLI::Option* maxErrorsOpt = app.add_option("--max-errors", global.maxErrors,
                 "Show at most N errors (N > 0) and then say how many more there were "
                 "(reading goes on)")
      ->type_name("N");
  std::vector<std::unique_ptr<Command>> commands = MakeCommands();
  std::vector<std::pair<CLI::App*, Command*>> apps;
  std::vector<std::string> names;
  for (auto& c : commands) {
    CLI::App* sub = app.add_subcommand(c->Name(), c->Help());
    sub->footer(kCommandFooter);
    c->Declare(*sub);
    apps.emplace_back(sub, c.get());
    names.push_back(c->Name());
  }

  {
    // Usage errors come before the options are known; they take the form the
    // command line asks for, if it names a valid one.
    Diagnostics usage(err, FormatOf(peeked), 0);
    const std::string unknown = UnknownCommand(argc, argv, names, {"list", "find"});
    if (!unknown.empty()) {
      const bool repo = unknown.starts_with("repo ");
      usage.Tool(MsgSeverity::kError, "unknown command '" + unknown + "' (commands: " +
                                          (repo ? "repo list, repo find" : Join(names)) + ")");
      const std::string note = DidYouMean(ClosestNames(
          repo ? unknown.substr(5) : unknown,
          repo ? std::vector<std::string>{"list", "find"} : names, true));
      if (!note.empty()) usage.Note(note);
      return kTavswUsage;
    }
    const std::vector<std::string> words = CommandWords(argc, argv);
    std::string command = "tavsw";
    for (const std::string& w : words) command += " " + w;
    const std::string seeHelp = " (see " + command + " --help)";
    try {
      app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help, --version
      app.exit(e, out, err);
      return kTavswOk;
    } catch (const CLI::ExtrasError& e) {
      // "The following argument(s) were not expected: A B": name the first
      // option among them, else the first word.
      std::string what = e.what();
      const size_t colon = what.find(": ");
      std::istringstream list(colon == std::string::npos ? what : what.substr(colon + 2));
      std::string word, first, option;
      while (list >> word) {
        if (first.empty()) first = word;
        if (option.empty() && word.starts_with("-") && word != "-" && word != "--") option = word;
      }
      if (option.empty()) {
        usage.Tool(MsgSeverity::kError, "unexpected argument '" + first + "'" + seeHelp);
        return kTavswUsage;
      }
      usage.Tool(MsgSeverity::kError, UnknownOption(app, words, option.substr(0, option.find('=')), seeHelp));
      return kTavswUsage;
    } catch (const CLI::ParseError& e) {
      if (argc < 2) {
        usage.Tool(MsgSeverity::kError, "no command given (commands: " + Join(names) + ")" + seeHelp);
        return kTavswUsage;
      }
      // A misspelt option is the cause to name, not the option it left
      // missing ("--rpo" for "--repo" before "--hw is required").
      const std::vector<std::string> known = KnownOptions(app, words);
      for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        const std::string a = argv[i];
        if (!a.starts_with("--")) continue;
        const std::string name = a.substr(0, a.find('='));
        if (std::find(known.begin(), known.end(), name) == known.end()) {
          usage.Tool(MsgSeverity::kError, UnknownOption(app, words, name, seeHelp));
          return kTavswUsage;
        }
      }
      usage.Tool(MsgSeverity::kError, PlainParseError(e) + seeHelp);
      return kTavswUsage;
    }
    if (global.diagnostics != "text" && global.diagnostics != "gcc" &&
        global.diagnostics != "json") {
      usage.Tool(MsgSeverity::kError, "--diagnostics takes text, gcc or json, not '" +
                                          global.diagnostics + "'");
      return kTavswUsage;
    }
    if (maxErrorsOpt->count() > 0 && MaxErrorsOf(global.maxErrors) < 0) {
      usage.Tool(MsgSeverity::kError, "--max-errors takes a number of errors above 0, not '" +
                                          global.maxErrors + "'");
      return kTavswUsage;
    }
  }

  Diagnostics diag(err, FormatOf(global.diagnostics),
                   global.maxErrors.empty() ? 0 : MaxErrorsOf(global.maxErrors));
  // Only the process's own standard input can be a terminal.
  Context ctx{out, err, diag, processEnds, in, &in == &std::cin && ::isatty(STDIN_FILENO) != 0};
  int status = kTavswUsage;
  for (auto& [sub, command] : apps)
    if (sub->parsed()) status = command->Run(ctx);
  // What did not reach the output (a full disk, say) must not pass for a
  // result: a script would take a cut document for a whole one.
  if (!out.flush()) {
    diag.Tool(MsgSeverity::kError, "the standard output could not be written");
    status = kTavswUsage;
  }
  diag.Finish();
  return status;
}

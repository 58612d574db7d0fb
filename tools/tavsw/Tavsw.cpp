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

std::vector<std::unique_ptr<Command>> MakeCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<ParseCommand>());
  commands.push_back(std::make_unique<FmtCommand>());
  return commands;
}

}  // namespace
}  // namespace tavsw

int TavswMain(int argc, char** argv, std::ostream& out, std::ostream& err) {
  using namespace tavsw;
  StreamSink sink(err);
  Context ctx{out, err, sink};

  CLI::App app{"Reads, summarises and rewrites software specification files", "tavsw"};
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

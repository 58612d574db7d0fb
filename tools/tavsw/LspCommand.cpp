// tavsw lsp: the language server for MSS files, on the standard input and
// output.
#include "Command.h"
#include "LspServer.h"
#include "Tavsw.h"

namespace tavsw {
namespace {

class LspCommand : public Command {
 public:
  const char* Name() const override { return "lsp"; }
  const char* Help() const override {
    return "Serve editors over the Language Server Protocol on standard input and output: "
           "diagnostics, completion, hover, go to definition, outline, formatting and quick "
           "fixes for MSS files (settings also from initializationOptions: repos, hw)";
  }
  void Declare(CLI::App& app) override {
    app.add_option("--repo", repos_, "Also search this repository (the first given is searched first)")
        ->type_name("DIR")
        ->allow_extra_args(false);
    app.add_option("--hw", hw_,
                   "The hardware description (JSON); without it each MSS's HW_SPEC_FILE");
  }
  int Run(Context& ctx) override {
    lsp::Settings settings;
    for (const std::string& r : repos_)
      settings.repos.push_back(Port::FileName(r).GetAbsolutePath().GetFullName());
    if (!hw_.empty()) settings.hw = Port::FileName(hw_).GetAbsolutePath().GetFullName();
    lsp::Server server(ctx.in, ctx.out, std::move(settings));
    return server.Run() == 0 ? kTavswOk : kTavswErrors;
  }

 private:
  std::vector<std::string> repos_;
  std::string hw_;
};

}  // namespace

std::vector<std::unique_ptr<Command>> MakeLspCommands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(std::make_unique<LspCommand>());
  return commands;
}

}  // namespace tavsw

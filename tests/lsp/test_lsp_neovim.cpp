// A real client: Neovim, headless, opens a copy of the demo MSS with the
// built tavsw as its language server, waits for the diagnostics, asks for a
// completion and writes what it received to a JSON file.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "TestSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The tavsw program of this build: beside the tests' folder.
std::string BuiltTavsw() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const fs::path tavsw = self.parent_path().parent_path() / "tavsw";
  return fs::is_regular_file(tavsw, ec) ? tavsw.string() : "";
}

std::string OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (size_t at = 0; at <= dirs.size();) {
    size_t colon = dirs.find(':', at);
    if (colon == std::string::npos) colon = dirs.size();
    const fs::path candidate = fs::path(dirs.substr(at, colon - at)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    at = colon + 1;
  }
  return "";
}

// Runs `argv` with `env`, output to `log`; its exit status, or -1 when it
// had to be killed after `seconds`.
int RunWithTimeout(std::vector<std::string> argv, std::vector<std::string> env,
                   const std::string& log, int seconds) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> args, envp;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -2;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

// A Lua string literal.
std::string Lua(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\\' || c == '\'') out += '\\';
    out += c;
  }
  return out + "'";
}

TEST(LspNeovim, HeadlessNeovimGetsTheDiagnosticsAndACompletion) {
  const std::string nvim = OnPath("nvim");
  if (nvim.empty()) GTEST_SKIP() << "nvim is not installed (Debian package neovim)";
  const std::string tavsw = BuiltTavsw();
  if (tavsw.empty()) GTEST_SKIP() << "the tavsw program is not built beside the tests";
  tavtest::ScratchDir dir;
  fs::copy(TAVSW_EXAMPLES, dir.Path(), fs::copy_options::recursive);
  const std::string mss = dir / "system.mss";
  std::string text = tavtest::ReadFile(mss);
  const std::string from = " PARAMETER C_BAUDRATE = 115200\n INTERFACE";
  text.replace(text.find(from), from.size(), " PARAMETER C_BAUDRAT = 115200\n INTERFACE");
  std::ofstream(mss) << text;
  const std::string result = dir / "result.json";
  // Neovim 0.7: vim.lsp.start_client and buf_attach_client.
  const std::string init =
      "local client = vim.lsp.start_client({ name = 'tavsw', cmd = { " + Lua(tavsw) +
      ", 'lsp', '--repo', " + Lua(dir / "repo") + " }, root_dir = " + Lua(dir.Path()) + " })\n"
      "vim.cmd('edit ' .. vim.fn.fnameescape(" + Lua(mss) + "))\n"
      "local buf = vim.api.nvim_get_current_buf()\n"
      "vim.lsp.buf_attach_client(buf, client)\n"
      "local waited = vim.wait(30000, function() return #vim.diagnostic.get(buf) > 0 end, 50)\n"
      "local diagnostics = {}\n"
      "for _, d in ipairs(vim.diagnostic.get(buf)) do\n"
      "  table.insert(diagnostics, { lnum = d.lnum, severity = d.severity, message = d.message })\n"
      "end\n"
      "local labels = {}\n"
      "local answers = vim.lsp.buf_request_sync(buf, 'textDocument/completion', {\n"
      "  textDocument = { uri = vim.uri_from_bufnr(buf) }, position = { line = 28, character = 13 } }, 30000)\n"
      "for _, a in pairs(answers or {}) do\n"
      "  local items = a.result and (a.result.items or a.result) or {}\n"
      "  for _, i in ipairs(items) do table.insert(labels, i.label) end\n"
      "end\n"
      "local f = io.open(" + Lua(result) + ", 'w')\n"
      "f:write(vim.fn.json_encode({ waited = waited, diagnostics = diagnostics, labels = labels }))\n"
      "f:close()\n"
      "vim.lsp.stop_client(client)\n"
      "vim.cmd('qa!')\n";
  const std::string script = dir.Write("init.lua", init);
  // No user configuration, no shared state: everything in the scratch folder.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string var = *e;
    if (var.starts_with("HOME=") || var.starts_with("XDG_") || var.starts_with("VIM") ||
        var.starts_with("MYVIMRC="))
      continue;
    env.push_back(var);
  }
  for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
    env.push_back(std::string(xdg) + "=" + (dir / "xdg"));
  env.push_back("HOME=" + dir.Path());
  const std::string log = dir / "nvim.log";
  const int status = RunWithTimeout({nvim, "--headless", "-n", "-i", "NONE", "-u", script},
                                    env, log, 90);
  ASSERT_EQ(0, status) << tavtest::ReadFile(log);
  ASSERT_TRUE(fs::exists(result)) << tavtest::ReadFile(log);
  const auto got = nlohmann::json::parse(tavtest::ReadFile(result));
  EXPECT_EQ(true, got["waited"]);
  EXPECT_EQ((nlohmann::json::array({{{"lnum", 28},
                                     {"severity", 1},
                                     {"message", "C_BAUDRAT is not a configurable parameter for "
                                                 "driver tavuart"}}})),
            got["diagnostics"]);
  EXPECT_EQ((nlohmann::json::array({"C_BAUDRATE", "C_PARITY", "DRIVER_NAME", "DRIVER_VER",
                                    "HW_INSTANCE"})),
            got["labels"]);
}

}  // namespace

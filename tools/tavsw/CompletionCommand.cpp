// tavsw completion bash|zsh|fish: a completion script for the shell, made
// from the commands and options the tool declares, so that it never lags
// behind them.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "InfoCommands.h"
#include "Tavsw.h"

namespace tavsw {
namespace {

// What a word completes to: a kind of file, directories, or nothing.
enum class Kind { kNone, kMss, kJson, kTcl, kDefinitionOrMss, kDir, kAnyFile };

struct Opt {
  std::vector<std::string> longs, shorts;  // without dashes
  bool takesValue = false;
  Kind kind = Kind::kNone;
  std::vector<std::string> choices;  // fixed values, when known
  std::string help;
};

struct Cmd {
  std::string name;   // "build"; "repo list" for a repository command
  std::string help;
  std::vector<Opt> opts;
  Kind positional = Kind::kNone;  // what its file arguments are
  std::vector<std::string> subs;  // "repo": its own commands
};

// The kind of file an option's value or a positional argument names,
// by its name; the same names mean the same files in every command.
Kind KindOf(const std::string& command, const std::string& name) {
  if (name == "hw") return Kind::kJson;
  if (name == "repo") return Kind::kDir;
  if (name == "template" || name == "system") return Kind::kMss;
  if (name == "output") return Kind::kAnyFile;
  if (name == "script") return Kind::kTcl;
  if (name == "files") return command == "parse" ? Kind::kDefinitionOrMss : Kind::kMss;
  return Kind::kNone;
}

std::vector<Opt> OptionsOf(const std::string& command, const CLI::App& app) {
  std::vector<Opt> out;
  for (const CLI::Option* o : app.get_options()) {
    if (!o->nonpositional()) continue;
    Opt opt;
    opt.longs = o->get_lnames();
    opt.shorts = o->get_snames();
    opt.takesValue = o->get_type_size() > 0;
    opt.kind = opt.longs.empty() ? Kind::kNone : KindOf(command, opt.longs.front());
    opt.help = o->get_description();
    out.push_back(std::move(opt));
  }
  return out;
}

Kind PositionalOf(const std::string& command, const CLI::App& app) {
  Kind kind = Kind::kNone;
  for (const CLI::Option* o : app.get_options())
    if (!o->nonpositional() && kind == Kind::kNone) kind = KindOf(command, o->get_name());
  return kind;
}

// Every command of the tool as the command line declares it, and the tool's
// own options first (as a command named "").
std::vector<Cmd> Commands() {
  CLI::App app{"", "tavsw"};
  app.set_version_flag("--version", "");
  std::string ignored;
  app.add_option("--diagnostics", ignored, "How diagnostics are printed on stderr");
  app.add_option("--max-errors", ignored, "Show at most N errors");
  std::vector<std::unique_ptr<Command>> commands = MakeCommands();
  std::vector<Cmd> out;
  Cmd top;
  top.opts = OptionsOf("", app);
  for (Opt& o : top.opts)
    if (!o.longs.empty() && o.longs.front() == "diagnostics") o.choices = {"text", "gcc", "json"};
  for (auto& c : commands) {
    CLI::App* sub = app.add_subcommand(c->Name(), c->Help());
    c->Declare(*sub);
    top.subs.push_back(c->Name());
    Cmd cmd{c->Name(), c->Help(), OptionsOf(c->Name(), *sub), PositionalOf(c->Name(), *sub), {}};
    for (const CLI::App* s : sub->get_subcommands([](const CLI::App*) { return true; }))
      cmd.subs.push_back(s->get_name());
    out.push_back(std::move(cmd));
    for (const CLI::App* s : sub->get_subcommands([](const CLI::App*) { return true; }))
      out.push_back({std::string(c->Name()) + " " + s->get_name(), s->get_description(),
                     OptionsOf(s->get_name(), *s), PositionalOf(s->get_name(), *s), {}});
  }
  out.insert(out.begin(), std::move(top));
  return out;
}

std::string Join(const std::vector<std::string>& words, const char* sep = " ") {
  std::string out;
  for (const auto& w : words) out += (out.empty() ? "" : sep) + w;
  return out;
}

std::string OptionWords(const Cmd& c) {
  std::vector<std::string> words;
  for (const Opt& o : c.opts) {
    for (const auto& l : o.longs) words.push_back("--" + l);
    for (const auto& s : o.shorts) words.push_back("-" + s);
  }
  return Join(words);
}

// The words of an option that takes a value, for a shell's case pattern.
std::string ValuePattern(const Opt& o) {
  std::vector<std::string> words;
  for (const auto& l : o.longs) words.push_back("--" + l);
  for (const auto& s : o.shorts) words.push_back("-" + s);
  return Join(words, "|");
}

// A text inside single quotes, for any of the three shells.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The first sentence of a help text, short enough for a menu.
std::string Short(const std::string& help) {
  std::string s = help.substr(0, help.find_first_of(":;(\n"));
  while (!s.empty() && (s.back() == ' ' || s.back() == ',')) s.pop_back();
  if (s.size() > 70) s = s.substr(0, 67) + "...";
  return s;
}

const char* BashFiles(Kind k) {
  switch (k) {
    case Kind::kMss: return "_tavsw_files 'mss'";
    case Kind::kJson: return "_tavsw_files 'json'";
    case Kind::kTcl: return "_tavsw_files 'tcl'";
    case Kind::kDefinitionOrMss: return "_tavsw_files 'mss|mdd|mld'";
    case Kind::kDir: return "COMPREPLY=($(compgen -d -- \"$cur\"))";
    case Kind::kAnyFile: return "COMPREPLY=($(compgen -f -- \"$cur\"))";
    case Kind::kNone: break;
  }
  return "";
}

// The options that take a value, with what completes it, gathered over
// every command: one name means one kind of value everywhere.
std::map<std::string, Opt> ValueOptions(const std::vector<Cmd>& cmds) {
  std::map<std::string, Opt> out;
  for (const Cmd& c : cmds)
    for (const Opt& o : c.opts)
      if (o.takesValue) out.emplace(ValuePattern(o), o);
  return out;
}

std::string Bash(const std::vector<Cmd>& cmds) {
  std::string s =
      "# bash completion for tavsw (made by `tavsw completion bash`)\n"
      "_tavsw_files() {\n"
      "  local IFS=$'\\n' f\n"
      "  COMPREPLY=($(compgen -d -- \"$cur\"))\n"
      "  for f in $(compgen -f -- \"$cur\"); do\n"
      "    [[ -f $f && $f =~ \\.($1)$ ]] && COMPREPLY+=(\"$f\")\n"
      "  done\n"
      "  compopt -o filenames 2>/dev/null\n"
      "}\n"
      "_tavsw() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      "  local cmd='' i\n"
      "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      "    case ${COMP_WORDS[i]} in\n"
      "      --diagnostics|--max-errors) ((i++)) ;;\n"
      "      -*) ;;\n"
      "      *) if [[ -z $cmd ]]; then cmd=${COMP_WORDS[i]}\n"
      "         elif [[ $cmd == repo ]]; then cmd=\"repo ${COMP_WORDS[i]}\"; fi ;;\n"
      "    esac\n"
      "  done\n"
      "  case $prev in\n";
  for (const auto& [pattern, o] : ValueOptions(cmds)) {
    s += "    " + pattern + ")\n      ";
    if (!o.choices.empty())
      s += "COMPREPLY=($(compgen -W '" + Join(o.choices) + "' -- \"$cur\"))";
    else if (o.kind != Kind::kNone)
      s += BashFiles(o.kind);
    s += "\n      return ;;\n";
  }
  s += "  esac\n  local opts='' words='' files=''\n  case $cmd in\n";
  for (const Cmd& c : cmds) {
    s += "    " + Quoted(c.name) + ") opts=" + Quoted(OptionWords(c));
    if (!c.subs.empty()) s += "; words=" + Quoted(Join(c.subs));
    if (c.positional != Kind::kNone) s += "; files=" + Quoted(BashFiles(c.positional));
    s += " ;;\n";
  }
  s += "  esac\n"
       "  if [[ $cur == -* ]]; then\n"
       "    COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
       "  elif [[ -n $words ]]; then\n"
       "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
       "  elif [[ -n $files ]]; then\n"
       "    eval \"$files\"\n"
       "  fi\n"
       "}\n"
       "complete -F _tavsw tavsw\n";
  return s;
}

const char* ZshFiles(Kind k) {
  switch (k) {
    case Kind::kMss: return "_files -g '*.mss(-.)'";
    case Kind::kJson: return "_files -g '*.json(-.)'";
    case Kind::kTcl: return "_files -g '*.tcl(-.)'";
    case Kind::kDefinitionOrMss: return "_files -g '*.(mss|mdd|mld)(-.)'";
    case Kind::kDir: return "_files -/";
    case Kind::kAnyFile: return "_files";
    case Kind::kNone: break;
  }
  return "";
}

std::string Zsh(const std::vector<Cmd>& cmds) {
  std::string s =
      "#compdef tavsw\n"
      "# zsh completion for tavsw (made by `tavsw completion zsh`)\n"
      "_tavsw() {\n"
      "  local cmd='' i\n"
      "  for ((i = 2; i < CURRENT; i++)); do\n"
      "    case ${words[i]} in\n"
      "      --diagnostics|--max-errors) ((i++)) ;;\n"
      "      -*) ;;\n"
      "      *) if [[ -z $cmd ]]; then cmd=${words[i]}\n"
      "         elif [[ $cmd == repo ]]; then cmd=\"repo ${words[i]}\"; fi ;;\n"
      "    esac\n"
      "  done\n"
      "  local cur=${words[CURRENT]} prev=${words[CURRENT-1]}\n"
      "  case $prev in\n";
  for (const auto& [pattern, o] : ValueOptions(cmds)) {
    s += "    " + pattern + ")\n      ";
    if (!o.choices.empty())
      s += "compadd -- " + Join(o.choices);
    else if (o.kind != Kind::kNone)
      s += ZshFiles(o.kind);
    s += "\n      return ;;\n";
  }
  s += "  esac\n  local -a opts subs\n  local files=''\n  case $cmd in\n";
  for (const Cmd& c : cmds) {
    s += "    " + Quoted(c.name) + ") opts=(" + OptionWords(c) + ")";
    if (!c.subs.empty()) s += "; subs=(" + Join(c.subs) + ")";
    if (c.positional != Kind::kNone) s += "; files=" + Quoted(ZshFiles(c.positional));
    s += " ;;\n";
  }
  s += "  esac\n"
       "  if [[ $cur == -* ]]; then\n"
       "    compadd -- $opts\n"
       "  elif (( ${#subs} )); then\n"
       "    compadd -- $subs\n"
       "  elif [[ -n $files ]]; then\n"
       "    eval $files\n"
       "  fi\n"
       "}\n"
       "if [[ $zsh_eval_context[-1] == loadautofunc ]]; then\n"
       "  _tavsw \"$@\"\n"
       "else\n"
       "  compdef _tavsw tavsw\n"
       "fi\n";
  return s;
}

// Files of the kind and directories to descend into; fish's own suffix
// helper also offers every other file.
std::string FishFiles(Kind k) {
  auto only = [](const char* exts) {
    return "(__fish_complete_path (commandline -ct) | string match -r -- \"^.*(?:\\.(?:" +
           std::string(exts) + ")|/)\\t.*\\$\")";
  };
  switch (k) {
    case Kind::kMss: return only("mss");
    case Kind::kJson: return only("json");
    case Kind::kTcl: return only("tcl");
    case Kind::kDefinitionOrMss: return only("mss|mdd|mld");
    case Kind::kDir: return "(__fish_complete_directories)";
    case Kind::kAnyFile: return "(__fish_complete_path)";
    case Kind::kNone: break;
  }
  return "";
}

std::string Fish(const std::vector<Cmd>& cmds) {
  std::string s =
      "# fish completion for tavsw (made by `tavsw completion fish`)\n"
      "complete -c tavsw -f\n";
  std::vector<std::string> top;
  for (const Cmd& c : cmds)
    if (!c.name.empty() && c.name.find(' ') == std::string::npos) top.push_back(c.name);
  const std::string noCommand = "not __fish_seen_subcommand_from " + Join(top);
  for (const Cmd& c : cmds) {
    std::string cond;
    if (c.name.empty()) {
      cond = noCommand;
    } else if (c.name.find(' ') == std::string::npos) {
      cond = "__fish_seen_subcommand_from " + c.name;
      s += "complete -c tavsw -n " + Quoted(noCommand) + " -a " + c.name + " -d " +
           Quoted(Short(c.help)) + "\n";
      if (!c.subs.empty()) {
        const std::string noSub = cond + "; and not __fish_seen_subcommand_from " + Join(c.subs);
        for (const Cmd& sub : cmds)
          if (sub.name.starts_with(c.name + " "))
            s += "complete -c tavsw -n " + Quoted(noSub) + " -a " +
                 sub.name.substr(c.name.size() + 1) + " -d " + Quoted(Short(sub.help)) + "\n";
      }
    } else {
      const size_t sp = c.name.find(' ');
      cond = "__fish_seen_subcommand_from " + c.name.substr(0, sp) +
             "; and __fish_seen_subcommand_from " + c.name.substr(sp + 1);
    }
    for (const Opt& o : c.opts) {
      s += "complete -c tavsw -n " + Quoted(cond);
      for (const auto& l : o.longs) s += " -l " + l;
      for (const auto& sh : o.shorts) s += " -s " + sh;
      if (o.takesValue) {
        // -x: the value is what -a lists, not any file; -F: any file.
        if (!o.choices.empty())
          s += " -x -a " + Quoted(Join(o.choices));
        else if (o.kind == Kind::kAnyFile)
          s += " -r -F";
        else if (o.kind != Kind::kNone)
          s += " -x -a " + Quoted(FishFiles(o.kind));
        else
          s += " -x";
      }
      s += " -d " + Quoted(Short(o.help)) + "\n";
    }
    if (c.positional != Kind::kNone)
      s += "complete -c tavsw -n " + Quoted(cond) + " -a " + Quoted(FishFiles(c.positional)) +
           "\n";
  }
  return s;
}

class CompletionCommand : public Command {
 public:
  const char* Name() const override { return "completion"; }
  const char* Help() const override {
    return "Print the completion script for a shell (bash, zsh or fish): commands, options, and "
           "file names by kind (.mss, .json, directories for --repo)";
  }
  void Declare(CLI::App& app) override {
    app.add_option("shell", shell_, "bash, zsh or fish")->required();
  }
  int Run(Context& ctx) override {
    const std::vector<std::string> shells = {"bash", "zsh", "fish"};
    if (shell_ != "bash" && shell_ != "zsh" && shell_ != "fish") {
      ctx.diag.Tool(MsgSeverity::kError,
                    "no completion for the shell '" + shell_ + "' (shells: bash, zsh, fish)");
      NoteClosest(ctx, shell_, shells, true);
      return kTavswUsage;
    }
    const std::vector<Cmd> cmds = Commands();
    ctx.out << (shell_ == "bash" ? Bash(cmds) : shell_ == "zsh" ? Zsh(cmds) : Fish(cmds));
    return kTavswOk;
  }

 private:
  std::string shell_;
};

}  // namespace

std::unique_ptr<Command> MakeCompletionCommand() { return std::make_unique<CompletionCommand>(); }

}  // namespace tavsw

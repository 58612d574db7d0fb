// The tavsw command line: reads, summarises and rewrites the platform
// files (MSS, MDD, MLD) of the software database.
//
//   tavsw --version                 prints "tavsw <version>"
//   tavsw parse [-q] [--json] FILE... reads each .mdd, .mld or .mss file,
//                                   prints the diagnostics to `err` and what
//                                   was read to `out`
//   tavsw fmt [--check] [--diff] [--force] [-o OUT] FILE.mss...
//                                   rewrites MSS files in the standard layout
//   tavsw repo list|find ...        queries the software repositories
//   tavsw build SYSTEM.mss --hw HW.json [--repo DIR]... [--proc NAME] [--json]
//                                   builds the runtime model and shows it per
//                                   processor
//   tavsw check SYSTEM.mss [--hw HW.json] [--repo DIR]... [--json]
//                                   checks an MSS against its definitions
//   tavsw tcl SCRIPT.tcl SYSTEM.mss --hw HW.json [...] [-- ARG...]
//                                   runs a Tcl script on the model
//   tavsw new -o OUT.mss --hw HW.json --proc CPU [...]
//                                   makes the MSS of a processor
//   tavsw edit SYSTEM.mss --hw HW.json ACTION...
//                                   changes an MSS, writing it once if changed
//   tavsw query WHAT ARGS...        asks the software database
//   tavsw flags --hw HW.json --proc CPU
//                                   the compiler options of a processor
//   tavsw lsp [--repo DIR]... [--hw HW.json]
//                                   the language server for editors
// Every command takes --diagnostics=text|gcc|json and --max-errors N.
//
// The whole program lives in this library unit so that tests run it
// in-process; main() only forwards to TavswMain.
#ifndef TAVSOFTWARE_TOOLS_TAVSW_H
#define TAVSOFTWARE_TOOLS_TAVSW_H

#include <iosfwd>

// Exit status of the tool.
enum TavswExit {
  kTavswOk = 0,      // done, no error reported
  kTavswErrors = 1,  // an input had errors, or a lookup found nothing
  kTavswUsage = 2    // bad command line, unknown file type, or an output not written
};

// Runs the tool on `argv` (argv[0] is the program name). Results go to
// `out`, diagnostics and usage messages to `err`. Returns a TavswExit value.
// Every message the library issues during the call is routed to `err` in the
// form --diagnostics asks for (by default with its severity prefix, "ERROR: ",
// "WARNING: ", ...); the previous message sink is restored before returning.
//
// With `processEnds` (main() alone gives it: the process ends once the call
// returns), a command may leave the big structures it built (a model, a
// hardware database, a parsed tree) for the system to take back at exit
// instead of taking them apart node by node.
//
// `tcl --interactive` reads its commands from the standard input; it shows
// a prompt only when that is a terminal.
int TavswMain(int argc, char** argv, std::ostream& out, std::ostream& err,
              bool processEnds = false);
// The same, with `in` as the input of `tcl --interactive` (a terminal only
// when it is std::cin and that is one).
int TavswMain(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
              bool processEnds = false);

#endif  // TAVSOFTWARE_TOOLS_TAVSW_H

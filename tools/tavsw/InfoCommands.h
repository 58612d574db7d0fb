// What the commands that explain a system and help at the shell share with
// the rest of the tool: the closest known names to a mistyped one.
#ifndef TAVSOFTWARE_TOOLS_INFOCOMMANDS_H
#define TAVSOFTWARE_TOOLS_INFOCOMMANDS_H

#include <memory>
#include <string>
#include <vector>

#include "Command.h"

namespace tavsw {

// The known names closest to `typed`, at most three, closest first: those
// within two edits that change fewer than half the letters, else the only
// name `typed` begins (three letters or more). Names compare ignoring case
// unless `exactCase`.
std::vector<std::string> ClosestNames(const std::string& typed,
                                      const std::vector<std::string>& known,
                                      bool exactCase = false);
// "did you mean 'a'?", "did you mean 'a' or 'b'?", "did you mean 'a', 'b'
// or 'c'?"; "" for no names.
std::string DidYouMean(const std::vector<std::string>& names);
// Adds the note "did you mean ...?" after a message about the unknown
// `typed`, when some known name is close.
void NoteClosest(Context& ctx, const std::string& typed, const std::vector<std::string>& known,
                 bool exactCase = false);

std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeExplainCommand();
// `commands`: the tool's other commands, whose options the scripts complete.
std::unique_ptr<Command> MakeCompletionCommand();

}  // namespace tavsw

#endif  // TAVSOFTWARE_TOOLS_INFOCOMMANDS_H

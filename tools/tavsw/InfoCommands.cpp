#include "Command.h"

namespace tavsw {

std::vector<std::unique_ptr<Command>> MakeInfoCommands() { return {}; }

}  // namespace tavsw

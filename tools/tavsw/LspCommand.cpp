#include "Command.h"

namespace tavsw {

std::vector<std::unique_ptr<Command>> MakeLspCommands() { return {}; }

}  // namespace tavsw

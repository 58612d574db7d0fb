#include "HwDb.h"

namespace TavHwDb {
HwDb::~HwDb() = default;
}  // namespace TavHwDb

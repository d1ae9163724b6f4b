// Linked into the test-only copy of the game: its saves see the disk that the
// test names in the environment.
#include "PretendDisk.h"

namespace {
const bool pretending = (PretendDisk::useNamedInEnvironment(), true);
}

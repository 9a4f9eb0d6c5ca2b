// The engine's version, printed by --version of the player and the tools as
// "NAME 0.2.0 (rev abc1234)": the release number and the source revision the
// program was built from. The build writes both into core/Revision.h of its own
// tree at every build (cmake/Revision.cmake), and rewrites it only when they
// change, so a commit recompiles just the files that print the version.
#ifndef HALVENOR_CORE_VERSION_H
#define HALVENOR_CORE_VERSION_H

#include "core/Revision.h"

#define HALVENOR_VERSION HALVENOR_VERSION_NUMBER " (rev " HALVENOR_REVISION ")"

#endif

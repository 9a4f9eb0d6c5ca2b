// The engine's version, printed by --version of the player and the tools.
#ifndef HALVENOR_CORE_VERSION_H
#define HALVENOR_CORE_VERSION_H

#define HALVENOR_VERSION "0.1.0"

#endif

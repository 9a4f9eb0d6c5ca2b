// The Windows Fonts folder, where a tool finds a monospaced TrueType font
// such as Lucida Console without asking the user.
//
// Contract: DefaultMonospacedFont answers the path of a readable monospaced
// TrueType file the system keeps, or an empty string when there is none. On
// Linux: DejaVu Sans Mono, wherever the common distributions install it. On
// Windows: DejaVuSansMono.ttf beside the program first (a release may carry
// it), then in the Fonts folder (GetWindowsDirectoryA + "\Fonts"), then that
// folder's Consolas, Lucida Console and Courier New. It reads no
// configuration and starts no font service, so its answer depends only on
// which files exist. DefaultFontPlaces lists where it looks, in that order,
// for messages; its first place is the one a tool names when none is there.
// DefaultFontHint says how to get one (Linux: the Debian package; Windows:
// the file beside the program).
#ifndef HALVENOR_PLATFORM_SYSTEMFONT_H
#define HALVENOR_PLATFORM_SYSTEMFONT_H

#include <string>
#include <vector>

namespace Platform {

std::string DefaultMonospacedFont();
const std::vector<std::string>& DefaultFontPlaces();
std::string DefaultFontHint();

}  // namespace Platform

#endif

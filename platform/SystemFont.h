// Stands in for the Windows Fonts folder, where a tool finds a monospaced
// TrueType font such as Lucida Console without asking the user.
//
// Contract: DefaultMonospacedFont answers the path of a readable monospaced
// TrueType file the system keeps (DejaVu Sans Mono, wherever the common
// distributions install it), or an empty string when there is none. It reads
// no configuration and starts no font service, so its answer depends only on
// which files exist. DefaultFontPlaces lists where it looks, for messages.
#ifndef HALVENOR_PLATFORM_SYSTEMFONT_H
#define HALVENOR_PLATFORM_SYSTEMFONT_H

#include <string>
#include <vector>

namespace Platform {

std::string DefaultMonospacedFont();
const std::vector<std::string>& DefaultFontPlaces();

}  // namespace Platform

#endif

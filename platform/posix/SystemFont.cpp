// Stands in for the Windows Fonts folder on Linux (contract in SystemFont.h):
// DejaVu Sans Mono where the common distributions install it.
#include "platform/SystemFont.h"

#include <unistd.h>

namespace Platform {

const std::vector<std::string>& DefaultFontPlaces() {
    // Debian and Ubuntu (fonts-dejavu-core), Fedora, Arch, then a local install.
    static const std::vector<std::string> places = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
        "/usr/share/fonts/dejavu-sans-mono-fonts/DejaVuSansMono.ttf",
        "/usr/share/fonts/dejavu/DejaVuSansMono.ttf",
        "/usr/share/fonts/TTF/DejaVuSansMono.ttf",
        "/usr/local/share/fonts/DejaVuSansMono.ttf",
    };
    return places;
}

std::string DefaultMonospacedFont() {
    for (const std::string& place : DefaultFontPlaces()) {
        if (access(place.c_str(), R_OK) == 0) {
            return place;
        }
    }
    return std::string();
}

std::string DefaultFontHint() { return "Debian: apt-get install fonts-dejavu-core"; }

}  // namespace Platform

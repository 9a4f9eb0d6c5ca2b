#include "sync/TrackName.h"

#include <cstring>

namespace {

const char* const kLayerWords[] = {"alpha", "x", "y", "scale", "angle"};
const char* const kSceneWords[] = {"fov", "roll", "fog_start", "fog_end"};

bool Same(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (c != b[i]) {
            return false;
        }
    }
    return true;
}

template <int N>
int Find(const char* const (&words)[N], const std::string& property) {
    for (int i = 0; i < N; ++i) {
        if (Same(property, words[i])) {
            return i;
        }
    }
    return -1;
}

}  // namespace

bool TrackName::Split(const std::string& trackName, std::string& resource, std::string& property) {
    const size_t colon = trackName.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == trackName.size()) {
        return false;
    }
    resource = trackName.substr(0, colon);
    property = trackName.substr(colon + 1);
    return true;
}

TrackName::LayerProperty TrackName::ForLayer(const std::string& property) {
    return static_cast<LayerProperty>(Find(kLayerWords, property));
}

TrackName::SceneProperty TrackName::ForScene(const std::string& property) {
    return static_cast<SceneProperty>(Find(kSceneWords, property));
}

const char* TrackName::LayerWords() { return "alpha, x, y, scale, angle"; }

const char* TrackName::SceneWords() { return "fov, roll, fog_start, fog_end"; }

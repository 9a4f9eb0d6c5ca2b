// What a track's name says it drives: "NAME:property", NAME a layer or a
// scene (the last colon splits, so names may hold colons), property one of
// the words below for a layer or a scene, or, on a layer, a shader's
// uniform. The engine binds names by these words and the show checker
// checks them by the same.
#ifndef HALVENOR_SYNC_TRACKNAME_H
#define HALVENOR_SYNC_TRACKNAME_H

#include <string>

class TrackName {
public:
    enum class LayerProperty { None = -1, Alpha, X, Y, Scale, Angle };
    enum class SceneProperty { None = -1, Fov, Roll, FogStart, FogEnd };

    // False when the name has no colon, or nothing before or after it.
    static bool Split(const std::string& trackName, std::string& resource, std::string& property);
    // The property's word in any letter case.
    static LayerProperty ForLayer(const std::string& property);
    static SceneProperty ForScene(const std::string& property);
    // "alpha, x, y, scale, angle" and "fov, roll, fog_start, fog_end", for
    // messages.
    static const char* LayerWords();
    static const char* SceneWords();
};

#endif

// A material: two texture map slots and its surface values.
#ifndef HALVENOR_SCENE_MATERIAL_H
#define HALVENOR_SCENE_MATERIAL_H

#include <cstring>

#include "scene/MaterialProps.h"
#include "scene/TextureMap.h"

class Material {
public:
    static constexpr int kMapSlots = 2;

    Material() : props() {}

    void SetProps(const MaterialProps& newProps) { props = newProps; }
    MaterialProps GetProps() const { return props; }
    // The caller keeps slot below kMapSlots.
    void SetMap(int slot, const TextureMap& map) { maps[slot] = map; }
    TextureMap GetMap(int slot) const { return maps[slot]; }
    void SetName(const char* text) {
        std::strncpy(props.name, text, MaterialProps::kNameSize - 1);
        props.name[MaterialProps::kNameSize - 1] = '\0';
    }

    // Sets the OpenGL state of the material: texture units, blending and depth
    // writes by opacity, culling, emission.
    void Apply() const;

    TextureMap maps[kMapSlots];
    MaterialProps props;
};

#endif

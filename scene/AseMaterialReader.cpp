#include "scene/AseMaterialReader.h"


#include <cctype>
#include <cstring>

#include "core/Log.h"
#include "scene/AseImportBudget.h"
#include "scene/Material.h"
#include "scene/Scene.h"

namespace {

// The fewest bytes of text a material block can take, as an export writes
// it: the largest record of a scene (720 bytes) then costs at most 45 bytes
// of memory per byte of text.
constexpr size_t kMaterialBlockBytes = sizeof("*MATERIAL 0 {\n}\n") - 1;

// The first length characters equal, ignoring ASCII letter case (the text
// read holds at least that many).
bool EqualsIgnoringCase(const char* text, const char* word, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

// What one material block has given so far. The numbers lines read stay
// from one line to the next: a line whose number does not read applies the
// last one that did, as a scanf into the same variable would.
struct AseMaterialReader::Block {
    explicit Block(uint32_t position)
        : material(),
          props(),
          number(static_cast<int32_t>(position)),
          transparency(0.0f),
          selfIllumination(0.0f),
          vOffset(0.0f),
          bitmaps(0),
          depth(0),
          complete(false) {
        // A material without its number line goes to its place in the list,
        // and that place is its number when the scene is written out.
        props.index = number;
    }

    Material material;
    MaterialProps props;
    int32_t number;
    float transparency;
    float selfIllumination;
    float vOffset;
    int bitmaps;
    int depth;
    bool complete;
};

AseMaterialReader::AseMaterialReader(AseScanner& textScanner, AseImportBudget& importBudget, Scene& target)
    : scanner(textScanner), budget(importBudget), scene(target) {}

void AseMaterialReader::ReadList() {
    Log::Write("]> - CARGANDO MATERIALES.\n");
    AseScanner::Token token;
    bool counted = false;
    while (!counted && scanner.NextToken(token)) {
        counted = token.Is("*MATERIAL_COUNT");
    }
    if (!counted) {
        return;
    }
    int32_t announced = 0;
    scanner.ReadInt(announced);
    const uint32_t count = budget.BoundedCount("*MATERIAL_COUNT", announced, kMaterialBlockBytes);
    scene.InitMaterials(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadMaterial(i)) {
            break;
        }
    }
}

bool AseMaterialReader::ReadMaterial(uint32_t position) {
    Block block(position);
    AseScanner::Token token;
    while (!block.complete && scanner.NextToken(token)) {
        if (!ReadSurfaceValue(token, block)) {
            ReadMapValue(token, block);
        }
    }
    // A block the file cut short may be anything (the reader may have run
    // past the list); only finished materials are stored.
    if (block.complete) {
        block.material.SetProps(block.props);
        scene.SetMaterial(static_cast<uint32_t>(block.number), block.material);
    }
    return block.complete;
}

bool AseMaterialReader::ReadSurfaceValue(const AseScanner::Token& token, Block& block) {
    MaterialProps& props = block.props;
    if (token.Is("{")) {
        ++block.depth;
    } else if (token.Is("}")) {
        block.complete = --block.depth == 0;
    } else if (token.Is("*MATERIAL")) {
        scanner.ReadInt(block.number);
        props.index = block.number;
    } else if (token.Is("*MATERIAL_NAME")) {
        scanner.ReadQuotedName(props.name, MaterialProps::kNameSize);
    } else if (token.Is("*MATERIAL_AMBIENT")) {
        scanner.ReadFloats(props.ambient, 3);
    } else if (token.Is("*MATERIAL_DIFFUSE")) {
        scanner.ReadFloats(props.diffuse, 3);
    } else if (token.Is("*MATERIAL_SPECULAR")) {
        scanner.ReadFloats(props.specular, 3);
    } else if (token.Is("*MATERIAL_SHINE")) {
        scanner.ReadFloat(props.shininess);
    } else if (token.Is("*MATERIAL_TWOSIDED")) {
        props.twoSided = 1;
    } else if (token.Is("*MATERIAL_TRANSPARENCY")) {
        scanner.ReadFloat(block.transparency);
        props.ambient[3] = props.diffuse[3] = props.specular[3] = 1.0f - block.transparency;
    } else if (token.Is("*MATERIAL_SELFILLUM")) {
        scanner.ReadFloat(block.selfIllumination);
        props.emission[0] = props.emission[1] = props.emission[2] = block.selfIllumination;
    } else if (token.Is("*BITMAP")) {
        ReadBitmap(block);
    } else {
        return false;
    }
    return true;
}

void AseMaterialReader::ReadBitmap(Block& block) {
    char name[AseScanner::kQuotedNameSize];
    scanner.ReadQuotedName(name, sizeof name);
    // Names past the slots are read (the line must go) and dropped.
    if (++block.bitmaps <= Material::kMapSlots) {
        TextureMap named;
        std::strncpy(named.file, name, TextureMap::kFileSize - 1);
        block.material.SetMap(block.bitmaps - 1, named);
        block.props.mapCount = block.bitmaps;
    }
}

void AseMaterialReader::ReadMapValue(const AseScanner::Token& token, Block& block) {
    // Map keywords address the last map named by *BITMAP; before the first
    // one, or after a third one, there is no slot to change, but the value
    // is still read.
    const int slot = block.bitmaps - 1;
    const bool haveSlot = slot >= 0 && slot < Material::kMapSlots;
    TextureMap map = haveSlot ? block.material.GetMap(slot) : TextureMap();
    bool mapChanged = false;
    if (token.Is("*MAP_TYPE")) {
        AseScanner::Token type;
        if (scanner.NextToken(type)) {
            map.sphereMap = type.length == 9 && EqualsIgnoringCase(type.text, "Spherical", 9) ? 1 : 0;
            mapChanged = true;
        }
    } else if (token.Is("*UVW_U_TILING")) {
        mapChanged = scanner.ReadFloat(map.uTiling);
    } else if (token.Is("*UVW_V_TILING")) {
        mapChanged = scanner.ReadFloat(map.vTiling);
    } else if (token.Is("*UVW_U_OFFSET")) {
        mapChanged = scanner.ReadFloat(map.uOffset);
    } else if (token.Is("*UVW_V_OFFSET")) {
        scanner.ReadFloat(block.vOffset);
        map.vOffset = -block.vOffset;
        mapChanged = true;
    }
    if (mapChanged && haveSlot) {
        block.material.SetMap(slot, map);
    }
}

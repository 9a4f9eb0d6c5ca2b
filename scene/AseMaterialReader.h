// The material list of an ASE file: its count line, then that many material
// blocks, each stored at the number it gives (its place in the list when it
// gives none) with its surface values and up to two texture maps.
#ifndef HALVENOR_SCENE_ASEMATERIALREADER_H
#define HALVENOR_SCENE_ASEMATERIALREADER_H

#include <cstdint>

#include "scene/AseScanner.h"

class AseImportBudget;
class Scene;

class AseMaterialReader {
public:
    AseMaterialReader(AseScanner& scanner, AseImportBudget& budget, Scene& scene);
    AseMaterialReader(const AseMaterialReader&) = delete;
    AseMaterialReader& operator=(const AseMaterialReader&) = delete;

    // Entered just after *MATERIAL_LIST.
    void ReadList();

private:
    struct Block;

    // False when the end of the text came before the material was complete.
    bool ReadMaterial(uint32_t position);
    // Braces and the material's own values; false for any other token.
    bool ReadSurfaceValue(const AseScanner::Token& token, Block& block);
    // The values of the map the last *BITMAP named.
    void ReadMapValue(const AseScanner::Token& token, Block& block);
    void ReadBitmap(Block& block);

    AseScanner& scanner;
    AseImportBudget& budget;
    Scene& scene;
};

#endif

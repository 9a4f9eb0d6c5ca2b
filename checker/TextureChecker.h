// Images the show draws (layers, the loading screen, scene materials,
// particles, the flares): the engine loads a .jpg or .tga name only, a JPEG
// by its start, a TGA only uncompressed at 24 or 32 bits; anything else is
// drawn without its picture.
#ifndef HALVENOR_CHECKER_TEXTURECHECKER_H
#define HALVENOR_CHECKER_TEXTURECHECKER_H

#include <string>

class ShowFindings;

class TextureChecker {
public:
    explicit TextureChecker(ShowFindings& findings) : findings(findings) {}

    // what names the image in the findings ("image", "texture", ...).
    void Check(const std::string& file, int line, const std::string& name, const std::string& what);

private:
    // The file's first bytes against the kind its name says.
    void CheckHeader(const std::string& file, int line, const std::string& name, const std::string& what,
                     bool tga);

    ShowFindings& findings;
};

#endif

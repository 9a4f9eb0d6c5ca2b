#include "checker/TextureChecker.h"

#include <cstdio>
#include <cstring>

#include "checker/FileChecker.h"
#include "checker/FindingText.h"
#include "checker/ShowFindings.h"
#include "platform/FileSystem.h"

namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool IsJpegStart(const unsigned char* header, size_t got) { return got >= 2 && header[0] == 0xFF && header[1] == 0xD8; }

// An uncompressed true-colour TGA header with a size and 24 or 32 bits.
bool IsTgaStart(const unsigned char* header, size_t got) {
    static const unsigned char kTgaStart[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const int width = header[12] | header[13] << 8;
    const int height = header[14] | header[15] << 8;
    return got >= 18 && std::memcmp(header, kTgaStart, sizeof kTgaStart) == 0 && width != 0 && height != 0 &&
           (header[16] == 24 || header[16] == 32);
}

}  // namespace

void TextureChecker::Check(const std::string& file, int line, const std::string& name, const std::string& what) {
    if (name.empty()) {
        return;
    }
    const std::string upper = Upper(name);
    const bool tga = upper.find("TGA") != std::string::npos;
    const bool jpg = !tga && upper.find("JPG") != std::string::npos;
    if (!tga && !jpg) {
        findings.Add(true, file, line, what + " " + FindingText::Quoted(name) +
                                           " is not loaded: the engine reads only .jpg (JPEG) and .tga files, by name");
        return;
    }
    if (FileChecker::Exists(findings, file, line, name, what)) {
        CheckHeader(file, line, name, what, tga);
    }
}

void TextureChecker::CheckHeader(const std::string& file, int line, const std::string& name,
                                 const std::string& what, bool tga) {
    unsigned char header[18] = {};
    FILE* image = Platform::OpenFile(name.c_str(), "rb");
    const size_t got = image != nullptr ? std::fread(header, 1, sizeof header, image) : 0;
    if (image != nullptr) {
        std::fclose(image);
    }
    if (!tga && !IsJpegStart(header, got)) {
        findings.Add(true, file, line, what + " " + FindingText::Quoted(name) +
                                           " is not a JPEG file: it is drawn without its picture");
    } else if (tga && !IsTgaStart(header, got)) {
        findings.Add(true, file, line, what + " " + FindingText::Quoted(name) +
                                           " is not an uncompressed 24- or 32-bit TGA: it is drawn without its picture");
    }
}

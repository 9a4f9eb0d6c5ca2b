// What the checker says of shader layers. The shader file of a LOAD LAYER2D
// ... SHADER line must be there and compile with the driver that will play
// it: each complaint of the driver is a finding on the author's line of the
// shader file. A SET LAYER2D ... CHANNEL line is read as the engine reads it:
// a channel 0 to 3 of a shader layer showing an image, PBUFFER buffer,
// PREVIOUS or MUSIC.
#ifndef HALVENOR_CHECKER_SHADERLAYERCHECKER_H
#define HALVENOR_CHECKER_SHADERLAYERCHECKER_H

#include <string>

struct CheckedShow;
class PreconfigLine;

class ShaderLayerChecker {
public:
    explicit ShaderLayerChecker(CheckedShow& show) : show(show) {}

    // A LOAD LAYER2D line whose type is SHADER.
    static bool IsShaderLayer(const PreconfigLine& words);
    // A SET LAYER2D line whose sub-keyword is CHANNEL.
    static bool IsChannel(const PreconfigLine& words);

    // The shader of a LOAD line that created its layer: watched for reloads,
    // and compiled when it is there.
    void TakeLoad(const std::string& file, int line, const PreconfigLine& words);
    void CheckChannel(const std::string& file, int line, const PreconfigLine& words);

private:
    bool IsShaderLayerName(const std::string& name) const;

    CheckedShow& show;
};

#endif

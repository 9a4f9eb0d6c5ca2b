#include "tools/sampleassets/SampleShader.h"

#include <fstream>

namespace SampleAssets {

namespace {

// Written out as an author would write it: the file is the sample of a
// shader layer in Shadertoy's style.
const char* const kOndas = R"glsl(// Ondas: a shader layer in Shadertoy's style that follows the music. Channel 0
// is the music (SET LAYER2D Ondas CHANNEL 0 MUSIC): its first row the
// spectrum, its second the waveform, as Shadertoy fills it.

// How much of it shows, 0 to 1: the sync track Ondas:glow sets it (it fades
// the layer in as it appears).
uniform float glow;

float Band(float x) { return texture(iChannel0, vec2(x, 0.25)).x; }
float Wave(float x) { return texture(iChannel0, vec2(x, 0.75)).x; }

void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 uv = fragCoord / iResolution.xy;
    vec2 p = (2.0 * fragCoord - iResolution.xy) / iResolution.y;
    float bass = Band(0.03);
    float r = length(p);

    // Rings that run outwards and swell with the bass.
    float rings = 0.5 + 0.5 * sin(22.0 * r - 5.0 * iTime - 6.0 * bass);
    rings = pow(rings, 3.0) * smoothstep(1.5, 0.1, r) * (0.2 + 0.9 * bass);
    vec3 colour = rings * (0.55 + 0.45 * cos(iTime * 0.7 + r * 2.5 + vec3(0.0, 2.1, 4.2)));

    // The spectrum as bars above the frame's lower edge, the low bands
    // spread wider (as the ear hears them).
    float column = floor(uv.x * 64.0) / 64.0;
    float level = Band(column * column * 0.7 + 0.004);
    float height = (uv.y - 0.1) * 4.0;
    float bar = step(0.0, height) * step(height, level) * step(0.15, fract(uv.x * 64.0));
    colour += bar * mix(vec3(0.1, 0.5, 1.0), vec3(1.0, 0.3, 0.6), height);

    // The waveform as a bright line across the middle.
    float line = smoothstep(0.012, 0.0, abs(uv.y - Wave(uv.x)));
    colour += line * vec3(1.0, 0.85, 0.4);

    fragColor = vec4(colour * glow, 1.0);
}
)glsl";

}  // namespace

bool WriteShader(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << kOndas;
    return static_cast<bool>(out);
}

}  // namespace SampleAssets

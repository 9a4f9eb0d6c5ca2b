// Makes, dumps and packs particle definition files.
//
//   ParticleTool make OUT.bin [options]   a new system from a motion type and ranges
//   ParticleTool dump IN.bin              the file as editable text on stdout
//   ParticleTool pack IN.txt OUT.bin      that text back into a file, byte for byte
//   ParticleTool --help
//
// Random values come from a fixed generator seeded by --seed, so the same
// command line always writes the same bytes. Exit status 0 on success, 1 when
// a file cannot be read or written, 2 for a bad command line or bad text.

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Version.h"
#include "fx2d/ParticleFile.h"
#include "platform/FileSystem.h"

namespace {

const char* const kUsage =
    "usage: ParticleTool make OUT.bin [options]\n"
    "       ParticleTool dump IN.bin\n"
    "       ParticleTool pack IN.txt OUT.bin\n"
    "\n"
    "make writes a particle definition file. Ranges are MIN,MAX (or one value);\n"
    "positions are X,Y,Z.\n"
    "  --type spiral|ring|rise|fall   motion type (default fall); a number writes that type\n"
    "  --count N                      particles (default 100, at most 1000000)\n"
    "  --range R                      radius of spiral and ring, height of spiral and rise (default 20)\n"
    "  --size MIN,MAX                 half the side of each particle's square (default 1,2)\n"
    "  --brightness MIN,MAX           colour and alpha, 0 to 1 (default 0.5,1)\n"
    "  --phase MIN,MAX                start along the path: degrees for ring, start height for fall\n"
    "                                 (default spiral 0,R  ring 0,360  rise 0,R  fall R,R)\n"
    "  --step MIN,MAX                 advance per frame (default spiral 0.05,0.2  ring 0.5,2\n"
    "                                 rise 0.1,0.4  fall 0.2,0.8)\n"
    "  --base X,Y,Z                   base position; the ring's centre (default 0,0,0)\n"
    "  --spread X,Y,Z                 random offset of each particle, plus or minus (default 0,0,0)\n"
    "  --billboard yes|no             particles face the viewer (default yes)\n"
    "  --blend N                      blend mode 0 to 10 (default 0, additive)\n"
    "  --texture FILE                 a texture name as the show writes it, up to 10 (repeat the option)\n"
    "  --particle-size S              size value kept in the header (default twice the largest size)\n"
    "  --seed N                       random seed (default 1)\n"
    "\n"
    "dump prints the header, the texture names and one line per particle:\n"
    "  baseX baseY baseZ startX startY startZ posX posY posZ halfSize brightness textureIndex phase step offsetZ\n"
    "pack reads that text back; lines starting with # are comments.\n";

constexpr int kExitFile = 1;
constexpr int kExitUsage = 2;
constexpr uint32_t kMaxCount = 1000000;
constexpr size_t kMaxTextures = 10;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "ParticleTool: %s\n", message.c_str());
    return status;
}

// The generator of the sample assets: the same numbers on every machine.
class Random {
public:
    explicit Random(uint32_t seed) : state(seed) {}
    double Unit() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) * (1.0 / 16777216.0);
    }
    float Between(float low, float high) { return static_cast<float>(low + (high - low) * Unit()); }
    float Around(float spread) { return static_cast<float>(spread * (2.0 * Unit() - 1.0)); }

private:
    uint32_t state;
};

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

bool ParseLong(const std::string& text, long long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return *end == '\0' && errno == 0;
}

// "a,b,c" with exactly count numbers, or one number for every place when
// allowSingle is set.
bool ParseList(const std::string& text, size_t count, bool allowSingle, std::vector<float>& out) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ',')) {
        parts.push_back(part);
    }
    if (!text.empty() && text.back() == ',') {
        return false;
    }
    if (!(parts.size() == count || (allowSingle && parts.size() == 1))) {
        return false;
    }
    out.clear();
    for (const std::string& p : parts) {
        double value;
        if (!ParseDouble(p, value) || std::fabs(value) > 3.0e38) {
            return false;
        }
        out.push_back(static_cast<float>(value));
    }
    while (out.size() < count) {
        out.push_back(out[0]);
    }
    return true;
}

// ---------------------------------------------------------------------------
// make

struct Range {
    float low;
    float high;
};

struct MakeOptions {
    int32_t type = 4;
    uint32_t count = 100;
    float range = 20.0f;
    Range size{1.0f, 2.0f};
    Range brightness{0.5f, 1.0f};
    bool phaseGiven = false;
    Range phase{0.0f, 0.0f};
    bool stepGiven = false;
    Range step{0.0f, 0.0f};
    float base[3] = {0.0f, 0.0f, 0.0f};
    float spread[3] = {0.0f, 0.0f, 0.0f};
    bool billboard = true;
    int32_t blend = 0;
    std::vector<std::string> textures;
    bool particleSizeGiven = false;
    float particleSize = 0.0f;
    uint32_t seed = 1;
};

bool ParseType(const std::string& word, int32_t& type) {
    static const char* const kNames[] = {"spiral", "ring", "rise", "fall"};
    for (int i = 0; i < 4; ++i) {
        if (word == kNames[i]) {
            type = i + 1;
            return true;
        }
    }
    long long number;
    if (ParseLong(word, number) && number >= INT32_MIN && number <= INT32_MAX) {
        type = static_cast<int32_t>(number);
        return true;
    }
    return false;
}

bool ParseRange(const std::string& text, Range& range) {
    std::vector<float> values;
    if (!ParseList(text, 2, true, values) || values[0] > values[1]) {
        return false;
    }
    range = Range{values[0], values[1]};
    return true;
}

// One option and its value; false with a message on a bad one.
bool ApplyOption(const std::string& name, const std::string& value, MakeOptions& options, std::string& error) {
    std::vector<float> xyz;
    long long number = 0;
    double real = 0.0;
    bool ok = true;
    if (name == "--type") {
        ok = ParseType(value, options.type);
    } else if (name == "--count") {
        ok = ParseLong(value, number) && number >= 0 && number <= kMaxCount;
        options.count = static_cast<uint32_t>(number);
    } else if (name == "--range") {
        ok = ParseDouble(value, real) && std::fabs(real) < 3.0e38;
        options.range = static_cast<float>(real);
    } else if (name == "--size") {
        ok = ParseRange(value, options.size) && options.size.low >= 0.0f;
    } else if (name == "--brightness") {
        ok = ParseRange(value, options.brightness) && options.brightness.low >= 0.0f &&
             options.brightness.high <= 1.0f;
    } else if (name == "--phase") {
        ok = ParseRange(value, options.phase);
        options.phaseGiven = true;
    } else if (name == "--step") {
        ok = ParseRange(value, options.step);
        options.stepGiven = true;
    } else if (name == "--base" || name == "--spread") {
        ok = ParseList(value, 3, false, xyz);
        if (ok) {
            std::memcpy(name == "--base" ? options.base : options.spread, xyz.data(), sizeof options.base);
        }
    } else if (name == "--billboard") {
        ok = value == "yes" || value == "no";
        options.billboard = value == "yes";
    } else if (name == "--blend") {
        ok = ParseLong(value, number) && number >= 0 && number <= 10;
        options.blend = static_cast<int32_t>(number);
    } else if (name == "--texture") {
        ok = !value.empty() && value.size() < static_cast<size_t>(ParticleFile::kNameSize) &&
             options.textures.size() < kMaxTextures;
        options.textures.push_back(value);
    } else if (name == "--particle-size") {
        ok = ParseDouble(value, real) && std::fabs(real) < 3.0e38;
        options.particleSize = static_cast<float>(real);
        options.particleSizeGiven = true;
    } else if (name == "--seed") {
        ok = ParseLong(value, number) && number >= 0 && number <= UINT32_MAX;
        options.seed = static_cast<uint32_t>(number);
    } else {
        error = "unknown option " + name + " (see --help)";
        return false;
    }
    if (!ok) {
        error = "bad value for " + name + ": '" + value + "' (see --help)";
    }
    return ok;
}

void FillDefaults(MakeOptions& options) {
    const float r = options.range;
    Range phase{0.0f, r};
    Range step{0.05f, 0.2f};
    switch (options.type) {
        case 2:
            phase = Range{0.0f, 360.0f};
            step = Range{0.5f, 2.0f};
            break;
        case 3:
            step = Range{0.1f, 0.4f};
            break;
        case 4:
            phase = Range{r, r};
            step = Range{0.2f, 0.8f};
            break;
        default:
            break;
    }
    if (!options.phaseGiven) {
        options.phase = phase;
    }
    if (!options.stepGiven) {
        options.step = step;
    }
    if (!options.particleSizeGiven) {
        options.particleSize = 2.0f * options.size.high;
    }
}

// Starting positions that look right on the first frame, before the first
// update moves them: a falling particle starts somewhere on its way down.
Particle MakeParticle(const MakeOptions& options, uint32_t index, Random& random) {
    Particle p{};
    const bool ringCentre = options.type == 2 && index == 0;
    p.baseX = options.base[0] + (ringCentre ? 0.0f : random.Around(options.spread[0]));
    p.baseY = options.base[1] + (ringCentre ? 0.0f : random.Around(options.spread[1]));
    p.baseZ = options.base[2] + (ringCentre ? 0.0f : random.Around(options.spread[2]));
    p.startX = p.baseX;
    p.startY = p.baseY;
    p.startZ = p.baseZ;
    p.halfSize = random.Between(options.size.low, options.size.high);
    p.brightness = random.Between(options.brightness.low, options.brightness.high);
    p.textureIndex = options.textures.empty() ? 0 : static_cast<int32_t>(index % options.textures.size());
    p.phase = random.Between(options.phase.low, options.phase.high);
    p.step = random.Between(options.step.low, options.step.high);
    p.offsetZ = options.type == 1 ? p.baseZ : 0.0f;
    p.posX = p.baseX;
    p.posY = p.baseY;
    p.posZ = p.baseZ;
    if (options.type == 4) {
        p.posY = random.Between(0.0f, p.phase);
    }
    return p;
}

int Make(int argc, char** argv) {
    if (argc < 3) {
        return Fail(kExitUsage, "make needs an output file (see --help)");
    }
    const char* out = argv[2];
    MakeOptions options;
    for (int i = 3; i < argc; i += 2) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            return Fail(kExitUsage, "option " + name + " needs a value (see --help)");
        }
        std::string error;
        if (!ApplyOption(name, argv[i + 1], options, error)) {
            return Fail(kExitUsage, error);
        }
    }
    FillDefaults(options);

    ParticleFile file;
    file.particleSize = options.particleSize;
    file.range = options.range;
    file.billboard = options.billboard ? 1 : 0;
    file.type = options.type;
    file.blendMode = options.blend;
    for (const std::string& texture : options.textures) {
        ParticleFile::Name field{};
        std::memcpy(field.data(), texture.data(), texture.size());
        file.textureNames.push_back(field);
    }
    Random random(options.seed);
    for (uint32_t i = 0; i < options.count; ++i) {
        file.particles.push_back(MakeParticle(options, i, random));
    }
    if (!file.Write(out)) {
        return Fail(kExitFile, std::string("cannot write ") + out + ": " + std::strerror(errno));
    }
    return 0;
}

// ---------------------------------------------------------------------------
// dump and pack: floats as the shortest text that reads back to the same
// bits, or as their bits when no text does (a NaN's payload).

bool ReadsBackAs(const char* text, float value) {
    const float back = std::strtof(text, nullptr);
    return std::memcmp(&back, &value, sizeof value) == 0;
}

// Plain decimals for the magnitudes a show uses, exponents beyond them.
std::string FloatText(float value) {
    char text[64];
    const double wide = value;
    if (value == 0.0f || (std::fabs(wide) >= 1e-4 && std::fabs(wide) < 1e9)) {
        for (int decimals = 0; decimals <= 12; ++decimals) {
            std::snprintf(text, sizeof text, "%.*f", decimals, wide);
            if (ReadsBackAs(text, value)) {
                return text;
            }
        }
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, wide);
        if (ReadsBackAs(text, value)) {
            return text;
        }
    }
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::snprintf(text, sizeof text, "bits:%08" PRIX32, bits);
    return text;
}

bool ParseFloat(const std::string& text, float& value) {
    if (text.compare(0, 5, "bits:") == 0) {
        const std::string hex = text.substr(5);
        if (hex.size() != 8 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
            return false;
        }
        const uint32_t bits = static_cast<uint32_t>(std::strtoul(hex.c_str(), nullptr, 16));
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return *end == '\0';
}

// The name field up to its last non-zero byte, quoted, with C escapes for
// anything but printable ASCII: what follows a terminator survives too.
std::string QuotedName(const ParticleFile::Name& field) {
    size_t length = field.size();
    while (length > 0 && field[length - 1] == '\0') {
        --length;
    }
    std::string text = "\"";
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c >= 32 && c < 127) {
            text += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            text += escape;
        }
    }
    return text + "\"";
}

bool UnquoteName(const std::string& text, ParticleFile::Name& field) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return false;
    }
    field.fill('\0');
    size_t length = 0;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (i + 2 >= text.size()) {
                return false;
            }
            const char kind = text[++i];
            if (kind == 'x') {
                if (i + 3 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                    !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
                    return false;
                }
                c = static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
                i += 2;
            } else if (kind == '"' || kind == '\\') {
                c = kind;
            } else {
                return false;
            }
        } else if (c == '"') {
            return false;
        }
        if (length >= field.size()) {
            return false;
        }
        field[length++] = c;
    }
    return true;
}

long FileSize(const char* path) {
    return static_cast<long>(Platform::FileSize(path));
}

int Dump(int argc, char** argv) {
    if (argc != 3) {
        return Fail(kExitUsage, "dump needs exactly one input file (see --help)");
    }
    const char* in = argv[2];
    ParticleFile file;
    const ParticleFile::Status status = file.Read(in);
    if (status == ParticleFile::Status::CannotOpen) {
        return Fail(kExitFile, std::string("cannot open ") + in + ": " + std::strerror(errno));
    }
    if (status == ParticleFile::Status::NoHeader) {
        return Fail(kExitFile, std::string(in) + " is shorter than the 25-byte header");
    }
    std::printf("# ParticleTool dump of %s: %zu textures, %zu particles\n", in, file.textureNames.size(),
                file.particles.size());
    std::printf("particleSize %s\nrange %s\nbillboard %u\ntype %" PRId32 "\nblendMode %" PRId32 "\n",
                FloatText(file.particleSize).c_str(), FloatText(file.range).c_str(), file.billboard, file.type,
                file.blendMode);
    for (const ParticleFile::Name& name : file.textureNames) {
        std::printf("texture %s\n", QuotedName(name).c_str());
    }
    std::printf(
        "# baseX baseY baseZ startX startY startZ posX posY posZ halfSize brightness textureIndex phase step "
        "offsetZ\n");
    for (const Particle& p : file.particles) {
        const float before[] = {p.baseX, p.baseY, p.baseZ, p.startX, p.startY, p.startZ,
                                p.posX,  p.posY,  p.posZ,  p.halfSize, p.brightness};
        std::string line = "particle";
        for (const float value : before) {
            line += " " + FloatText(value);
        }
        line += " " + std::to_string(p.textureIndex);
        for (const float value : {p.phase, p.step, p.offsetZ}) {
            line += " " + FloatText(value);
        }
        std::printf("%s\n", line.c_str());
    }
    if (status == ParticleFile::Status::Short) {
        return Fail(kExitFile, std::string(in) + " is shorter than its counts: " +
                                   std::to_string(file.textureNames.size()) + " of " +
                                   std::to_string(file.declaredTextures) + " textures, " +
                                   std::to_string(file.particles.size()) + " of " +
                                   std::to_string(file.declaredParticles) + " particles read");
    }
    const long expected = ParticleFile::kHeaderSize + static_cast<long>(file.textureNames.size()) *
                                                          ParticleFile::kNameSize +
                          static_cast<long>(file.particles.size()) * ParticleFile::kRecordSize;
    const long size = FileSize(in);
    if (size > expected) {
        std::fprintf(stderr, "ParticleTool: warning: %s has %ld bytes after its last particle; they are left out\n",
                     in, size - expected);
    }
    return 0;
}

// Reads one text line of pack input into file; false with a message.
bool PackLine(const std::string& line, ParticleFile& file, int& headerSeen, std::string& error) {
    std::istringstream words(line);
    std::string key;
    if (!(words >> key) || key[0] == '#') {
        return true;
    }
    std::vector<std::string> values;
    if (key == "texture") {
        const size_t start = line.find('"');
        const size_t end = line.find_last_of('"');
        ParticleFile::Name field;
        if (start == std::string::npos || !UnquoteName(line.substr(start, end - start + 1), field) ||
            line.find_first_not_of(" \t\r", end + 1) != std::string::npos) {
            error = "bad texture name (a quoted text of at most 255 bytes)";
            return false;
        }
        file.textureNames.push_back(field);
        return true;
    }
    std::string word;
    while (words >> word) {
        values.push_back(word);
    }
    long long number = 0;
    if (key == "particle") {
        if (values.size() != 15) {
            error = "a particle needs 15 values, found " + std::to_string(values.size());
            return false;
        }
        float fields[15] = {};
        for (int i = 0; i < 15; ++i) {
            const bool ok = i == 11 ? ParseLong(values[i], number) && number >= INT32_MIN && number <= INT32_MAX
                                    : ParseFloat(values[i], fields[i]);
            if (!ok) {
                error = "bad particle value " + std::to_string(i + 1) + ": '" + values[i] + "'";
                return false;
            }
        }
        Particle p;
        std::memcpy(&p, fields, sizeof p);
        p.textureIndex = static_cast<int32_t>(number);
        file.particles.push_back(p);
        return true;
    }
    static const char* const kHeaderKeys[] = {"particleSize", "range", "billboard", "type", "blendMode"};
    for (int k = 0; k < 5; ++k) {
        if (key != kHeaderKeys[k]) {
            continue;
        }
        if ((headerSeen & (1 << k)) != 0) {
            error = key + " given twice";
            return false;
        }
        headerSeen |= 1 << k;
        bool ok = values.size() == 1;
        if (ok && k < 2) {
            ok = ParseFloat(values[0], k == 0 ? file.particleSize : file.range);
        } else if (ok && k == 2) {
            ok = ParseLong(values[0], number) && number >= 0 && number <= 255;
            file.billboard = static_cast<uint8_t>(number);
        } else if (ok) {
            ok = ParseLong(values[0], number) && number >= INT32_MIN && number <= INT32_MAX;
            (k == 3 ? file.type : file.blendMode) = static_cast<int32_t>(number);
        }
        if (!ok) {
            error = "bad value for " + key;
        }
        return ok;
    }
    error = "unknown word '" + key + "'";
    return false;
}

int Pack(int argc, char** argv) {
    if (argc != 4) {
        return Fail(kExitUsage, "pack needs an input text and an output file (see --help)");
    }
    const char* in = argv[2];
    const char* out = argv[3];
    std::ifstream text(in);
    if (!text) {
        return Fail(kExitFile, std::string("cannot open ") + in + ": " + std::strerror(errno));
    }
    ParticleFile file;
    int headerSeen = 0;
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        std::string error;
        if (!PackLine(line, file, headerSeen, error)) {
            return Fail(kExitUsage, std::string(in) + ":" + std::to_string(number) + ": " + error);
        }
    }
    if (headerSeen != 0x1F) {
        return Fail(kExitUsage, std::string(in) +
                                    ": particleSize, range, billboard, type and blendMode are all needed");
    }
    if (!file.Write(out)) {
        return Fail(kExitFile, std::string("cannot write ") + out + ": " + std::strerror(errno));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("ParticleTool %s\n", HALVENOR_VERSION);
        return 0;
    }
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    if (command == "make") {
        return Make(argc, argv);
    }
    if (command == "dump") {
        return Dump(argc, argv);
    }
    if (command == "pack") {
        return Pack(argc, argv);
    }
    Fail(kExitUsage, "unknown command '" + command + "'");
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

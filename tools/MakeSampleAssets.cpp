// Writes the sample show's assets into a directory: the textures the engine
// and the scene name, a small 3ds Max-style ASCII scene, a music loop and two
// particle systems (made by the ParticleTool built next to it).
// Everything is computed here from fixed seeds, so two runs write the same
// bytes.
//
//   MakeSampleAssets <target directory>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>


#include "core/Version.h"
#include "tools/sampleassets/AseWriter.h"
#include "tools/sampleassets/Image.h"
#include "tools/sampleassets/ImageFiles.h"
#include "tools/sampleassets/Random.h"
#include "tools/sampleassets/SampleFont.h"
#include "tools/sampleassets/SampleLayers.h"
#include "tools/sampleassets/SampleMeshes.h"
#include "tools/sampleassets/SampleMusic.h"
#include "tools/sampleassets/SampleParticles.h"
#include "tools/sampleassets/SampleScene.h"
#include "tools/sampleassets/SampleTextures.h"
#include "tools/sampleassets/SampleWaves.h"
#include "tools/sampleassets/TrackerMusic.h"
#include "tools/sampleassets/SampleMaths.h"
#include "tools/sampleassets/TilingNoise.h"

using namespace SampleAssets;

namespace {

// ---------------------------------------------------------------------------

bool MakeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool Report(bool ok, const std::string& path) {
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
    return ok;
}

}  // namespace

// What the sample and the tracker show both hold: the scene and its
// textures, the flare, the console's font and background. False when the
// directories cannot be made (said on stderr); ok takes each file's report.
bool WriteSharedAssets(const std::string& root, bool& ok) {
    const std::string textures = root + "/texturas";
    if (!MakeDirectory(root) || !MakeDirectory(textures)) {
        std::fprintf(stderr, "MakeSampleAssets: cannot create %s\n", textures.c_str());
        return false;
    }
    ok &= Report(WriteJpeg(textures + "/Blue.jpg", MakeFlare(), 92), textures + "/Blue.jpg");
    ok &= Report(WriteJpeg(textures + "/font.jpg", MakeFont(), 95), textures + "/font.jpg");
    ok &= Report(WriteJpeg(textures + "/consola_fondo.jpg", MakeConsoleBackground(), 90), textures + "/consola_fondo.jpg");
    ok &= Report(WriteJpeg(textures + "/checker.jpg", MakeChecker(), 90), textures + "/checker.jpg");
    ok &= Report(WriteTga(textures + "/marble.tga", MakeMarble()), textures + "/marble.tga");
    ok &= Report(WriteJpeg(textures + "/env.jpg", MakeSphereMap(), 90), textures + "/env.jpg");
    ok &= Report(WriteScene(root + "/escena.ase"), root + "/escena.ase");
    return true;
}

// shows/tracker: the sample's scene, sparks, console and flare textures, its
// own board and the tracker module as music.
int WriteTrackerShow(const std::string& root) {
    const std::string textures = root + "/texturas";
    bool ok = true;
    if (!WriteSharedAssets(root, ok)) {
        return 1;
    }
    ok &= Report(WriteJpeg(textures + "/chispa.jpg", MakeSpark(), 92), textures + "/chispa.jpg");
    ok &= Report(WriteJpeg(textures + "/tablero.jpg", MakeBoard("HALVENOR TRACKER", "MOD - XM - S3M - IT"), 95),
                 textures + "/tablero.jpg");
    ok &= Report(WriteJpeg(textures + "/marco.jpg", MakeFrameOverlay(), 95), textures + "/marco.jpg");
    ok &= Report(WriteSparks(root + "/chispas.bin"), root + "/chispas.bin");
    ok &= Report(WriteModule(root + "/musica.mod"), root + "/musica.mod");
    return ok ? 0 : 1;
}

int main(int argc, char** argv) {
    const char* const usage =
        "usage: MakeSampleAssets [--tracker] <target directory>\n"
        "Writes the sample show's scene (escena.ase), music (musica.flac or musica.wav)\n"
        "and textures (texturas/) into the directory, creating it if needed.\n"
        "  --tracker  the tracker show's instead (shows/tracker): its scene, textures,\n"
        "             sparks and a ProTracker module composed here (musica.mod)\n"
        "  --help     this text\n"
        "  --version  the engine version\n";
    if (argc == 3 && std::strcmp(argv[1], "--tracker") == 0 && argv[2][0] != '-' && argv[2][0] != '\0') {
        return WriteTrackerShow(argv[2]);
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("MakeSampleAssets %s\n", HALVENOR_VERSION);
        return 0;
    }
    // A word that looks like an option is never taken for a directory name.
    if (argc != 2 || argv[1][0] == '-' || argv[1][0] == '\0') {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string root = argv[1];
    const std::string textures = root + "/texturas";
    bool ok = true;
    if (!WriteSharedAssets(root, ok)) {
        return 1;
    }
    ok &= Report(WriteJpeg(textures + "/carga.jpg", MakeLoadingScreen(), 92), textures + "/carga.jpg");
    ok &= Report(WriteJpeg(textures + "/tablero.jpg", MakeBoard(), 95), textures + "/tablero.jpg");
    ok &= Report(WriteJpeg(textures + "/tira.jpg", MakeStrip(), 92), textures + "/tira.jpg");
    ok &= Report(WriteJpeg(textures + "/marco.jpg", MakeFrameOverlay(), 95), textures + "/marco.jpg");
    ok &= Report(WriteJpeg(textures + "/chispa.jpg", MakeSpark(), 92), textures + "/chispa.jpg");
    ok &= Report(WriteSparks(root + "/chispas.bin"), root + "/chispas.bin");
    ok &= Report(WriteSpiral(root + "/espiral.bin"), root + "/espiral.bin");
    const std::string music = WriteMusic(root);
    ok &= Report(!music.empty(), root + "/" + (music.empty() ? "musica" : music));
    ok &= Report(ExportBinaryScene(root), root + "/escena.bin");
    return ok ? 0 : 1;
}

// Writes the bundled shows' generated files into a directory: for shows/sample
// the textures the engine and the scene name, a small 3ds Max-style ASCII scene
// and its binary export, a music loop and two particle systems; for
// shows/tracker (--tracker) the scene, its textures, sparks and a ProTracker
// module. Everything is computed from fixed seeds, so two runs write the same
// bytes; the pieces that make each kind of file are in tools/sampleassets/.
//
//   MakeSampleAssets [--tracker] <target directory>
#include <cstdio>
#include <cstring>

#include "core/Version.h"
#include "tools/sampleassets/SampleShows.h"

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
        return SampleAssets::WriteTrackerShow(argv[2]);
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
    return SampleAssets::WriteSampleShow(argv[1]);
}

// The files each bundled show is given: what both share (the scene and its
// textures, the console's font and background, the flare) and what is each one's own.
#include "tools/sampleassets/SampleShows.h"

#include <cerrno>
#include <cstdio>

#include "platform/FileSystem.h"
#include "tools/sampleassets/ImageFiles.h"
#include "tools/sampleassets/SampleFont.h"
#include "tools/sampleassets/SampleLayers.h"
#include "tools/sampleassets/SampleMusic.h"
#include "tools/sampleassets/SampleParticles.h"
#include "tools/sampleassets/SampleScene.h"
#include "tools/sampleassets/SampleShader.h"
#include "tools/sampleassets/SampleTextures.h"
#include "tools/sampleassets/SampleTracks.h"
#include "tools/sampleassets/TrackerMusic.h"

namespace SampleAssets {

namespace {

bool MakeDirectory(const std::string& path) { return Platform::MakeDirectory(path); }

bool Report(bool ok, const std::string& path) {
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", path.c_str());
    return ok;
}

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

}  // namespace

// shows/sample: the shared files, the 2D layers' pictures and the spark, both
// particle systems, the music, the scene's binary export, the shader and the sync tracks.
int WriteSampleShow(const std::string& root) {
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
    ok &= Report(WriteShader(root + "/ondas.frag"), root + "/ondas.frag");
    const std::vector<std::string> tracks = WriteSampleTracks(root);
    ok &= Report(!tracks.empty(), tracks.empty() ? root + "/sync_*.track" : tracks.front());
    for (size_t i = 1; i < tracks.size(); ++i) {
        Report(true, tracks[i]);
    }
    return ok ? 0 : 1;
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

}  // namespace SampleAssets

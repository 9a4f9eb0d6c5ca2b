// Whole-program runs of the halvenor player that end while the show loads,
// after textured scenes, layers, particle systems and pixel buffers are
// registered: the registry's release at exit must still find everything it
// walks (the texture cache, the pixel-buffer records, the message boxes), so
// the process ends with its own status and the whole shutdown sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "fx2d/ParticleFile.h"
#include "tests/support/ShutdownLog.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::kClosed;
using TestSupport::kScriptRelease;
using TestSupport::kShutdownSequence;
using TestSupport::RunPlayer;
using TestSupport::TempDir;

namespace {

const char* const kAudio = "SDL_AUDIODRIVER=dummy";

// Two textured scenes (the second names the same picture, shared through
// the cache), a layer and a particle system with textures, and a pixel
// buffer the first scene draws into.
const char* const kLoadedShow =
    "LOAD DISPLAY 64 48 32 NO\n"
    "LOAD PBUFFER PB_SALA 64 64\n"
    "LOAD ESCENA_ASE sala.ase Sala\n"
    "SET ESCENA Sala PBUFFER PB_SALA\n"
    "LOAD ESCENA_ASE sala.ase Otra\n"
    "LOAD LAYER2D texturas/entorno.jpg BOARD Tablero\n"
    "LOAD PARTICULAS chispas.bin Chispas\n"
    "SET PARTICULAS Chispas ESCENA Sala\n";

void WriteShowFiles(const TempDir& dir) {
    std::ifstream scene(std::string(HALVENOR_SOURCE_DIR) + "/tests/scene/data/realistic.ase", std::ios::binary);
    std::stringstream text;
    text << scene.rdbuf();
    dir.Write("sala.ase", text.str());
    dir.Write("texturas/entorno.jpg", TestSupport::SolidRgbJpeg(8, 8, 200, 120, 40));
    dir.Write("texturas/chispa.jpg", TestSupport::SolidRgbJpeg(4, 4, 255, 255, 255));
    ParticleFile particles;
    particles.particleSize = 2.0f;
    particles.range = 10.0f;
    particles.billboard = 1;
    particles.type = 1;
    particles.blendMode = 1;
    ParticleFile::Name name{};
    const std::string texture = "texturas\\chispa.jpg";
    texture.copy(name.data(), texture.size());
    particles.textureNames.push_back(name);
    particles.particles.assign(3, Particle{});
    ASSERT_TRUE(particles.Write(dir.File("chispas.bin").c_str()));
    // An element line before its count line: the reader ends the process.
    dir.Write("roto.ase", "*3DSMAX_ASCIIEXPORT\t200\n*GEOMOBJECT {\n\t*MESH {\n\t\t*MESH_VERTEX_LIST {\n"
                          "\t\t\t*MESH_VERTEX 0\t1.0\t2.0\t3.0\n\t\t}\n\t}\n}\n");
    dir.Write("corta.bin", std::string("\x02\x00", 2));
    dir.Write("guion.txt", "0.0 DEMO Sala FX_STOP\n");
}

TEST(FatalExit, AShowEndedWhileLoadingReleasesEverythingInOrderAndKeepsItsStatus) {
    struct Case {
        const char* lastLines;
        int exitCode;
        const char* stderrText;
        const char* logged;  // before the shutdown sequence
    };
    const Case cases[] = {
        {"LOAD ESCENA_ASE nada.ase Nada\n", 1, "halvenor: no se encuentra el fichero de escena [ nada.ase ]\n",
         "]> ** ERROR ** El fichero [ nada.ase ] no se encuentra. **\n"},
        {"LOAD ESCENA_BIN nada.bin Nada\n", 1, "halvenor: no se puede abrir el fichero de escena [ nada.bin ]\n",
         "El fichero [ nada.bin ] no se puede abrir. **\n"},
        {"LOAD ESCENA_ASE roto.ase Roto\n", 1,
         "[Error de inicializacion] No esta iniciado el vector de vertices\n",
         "]> LEYENDO FICHERO ASE: [ roto.ase ]\n]> - CARGANDO OBJETO.\n"},
        {"LOAD DISPLAY 0 480 32 NO\n", 1,
         "halvenor: la linea LOAD DISPLAY pide una ventana de 0 x 480: ancho y alto deben ser mayores que 0\n",
         "-- PRECONFIG -- Configurando pantalla a [ 0 x 480 x 32 ] [ Fullscreen: NO ]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastLines);
        TempDir dir(false);
        WriteShowFiles(dir);
        dir.Write("preconfig.txt", std::string(kLoadedShow) + c.lastLines);
        const auto run = RunPlayer(dir.Path(), 0, kAudio);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.stderrText;
        EXPECT_EQ(run.stderrText, c.stderrText);
        const std::string log = dir.Read("error_log.txt");
        const std::string ending = std::string(c.logged) + kShutdownSequence + kClosed;
        EXPECT_EQ(log.compare(log.size() - std::min(log.size(), ending.size()), std::string::npos, ending), 0)
            << log;
    }
}

TEST(FatalExit, AMissingTextureOrParticleFileIsLoggedAndTheShowPlaysToItsStop) {
    const std::pair<const char*, const char*> cases[] = {
        {"LOAD LAYER2D texturas/nada.jpg BOARD Nada\n",
         "-> [JPG LOADER] Error cargando la textura [ texturas/nada.jpg ].\n"},
        {"LOAD PARTICULAS nada.bin Nada\n",
         "-> [PARTICULAS] No se puede abrir el fichero [ nada.bin ]: sistema vacio.\n"},
        {"LOAD PARTICULAS corta.bin Corta\n",
         "-> [PARTICULAS] Fichero [ corta.bin ] sin cabecera completa: sistema vacio.\n"},
    };
    for (const auto& [line, logged] : cases) {
        SCOPED_TRACE(line);
        TempDir dir(false);
        WriteShowFiles(dir);
        dir.Write("preconfig.txt", std::string(kLoadedShow) + line + "LOAD SCRIPT guion.txt\n");
        const auto run = RunPlayer(dir.Path(), 0, kAudio);
        EXPECT_EQ(run.exitCode, 0) << run.stderrText;
        const std::string log = dir.Read("error_log.txt");
        EXPECT_NE(log.find(logged), std::string::npos) << log;
        const std::string ending = std::string(kShutdownSequence) + kScriptRelease + kClosed;
        EXPECT_EQ(log.compare(log.size() - std::min(log.size(), ending.size()), std::string::npos, ending), 0)
            << log;
    }
}

}  // namespace

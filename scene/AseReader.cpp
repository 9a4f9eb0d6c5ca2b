#include "scene/AseReader.h"

#include <cstdio>
#include <cstring>

#include "core/Log.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "scene/AseCameraLightReader.h"
#include "scene/AseMaterialReader.h"
#include "scene/AseObjectReader.h"
#include "scene/Scene.h"

namespace {

// The fewest bytes of text that one block of each kind can take, as an export
// writes it: each block counted is charged this much of the import budget
// before the counts inside the blocks can claim any of it.
constexpr size_t kObjectBlockBytes = sizeof("*GEOMOBJECT {\n}\n") - 1;
constexpr size_t kCameraBlockBytes = sizeof("*CAMERAOBJECT {\n}\n") - 1;
constexpr size_t kLightBlockBytes = sizeof("*LIGHTOBJECT {\n}\n") - 1;

}  // namespace

AseReader::AseReader() : scanner(), budget(scanner), counted{0, 0, 0} {}

void AseReader::Read(const char* fileName, Scene& scene) {
    const char* name = fileName != nullptr ? fileName : "";
    Log::Write("\nLECTOR DE FICHEROS ASE v0.5 by Dralven / Brassmoor Team\n]> Comenzada la lectura del fichero .ASE\n");
    Log::Format("]> LEYENDO FICHERO ASE: [ %s ]\n", name);
    if (!LoadText(name)) {
        Log::Format("]> ** ERROR ** El fichero [ %s ] no se encuentra. **\n", name);
        Platform::ReportFatal(std::string("no se encuentra el fichero de escena [ ") + name + " ]");
        ExitProcess(1);
    }
    CreateArraysFromCounts(scene);

    AseMaterialReader materials(scanner, budget, scene);
    AseObjectReader objects(scanner, budget, scene);
    AseCameraLightReader camerasAndLights(scanner, budget, scene);
    AseScanner::Token token;
    while (scanner.NextToken(token)) {
        if (token.Is("*MATERIAL_LIST")) {
            materials.ReadList();
        } else if (token.Is("*CAMERAOBJECT")) {
            camerasAndLights.ReadCamera();
        } else if (token.Is("*LIGHTOBJECT")) {
            camerasAndLights.ReadLight();
        } else if (token.Is("*GEOMOBJECT")) {
            objects.Read();
        } else if (token.Is("*SCENE")) {
            ReadSceneParams(scene);
        }
    }

    Log::Format("\n Leidos: %u Objetos - %u Materiales - %u Camaras - %u Luces.", scene.ObjectCount(),
                scene.MaterialCount(), scene.CameraCount(), scene.LightCount());
    Log::Write("\n FINALIZADA LA CARGA DEL FICHERO ASE.\n\n");
    scanner.Close();
}

bool AseReader::LoadText(const char* fileName) {
    if (!scanner.Open(fileName)) {
        return false;
    }
    // The first pass: the size of the text and its block counts.
    uint64_t textSize = 0;
    counted = BlockCounts{0, 0, 0};
    const char* begin = nullptr;
    const char* stop = nullptr;
    while (scanner.NextWindow(begin, stop)) {
        CountBlocks(begin, stop);
        textSize += static_cast<uint64_t>(stop - begin);
    }
    scanner.Rewind(textSize);
    budget.Reset(textSize);
    return true;
}

void AseReader::CountBlocks(const char* begin, const char* stop) {
    // The three block keywords all end in "OBJECT", whose 'J' is rare in an
    // export; each "OBJECT" is widened to its whole token, which must equal
    // the keyword. A window ends after a line end, so no token is cut.
    static const char kSuffix[] = "OBJECT";
    const char* scan = begin;
    while (const void* hit = std::memchr(scan, 'J', static_cast<size_t>(stop - scan))) {
        const char* j = static_cast<const char*>(hit);
        scan = j + 1;
        if (j - begin < 2 || stop - j < 4 || std::memcmp(j - 2, kSuffix, sizeof kSuffix - 1) != 0) {
            continue;
        }
        const char* first = j - 2;
        const char* last = j + 4;
        while (first > begin && !AseScanner::IsSpace(first[-1])) {
            --first;
        }
        while (last < stop && !AseScanner::IsSpace(*last)) {
            ++last;
        }
        const AseScanner::Token word{first, static_cast<size_t>(last - first)};
        counted.cameras += word.Is("*CAMERAOBJECT") ? 1 : 0;
        counted.objects += word.Is("*GEOMOBJECT") ? 1 : 0;
        counted.lights += word.Is("*LIGHTOBJECT") ? 1 : 0;
        scan = last;
    }
}

void AseReader::CreateArraysFromCounts(Scene& scene) {
    // The blocks themselves are charged first: each takes its bytes of the
    // text, which the counts inside them can then no longer claim.
    scene.InitCameras(budget.BoundedCount("*CAMERAOBJECT", counted.cameras, kCameraBlockBytes));
    scene.InitObjects(budget.BoundedCount("*GEOMOBJECT", counted.objects, kObjectBlockBytes));
    scene.InitLights(budget.BoundedCount("*LIGHTOBJECT", counted.lights, kLightBlockBytes));
}

void AseReader::ReadSceneParams(Scene& scene) {
    Log::Write("]> - CARGANDO PARAMETROS ESCENA.\n");
    SceneParams params = DefaultSceneParams();
    AseScanner::Token token;
    while (scanner.NextToken(token)) {
        if (token.Is("}")) {
            break;
        } else if (token.Is("*SCENE_LASTFRAME")) {
            scanner.ReadInt(params.lastFrame);
        } else if (token.Is("*SCENE_FRAMESPEED")) {
            scanner.ReadInt(params.frameSpeed);
        } else if (token.Is("*SCENE_TICKSPERFRAME")) {
            scanner.ReadInt(params.ticksPerFrame);
        } else if (token.Is("*SCENE_BACKGROUND_STATIC")) {
            scanner.ReadFloats(params.background, 3);
        } else if (token.Is("*SCENE_AMBIENT_STATIC")) {
            scanner.ReadFloats(params.ambient, 3);
        }
    }
    // The whole header is replaced: the name and fog are set later.
    scene.SetParams(params);
}

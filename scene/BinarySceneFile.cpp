#include "scene/BinarySceneFile.h"


#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "core/Log.h"
#include "platform/MessageBox.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/SceneFileRecords.h"
#include "scene/SceneObject.h"

using namespace SceneFileRecords;

namespace {

const char* const kPrefix = "[BIN IMP/EXP v0.9b]";

constexpr size_t kCopyBlock = 2048;

// Mesh arrays and tracks are read this much at a time: with a call per
// record, reading would be only a few times faster than parsing the same
// mesh from ASE text.
constexpr size_t kReadBlock = 1 << 16;

// The least an element can take in a file, for bounding counts: its record
// or, for an object, camera or light, its fixed part and its counts.
constexpr size_t kObjectMinimum = kPositionSize + 4 * kCountSize + 4;
constexpr size_t kCameraMinimum = kCameraKeySize + kCountSize;
constexpr size_t kLightMinimum = kLightKeySize + 1 + kCountSize;

// A corner inside the array gets its element's address, one outside none
// (drawing and preparation skip such faces by their indices).
template <typename Element>
Element* CornerAddress(int32_t corner, Element* elements, uint32_t count) {
    return elements != nullptr && corner >= 0 && static_cast<uint32_t>(corner) < count ? &elements[corner] : nullptr;
}

// What was stored fills the front and the back of the object array; after a
// file that ended early the back part moves down behind the front part so
// that the array holds exactly the objects read whole.
void KeepStoredObjects(Scene& scene) {
    if (!scene.objectsCreated || scene.frontCount >= scene.backIndex) {
        return;
    }
    const uint32_t front = static_cast<uint32_t>(scene.frontCount);
    const uint32_t back = static_cast<uint32_t>(scene.backIndex);
    const uint32_t translucent = scene.objectCount - back;
    for (uint32_t i = 0; i < translucent; ++i) {
        scene.objects[front + i] = scene.objects[back + i];
        scene.objects[back + i] = SceneObject();
    }
    scene.objectCount = front + translucent;
    scene.backIndex = scene.frontCount;
}

// The part of a texture path after its last backslash or slash: a scene
// exported on Windows names D:\tex\wall.jpg, one exported elsewhere
// /home/me/tex/wall.jpg, and both are gathered as texturas\wall.jpg.
const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    const char* forward = std::strrchr(path, '/');
    if (forward != nullptr && (slash == nullptr || forward > slash)) {
        slash = forward;
    }
    return slash != nullptr ? slash + 1 : path;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool SameFile(const std::string& first, const std::string& second) { return Platform::SameFile(first, second); }

// Only a plain file is removed: a device written to stays (a full disk
// is often tried as /dev/full).
void RemoveHalfWritten(const std::string& path) {
    if (Platform::IsRegularFile(path)) {
        std::remove(path.c_str());
    }
}

}  // namespace

BinarySceneFile::BinarySceneFile()
    : file(nullptr),
      normaliseTextures(0),
      report(nullptr),
      fileName(""),
      fileSize(0),
      offset(0),
      failed(false),
      materialsRead(0),
      camerasRead(0),
      lightsRead(0),
      texturesNotCopied(0) {}

BinarySceneFile::~BinarySceneFile() {
    if (file != nullptr) {
        std::fclose(file);
    }
    if (report != nullptr) {
        std::fclose(report);
    }
}

// ---------------------------------------------------------------------------
// Reading

bool BinarySceneFile::Read(const char* name, Scene& scene) {
    fileName = name != nullptr ? name : "";
    Log::Format("%s - Abriendo fichero BINARIO [ %s ] para lectura.\n", kPrefix, fileName);
    file = Platform::OpenFile(fileName, "rb");
    if (file == nullptr) {
        Log::Format("%s - ** ERROR ** El fichero [ %s ] no se puede abrir. **\n", kPrefix, fileName);
        Platform::ReportFatal(std::string("no se puede abrir el fichero de escena [ ") + fileName + " ]");
        ExitProcess(1);
    }
    fileSize = static_cast<long>(Platform::SizeOfOpenFile(file));
    offset = 0;
    failed = false;
    materialsRead = camerasRead = lightsRead = 0;

    const bool whole =
        ReadHeader(scene) && ReadMaterials(scene) && ReadObjects(scene) && ReadCameras(scene) && ReadLights(scene);
    if (whole && BytesLeft() > 0) {
        Log::Format("%s - ** AVISO ** %ld bytes sin leer al final del fichero [ %s ].\n", kPrefix, BytesLeft(),
                    fileName);
    }
    if (!whole) {
        // Only what was read whole stays: the arrays end at the last element
        // stored, so nothing of a partly read element is ever drawn.
        scene.materialCount = std::min(scene.materialCount, materialsRead);
        scene.cameraCount = std::min(scene.cameraCount, camerasRead);
        scene.lightCount = std::min(scene.lightCount, lightsRead);
        KeepStoredObjects(scene);
    }
    std::fclose(file);
    file = nullptr;
    return whole;
}

bool BinarySceneFile::ReadBytes(void* buffer, size_t size, const char* what) {
    if (failed) {
        return false;
    }
    if (std::fread(buffer, 1, size, file) != size) {
        Log::Format("%s - ** ERROR ** El fichero [ %s ] termina antes de tiempo: byte %ld, leyendo %s.\n", kPrefix,
                    fileName, offset, what);
        failed = true;
        return false;
    }
    offset += static_cast<long>(size);
    return true;
}

// Counts are unsigned in the file, but a count with its top bit set is what
// a negative number leaves: it is taken as 0. A count whose elements could
// not fit in what is left of the file marks a broken file, and nothing is
// allocated for it.
bool BinarySceneFile::ReadCount(uint32_t& count, size_t elementSize, const char* what) {
    uint8_t bytes[kCountSize];
    if (!ReadBytes(bytes, sizeof bytes, what)) {
        return false;
    }
    const int32_t value = DecodeInt(bytes);
    if (value < 0) {
        Log::Format("%s - ** AVISO ** Cuenta negativa (%d) de %s en el byte %ld: se toma 0.\n", kPrefix, value, what,
                    offset - 4);
        count = 0;
        return true;
    }
    count = static_cast<uint32_t>(value);
    if (static_cast<uint64_t>(count) * elementSize > static_cast<uint64_t>(std::max(0L, BytesLeft()))) {
        Log::Format("%s - ** ERROR ** %u %s no caben en los %ld bytes que quedan del fichero [ %s ] (byte %ld).\n",
                    kPrefix, count, what, BytesLeft(), fileName, offset - 4);
        failed = true;
        return false;
    }
    return true;
}

template <typename Element, typename Decode>
bool BinarySceneFile::ReadRecords(Element* elements, uint32_t count, size_t recordSize, const char* what,
                                  Decode decode) {
    const uint32_t perBlock = static_cast<uint32_t>(kReadBlock / recordSize);
    block.resize(static_cast<size_t>(perBlock) * recordSize);
    for (uint32_t first = 0; first < count; first += perBlock) {
        const uint32_t records = std::min(perBlock, count - first);
        if (!ReadBytes(block.data(), records * recordSize, what)) {
            return false;
        }
        for (uint32_t i = 0; i < records; ++i) {
            elements[first + i] = decode(block.data() + i * recordSize);
        }
    }
    return true;
}

bool BinarySceneFile::ReadHeader(Scene& scene) {
    uint8_t record[kHeaderSize];
    if (!ReadBytes(record, sizeof record, "la cabecera")) {
        return false;
    }
    scene.SetParams(DecodeHeader(record));
    return true;
}

bool BinarySceneFile::ReadMaterials(Scene& scene) {
    uint32_t count = 0;
    if (!ReadCount(count, kMaterialSize, "materiales")) {
        return false;
    }
    scene.InitMaterials(count);
    Log::Format("%s - Cargando %d materiales.\n", kPrefix, static_cast<int>(count));
    for (uint32_t i = 0; i < count; ++i) {
        Material material;
        if (!ReadMaterial(material)) {
            return false;
        }
        scene.SetMaterial(i, material);
        ++materialsRead;
    }
    return true;
}

bool BinarySceneFile::ReadMaterial(Material& material) {
    uint8_t record[kMaterialSize];
    if (!ReadBytes(record, sizeof record, "un material")) {
        return false;
    }
    MaterialProps props = DecodeMaterialProps(record);
    const int32_t maps = std::max(0, props.mapCount);
    if (static_cast<uint64_t>(maps) * kMapSize > static_cast<uint64_t>(std::max(0L, BytesLeft()))) {
        Log::Format("%s - ** ERROR ** %d mapas no caben en los %ld bytes que quedan del fichero [ %s ] (byte %ld).\n",
                    kPrefix, maps, BytesLeft(), fileName, offset);
        failed = true;
        return false;
    }
    if (maps > Material::kMapSlots) {
        Log::Format("%s - ** AVISO ** Material [ %s ] con %d mapas: se usan %d.\n", kPrefix, props.name, maps,
                    Material::kMapSlots);
    }
    // Maps past the material's two slots are read and dropped, so that the
    // next record starts where it should.
    for (int32_t j = 0; j < maps; ++j) {
        uint8_t mapRecord[kMapSize];
        if (!ReadBytes(mapRecord, sizeof mapRecord, "un mapa de textura")) {
            return false;
        }
        if (j < Material::kMapSlots) {
            material.SetMap(j, DecodeMap(mapRecord));
        }
    }
    props.mapCount = std::min<int32_t>(maps, Material::kMapSlots);
    material.SetProps(props);
    return true;
}

bool BinarySceneFile::ReadObjects(Scene& scene) {
    uint32_t count = 0;
    if (!ReadCount(count, kObjectMinimum, "objetos")) {
        return false;
    }
    Log::Format("%s - Cargando %d objetos.\n", kPrefix, static_cast<int>(count));
    if (count != 0) {
        scene.InitObjects(count);
    }
    for (uint32_t k = 0; k < count; ++k) {
        SceneObject object;
        if (!ReadObject(object)) {
            object.Release();
            return false;
        }
        scene.SetObject(k, object);
    }
    return true;
}

bool BinarySceneFile::ReadObject(SceneObject& object) {
    uint8_t position[kPositionSize];
    if (!ReadBytes(position, sizeof position, "la posicion de un objeto")) {
        return false;
    }
    DecodeFloats(position, 3, object.position);

    uint32_t count = 0;
    if (!ReadCount(count, kVertexSize, "vertices")) {
        return false;
    }
    object.InitVertices(count);
    if (!ReadRecords(object.vertices, count, kVertexSize, "vertices", DecodeVertex)) {
        return false;
    }

    if (!ReadCount(count, kFaceSize, "caras")) {
        return false;
    }
    object.InitFaces(count);
    if (!ReadRecords(object.faces, count, kFaceSize, "caras", [&object](const uint8_t* record) {
            Face face = DecodeFace(record);
            face.va = CornerAddress(face.a, object.vertices, object.vertexCount);
            face.vb = CornerAddress(face.b, object.vertices, object.vertexCount);
            face.vc = CornerAddress(face.c, object.vertices, object.vertexCount);
            return face;
        })) {
        return false;
    }

    if (!ReadCount(count, kTexVertexSize, "vertices de textura")) {
        return false;
    }
    object.InitTexVertices(count);
    if (!ReadRecords(object.texVertices, count, kTexVertexSize, "vertices de textura", DecodeTexVertex)) {
        return false;
    }

    if (!ReadCount(count, kTexFaceSize, "caras de textura")) {
        return false;
    }
    object.InitTexFaces(count);
    if (!ReadRecords(object.texFaces, count, kTexFaceSize, "caras de textura", [&object](const uint8_t* record) {
            TexFace texFace = DecodeTexFace(record);
            texFace.ta = CornerAddress(texFace.a, object.texVertices, object.texVertexCount);
            texFace.tb = CornerAddress(texFace.b, object.texVertices, object.texVertexCount);
            texFace.tc = CornerAddress(texFace.c, object.texVertices, object.texVertexCount);
            return texFace;
        })) {
        return false;
    }

    uint8_t reference[kCountSize];
    if (!ReadBytes(reference, sizeof reference, "el material de un objeto")) {
        return false;
    }
    object.SetMaterialRef(DecodeInt(reference));
    return true;
}

bool BinarySceneFile::ReadCameras(Scene& scene) {
    uint32_t count = 0;
    if (!ReadCount(count, kCameraMinimum, "camaras")) {
        return false;
    }
    scene.InitCameras(count);
    Log::Format("%s - Cargando %d camaras.\n", kPrefix, static_cast<int>(count));
    for (uint32_t n = 0; n < count; ++n) {
        Camera camera;
        if (!ReadCamera(camera)) {
            delete[] camera.track;
            return false;
        }
        scene.SetCamera(n, camera);
        ++camerasRead;
    }
    return true;
}

bool BinarySceneFile::ReadCamera(Camera& camera) {
    uint8_t record[kCameraKeySize];
    if (!ReadBytes(record, sizeof record, "una camara")) {
        return false;
    }
    camera.SetKey(DecodeCameraKey(record));
    uint32_t count = 0;
    if (!ReadCount(count, kCameraKeySize, "muestras de camara")) {
        return false;
    }
    camera.CreateTrack(count);
    if (!ReadRecords(camera.track, count, kCameraKeySize, "muestras de camara", DecodeCameraKey)) {
        return false;
    }
    // A file exported from a sparsely sampled track before its gaps were
    // filled on import still plays with the camera in place.
    camera.CarryForwardSamples();
    return true;
}

bool BinarySceneFile::ReadLights(Scene& scene) {
    uint32_t count = 0;
    if (!ReadCount(count, kLightMinimum, "luces")) {
        return false;
    }
    scene.InitLights(count);
    Log::Format("%s - Cargando %d luces.\n", kPrefix, static_cast<int>(count));
    for (uint32_t i = 0; i < count; ++i) {
        Light light;
        if (!ReadLight(light)) {
            delete[] light.track;
            return false;
        }
        scene.SetLight(i, light);
        ++lightsRead;
    }
    return true;
}

bool BinarySceneFile::ReadLight(Light& light) {
    uint8_t record[kLightKeySize];
    if (!ReadBytes(record, sizeof record, "una luz")) {
        return false;
    }
    light.SetKey(DecodeLightKey(record));
    if (!ReadBytes(&light.flare, 1, "el destello de una luz")) {
        return false;
    }
    uint32_t count = 0;
    if (!ReadCount(count, kLightKeySize, "muestras de luz")) {
        return false;
    }
    light.CreateTrack(count);
    return ReadRecords(light.track, count, kLightKeySize, "muestras de luz", DecodeLightKey);
}

// ---------------------------------------------------------------------------
// Writing

bool BinarySceneFile::Write(const char* name, const Scene& scene) {
    fileName = name != nullptr ? name : "";
    failed = false;
    texturesNotCopied = 0;
    gathered.clear();
    textureClashes.clear();
    const std::string reportName = std::string(fileName) + ".TXT";
    if (normaliseTextures) {
        report = Platform::OpenFile(reportName.c_str(), "w");
        if (report == nullptr) {
            Log::Format("%s - ** ERROR ** No se puede crear el informe [ %s ]: no se escribe la escena.\n", kPrefix,
                        reportName.c_str());
            return false;
        }
    }
    Log::Format("%s - Abriendo fichero [ %s ] para escritura.\n", kPrefix, fileName);
    file = Platform::OpenFile(fileName, "wb");
    if (file == nullptr) {
        Log::Format("%s - ** ERROR ** No se puede crear el fichero [ %s ].\n", kPrefix, fileName);
        if (report != nullptr) {
            std::fclose(report);
            report = nullptr;
        }
        return false;
    }

    Log::Format("%s - Escribiendo cabecera de escena.\n", kPrefix);
    uint8_t header[kHeaderSize];
    EncodeHeader(scene.GetParams(), header);
    WriteBytes(header, sizeof header);
    WriteMaterials(scene);
    WriteObjects(scene);
    WriteCameras(scene);
    WriteLights(scene);

    if (report != nullptr) {
        failed |= std::fclose(report) != 0;
        report = nullptr;
    }
    failed |= std::fclose(file) != 0;
    file = nullptr;
    if (failed) {
        Log::Format("%s - ** ERROR ** No se pudo escribir entero el fichero [ %s ]: la escena no se ha guardado.\n", kPrefix, fileName);
        RemoveHalfWritten(Platform::ResolvePath(fileName));
        return false;
    }
    return true;
}

void BinarySceneFile::WriteBytes(const void* buffer, size_t size) {
    if (!failed && std::fwrite(buffer, 1, size, file) != size) {
        failed = true;
    }
}

void BinarySceneFile::WriteCount(uint32_t count) {
    uint8_t bytes[kCountSize];
    EncodeInt(static_cast<int32_t>(count), bytes);
    WriteBytes(bytes, sizeof bytes);
}

void BinarySceneFile::WriteMaterials(const Scene& scene) {
    const uint32_t count = scene.materials != nullptr ? scene.MaterialCount() : 0;
    Log::Format("%s - Escribiendo %d materiales.\n", kPrefix, static_cast<int>(count));
    WriteCount(count);
    for (uint32_t i = 0; i < count; ++i) {
        Log::Format("%s - Escribiendo material [ %d ]\n", kPrefix, static_cast<int>(i));
        const Material material = scene.GetMaterial(i);
        MaterialProps props = material.GetProps();
        // A material has two map slots, whatever its count says.
        props.mapCount = std::min<int32_t>(std::max<int32_t>(props.mapCount, 0), Material::kMapSlots);
        uint8_t record[kMaterialSize];
        EncodeMaterialProps(props, record);
        WriteBytes(record, sizeof record);
        WriteMaps(material, i, props.mapCount);
    }
}

void BinarySceneFile::WriteMaps(const Material& material, uint32_t materialIndex, int mapCount) {
    for (int j = 0; j < mapCount; ++j) {
        const TextureMap map = material.GetMap(j);
        char oldName[TextureMap::kFileSize];
        std::memcpy(oldName, map.file, sizeof oldName);
        oldName[sizeof oldName - 1] = '\0';
        std::string stored = normaliseTextures ? std::string("texturas\\") + BaseName(oldName) : oldName;
        // Cut to the name field, which keeps its terminator.
        stored.resize(std::min(stored.size(), kMapNameSize - 1));
        const char* const newName = stored.c_str();
        Log::Format("%s - Escribiendo material [ %d ] - Textura [ %d ] [ %s ]\n", kPrefix,
                    static_cast<int>(materialIndex), j, newName);
        if (normaliseTextures) {
            failed |= std::fprintf(report, "Copiando %s -> %s ...", oldName, newName) < 0;
            Log::Format("%s - [NORMALIZANDO] - Copiando [%s] -> [%s]\n", kPrefix, oldName, newName);
            if (!CopyFile(oldName, newName, true)) {
                ++texturesNotCopied;
            }
            failed |= std::fprintf(report, "OK\n") < 0;
            NoteClash(oldName, newName);
        }
        uint8_t record[kMapSize];
        EncodeMap(map, newName, record);
        WriteBytes(record, sizeof record);
    }
}

// Two maps of one base name from different folders land on one file in
// texturas: the later copy replaces the earlier, and every material that
// used the earlier one now shows the later picture. The author is told.
void BinarySceneFile::NoteClash(const std::string& oldName, const std::string& newName) {
    for (const auto& [source, destination] : gathered) {
        if (!SameNameIgnoringCase(destination, newName) || source == oldName ||
            SameFile(Platform::ResolvePath(source.c_str()), Platform::ResolvePath(oldName.c_str()))) {
            continue;
        }
        Log::Format("%s - ** AVISO ** [%s] y [%s] se copian los dos a [%s]: el segundo sustituye al primero.\n",
                    kPrefix, source.c_str(), oldName.c_str(), newName.c_str());
        failed |= std::fprintf(report, "AVISO: %s y %s se copian los dos a %s: el segundo sustituye al primero\n",
                               source.c_str(), oldName.c_str(), newName.c_str()) < 0;
        textureClashes.push_back(oldName + " -> " + newName + " replaces " + source);
        return;
    }
    gathered.emplace_back(oldName, newName);
}

void BinarySceneFile::WriteObjects(const Scene& scene) {
    const uint32_t count = scene.objects != nullptr ? scene.ObjectCount() : 0;
    Log::Format("%s - Escribiendo %d objetos.\n", kPrefix, static_cast<int>(count));
    WriteCount(count);
    for (uint32_t k = 0; k < count; ++k) {
        Log::Format("%s - Escribiendo objeto [ %d ]\n", kPrefix, static_cast<int>(k));
        const SceneObject object = scene.GetObject(k);
        uint8_t position[kPositionSize];
        EncodeFloats(object.position, 3, position);
        WriteBytes(position, sizeof position);

        const uint32_t vertices = object.vertices != nullptr ? object.VertexCount() : 0;
        WriteCount(vertices);
        for (uint32_t i = 0; i < vertices; ++i) {
            uint8_t record[kVertexSize];
            EncodeVertex(object.vertices[i], record);
            WriteBytes(record, sizeof record);
        }
        const uint32_t faces = object.faces != nullptr ? object.FaceCount() : 0;
        WriteCount(faces);
        for (uint32_t i = 0; i < faces; ++i) {
            uint8_t record[kFaceSize];
            EncodeFace(object.faces[i], record);
            WriteBytes(record, sizeof record);
        }
        const uint32_t texVertices = object.texVertices != nullptr ? object.TexVertexCount() : 0;
        WriteCount(texVertices);
        for (uint32_t i = 0; i < texVertices; ++i) {
            uint8_t record[kTexVertexSize];
            EncodeTexVertex(object.texVertices[i], record);
            WriteBytes(record, sizeof record);
        }
        const uint32_t texFaces = object.texFaces != nullptr ? object.TexFaceCount() : 0;
        WriteCount(texFaces);
        for (uint32_t i = 0; i < texFaces; ++i) {
            uint8_t record[kTexFaceSize];
            EncodeTexFace(object.texFaces[i], record);
            WriteBytes(record, sizeof record);
        }
        uint8_t reference[kCountSize];
        EncodeInt(object.MaterialRef(), reference);
        WriteBytes(reference, sizeof reference);
    }
}

void BinarySceneFile::WriteCameras(const Scene& scene) {
    const uint32_t count = scene.cameras != nullptr ? scene.CameraCount() : 0;
    Log::Format("%s - Escribiendo %d camaras.\n", kPrefix, static_cast<int>(count));
    WriteCount(count);
    for (uint32_t n = 0; n < count; ++n) {
        Log::Format("%s - Escribiendo camara [ %d ]\n", kPrefix, static_cast<int>(n));
        const Camera camera = scene.GetCamera(n);
        uint8_t record[kCameraKeySize];
        EncodeCameraKey(camera.GetKey(), record);
        WriteBytes(record, sizeof record);
        const uint32_t samples = camera.track != nullptr ? camera.SampleCount() : 0;
        WriteCount(samples);
        for (uint32_t i = 0; i < samples; ++i) {
            EncodeCameraKey(camera.GetSample(i), record);
            WriteBytes(record, sizeof record);
        }
    }
}

void BinarySceneFile::WriteLights(const Scene& scene) {
    const uint32_t count = scene.lights != nullptr ? scene.LightCount() : 0;
    Log::Format("%s - Escribiendo %d luces.\n", kPrefix, static_cast<int>(count));
    WriteCount(count);
    for (uint32_t n = 0; n < count; ++n) {
        Log::Format("%s - Escribiendo luz [ %d ].\n", kPrefix, static_cast<int>(n));
        const Light light = scene.GetLight(n);
        uint8_t record[kLightKeySize];
        EncodeLightKey(light.GetKey(), record);
        WriteBytes(record, sizeof record);
        WriteBytes(&light.flare, 1);
        const uint32_t samples = light.track != nullptr ? light.SampleCount() : 0;
        WriteCount(samples);
        for (uint32_t i = 0; i < samples; ++i) {
            EncodeLightKey(light.GetSample(i), record);
            WriteBytes(record, sizeof record);
        }
    }
}

// ---------------------------------------------------------------------------

bool CopyFile(const char* source, const char* destination, bool binary) {
    const std::string from = Platform::ResolvePath(source);
    const std::string to = Platform::ResolvePath(destination);
    // Opening the destination for writing would empty a source that is the
    // very same file: a texture already in place stays as it is.
    if (SameFile(from, to)) {
        return true;
    }
    // Texture names come from scene files: only regular files are copied, so
    // a name such as /dev/zero cannot fill the disk nor a FIFO block the copy.
    // The source is opened first: opening the destination empties it, and a
    // texture gathered by an earlier export must survive a source that is
    // missing on this machine.
    FILE* in = Platform::OpenFile(from.c_str(), binary ? "rb" : "r");
    if (in == nullptr) {
        Log::Write("[ERROR] (normalizando...) Fichero origen no se pudo abrir.\n");
        // Where nothing was gathered yet the name is still left as an empty
        // file, as it always was.
        if (!Platform::PathExists(to)) {
            if (FILE* out = Platform::OpenFile(to.c_str(), binary ? "wb" : "w")) {
                std::fclose(out);
            }
        }
        return false;
    }
    FILE* out = Platform::OpenFile(to.c_str(), binary ? "wb" : "w");
    if (out == nullptr) {
        Log::Write("[ERROR] (normalizando...) Fichero destino no se pudo abrir.\n");
        std::fclose(in);
        return false;
    }
    char block[kCopyBlock];
    bool whole = true;
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, in)) > 0) {
        whole &= std::fwrite(block, 1, got, out) == got;
    }
    whole &= std::ferror(in) == 0;
    whole &= std::fclose(out) == 0;
    std::fclose(in);
    if (!whole) {
        Log::Format("[ERROR] (normalizando...) No se pudo copiar entero [%s] -> [%s].\n", source, destination);
    }
    return whole;
}

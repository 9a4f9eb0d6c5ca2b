#include "scene/AseReader.h"

#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/Log.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

namespace {

// Names read as the rest of a line fit a buffer of this size.
constexpr size_t kQuotedNameSize = 100;
// The light reader and the face-normal skip throw away a line through a
// buffer of this size.
constexpr size_t kSkippedLineSize = 149;
// Tokens of the three vertex-normal lines that follow a face normal.
constexpr int kVertexNormalTokens = 15;
// Whatever the last frame says, tracks of one import hold at most this many
// samples together (36 MB of light samples), or one sample per 32 bytes of
// text if that is more.
constexpr uint64_t kMinTrackBudget = uint64_t(1) << 20;
constexpr uint64_t kTextBytesPerTrackSample = 32;

// The fewest bytes of text that one block of each kind can take, as an export
// writes it. Every counted element is charged this much of one budget, the
// size of the text, so that no file can make the reader hold more records
// than it could really describe: the largest record (a material, 720 bytes)
// then costs at most 45 bytes of memory per byte of text.
constexpr size_t kMaterialBlockBytes = sizeof("*MATERIAL 0 {\n}\n") - 1;
constexpr size_t kObjectBlockBytes = sizeof("*GEOMOBJECT {\n}\n") - 1;
constexpr size_t kCameraBlockBytes = sizeof("*CAMERAOBJECT {\n}\n") - 1;
constexpr size_t kLightBlockBytes = sizeof("*LIGHTOBJECT {\n}\n") - 1;
// Element lines: at least their keyword and one more character.
constexpr size_t kVertexLineBytes = sizeof("*MESH_VERTEX") + 1;
constexpr size_t kFaceLineBytes = sizeof("*MESH_FACE") + 1;
constexpr size_t kTexVertexLineBytes = sizeof("*MESH_TVERT") + 1;
constexpr size_t kTexFaceLineBytes = sizeof("*MESH_TFACE") + 1;

// The scanf notion of white space in the C locale.
struct SpaceTable {
    bool space[256];
    SpaceTable() : space() {
        for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
            space[c] = true;
        }
    }
};
const SpaceTable kSpaces;

inline bool IsSpace(char c) { return kSpaces.space[static_cast<unsigned char>(c)]; }

inline bool IsDigit(char c) { return static_cast<unsigned>(c - '0') < 10u; }

template <size_t N>
inline bool Is(const char* text, size_t length, const char (&keyword)[N]) {
    return length == N - 1 && std::memcmp(text, keyword, N - 1) == 0;
}

// File (x, y, z) is Z-up; the scene is Y-up. Only the numbers that were read
// change the stored value, as a scanf that stops early leaves its fields.
void StoreYUp(float* stored, const float* read, int matched) {
    if (matched > 0) {
        stored[0] = read[0];
    }
    if (matched > 1) {
        stored[2] = -read[1];
    }
    if (matched > 2) {
        stored[1] = read[2];
    }
}

// A corner inside its array points at its element; one outside it gets no
// pointer until the object is complete, when it is clamped into the array.
template <typename Element>
Element* CornerAddress(int32_t corner, Element* elements, uint32_t count) {
    return elements != nullptr && corner >= 0 && static_cast<uint32_t>(corner) < count ? &elements[corner] : nullptr;
}

void PointFace(Face& face, const SceneObject& object) {
    face.va = CornerAddress(face.a, object.vertices, object.vertexCount);
    face.vb = CornerAddress(face.b, object.vertices, object.vertexCount);
    face.vc = CornerAddress(face.c, object.vertices, object.vertexCount);
}

void PointTexFace(TexFace& face, const SceneObject& object) {
    face.ta = CornerAddress(face.a, object.texVertices, object.texVertexCount);
    face.tb = CornerAddress(face.b, object.texVertices, object.texVertexCount);
    face.tc = CornerAddress(face.c, object.texVertices, object.texVertexCount);
}

// Answers 1 when the corner had to move.
int ClampCorner(int32_t& corner, uint32_t count) {
    const int32_t before = corner;
    if (count == 0 || corner < 0) {
        corner = 0;
    } else if (static_cast<uint32_t>(corner) >= count) {
        corner = static_cast<int32_t>(count - 1);
    }
    return corner != before ? 1 : 0;
}

// Every corner of every face ends up indexing an element of its array, and
// every pointer pointing at it, so drawing code can follow any face's
// pointers whenever the object has vertices (with none, corners are 0 and
// pointers null). Faces are pointed again here because the arrays may have
// been created anew after some faces were read (a second mesh block).
void ResolveAllFaces(SceneObject& object) {
    int clamped = 0;
    for (uint32_t i = 0; i < object.faceCount && object.faces != nullptr; ++i) {
        Face& face = object.faces[i];
        clamped += ClampCorner(face.a, object.vertexCount) | ClampCorner(face.b, object.vertexCount) |
                   ClampCorner(face.c, object.vertexCount);
        PointFace(face, object);
    }
    for (uint32_t i = 0; i < object.texFaceCount && object.texFaces != nullptr; ++i) {
        TexFace& face = object.texFaces[i];
        clamped += ClampCorner(face.a, object.texVertexCount) | ClampCorner(face.b, object.texVertexCount) |
                   ClampCorner(face.c, object.texVertexCount);
        PointTexFace(face, object);
    }
    if (clamped > 0) {
        Log::Format("]>   ** AVISO ** %d caras con indices fuera de su vector: se ajustan al vector.\n", clamped);
    }
}

// A camera sample that no line has given values yet starts as the sample
// before it (or the static key for the first), so every sample carries
// forward what its own lines do not set.
void FillFrom(CameraKey& sample, const CameraKey& from) {
    std::copy(from.eye, from.eye + 3, sample.eye);
    std::copy(from.target, from.target + 3, sample.target);
    sample.fov = from.fov;
    sample.filled = 1;
}

// The keywords the geometry object reader acts on (ReadGeomObject): a line
// whose rest holds none of them, and no brace, can be passed over whole
// instead of token by token.
bool IsObjectKeyword(const char* text, size_t length) {
    static const char* const kKeywords[] = {
        "*MESH_FACE",      "*MESH_VERTEX",     "*MESH_TVERT",      "*MESH_TFACE",    "*MESH_FACENORMAL",
        "*NODE_NAME",      "*MESH_NUMVERTEX",  "*MESH_NUMFACES",   "*MESH_NUMTVERTEX", "*MESH_NUMTVFACES",
        "*MATERIAL_REF",   "*TM_POS"};
    for (const char* keyword : kKeywords) {
        if (std::strlen(keyword) == length && std::memcmp(keyword, text, length) == 0) {
            return true;
        }
    }
    return false;
}

// Set bits of a 16-bit mask, without a library call on processors whose
// baseline has no population count instruction.
inline int BitsSet16(uint32_t mask) {
    uint32_t x = mask - ((mask >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return static_cast<int>((x + (x >> 8)) & 0x1Fu);
}

// Moves past the ends of up to remaining tokens, scan starting inside a token
// (or at its start), and answers where the last of them ended, or stop when
// the text ran out first; remaining counts down the ends passed. The face
// normal's three vertex-normal lines, skipped this way, are a large share of
// an export, so sixteen bytes are classified at a time where the processor
// allows: a token ends where a white-space byte follows one that is not.
const char* SkipTokenEnds(const char* scan, const char* stop, int& remaining) {
    bool previousSpace = false;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i four = _mm_set1_epi8(4);
    while (stop - scan >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scan));
        // ' ', or '\t' to '\r' (the byte minus '\t' at most 4, unsigned).
        const __m128i offset = _mm_sub_epi8(bytes, tab);
        const __m128i space =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(_mm_min_epu8(offset, four), offset));
        const uint32_t mask = static_cast<uint32_t>(_mm_movemask_epi8(space));
        const uint32_t ends = mask & ~((mask << 1) | (previousSpace ? 1u : 0u));
        const int found = BitsSet16(ends);
        if (found >= remaining) {
            uint32_t left = ends;
            for (int i = 1; i < remaining; ++i) {
                left &= left - 1;
            }
            const uint32_t lowest = left & (0u - left);
            remaining = 0;
            return scan + BitsSet16(lowest - 1);
        }
        remaining -= found;
        previousSpace = (mask & 0x8000u) != 0;
        scan += 16;
    }
#endif
    for (; scan < stop; ++scan) {
        const bool space = IsSpace(*scan);
        if (space && !previousSpace && --remaining == 0) {
            return scan;
        }
        previousSpace = space;
    }
    return scan;
}

}  // namespace

AseReader::AseReader()
    : stream(),
      textSize(0),
      counted{0, 0, 0},
      cursor(nullptr),
      end(nullptr),
      objectsRead(0),
      camerasRead(0),
      lightsRead(0),
      scene(nullptr),
      trackSamplesLeft(0),
      elementBytesLeft(0) {}

void AseReader::Read(const char* fileName, Scene& target) {
    const char* name = fileName != nullptr ? fileName : "";
    scene = &target;
    Log::Write("\nLECTOR DE FICHEROS ASE v0.5 by Dralven / Brassmoor Team\n]> Comenzada la lectura del fichero .ASE\n");
    Log::Format("]> LEYENDO FICHERO ASE: [ %s ]\n", name);
    if (!LoadText(name)) {
        Log::Format("]> ** ERROR ** El fichero [ %s ] no se encuentra. **\n", name);
        std::fprintf(stderr, "halvenor: no se encuentra el fichero de escena [ %s ]\n", name);
        ExitProcess(1);
    }
    CreateArraysFromCounts();

    Token token;
    while (NextToken(token)) {
        if (Is(token.text, token.length, "*MATERIAL_LIST")) {
            ReadMaterialList();
        } else if (Is(token.text, token.length, "*CAMERAOBJECT")) {
            ReadCamera();
        } else if (Is(token.text, token.length, "*LIGHTOBJECT")) {
            ReadLight();
        } else if (Is(token.text, token.length, "*GEOMOBJECT")) {
            ReadGeomObject();
        } else if (Is(token.text, token.length, "*SCENE")) {
            ReadSceneParams();
        }
    }

    Log::Format("\n Leidos: %u Objetos - %u Materiales - %u Camaras - %u Luces.", scene->ObjectCount(),
              scene->MaterialCount(), scene->CameraCount(), scene->LightCount());
    Log::Write("\n FINALIZADA LA CARGA DEL FICHERO ASE.\n\n");
    stream.Close();
    cursor = end = nullptr;
}

bool AseReader::LoadText(const char* fileName) {
    if (!stream.Open(fileName)) {
        return false;
    }
    // The first pass: the size of the text and its block counts.
    textSize = 0;
    counted = BlockCounts{0, 0, 0};
    const char* begin = nullptr;
    const char* stop = nullptr;
    while (stream.Next(begin, stop)) {
        CountBlocks(begin, stop);
        textSize += static_cast<uint64_t>(stop - begin);
    }
    stream.Rewind();
    cursor = end = nullptr;
    trackSamplesLeft = std::max<uint64_t>(kMinTrackBudget, textSize / kTextBytesPerTrackSample);
    elementBytesLeft = textSize;
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
        while (first > begin && !IsSpace(first[-1])) {
            --first;
        }
        while (last < stop && !IsSpace(*last)) {
            ++last;
        }
        const size_t length = static_cast<size_t>(last - first);
        counted.cameras += Is(first, length, "*CAMERAOBJECT") ? 1 : 0;
        counted.objects += Is(first, length, "*GEOMOBJECT") ? 1 : 0;
        counted.lights += Is(first, length, "*LIGHTOBJECT") ? 1 : 0;
        scan = last;
    }
}

void AseReader::CreateArraysFromCounts() {
    // The blocks themselves are charged first: each takes its bytes of the
    // text, which the counts inside them can then no longer claim.
    scene->InitCameras(BoundedCount("*CAMERAOBJECT", counted.cameras, kCameraBlockBytes));
    scene->InitObjects(BoundedCount("*GEOMOBJECT", counted.objects, kObjectBlockBytes));
    scene->InitLights(BoundedCount("*LIGHTOBJECT", counted.lights, kLightBlockBytes));
    objectsRead = 0;
    camerasRead = 0;
    lightsRead = 0;
}

// ---------------------------------------------------------------------------
// Scene header

void AseReader::ReadSceneParams() {
    Log::Write("]> - CARGANDO PARAMETROS ESCENA.\n");
    SceneParams params = DefaultSceneParams();
    Token token;
    while (NextToken(token)) {
        const char* word = token.text;
        const size_t length = token.length;
        if (Is(word, length, "}")) {
            break;
        } else if (Is(word, length, "*SCENE_LASTFRAME")) {
            ReadInt(params.lastFrame);
        } else if (Is(word, length, "*SCENE_FRAMESPEED")) {
            ReadInt(params.frameSpeed);
        } else if (Is(word, length, "*SCENE_TICKSPERFRAME")) {
            ReadInt(params.ticksPerFrame);
        } else if (Is(word, length, "*SCENE_BACKGROUND_STATIC")) {
            ReadFloats(params.background, 3);
        } else if (Is(word, length, "*SCENE_AMBIENT_STATIC")) {
            ReadFloats(params.ambient, 3);
        }
    }
    // The whole header is replaced: the name and fog are set later.
    scene->SetParams(params);
}

// ---------------------------------------------------------------------------
// Materials

void AseReader::ReadMaterialList() {
    Log::Write("]> - CARGANDO MATERIALES.\n");
    Token token;
    bool counted = false;
    while (!counted && NextToken(token)) {
        counted = Is(token.text, token.length, "*MATERIAL_COUNT");
    }
    if (!counted) {
        return;
    }
    int32_t announced = 0;
    ReadInt(announced);
    const uint32_t count = BoundedCount("*MATERIAL_COUNT", announced, kMaterialBlockBytes);
    scene->InitMaterials(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadMaterial(i)) {
            break;
        }
    }
}

bool AseReader::ReadMaterial(uint32_t position) {
    Material material;
    MaterialProps props{};
    // A material without its number line goes to its place in the list, and
    // that place is its number when the scene is written out.
    int32_t number = static_cast<int32_t>(position);
    props.index = number;
    float transparency = 0.0f;
    float selfIllumination = 0.0f;
    float vOffset = 0.0f;
    char name[kQuotedNameSize];
    int bitmaps = 0;
    int depth = 0;
    bool complete = false;
    Token token;
    while (!complete && NextToken(token)) {
        const char* word = token.text;
        const size_t length = token.length;
        // Map keywords address the last map named by *BITMAP; before the
        // first one, or after a third one, there is no slot to change.
        const int slot = bitmaps - 1;
        const bool haveSlot = slot >= 0 && slot < Material::kMapSlots;
        TextureMap map = haveSlot ? material.GetMap(slot) : TextureMap();
        bool mapChanged = false;
        if (Is(word, length, "{")) {
            ++depth;
        } else if (Is(word, length, "}")) {
            complete = --depth == 0;
        } else if (Is(word, length, "*MATERIAL")) {
            ReadInt(number);
            props.index = number;
        } else if (Is(word, length, "*MATERIAL_NAME")) {
            ReadQuotedName(props.name, MaterialProps::kNameSize);
        } else if (Is(word, length, "*MATERIAL_AMBIENT")) {
            ReadFloats(props.ambient, 3);
        } else if (Is(word, length, "*MATERIAL_DIFFUSE")) {
            ReadFloats(props.diffuse, 3);
        } else if (Is(word, length, "*MATERIAL_SPECULAR")) {
            ReadFloats(props.specular, 3);
        } else if (Is(word, length, "*MATERIAL_SHINE")) {
            ReadFloat(props.shininess);
        } else if (Is(word, length, "*MATERIAL_TWOSIDED")) {
            props.twoSided = 1;
        } else if (Is(word, length, "*MATERIAL_TRANSPARENCY")) {
            ReadFloat(transparency);
            props.ambient[3] = props.diffuse[3] = props.specular[3] = 1.0f - transparency;
        } else if (Is(word, length, "*MATERIAL_SELFILLUM")) {
            ReadFloat(selfIllumination);
            props.emission[0] = props.emission[1] = props.emission[2] = selfIllumination;
        } else if (Is(word, length, "*BITMAP")) {
            ReadQuotedName(name, sizeof name);
            if (++bitmaps <= Material::kMapSlots) {
                TextureMap named;
                std::strncpy(named.file, name, TextureMap::kFileSize - 1);
                material.SetMap(bitmaps - 1, named);
                props.mapCount = bitmaps;
            }
        } else if (Is(word, length, "*MAP_TYPE")) {
            Token type;
            if (NextToken(type)) {
                map.sphereMap = type.length == 9 && strncasecmp(type.text, "Spherical", 9) == 0 ? 1 : 0;
                mapChanged = true;
            }
        } else if (Is(word, length, "*UVW_U_TILING")) {
            mapChanged = ReadFloat(map.uTiling);
        } else if (Is(word, length, "*UVW_V_TILING")) {
            mapChanged = ReadFloat(map.vTiling);
        } else if (Is(word, length, "*UVW_U_OFFSET")) {
            mapChanged = ReadFloat(map.uOffset);
        } else if (Is(word, length, "*UVW_V_OFFSET")) {
            ReadFloat(vOffset);
            map.vOffset = -vOffset;
            mapChanged = true;
        }
        if (mapChanged && haveSlot) {
            material.SetMap(slot, map);
        }
    }
    // A block the file cut short may be anything (the reader may have run
    // past the list); only finished materials are stored.
    if (complete) {
        material.SetProps(props);
        scene->SetMaterial(static_cast<uint32_t>(number), material);
    }
    return complete;
}

// ---------------------------------------------------------------------------
// Geometry objects

void AseReader::ReadGeomObject() {
    Log::Write("]> - CARGANDO OBJETO.\n");
    SceneObject object;
    object.SetMaterialRef(-1);
    int depth = 1;
    bool named = false;
    char name[kQuotedNameSize];
    Token token;
    while (NextToken(token)) {
        const char* word = token.text;
        const size_t length = token.length;
        if (length == 1) {
            if (*word == '{') {
                ++depth;
            } else if (*word == '}' && --depth == 1) {
                break;
            }
            continue;
        }
        if (*word != '*') {
            continue;
        }
        int32_t count = 0;
        if (Is(word, length, "*MESH_FACE")) {
            ReadMeshFace(object);
        } else if (Is(word, length, "*MESH_VERTEX")) {
            ReadMeshVertex(object);
        } else if (Is(word, length, "*MESH_TVERT")) {
            ReadMeshTexVertex(object);
        } else if (Is(word, length, "*MESH_TFACE")) {
            ReadMeshTexFace(object);
        } else if (Is(word, length, "*MESH_FACENORMAL")) {
            ReadMeshFaceNormal(object);
        } else if (Is(word, length, "*NODE_NAME") && !named) {
            ReadQuotedName(name, sizeof name);
            object.SetName(name);
            named = true;
        } else if (Is(word, length, "*MESH_NUMVERTEX")) {
            ReadInt(count);
            object.InitVertices(BoundedCount("*MESH_NUMVERTEX", count, kVertexLineBytes));
        } else if (Is(word, length, "*MESH_NUMFACES")) {
            ReadInt(count);
            object.InitFaces(BoundedCount("*MESH_NUMFACES", count, kFaceLineBytes));
        } else if (Is(word, length, "*MESH_NUMTVERTEX")) {
            ReadInt(count);
            object.InitTexVertices(BoundedCount("*MESH_NUMTVERTEX", count, kTexVertexLineBytes));
        } else if (Is(word, length, "*MESH_NUMTVFACES")) {
            ReadInt(count);
            object.InitTexFaces(BoundedCount("*MESH_NUMTVFACES", count, kTexFaceLineBytes));
        } else if (Is(word, length, "*MATERIAL_REF")) {
            ReadInt(object.materialRef);
        } else if (Is(word, length, "*TM_POS")) {
            // The object's position comes from centring its vertices.
            float ignored[3];
            ReadFloats(ignored, 3);
        }
    }
    StoreObject(object);
}

void AseReader::ReadMeshVertex(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.verticesCreated != 0);
    int32_t index = 0;
    float read[3];
    int matched = 0;
    if (ReadInt(index)) {
        matched = ReadFloats(read, 3);
    }
    Vertex vertex = object.GetVertex(static_cast<uint32_t>(index));
    StoreYUp(vertex.position, read, matched);
    object.SetVertex(static_cast<uint32_t>(index), vertex);
}

void AseReader::ReadMeshTexVertex(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.texVerticesCreated != 0);
    int32_t index = 0;
    ReadInt(index);
    TexVertex texVertex = object.GetTexVertex(static_cast<uint32_t>(index));
    // The third coordinate is left for the token loop to skip.
    float v = 0.0f;
    if (ReadFloat(texVertex.u) && ReadFloat(v)) {
        texVertex.v = -v;
    }
    object.SetTexVertex(static_cast<uint32_t>(index), texVertex);
}

void AseReader::ReadMeshFace(SceneObject& object) {
    // "%d:\t", then "A:\t%d B:\t%d C:\t%d"; exports write spaces where the
    // formats have tabs, and a blank in a format matches any white space.
    ReleaseBeforeFatalRead(object, object.facesCreated != 0);
    int32_t index = 0;
    if (ReadInt(index) && MatchChar(':')) {
        SkipSpace();
    }
    Face face = object.GetFace(static_cast<uint32_t>(index));
    if (MatchChar('A') && MatchChar(':') && ReadInt(face.a)) {
        SkipSpace();
        if (MatchChar('B') && MatchChar(':') && ReadInt(face.b)) {
            SkipSpace();
            if (MatchChar('C') && MatchChar(':')) {
                ReadInt(face.c);
            }
        }
    }
    PointFace(face, object);
    object.SetFace(static_cast<uint32_t>(index), face);
    // The edge flags, smoothing group and sub-material id that follow mean
    // nothing to the reader.
    SkipIgnoredRestOfLine();
}

void AseReader::SkipIgnoredRestOfLine() {
    const size_t left = WindowLeft();
    const char* const newline = static_cast<const char*>(std::memchr(cursor, '\n', left));
    if (newline == nullptr) {
        return;
    }
    const size_t length = static_cast<size_t>(newline - cursor);
    if (std::memchr(cursor, '{', length) != nullptr || std::memchr(cursor, '}', length) != nullptr) {
        return;
    }
    for (const char* star = static_cast<const char*>(std::memchr(cursor, '*', length)); star != nullptr;
         star = static_cast<const char*>(std::memchr(star + 1, '*', static_cast<size_t>(newline - star - 1)))) {
        const char* last = star;
        while (last < newline && !IsSpace(*last)) {
            ++last;
        }
        if (IsObjectKeyword(star, static_cast<size_t>(last - star))) {
            return;
        }
    }
    cursor = newline + 1;
}

void AseReader::ReadMeshTexFace(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.texFacesCreated != 0);
    int32_t index = 0;
    ReadInt(index);
    TexFace texFace = object.GetTexFace(static_cast<uint32_t>(index));
    if (ReadInt(texFace.a) && ReadInt(texFace.b)) {
        ReadInt(texFace.c);
    }
    PointTexFace(texFace, object);
    object.SetTexFace(static_cast<uint32_t>(index), texFace);
}

void AseReader::ReadMeshFaceNormal(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.facesCreated != 0);
    int32_t index = 0;
    ReadInt(index);
    Face face = object.GetFace(static_cast<uint32_t>(index));
    float read[3];
    StoreYUp(face.normal, read, ReadFloats(read, 3));
    // Vertex normals are computed at preparation; their three lines are
    // passed over.
    SkipLine(kSkippedLineSize);
    SkipTokens(kVertexNormalTokens);
    object.SetFace(static_cast<uint32_t>(index), face);
}

void AseReader::ReleaseBeforeFatalRead(SceneObject& object, bool arrayCreated) {
    // An element line before its count line ends the process when its element
    // is read; what the object holds is given back first, so that a harness
    // that takes the ending over finds nothing lost.
    if (!arrayCreated) {
        object.Release();
    }
}

void AseReader::StoreObject(SceneObject& object) {
    ResolveAllFaces(object);
    const bool fits = scene->objectsCreated && static_cast<uint32_t>(objectsRead) < scene->objectCount &&
                      scene->frontCount < scene->backIndex;
    scene->SetObject(static_cast<uint32_t>(objectsRead), object);
    if (!fits) {
        // The scene refused it, so its arrays are still the reader's.
        object.Release();
    }
    ++objectsRead;
}

// ---------------------------------------------------------------------------
// Cameras

uint32_t AseReader::TrackLength() {
    const int64_t wanted = std::max<int64_t>(1, int64_t(scene->GetParams().lastFrame) + 1);
    const uint64_t granted = std::min<uint64_t>(static_cast<uint64_t>(wanted), std::max<uint64_t>(1, trackSamplesLeft));
    if (granted < static_cast<uint64_t>(wanted)) {
        Log::Format("]>   ** AVISO ** Pista de %lld muestras demasiado larga para el fichero: se reduce a %llu.\n",
                  static_cast<long long>(wanted), static_cast<unsigned long long>(granted));
    }
    trackSamplesLeft -= std::min(trackSamplesLeft, granted);
    return static_cast<uint32_t>(granted);
}

void AseReader::TakeCameraSample(Camera& camera, uint32_t sample, const CameraKey& staticKey,
                                 CameraKey& key) const {
    key = camera.GetSample(sample);
    if (!key.filled) {
        FillFrom(key, sample == 0 ? staticKey : camera.GetSample(sample - 1));
    }
}

void AseReader::ReadCamera() {
    Log::Write("]> - CARGANDO CAMARA.\n");
    Camera camera;
    CameraKey staticKey{};
    uint32_t sample = 0;
    int trackKind = 0;
    bool fovAnimation = false;
    bool positionSeen = false;
    float fov = 0.0f;
    int depth = 0;
    Token token;
    while (NextToken(token)) {
        const char* word = token.text;
        const size_t length = token.length;
        if (Is(word, length, "{")) {
            ++depth;
        } else if (Is(word, length, "}")) {
            if (--depth == 0) {
                break;
            }
        } else if (Is(word, length, "*TM_POS")) {
            // The first node is the camera, a second one its target.
            float read[3];
            StoreYUp(positionSeen ? staticKey.target : staticKey.eye, read, ReadFloats(read, 3));
            positionSeen = true;
        } else if (Is(word, length, "*CAMERA_FOV")) {
            ReadFloat(fov);
            const float degrees = fov * 180.0f / 3.1416f;
            if (!fovAnimation) {
                staticKey.fov = degrees;
            } else {
                if (sample < camera.SampleCount()) {
                    CameraKey key;
                    TakeCameraSample(camera, sample, staticKey, key);
                    key.fov = degrees;
                    camera.SetSample(sample, key);
                }
                ++sample;
            }
        } else if (Is(word, length, "*CAMERA_ANIMATION")) {
            sample = 0;
            fovAnimation = true;
            if (camera.track == nullptr) {
                camera.CreateTrack(TrackLength());
            }
        } else if (Is(word, length, "*CONTROL_POS_TRACK")) {
            Log::Write("]>   - LEYENDO ANIMACION DE CAMARA.\n");
            sample = 0;
            if (camera.track == nullptr) {
                camera.CreateTrack(TrackLength());
            }
            ++trackKind;
        } else if (Is(word, length, "*CONTROL_POS_SAMPLE")) {
            // The first position track moves the eye, the second the target;
            // samples past the end of the track are dropped.
            if (trackKind == 1 || trackKind == 2) {
                int32_t tick = 0;
                float read[3];
                int matched = 0;
                if (ReadInt(tick)) {
                    matched = ReadFloats(read, 3);
                }
                if (sample < camera.SampleCount()) {
                    CameraKey key;
                    TakeCameraSample(camera, sample, staticKey, key);
                    StoreYUp(trackKind == 1 ? key.eye : key.target, read, matched);
                    camera.SetSample(sample, key);
                }
            }
            ++sample;
        }
    }
    camera.SetKey(staticKey);
    camera.CarryForwardSamples();
    const bool fits = scene->camerasCreated && static_cast<uint32_t>(camerasRead) < scene->cameraCount;
    scene->SetCamera(static_cast<uint32_t>(camerasRead), camera);
    if (!fits) {
        delete[] camera.track;
    }
    ++camerasRead;
}

// ---------------------------------------------------------------------------
// Lights

void AseReader::ReadLight() {
    Log::Write("]> - CARGANDO LUZ.\n");
    Light light;
    LightKey key{};
    key.number = lightsRead;
    LightKey sample{};
    uint32_t next = 0;
    int state = 0;
    int32_t useGlobal = 0;
    Token token;
    // Lights end by counting closing braces: node block, settings block,
    // then either the object's own brace or the end of its position track.
    while (NextToken(token)) {
        const char* word = token.text;
        const size_t length = token.length;
        float read[3];
        if (Is(word, length, "}")) {
            if (state == 2) {
                break;
            }
            ++state;
        } else if (Is(word, length, "*TM_POS")) {
            StoreYUp(key.position, read, ReadFloats(read, 3));
        } else if (Is(word, length, "*LIGHT_COLOR")) {
            ReadFloats(key.colour, 3);
            state = 1;
        } else if (Is(word, length, "*LIGHT_USEGLOBAL")) {
            ReadInt(useGlobal);
            light.flare = useGlobal == 1 ? 1 : 0;
        } else if (Is(word, length, "*CONTROL_POS_TRACK")) {
            if (light.track == nullptr) {
                light.CreateTrack(TrackLength());
            }
            state = 2;
            next = 0;
            Log::Write("]>   - LEYENDO ANIMACION DE LUZ.\n");
        } else if (Is(word, length, "*CONTROL_POS_SAMPLE")) {
            int32_t tick = 0;
            int matched = 0;
            if (ReadInt(tick)) {
                matched = ReadFloats(read, 3);
            }
            StoreYUp(sample.position, read, matched);
            // Samples past the end of the track, or before any track, are dropped.
            if (next < light.SampleCount()) {
                light.SetSample(next, sample);
            }
            ++next;
        } else {
            SkipLine(kSkippedLineSize);
        }
    }
    light.SetKey(key);
    light.CarryForwardSamples(next);
    const bool fits = scene->lightsCreated && static_cast<uint32_t>(lightsRead) < scene->lightCount;
    scene->SetLight(static_cast<uint32_t>(lightsRead), light);
    if (!fits) {
        delete[] light.track;
    }
    ++lightsRead;
}

// ---------------------------------------------------------------------------
// Counts

uint32_t AseReader::BoundedCount(const char* keyword, int64_t count, size_t bytesPerElement) {
    if (count < 0) {
        Log::Format("]> ** AVISO ** %s %lld es negativo: se toma 0.\n", keyword, static_cast<long long>(count));
        return 0;
    }
    const size_t most = static_cast<size_t>(std::min<uint64_t>(BytesLeft(), elementBytesLeft)) / bytesPerElement;
    size_t granted = static_cast<size_t>(count);
    if (granted > most) {
        Log::Format("]> ** AVISO ** %s %lld no cabe en el resto del fichero: se reduce a %zu.\n", keyword,
                    static_cast<long long>(count), most);
        granted = most;
    }
    elementBytesLeft -= static_cast<uint64_t>(granted) * bytesPerElement;
    return static_cast<uint32_t>(granted);
}

// ---------------------------------------------------------------------------
// Scanner

void AseReader::SkipSpace() {
    for (;;) {
        while (cursor < end && IsSpace(*cursor)) {
            ++cursor;
        }
        // The window is read to its end: the next one, if there is more.
        if (cursor < end || !stream.Next(cursor, end)) {
            return;
        }
    }
}

bool AseReader::NextToken(Token& token) {
    SkipSpace();
    if (cursor >= end) {
        return false;
    }
    // A window ends after a line end, except the last, at the end of a text
    // that has none (a cut file, or one that is not text at all).
    const char* start = cursor;
    while (cursor < end && !IsSpace(*cursor)) {
        ++cursor;
    }
    token.text = start;
    token.length = static_cast<size_t>(cursor - start);
    return true;
}

bool AseReader::MatchChar(char c) {
    if (cursor < end && *cursor == c) {
        ++cursor;
        return true;
    }
    return false;
}

bool AseReader::ReadInt(int32_t& value) {
    SkipSpace();
    const char* scan = cursor;
    bool negative = false;
    if (scan < end && (*scan == '+' || *scan == '-')) {
        negative = *scan == '-';
        ++scan;
    }
    if (scan >= end || !IsDigit(*scan)) {
        return false;
    }
    // Like strtol into a long, saturating, then narrowed to int. Eighteen
    // digits cannot reach the limit, so only longer numbers are checked.
    unsigned long long magnitude = 0;
    const char* const quickEnd = scan + std::min<size_t>(18, static_cast<size_t>(end - scan));
    while (scan < quickEnd && IsDigit(*scan)) {
        magnitude = magnitude * 10 + static_cast<unsigned>(*scan - '0');
        ++scan;
    }
    const unsigned long long limit = negative ? static_cast<unsigned long long>(LONG_MAX) + 1 : LONG_MAX;
    while (scan < end && IsDigit(*scan)) {
        const unsigned digit = static_cast<unsigned>(*scan - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        ++scan;
    }
    const long wide = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
    value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(wide)));
    cursor = scan;
    return true;
}

bool AseReader::ReadPlainDecimal(float& value) {
    // [-]digits[.digits] with at most eight digits in all, whose digits make
    // an integer below 2^24, and nothing after it that a longer number would
    // take: that integer and the power of ten are exact floats, so one float
    // division rounds the number exactly as strtof does.
    static const float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f};
    const char* scan = cursor;
    const bool negative = scan < end && *scan == '-';
    scan += negative ? 1 : 0;
    uint32_t digits = 0;
    int count = 0;
    int fraction = 0;
    while (scan < end && IsDigit(*scan) && count < 9) {
        digits = digits * 10 + static_cast<uint32_t>(*scan++ - '0');
        ++count;
    }
    if (scan < end && *scan == '.') {
        ++scan;
        while (scan < end && IsDigit(*scan) && count < 9) {
            digits = digits * 10 + static_cast<uint32_t>(*scan++ - '0');
            ++count;
            ++fraction;
        }
    }
    const bool more = scan < end && (IsDigit(*scan) || *scan == '.' || *scan == 'e' || *scan == 'E');
    if (count == 0 || count > 8 || more || digits >= (1u << 24)) {
        return false;
    }
    const float magnitude = static_cast<float>(digits) / kPowersOfTen[fraction];
    value = negative ? -magnitude : magnitude;
    cursor = scan;
    return true;
}

bool AseReader::ReadFloat(float& value) {
    SkipSpace();
    if (ReadPlainDecimal(value)) {
        return true;
    }
    const char* scan = cursor;
    if (scan < end && *scan == '+') {
        ++scan;
        if (scan < end && (*scan == '-' || *scan == '+')) {
            return false;
        }
    }
    const bool hex = end - scan > 1 && scan[0] == '0' && (scan[1] == 'x' || scan[1] == 'X');
    const bool signedHex = end - scan > 2 && scan[0] == '-' && scan[1] == '0' && (scan[2] == 'x' || scan[2] == 'X');
    float parsed = 0.0f;
    const std::from_chars_result result = std::from_chars(scan, end, parsed);
    if (result.ec == std::errc() && !hex && !signedHex) {
        value = parsed;
        cursor = result.ptr;
        return true;
    }
    if (result.ec == std::errc::invalid_argument && !hex && !signedHex) {
        return false;
    }
    // Rare forms (out of range, hexadecimal) go through the C library, which
    // is what scanf itself would use.
    char number[128];
    size_t length = 0;
    for (const char* c = cursor; c < end && !IsSpace(*c) && length + 1 < sizeof number; ++c) {
        number[length++] = *c;
    }
    number[length] = '\0';
    char* stop = nullptr;
    errno = 0;
    const float converted = std::strtof(number, &stop);
    if (stop == number) {
        return false;
    }
    value = converted;
    cursor += stop - number;
    return true;
}

int AseReader::ReadFloats(float* values, int count) {
    int matched = 0;
    while (matched < count && ReadFloat(values[matched])) {
        ++matched;
    }
    return matched;
}

void AseReader::ReadQuotedName(char* buffer, size_t capacity) {
    SkipSpace();
    MatchChar('"');
    const char* start = cursor;
    const char* newline = static_cast<const char*>(std::memchr(start, '\n', WindowLeft()));
    cursor = newline != nullptr ? newline + 1 : end;
    // The line's last two characters are its closing quote and its line end.
    size_t length = static_cast<size_t>(cursor - start);
    length = length >= 2 ? length - 2 : 0;
    length = std::min(length, std::min(capacity, kQuotedNameSize) - 1);
    std::memcpy(buffer, start, length);
    buffer[length] = '\0';
}

void AseReader::SkipLine(size_t size) {
    const size_t span = std::min(size, WindowLeft());
    const char* newline = static_cast<const char*>(std::memchr(cursor, '\n', span));
    cursor = newline != nullptr ? newline + 1 : cursor + span;
}

void AseReader::SkipTokens(int count) {
    int remaining = count;
    while (remaining > 0) {
        SkipSpace();
        if (cursor >= end) {
            return;
        }
        // cursor is at the start of a token.
        cursor = SkipTokenEnds(cursor, end, remaining);
    }
}

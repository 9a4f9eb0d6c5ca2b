#include "scene/AseObjectReader.h"

#include <cstring>

#include "core/Log.h"
#include "scene/AseImportBudget.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

namespace {

// Tokens of the three vertex-normal lines that follow a face normal.
constexpr int kVertexNormalTokens = 15;

// Element lines: at least their keyword and one more character.
constexpr size_t kVertexLineBytes = sizeof("*MESH_VERTEX") + 1;
constexpr size_t kFaceLineBytes = sizeof("*MESH_FACE") + 1;
constexpr size_t kTexVertexLineBytes = sizeof("*MESH_TVERT") + 1;
constexpr size_t kTexFaceLineBytes = sizeof("*MESH_TFACE") + 1;

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

// The keywords the reader acts on inside a block: a line whose rest holds
// none of them, and no brace, can be passed over whole instead of token by
// token.
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

}  // namespace

AseObjectReader::AseObjectReader(AseScanner& textScanner, AseImportBudget& importBudget, Scene& target)
    : scanner(textScanner), budget(importBudget), scene(target), objectsRead(0) {}

void AseObjectReader::Read() {
    Log::Write("]> - CARGANDO OBJETO.\n");
    SceneObject object;
    object.SetMaterialRef(-1);
    int depth = 1;
    bool named = false;
    AseScanner::Token token;
    while (scanner.NextToken(token)) {
        if (token.length == 1) {
            if (*token.text == '{') {
                ++depth;
            } else if (*token.text == '}' && --depth == 1) {
                break;
            }
            continue;
        }
        if (*token.text == '*' && !ReadElement(token, object)) {
            ReadObjectValue(token, object, named);
        }
    }
    StoreObject(object);
}

bool AseObjectReader::ReadElement(const AseScanner::Token& token, SceneObject& object) {
    if (token.Is("*MESH_FACE")) {
        ReadMeshFace(object);
    } else if (token.Is("*MESH_VERTEX")) {
        ReadMeshVertex(object);
    } else if (token.Is("*MESH_TVERT")) {
        ReadMeshTexVertex(object);
    } else if (token.Is("*MESH_TFACE")) {
        ReadMeshTexFace(object);
    } else if (token.Is("*MESH_FACENORMAL")) {
        ReadMeshFaceNormal(object);
    } else {
        return false;
    }
    return true;
}

void AseObjectReader::ReadObjectValue(const AseScanner::Token& token, SceneObject& object, bool& named) {
    int32_t count = 0;
    if (token.Is("*NODE_NAME") && !named) {
        char name[AseScanner::kQuotedNameSize];
        scanner.ReadQuotedName(name, sizeof name);
        object.SetName(name);
        named = true;
    } else if (token.Is("*MESH_NUMVERTEX")) {
        scanner.ReadInt(count);
        object.InitVertices(budget.BoundedCount("*MESH_NUMVERTEX", count, kVertexLineBytes));
    } else if (token.Is("*MESH_NUMFACES")) {
        scanner.ReadInt(count);
        object.InitFaces(budget.BoundedCount("*MESH_NUMFACES", count, kFaceLineBytes));
    } else if (token.Is("*MESH_NUMTVERTEX")) {
        scanner.ReadInt(count);
        object.InitTexVertices(budget.BoundedCount("*MESH_NUMTVERTEX", count, kTexVertexLineBytes));
    } else if (token.Is("*MESH_NUMTVFACES")) {
        scanner.ReadInt(count);
        object.InitTexFaces(budget.BoundedCount("*MESH_NUMTVFACES", count, kTexFaceLineBytes));
    } else if (token.Is("*MATERIAL_REF")) {
        scanner.ReadInt(object.materialRef);
    } else if (token.Is("*TM_POS")) {
        // The object's position comes from centring its vertices.
        float ignored[3];
        scanner.ReadFloats(ignored, 3);
    }
}

void AseObjectReader::ReadMeshVertex(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.verticesCreated != 0);
    int32_t index = 0;
    float read[3];
    int matched = 0;
    if (scanner.ReadInt(index)) {
        matched = scanner.ReadFloats(read, 3);
    }
    Vertex vertex = object.GetVertex(static_cast<uint32_t>(index));
    AseScanner::StoreYUp(vertex.position, read, matched);
    object.SetVertex(static_cast<uint32_t>(index), vertex);
}

void AseObjectReader::ReadMeshTexVertex(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.texVerticesCreated != 0);
    int32_t index = 0;
    scanner.ReadInt(index);
    TexVertex texVertex = object.GetTexVertex(static_cast<uint32_t>(index));
    // The third coordinate is left for the token loop to skip.
    float v = 0.0f;
    if (scanner.ReadFloat(texVertex.u) && scanner.ReadFloat(v)) {
        texVertex.v = -v;
    }
    object.SetTexVertex(static_cast<uint32_t>(index), texVertex);
}

void AseObjectReader::ReadMeshFace(SceneObject& object) {
    // "%d:\t", then "A:\t%d B:\t%d C:\t%d"; exports write spaces where the
    // formats have tabs, and a blank in a format matches any white space.
    ReleaseBeforeFatalRead(object, object.facesCreated != 0);
    int32_t index = 0;
    if (scanner.ReadInt(index) && scanner.MatchChar(':')) {
        scanner.SkipSpace();
    }
    Face face = object.GetFace(static_cast<uint32_t>(index));
    if (scanner.MatchChar('A') && scanner.MatchChar(':') && scanner.ReadInt(face.a)) {
        scanner.SkipSpace();
        if (scanner.MatchChar('B') && scanner.MatchChar(':') && scanner.ReadInt(face.b)) {
            scanner.SkipSpace();
            if (scanner.MatchChar('C') && scanner.MatchChar(':')) {
                scanner.ReadInt(face.c);
            }
        }
    }
    PointFace(face, object);
    object.SetFace(static_cast<uint32_t>(index), face);
    // The edge flags, smoothing group and sub-material id that follow mean
    // nothing to the reader.
    scanner.SkipRestOfLineUnless(IsObjectKeyword);
}

void AseObjectReader::ReadMeshTexFace(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.texFacesCreated != 0);
    int32_t index = 0;
    scanner.ReadInt(index);
    TexFace texFace = object.GetTexFace(static_cast<uint32_t>(index));
    if (scanner.ReadInt(texFace.a) && scanner.ReadInt(texFace.b)) {
        scanner.ReadInt(texFace.c);
    }
    PointTexFace(texFace, object);
    object.SetTexFace(static_cast<uint32_t>(index), texFace);
}

void AseObjectReader::ReadMeshFaceNormal(SceneObject& object) {
    ReleaseBeforeFatalRead(object, object.facesCreated != 0);
    int32_t index = 0;
    scanner.ReadInt(index);
    Face face = object.GetFace(static_cast<uint32_t>(index));
    float read[3];
    AseScanner::StoreYUp(face.normal, read, scanner.ReadFloats(read, 3));
    // Vertex normals are computed at preparation; their three lines are
    // passed over.
    scanner.SkipLine(AseScanner::kSkippedLineSize);
    scanner.SkipTokens(kVertexNormalTokens);
    object.SetFace(static_cast<uint32_t>(index), face);
}

void AseObjectReader::ReleaseBeforeFatalRead(SceneObject& object, bool arrayCreated) {
    // An element line before its count line ends the process when its element
    // is read; what the object holds is given back first, so that a harness
    // that takes the ending over finds nothing lost.
    if (!arrayCreated) {
        object.Release();
    }
}

void AseObjectReader::StoreObject(SceneObject& object) {
    ResolveAllFaces(object);
    const bool fits = scene.objectsCreated && static_cast<uint32_t>(objectsRead) < scene.objectCount &&
                      scene.frontCount < scene.backIndex;
    scene.SetObject(static_cast<uint32_t>(objectsRead), object);
    if (!fits) {
        // The scene refused it, so its arrays are still the reader's.
        object.Release();
    }
    ++objectsRead;
}

#include "scene/SceneObject.h"

#include <cstdlib>
#include <cstring>

#include "platform/MessageBox.h"
#include "platform/Process.h"

namespace {

const char* const kInitCaption = "Error de inicializacion";
const char* const kAccessCaption = "Error de acceso";
const char* const kStoreOutOfRange = "Acceso fuera del vector IMPEDIDO";
const char* const kReadOutOfRange = "Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.";

const char* const kNoVertices = "No esta iniciado el vector de vertices";
const char* const kNoFaces = "No esta iniciado el vector de caras";
const char* const kNoTexVertices = "No esta iniciado el vector de Tvertices";
const char* const kNoTexFaces = "No esta iniciado el vector de Tcaras";

void ShowBox(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

template <typename Element>
void StoreChecked(Element* elements, bool created, uint32_t count, uint32_t index, const Element& element,
                  const char* notCreatedText) {
    if (!created) {
        ShowBox(notCreatedText, kInitCaption);
    } else if (index >= count) {
        ShowBox(kStoreOutOfRange, kAccessCaption);
    } else {
        elements[index] = element;
    }
}

// Loading code reads every element before it changes it, so a read from an
// array that was never made means the file or the caller is broken beyond
// repair. A read past the end answers the last element; an empty array has
// none and answers the default element instead.
template <typename Element>
Element ReadClamped(const Element* elements, bool created, uint32_t count, uint32_t index,
                    const Element& fallback, const char* notCreatedText) {
    if (!created) {
        ShowBox(notCreatedText, kInitCaption);
        ExitProcess(1);
    }
    if (index >= count) {
        ShowBox(kReadOutOfRange, kAccessCaption);
        return count > 0 ? elements[count - 1] : fallback;
    }
    return elements[index];
}

void FreeVertices(Vertex*& vertices, uint32_t count) {
    if (vertices == nullptr) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        delete[] vertices[i].adjacentNormals;
        vertices[i].adjacentNormals = nullptr;
    }
    delete[] vertices;
    vertices = nullptr;
}

template <typename Element>
void FreeArray(Element*& elements) {
    delete[] elements;
    elements = nullptr;
}

template <typename Element>
Element* MakeArray(uint32_t count, const Element& element) {
    Element* elements = new Element[count];
    for (uint32_t i = 0; i < count; ++i) {
        elements[i] = element;
    }
    return elements;
}

}  // namespace

SceneObject::SceneObject()
    : vertices(nullptr),
      verticesCreated(0),
      vertexCount(0),
      faces(nullptr),
      facesCreated(0),
      faceCount(0),
      texVertices(nullptr),
      texVerticesCreated(0),
      texVertexCount(0),
      texFaces(nullptr),
      texFacesCreated(0),
      texFaceCount(0),
      materialRef(0),
      material(nullptr),
      name(),
      restVertices(nullptr),
      hasRestVertices(0),
      deformTime(0.0f),
      textured(0),
      deformFlags(0),
      deformFrequency(0.0),
      deformAmplitude(0.0),
      deformPhase(0.0),
      deformStep(0.0),
      rotationAxis(),
      rotationAngle(0.0f),
      rotationSpeed(0.0f),
      position(),
      shape(),
      shapePending(0) {}

// A second Init replaces the array; the object owns the old one, so it is
// freed rather than lost.
void SceneObject::InitVertices(uint32_t count) {
    FreeVertices(vertices, vertexCount);
    vertices = MakeArray(count, DefaultVertex());
    vertexCount = count;
    verticesCreated = 1;
}

void SceneObject::InitFaces(uint32_t count) {
    FreeArray(faces);
    faces = MakeArray(count, Face{});
    faceCount = count;
    facesCreated = 1;
}

void SceneObject::InitTexVertices(uint32_t count) {
    FreeArray(texVertices);
    texVertices = MakeArray(count, TexVertex{});
    texVertexCount = count;
    texVerticesCreated = 1;
}

void SceneObject::InitTexFaces(uint32_t count) {
    FreeArray(texFaces);
    texFaces = MakeArray(count, TexFace{});
    texFaceCount = count;
    texFacesCreated = 1;
}

void SceneObject::SetVertex(uint32_t index, const Vertex& vertex) {
    StoreChecked(vertices, verticesCreated != 0, vertexCount, index, vertex, kNoVertices);
}

void SceneObject::SetFace(uint32_t index, const Face& face) {
    StoreChecked(faces, facesCreated != 0, faceCount, index, face, kNoFaces);
}

void SceneObject::SetTexVertex(uint32_t index, const TexVertex& texVertex) {
    StoreChecked(texVertices, texVerticesCreated != 0, texVertexCount, index, texVertex, kNoTexVertices);
}

void SceneObject::SetTexFace(uint32_t index, const TexFace& texFace) {
    StoreChecked(texFaces, texFacesCreated != 0, texFaceCount, index, texFace, kNoTexFaces);
}

Vertex SceneObject::GetVertex(uint32_t index) const {
    return ReadClamped(vertices, verticesCreated != 0, vertexCount, index, DefaultVertex(), kNoVertices);
}

Face SceneObject::GetFace(uint32_t index) const {
    return ReadClamped(faces, facesCreated != 0, faceCount, index, Face{}, kNoFaces);
}

TexVertex SceneObject::GetTexVertex(uint32_t index) const {
    return ReadClamped(texVertices, texVerticesCreated != 0, texVertexCount, index, TexVertex{}, kNoTexVertices);
}

TexFace SceneObject::GetTexFace(uint32_t index) const {
    return ReadClamped(texFaces, texFacesCreated != 0, texFaceCount, index, TexFace{}, kNoTexFaces);
}

void SceneObject::SetName(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    std::strncpy(name, text, kNameSize - 1);
    name[kNameSize - 1] = '\0';
}

void SceneObject::Release() {
    // The snapshot shares each vertex's adjacency list with the live vertex,
    // so the lists are freed once, through the live array.
    FreeVertices(vertices, vertexCount);
    FreeArray(restVertices);
    FreeArray(texVertices);
    FreeArray(faces);
    FreeArray(texFaces);
    vertexCount = 0;
    faceCount = 0;
    texVertexCount = 0;
    texFaceCount = 0;
    verticesCreated = 0;
    facesCreated = 0;
    texVerticesCreated = 0;
    texFacesCreated = 0;
    hasRestVertices = 0;
}

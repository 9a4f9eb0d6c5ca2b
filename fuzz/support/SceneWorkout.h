// What the scene harnesses do with a scene once it is read: the creation
// steps that need no OpenGL, then one deformation with every stage on, which
// walks the faces and the adjacency lists the file sized.
#ifndef HALVENOR_FUZZ_SUPPORT_SCENEWORKOUT_H
#define HALVENOR_FUZZ_SUPPORT_SCENEWORKOUT_H

class Scene;

namespace SceneWorkout {

// Prepares every object (adjacency counted from the faces, or taken from a
// binary file), snapshots it and deforms it once.
void PrepareAndDeform(Scene& scene, bool binaryScene);

}  // namespace SceneWorkout

#endif

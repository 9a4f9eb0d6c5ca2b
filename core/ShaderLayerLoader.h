// The registry's side of shader layers: a LOAD LAYER2D line of type SHADER
// gets its program from the file it names, and SET LAYER2D ... CHANNEL lines
// give it its inputs. Whatever keeps a shader from drawing as written is said
// in the log and on stderr, the file named; the show plays on without it.
#ifndef HALVENOR_CORE_SHADERLAYERLOADER_H
#define HALVENOR_CORE_SHADERLAYERLOADER_H

#include <string>
#include <vector>

class Engine;
class Layer2D;

class ShaderLayerLoader {
public:
    // The layer's program from fileName (the window's context current).
    static void Attach(Engine& engine, Layer2D& layer, const char* fileName);
    // Channel word n shows source: an image file, MUSIC, PREVIOUS, or
    // PBUFFER with the buffer's name as argument.
    static void SetChannel(Engine& engine, Layer2D& layer, const char* number, const char* source,
                           const char* argument);
    // The layer's file read and compiled again after it was saved; the last
    // program that compiled stays until one does. False with the errors
    // reported when the new text fails.
    static bool Reload(Layer2D& layer);
    // The shader layers of those names, each reloaded.
    static void ReloadNamed(Engine& engine, const std::vector<std::string>& names);
};

#endif

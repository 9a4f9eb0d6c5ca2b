// Every file a show loads, for a player that reloads what changed: each path
// once per kind and owner, in the order the show names them, missing ones
// included (saving them makes them appear).
#ifndef HALVENOR_CHECKER_SHOWFILES_H
#define HALVENOR_CHECKER_SHOWFILES_H

#include <set>
#include <string>
#include <vector>

// A file the show loads.
struct ShowFile {
    enum class Kind {
        Preconfig,   // preconfig.txt: the whole show
        Script,
        Scene,       // owner: the scene
        Texture,     // an image a scene, layer or particle system draws; owner: who draws it
        Particles,   // owner: the particle system
        Music,
        Engine,      // the console's and the flares' textures, loaded once for every show
        Shader       // a shader layer's fragment shader; owner: the layer
    };
    Kind kind;
    // As found after the path rules ("texturas/Pared.JPG" for "texturas\\pared.jpg"),
    // or as written when it is not there yet.
    std::string path;
    std::string owner;
};

class ShowFiles {
public:
    // The show's name for the file; an empty name adds nothing.
    void Add(ShowFile::Kind kind, const std::string& name, const std::string& owner);
    const std::vector<ShowFile>& All() const { return files; }

private:
    std::vector<ShowFile> files;
    // Kind, owner and path of each of files, to keep each once.
    std::set<std::string> keys;
};

#endif

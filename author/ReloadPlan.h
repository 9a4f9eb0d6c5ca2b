// What a reload of a playing show does when some of its files changed: as
// little as shows the change, so that the author sees a script edit at once.
//
// - preconfig.txt, the music or a texture the engine loads for every show
//   (console, flares) changed: the whole show is built again; the window is
//   opened again only when the LOAD DISPLAY line asks for another one;
// - the script changed: it is read again and its events run up to the
//   current time, scenes and textures kept;
// - a scene file changed: that scene is read again (with its textures);
// - an image changed: that texture is loaded again wherever it is drawn;
// - a particle file changed: that system is read again;
// - a shader file changed: that layer's shader is compiled again (the show
//   runs on; a shader that does not compile is the checker's error, and the
//   last program that compiled draws until a save fixes it).
// Files that are not the show's change nothing. Whether the new show has
// errors (and so is not taken at all) is the checker's to say, not the plan's.
#ifndef HALVENOR_AUTHOR_RELOADPLAN_H
#define HALVENOR_AUTHOR_RELOADPLAN_H

#include <string>
#include <vector>

class ShowChecker;

class ReloadPlan {
public:
    // before: the check of the show that plays; now: the check of the show
    // on disk; changed: the paths a file watcher answered (ShowFile paths).
    static ReloadPlan For(const ShowChecker& before, const ShowChecker& now, const std::vector<std::string>& changed);
    // A reload by hand: everything again, the window kept unless its line changed.
    static ReloadPlan Everything(const ShowChecker& before, const ShowChecker& now);

    bool Empty() const;
    // One line for the log and the overlay: "script", "scene Sala; texture texturas/a.jpg", ...
    std::string Describe() const;

    bool rebuild = false;
    bool reopenWindow = false;
    bool script = false;
    std::vector<std::string> scenes;           // names, each once
    std::vector<std::string> textures;         // paths, each once
    std::vector<std::string> particleSystems;  // names, each once
    std::vector<std::string> shaders;          // shader layers' names, each once
};

#endif

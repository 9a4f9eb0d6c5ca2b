// Reads a show the way the engine will play it and says what would go wrong:
// words the engine drops silently, files it cannot find after its path rules,
// names no line created, events that can never become due, a show that never
// ends. It uses the engine's own line splitting, keyword tables, path rules,
// scene reader and music decoder, and never opens a window or writes a file.
//
// The show is the one in the working directory, as for the player.
#ifndef HALVENOR_CHECKER_SHOWCHECKER_H
#define HALVENOR_CHECKER_SHOWCHECKER_H

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "config/PreconfigKeywords.h"

class PreconfigLine;
struct SceneParams;
struct ScriptAction;
struct ScriptEvent;

struct ShowFinding {
    bool error;
    // The show's file the finding is about, as found on disk.
    std::string file;
    // From 1; 0 when the finding is about the whole file.
    int line;
    std::string message;
};

// A file the show loads, for a player that reloads what changed.
struct ShowFile {
    enum class Kind {
        Preconfig,   // preconfig.txt: the whole show
        Script,
        Scene,       // owner: the scene
        Texture,     // an image a scene, layer or particle system draws; owner: who draws it
        Particles,   // owner: the particle system
        Music,
        Engine       // the console's and the flares' textures, loaded once for every show
    };
    Kind kind;
    // As found after the path rules ("texturas/Pared.JPG" for "texturas\\pared.jpg"),
    // or as written when it is not there yet.
    std::string path;
    std::string owner;
};

class ShowChecker {
public:
    // Findings beyond this many are left out, with one finding that says so.
    static constexpr size_t kMaxFindings = 200;

    ShowChecker();

    // Checks preconfig.txt of the working directory and everything it names.
    void Check();

    const std::vector<ShowFinding>& Findings() const { return findings; }
    int ErrorCount() const;
    int WarningCount() const;
    // One "file:line: error: message" line per finding, errors first, then
    // warnings, each in the order found.
    std::string Report() const;
    // What the show loads: display, scenes with their object, camera and
    // light indices, layers, particle systems, pixel buffers, music, events.
    std::string Summary() const;
    // Every file the show loads, preconfig.txt first, each path once per
    // kind and owner, missing ones included (saving them makes them appear).
    const std::vector<ShowFile>& Files() const { return files; }
    // The window the LOAD DISPLAY line asks for ("800 x 600 x 32 windowed"),
    // empty without one: a reload keeps the window while this stays the same.
    std::string DisplayMode() const;

private:
    struct SceneInfo {
        std::string name;
        std::string file;
        int line;
        bool read;
        bool hasPixelBuffer;
        uint32_t cameraCount;
        uint32_t lightCount;
        std::vector<std::string> objectNames;
    };
    struct Resource {
        std::string name;
        std::string detail;
        int line;
    };
    struct Event {
        int line;
        float time;
        int32_t target;
        int32_t effect;
    };
    enum class Kind { Scene, Layer, Particles, PixelBuffer };

    void Add(bool error, const std::string& file, int line, const std::string& message);
    void CheckPreconfiguration();
    void CheckPreconfigLine(const std::string& file, int line, const char* text);
    void ReadAsMeant(const std::string& file, int line, const std::string& meant);
    void CheckLoad(const std::string& file, int line, const PreconfigForm& form, const PreconfigLine& words);
    void TakeLoad(const std::string& file, int line, const PreconfigForm& form, const PreconfigLine& words);
    void TakeDisplay(const std::string& file, int line, const PreconfigLine& words);
    void CheckSet(const std::string& file, int line, const PreconfigLine& words);
    bool CheckArgument(const std::string& file, int line, PreconfigArg role, const char* word, const char* what);
    void ReadScene(const std::string& file, int line, SceneInfo& scene, bool binary);
    void CheckTracks(const std::string& sceneFile, const std::string& text, const SceneParams& params);
    void CheckImage(const std::string& file, int line, const std::string& name, const std::string& what);
    bool CheckFileExists(const std::string& file, int line, const std::string& name, const std::string& what);
    void ReadMusic(const std::string& file, int line);
    void ReadParticles(const std::string& file, int line, const std::string& particleFile, const std::string& owner);
    void Register(Kind kind, const std::string& file, int line, const std::string& name, const std::string& detail);
    // Index in the kind's list of the first resource of that name, or -1.
    int Find(Kind kind, const std::string& name) const;
    std::vector<std::string> Names(Kind kind) const;
    void AddEngineResources();
    void CheckScript();
    void CheckEventLine(const std::string& file, int line, const char* text, std::vector<Event>& events);
    void CheckEventParams(const std::string& file, int line, const ScriptAction& action,
                          const ScriptEvent& event, int numberCount);
    void CheckTimes(const std::string& file, const std::vector<Event>& events);

    void AddFile(ShowFile::Kind kind, const std::string& name, const std::string& owner);

    std::vector<ShowFinding> findings;
    std::vector<ShowFile> files;
    // Kind, owner and path of each of files, to keep each once.
    std::set<std::string> fileKeys;

    bool preconfigRead;
    bool displaySeen;
    int displayLine;
    int width;
    int height;
    int bits;
    bool fullscreen;
    std::vector<SceneInfo> scenes;
    std::vector<Resource> layers;
    std::vector<Resource> particleSystems;
    std::vector<Resource> pixelBuffers;
    std::string soundFile;
    // Seconds; negative when there is no music or it could not be decoded.
    float musicLength;
    // What a module music file is (format, title, channels, orders), or empty.
    std::string musicDetail;
    std::string scriptFile;
    int scriptLine;
    int eventCount;
    int markerCount;
    float firstTime;
    float lastTime;
    // Time of the earliest DEMO FX_STOP; negative when there is none.
    float stopTime;
    // The music time reaches stopTime.
    bool stopDue;
    // A DEMO FX_STOP line wrote its effect where the name goes.
    bool misplacedStop;
};

#endif

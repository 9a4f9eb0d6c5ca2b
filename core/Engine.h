// The registry of the show: every named resource (scenes, pixel buffers, 2D
// layers, particle systems), the display, the music and the timeline, in
// creation order. Creation order is drawing order and search order; entries
// are never removed before Shutdown.
#ifndef HALVENOR_CORE_ENGINE_H
#define HALVENOR_CORE_ENGINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "config/ScriptEvent.h"

class Display;
class Layer2D;
class ParticleSystem;
class PBuffer;
class Scene;
class Script;
class SoundStream;
class SyncTracks;

class Engine {
public:
    static constexpr int kMaxScenes = 100;
    static constexpr int kMaxPixelBuffers = 20;
    static constexpr int kMaxLayers = 200;
    static constexpr int kMaxParticleSystems = 50;
    static constexpr int kFileNameSize = 256;

    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Lookups: first entry in creation order whose name matches ignoring ASCII
    // case, or null.
    Scene* FindScene(const char* name) const;
    PBuffer* FindPixelBuffer(const char* name) const;
    Layer2D* FindLayer(const char* name) const;
    ParticleSystem* FindParticleSystem(const char* name) const;

    // Creation. Each refuses, with a log line, a resource beyond its
    // registry's capacity; the show goes on without it.
    int LoadSceneBin(const char* fileName, const char* sceneName);
    int LoadSceneAse(const char* fileName, const char* sceneName);
    // Loads a particle definition file under name; answers the new count.
    int CreateParticleSystem(const char* fileName, const char* name);
    void LoadSound(const char* fileName);
    void LoadScript(const char* fileName);
    // Reads the script file again after it changed on disk, keeping the
    // markers recorded so far (they are appended at exit to the file as it is
    // then). As after LoadScript no event is due yet: the caller runs the
    // events up to the music time it plays.
    void ReloadScript();

    // Pixel buffers and layers. The show's own are refused, with a log line,
    // beyond the capacities less the two blur buffers and two blur layers,
    // so that the blur set-up always finds room. Each answers the new
    // object, or null when it was refused.
    static constexpr int kBlurPixelBuffers = 2;
    static constexpr int kBlurLayers = 2;
    // The longest side of a declared pixel buffer. At 4096 x 4096 its
    // buffers, texture and mipmap chain already take some 350 MB; at the
    // 16384 a texture may have they take nearly 6 GB, so a mistyped size
    // would end the show for want of memory. Longer sides are refused.
    static constexpr int kLongestPixelBufferSide = 4096;
    Layer2D* CreateLayer(const char* fileName, int layerType, const char* layerName);
    PBuffer* CreatePixelBuffer(int width, int height, int modeFlags, const char* name);
    // -1 when either name is unknown (nothing changes), else 1.
    int AssignLayerPixelBuffer(const char* layerName, const char* pixelBufferName);
    // After the last preconfiguration line: "PB_BLUR", "PB_BLUR2" and their
    // layers, the feedback buffer cleared to black, and sphere maps prepared
    // in every pixel buffer's context.
    void CreateBlurResources();

    void SetCurrentScene(int index);
    void PrepareSphereMaps();
    void Start();
    float MusicTime() const;
    void AddMarker(float time);

    // Reads preconfig.txt (or the named file) line by line; false when it
    // cannot be opened.
    bool ReadPreconfiguration(const char* fileName);
    void ProcessPreconfigLine(const char* line);

    void ComposeFrame();
    // The frame's walk without drawing: every piece of state that drawing
    // moves moves the same. Answers the pixel buffers (bit i for
    // pixelBuffers[i]) that drawing it would have drawn into, whose pictures
    // then carry on from an earlier frame.
    uint32_t AdvanceFrame();
    int RunDemoStep();
    void Shutdown();
    // Releases every resource of the show as Shutdown does (scenes, layers,
    // particle systems, their textures, pixel buffers with the blur's, music,
    // script) but keeps the window, its font and context: the editing player
    // builds the show again in it. The script goes without saving markers.
    void ReleaseShow();
    // The show built again from the preconfiguration file in the window that
    // is open: a DISPLAY line then keeps the window. The markers recorded so
    // far are carried to the new script (saved at exit, as always). Readers
    // that would end the process end only the reading: false, with the
    // status, and the show is what was read up to then. Answers false too
    // when the file cannot be opened. The start steps (LAND, Start) are the
    // caller's, as at start-up.
    bool ReloadShow(const char* fileName, unsigned* endStatus);
    // One scene read again from the file its LOAD line in the
    // preconfiguration names, in the place of the scene of that name, with
    // the file's SET lines for it applied again and the particle systems
    // bound to it bound to the new one. Its textures come from the cache.
    // False (the old scene kept) when there is no such scene or line, the
    // registry has no room to load it, or reading it would have ended the
    // process.
    bool ReloadScene(const char* sceneName, const char* fileName);

    // Adds an already built scene, as the scene loaders do; false when the
    // registry is full (the scene is then not owned).
    bool RegisterScene(Scene* scene);

    // Sync tracks (LOAD TRACKS): read from the files of base, or from its
    // .rocket project, at bpm beats a minute and rowsPerBeat rows a beat; a
    // second line replaces the first. Refused, with a log line, unless both
    // rates are above 0.
    void LoadTracks(const char* base, float bpm, float rowsPerBeat);
    // A track the show binds although no file may hold it yet (SET ...
    // TRACK), so that the editor offers it; false without tracks loaded.
    bool WantTrack(const std::string& name);
    // Every track bound to the layer, scene or shader uniform its name
    // drives: after the show is read, and when a scene is read again.
    void BindTracks();

    Scene* scenes[kMaxScenes];
    int32_t sceneCount;
    PBuffer* pixelBuffers[kMaxPixelBuffers];
    int32_t pixelBufferCount;
    Layer2D* layers[kMaxLayers];
    int32_t layerCount;
    ParticleSystem* particleSystems[kMaxParticleSystems];
    int32_t particleSystemCount;
    Display* display;
    bool blurEnabled;
    bool saturateEnabled;
    Script* script;
    char scriptFileName[kFileNameSize];
    ScriptEvent nextEvent;
    SoundStream* sound;
    int32_t currentScene;
    // Set while a show is built again in the open window: DISPLAY lines keep it.
    bool keepWindow;
    // The show's sync tracks; null without a LOAD TRACKS line.
    SyncTracks* tracks;

private:
    // Scenes, layers, particle systems and pixel buffers; the textures
    // named (or, when null, every texture of the cache) go with them.
    void ReleaseResources(const std::vector<uint32_t>* textures);
    // The texture names the show's scenes, layers and particle systems hold.
    std::vector<uint32_t> ShowTextures() const;
    uint32_t Compose(bool render);
    // The tracks' values at the music time, on what they drive.
    void ApplyTracks();
    Layer2D* AddLayer(const char* fileName, int layerType, const char* layerName, int capacity);
    PBuffer* AddPixelBuffer(int width, int height, int modeFlags, const char* name, int capacity);
};

#endif

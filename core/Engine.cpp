#include "core/Engine.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "config/Script.h"
#include "core/Display.h"
#include "core/Log.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "fx2d/ParticleSystem.h"
#include "glext/GlExtensions.h"
#include "platform/Process.h"
#include "scene/Scene.h"
#include "scene/TextureCache.h"
#include "sound/SoundStream.h"
#include "sync/SyncTracks.h"

namespace {

// ASCII letters only, so that lookups do not depend on the locale.
bool SameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char ca = *a;
        char cb = *b;
        if (ca >= 'A' && ca <= 'Z') {
            ca = static_cast<char>(ca - 'A' + 'a');
        }
        if (cb >= 'A' && cb <= 'Z') {
            cb = static_cast<char>(cb - 'A' + 'a');
        }
        if (ca != cb) {
            return false;
        }
        if (ca == '\0') {
            return true;
        }
    }
}

void SetupSphereMapGeneration(const TextureMap& map) {
    for (const GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
        glActiveTextureARB(unit);
        map.Bind();
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
}

}  // namespace

Engine::Engine()
    : scenes(),
      sceneCount(0),
      pixelBuffers(),
      pixelBufferCount(0),
      layers(),
      layerCount(0),
      particleSystems(),
      particleSystemCount(0),
      display(nullptr),
      blurEnabled(false),
      saturateEnabled(false),
      script(nullptr),
      scriptFileName(),
      nextEvent(ScriptEvent::Empty()),
      sound(nullptr),
      currentScene(0),
      keepWindow(false),
      tracks(nullptr) {}

Engine::~Engine() {
    // A process that ends without the normal exit path still releases its
    // scenes; after a normal exit everything is gone already.
    if (sceneCount > 0) {
        Shutdown();
    }
    // What a registry without scenes still owns goes without a word.
    delete script;
    script = nullptr;
    delete tracks;
    tracks = nullptr;
    if (sound != nullptr) {
        sound->Release();
        delete sound;
        sound = nullptr;
    }
}

Scene* Engine::FindScene(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < sceneCount; ++i) {
        if (SameNameIgnoringCase(scenes[i]->Name(), name)) {
            return scenes[i];
        }
    }
    return nullptr;
}

PBuffer* Engine::FindPixelBuffer(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < pixelBufferCount; ++i) {
        if (SameNameIgnoringCase(pixelBuffers[i]->Name(), name)) {
            return pixelBuffers[i];
        }
    }
    return nullptr;
}

Layer2D* Engine::FindLayer(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < layerCount; ++i) {
        if (SameNameIgnoringCase(layers[i]->Name(), name)) {
            return layers[i];
        }
    }
    return nullptr;
}

ParticleSystem* Engine::FindParticleSystem(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < particleSystemCount; ++i) {
        if (SameNameIgnoringCase(particleSystems[i]->Name(), name)) {
            return particleSystems[i];
        }
    }
    return nullptr;
}

int Engine::CreateParticleSystem(const char* fileName, const char* name) {
    if (particleSystemCount >= kMaxParticleSystems) {
        Log::Format("-- PRECONFIG -- Demasiadas particulas (maximo %d): se ignora [ %s ]\n", kMaxParticleSystems,
                    fileName);
        return particleSystemCount;
    }
    ParticleSystem* system = new ParticleSystem();
    system->Load(fileName);
    system->SetName(name);
    particleSystems[particleSystemCount] = system;
    particleSystemCount += 1;
    return particleSystemCount;
}

bool Engine::RegisterScene(Scene* scene) {
    if (sceneCount >= kMaxScenes) {
        return false;
    }
    currentScene = sceneCount;
    scenes[sceneCount] = scene;
    sceneCount += 1;
    return true;
}

void Engine::LoadSound(const char* fileName) {
    // A second SOUND line replaces the music; the first stream stops for good.
    if (sound != nullptr) {
        sound->Release();
        delete sound;
    }
    sound = new SoundStream();
    sound->InitAudio(nullptr);
    sound->Open(fileName);
}

void Engine::LoadScript(const char* fileName) {
    delete script;
    script = new Script();
    std::snprintf(scriptFileName, sizeof scriptFileName, "%s", fileName);
    script->Load(fileName);
    script->Sort();
    // Nothing of an earlier script may stay due.
    nextEvent = ScriptEvent::Empty();
}

void Engine::ReloadScript() {
    Script* fresh = new Script();
    fresh->Load(scriptFileName);
    fresh->Sort();
    if (script != nullptr) {
        fresh->CarryMarkers(*script);
        delete script;
    }
    script = fresh;
    nextEvent = ScriptEvent::Empty();
}

void Engine::SetCurrentScene(int index) {
    if (index >= 0 && index < sceneCount) {
        currentScene = index;
    }
}

void Engine::PrepareSphereMaps() {
    // Texture generation belongs to the rendering context, so this runs once
    // in the window and once in every pixel buffer.
    for (int s = 0; s < sceneCount; ++s) {
        const Scene& scene = *scenes[s];
        for (uint32_t m = 0; m < scene.materialCount; ++m) {
            const Material& material = scene.materials[m];
            const int mapCount = material.props.mapCount < Material::kMapSlots ? material.props.mapCount
                                                                                : Material::kMapSlots;
            for (int slot = 0; slot < mapCount; ++slot) {
                if (material.maps[slot].sphereMap != 0) {
                    SetupSphereMapGeneration(material.maps[slot]);
                }
            }
        }
    }
}

void Engine::Start() {
    PrepareSphereMaps();
    if (sound != nullptr) {
        sound->Play();
    }
}

float Engine::MusicTime() const {
    return sound != nullptr ? sound->Position() : 0.0f;
}

void Engine::AddMarker(float time) {
    if (script != nullptr) {
        script->AddMarker(time);
    }
}

void Engine::Shutdown() {
    Log::Write("-> Cerrando el sistema...\n");
    if (sound != nullptr) {
        sound->Release();
    }

    Log::Write("-> Liberando fuentes: ");
    if (display != nullptr) {
        display->FreeFont();
    }
    Log::Write("[OK]\n");

    ReleaseResources(nullptr);

    if (sound != nullptr) {
        Log::Write("-> Liberando sonido: ");
        sound->Release();
        delete sound;
        sound = nullptr;
        Log::Write("[OK]\n");
    }

    if (script != nullptr) {
        Log::Write("-> Liberando Script y guardando (y ordenando): ");
        script->SaveMarkers(scriptFileName);
        delete script;
        script = nullptr;
        Log::Write("[OK]\n");
    }

    Log::Write("===> Sistema cerrado correctamente.\n");
}

std::vector<uint32_t> Engine::ShowTextures() const {
    std::vector<uint32_t> textures;
    for (int s = 0; s < sceneCount; ++s) {
        const Scene& scene = *scenes[s];
        for (uint32_t m = 0; m < scene.materialCount; ++m) {
            for (const TextureMap& map : scene.materials[m].maps) {
                textures.push_back(map.texture);
            }
        }
        for (uint32_t l = 0; l < scene.lightCount; ++l) {
            textures.push_back(scene.lights[l].flareTexture);
        }
    }
    for (int i = 0; i < layerCount; ++i) {
        textures.push_back(layers[i]->texture.texture);
    }
    for (int i = 0; i < particleSystemCount; ++i) {
        const ParticleSystem& system = *particleSystems[i];
        for (uint32_t t = 0; t < system.textureCount && t < ParticleSystem::kMaxTextures; ++t) {
            textures.push_back(system.textures[t]);
        }
    }
    return textures;
}

void Engine::ReleaseResources(const std::vector<uint32_t>* textures) {
    // The tracks drive what goes next; they go first.
    delete tracks;
    tracks = nullptr;
    Log::Write("-> Liberando Escenas: ");
    for (int i = 0; i < sceneCount; ++i) {
        scenes[i]->Release();
        delete scenes[i];
        scenes[i] = nullptr;
    }
    sceneCount = 0;
    Log::Write("[OK]\n");

    Log::Write("-> Liberando Layers2D: ");
    for (int i = 0; i < layerCount; ++i) {
        delete layers[i];
        layers[i] = nullptr;
    }
    layerCount = 0;
    Log::Write("[OK]\n");

    Log::Write("-> Liberando Particulas: ");
    for (int i = 0; i < particleSystemCount; ++i) {
        particleSystems[i]->Release();
        delete particleSystems[i];
        particleSystems[i] = nullptr;
    }
    particleSystemCount = 0;
    Log::Write("[OK]\n");
    // Scenes, layers and particle systems shared their textures; with all of
    // them gone, each texture goes once.
    if (textures == nullptr) {
        TextureCache::ReleaseAll();
    } else {
        TextureCache::Release(*textures);
    }

    Log::Write("-> Liberando PBuffers: ");
    for (int i = 0; i < pixelBufferCount; ++i) {
        delete pixelBuffers[i];
        pixelBuffers[i] = nullptr;
    }
    pixelBufferCount = 0;
    Log::Write("[OK]\n");
}

void Engine::ReleaseShow() {
    if (sound != nullptr) {
        sound->Release();
        delete sound;
        sound = nullptr;
    }
    // The console's textures come from the cache too, and stay.
    const std::vector<uint32_t> textures = ShowTextures();
    ReleaseResources(&textures);
    delete script;
    script = nullptr;
    nextEvent = ScriptEvent::Empty();
    blurEnabled = false;
    saturateEnabled = false;
    currentScene = 0;
}

bool Engine::ReloadShow(const char* fileName, unsigned* endStatus) {
    // The markers outlive the show they were recorded in.
    Script* recorded = script;
    script = nullptr;
    ReleaseShow();
    keepWindow = true;
    bool opened = false;
    const bool finished =
        Platform::RunCatchingEndings([&] { opened = ReadPreconfiguration(fileName); }, endStatus);
    keepWindow = false;
    if (recorded != nullptr) {
        if (script == nullptr) {
            // A show without a script still keeps them for the file they
            // were recorded against.
            script = new Script();
        }
        script->CarryMarkers(*recorded);
        delete recorded;
    }
    return finished && opened;
}

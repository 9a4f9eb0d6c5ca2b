// The per-frame driver against real scripts, scenes and a music stream held
// at a fixed position (a stream that is not playing does not move, so the
// music time is exact and no test depends on timing).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "config/Script.h"
#include "core/Engine.h"
#include "fx2d/Layer2D.h"
#include "platform/Bass.h"
#include "scene/Scene.h"
#include "sound/SoundStream.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"

namespace {

constexpr int kMusicRate = 8000;  // every quarter second is a whole frame count

class DemoDriverTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (int32_t i = 0; i < engine.sceneCount; ++i) {
            engine.scenes[i]->Release();
            delete engine.scenes[i];
        }
        engine.sceneCount = 0;
        delete engine.script;
        engine.script = nullptr;
        if (engine.sound != nullptr) {
            engine.sound->Release();
            delete engine.sound;
            engine.sound = nullptr;
        }
    }

    // A scene that neither waits nor advances when updated; its clock-started
    // flag shows whether an update ran.
    Scene* AddScene(const char* name, uint32_t objects, uint32_t cameras) {
        auto* scene = new Scene();
        scene->SetName(name);
        scene->params.frameSpeed = 0;
        if (objects > 0) {
            scene->InitObjects(objects);
        }
        if (cameras > 0) {
            scene->InitCameras(cameras);
        }
        engine.scenes[engine.sceneCount++] = scene;
        return scene;
    }

    // Loads and sorts the script and fetches its first event, as the SCRIPT
    // line does.
    void LoadScript(const std::string& text) {
        delete engine.script;
        dir.Write("show.txt", text);
        engine.script = new Script();
        engine.script->Load("show.txt");
        engine.script->Sort();
        engine.nextEvent = ScriptEvent::Empty();
        engine.script->NextEvent(engine.nextEvent);
    }

    void SetMusicTime(float seconds) {
        if (engine.sound == nullptr) {
            ASSERT_TRUE(TestSupport::WriteTone(dir.File("music.wav"), 0.0, 20.0, kMusicRate, 1, 0.0));
            engine.sound = new SoundStream();
            ASSERT_TRUE(engine.sound->Open("music.wav"));
        }
        ASSERT_TRUE(BASS_ChannelSetPosition(engine.sound->handle,
                                            BASS_ChannelSeconds2Bytes(engine.sound->handle, seconds)));
        ASSERT_EQ(engine.MusicTime(), seconds);
    }

    TestSupport::TempDir dir;
    Engine engine;
};

TEST_F(DemoDriverTest, AppliesEveryDueEventInTimeOrderWithinOneStep) {
    Scene* land = AddScene("Land", 0, 4);
    LoadScript(
        "5.75 DEMO x FX_SATURATE 1\n"
        "5.25 SCENE land FX_CHANGE_CAM 2\n"
        "5.5 DEMO x FX_BLUR 1\n"
        "5.0 SCENE LAND FX_CHANGE_CAM 1\n");
    SetMusicTime(4.75f);
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_EQ(land->currentCamera, 0u);

    // 5.0 and 5.25 both apply, the earlier first; 5.5 is due at exactly 5.5.
    SetMusicTime(5.5f);
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_EQ(land->currentCamera, 2u);
    EXPECT_TRUE(engine.blurEnabled);
    EXPECT_FALSE(engine.saturateEnabled);

    SetMusicTime(5.75f);
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_TRUE(engine.saturateEnabled);
}

TEST_F(DemoDriverTest, FlagsAreOnOnlyAtExactlyOne) {
    Scene* land = AddScene("Land", 0, 1);
    const struct {
        const char* value;
        bool on;
    } cases[] = {{"1", true}, {"0.999", false}, {"1.0", true}, {"2", false}, {"0", false}, {"0.5", false}};
    for (const auto& c : cases) {
        LoadScript(std::string("0 DEMO x FX_BLUR ") + c.value + "\n0 DEMO x FX_SATURATE " + c.value +
                   "\n0 SCENE Land FX_PB_ACTIVE " + c.value + "\n");
        engine.blurEnabled = !c.on;
        engine.saturateEnabled = !c.on;
        land->SetRenderToPBuffer(!c.on);
        EXPECT_EQ(engine.RunDemoStep(), 1);
        EXPECT_EQ(engine.blurEnabled, c.on) << c.value;
        EXPECT_EQ(engine.saturateEnabled, c.on) << c.value;
        EXPECT_EQ(land->RenderToPBuffer(), c.on) << c.value;
    }
}

TEST_F(DemoDriverTest, CameraIndicesTruncateAndCompareUnsigned) {
    Scene* land = AddScene("Land", 0, 3);
    const struct {
        const char* value;
        uint32_t camera;
    } cases[] = {{"1.9", 1}, {"-1", 0}, {"2", 2}, {"3", 3}, {"4", 0}, {"1e12", 0}, {"-0.5", 0}};
    for (const auto& c : cases) {
        land->currentCamera = 1;
        LoadScript(std::string("0 SCENE Land FX_CHANGE_CAM ") + c.value + "\n");
        engine.RunDemoStep();
        EXPECT_EQ(land->currentCamera, c.camera) << c.value;
    }
}

TEST_F(DemoDriverTest, ShowThenHideInOneStepLeavesTheSceneHiddenAndNotUpdated) {
    Scene* shown = AddScene("Shown", 0, 0);
    Scene* flicker = AddScene("Flicker", 0, 0);
    LoadScript("0 SCENE Shown FX_SHOW\n0 SCENE Flicker FX_SHOW\n0 SCENE Flicker FX_HIDE\n");
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_TRUE(shown->IsActive());
    EXPECT_EQ(shown->clockStarted, 1) << "an active scene is updated in the same step";
    EXPECT_FALSE(flicker->IsActive());
    EXPECT_EQ(flicker->clockStarted, 0);
}

TEST_F(DemoDriverTest, StopEndsTheStepBeforeAnythingElse) {
    Scene* land = AddScene("Land", 0, 0);
    land->SetActive(true);
    LoadScript("0 DEMO x FX_BLUR 1\n0 DEMO x FX_STOP\n0 DEMO x FX_SATURATE 1\n");
    EXPECT_EQ(engine.RunDemoStep(), -1);
    EXPECT_TRUE(engine.blurEnabled);
    EXPECT_FALSE(engine.saturateEnabled);
    EXPECT_EQ(land->clockStarted, 0) << "no update runs in the stopping step";
    EXPECT_EQ(engine.nextEvent.effect, FX_STOP);
    EXPECT_EQ(engine.RunDemoStep(), -1);
    EXPECT_FALSE(engine.saturateEnabled);
}

TEST_F(DemoDriverTest, WithoutMusicOnlyEventsAtOrBelowZeroBecomeDue) {
    Scene* early = AddScene("Early", 0, 0);
    Scene* zero = AddScene("Zero", 0, 0);
    Scene* later = AddScene("Later", 0, 0);
    LoadScript("-2 SCENE Early FX_SHOW\n0 SCENE Zero FX_SHOW\n0.001 SCENE Later FX_SHOW\n");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(engine.RunDemoStep(), 1);
    }
    EXPECT_TRUE(early->IsActive());
    EXPECT_TRUE(zero->IsActive());
    EXPECT_FALSE(later->IsActive());
}

TEST_F(DemoDriverTest, NothingIsAppliedAgainAfterTheLastEvent) {
    Scene* land = AddScene("Land", 0, 0);
    LoadScript("0 SCENE Land FX_SHOW\n");
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_TRUE(land->IsActive());
    land->SetActive(false);
    SetMusicTime(15.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(engine.RunDemoStep(), 1);
    }
    EXPECT_FALSE(land->IsActive());
}

TEST_F(DemoDriverTest, ObjectAndCameraEffectsSkipWhatDoesNotExist) {
    Scene* land = AddScene("Land", 2, 2);
    Scene* empty = AddScene("Empty", 0, 0);
    LoadScript(
        "0 SCENE Land FX_ROTATE_OBJ 1.9 2.5 0 1 0\n"
        "0 SCENE Land FX_ROTATE_OBJ 2 9 1 1 1\n"
        "0 SCENE Land FX_ROTATE_OBJ -1 9 1 1 1\n"
        "0 SCENE Land FX_DINAMIC_OBJ 0 3.7 2 0.5 0.25 0.125\n"
        "0 SCENE Land FX_DINAMIC_OBJ 7 1 1 1 1 1\n"
        "0 SCENE Land FX_CHANGE_CAM 1\n"
        "0.25 SCENE Land FX_ROLL_CAM 45\n"
        "0.25 SCENE Empty FX_ROLL_CAM 45\n"
        "0.25 SCENE Empty FX_ROTATE_OBJ 0 1\n"
        "0.25 SCENE Nowhere FX_SHOW\n"
        "0.25 LAYER Nowhere FX_SHOW\n"
        "0.25 PARTICLE Nowhere FX_SHOW\n"
        "0.25 DEMO x FX_EXPLODE 1\n"
        "0.25\n"
        "0.5 SCENE Land FX_CHANGE_CAM 2\n"
        "0.75 SCENE Land FX_ROLL_CAM -30\n");
    SetMusicTime(0.75f);
    EXPECT_EQ(engine.RunDemoStep(), 1);

    const SceneObject& rotated = land->objects[1];
    EXPECT_FLOAT_EQ(rotated.rotationSpeed, 2.5f);
    EXPECT_FLOAT_EQ(rotated.rotationAxis[1], 1.0f);
    EXPECT_FLOAT_EQ(rotated.rotationAxis[0], 0.0f);
    const SceneObject& deformed = land->objects[0];
    EXPECT_EQ(deformed.deformFlags, 3);
    EXPECT_DOUBLE_EQ(deformed.deformFrequency, 2.0);
    EXPECT_DOUBLE_EQ(deformed.deformAmplitude, 0.5);
    EXPECT_DOUBLE_EQ(deformed.deformPhase, 0.25);
    EXPECT_DOUBLE_EQ(deformed.deformStep, 0.125);
    EXPECT_FLOAT_EQ(land->objects[0].rotationSpeed, 0.0f);

    EXPECT_FLOAT_EQ(land->cameras[1].roll, 45.0f);
    // Camera index 2 equals the count: the scene draws through camera 0.
    EXPECT_EQ(land->currentCamera, 2u);
    EXPECT_FLOAT_EQ(land->cameras[0].roll, -30.0f);
    EXPECT_FALSE(empty->IsActive());
    EXPECT_FALSE(engine.blurEnabled);
}

TEST_F(DemoDriverTest, LayerEffectsShowHideResizeAndRewind) {
    auto* layer = new Layer2D();
    layer->SetName("Tablero");
    layer->SetUp(Layer2D::kPixelBuffer, "-", 640, 480);
    layer->AddFadeStep(0.25f, 1.0f, 3.0f);
    layer->AddMoveStep(100.0f, 100.0f, 4.0f);
    engine.layers[engine.layerCount++] = layer;

    LoadScript("0 LAYER tablero FX_SHOW\n0 LAYER TABLERO FX_RESIZE 2 2\n");
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_TRUE(layer->IsVisible());
    EXPECT_FLOAT_EQ(layer->scaleX, 2.0f);
    EXPECT_FLOAT_EQ(layer->scaleY, 2.0f);

    layer->moveStepIndex = 1;
    layer->fadeStepIndex = 1;
    layer->alpha = 0.0f;
    LoadScript("0 LAYER Tablero FX_RESIZE 1 1\n0 LAYER Tablero FX_RESET_ANIM\n0 LAYER Tablero FX_HIDE\n");
    EXPECT_EQ(engine.RunDemoStep(), 1);
    EXPECT_FALSE(layer->IsVisible());
    EXPECT_FLOAT_EQ(layer->scaleX, 1.0f);
    EXPECT_EQ(layer->moveStepIndex, 0u);
    EXPECT_EQ(layer->fadeStepIndex, 0u);
    EXPECT_FLOAT_EQ(layer->moveTicksLeft, 4.0f);
    EXPECT_FLOAT_EQ(layer->fadeTicksLeft, 3.0f);
    EXPECT_FLOAT_EQ(layer->alpha, 0.25f);

    delete layer;
    engine.layerCount = 0;
}

}  // namespace

// The key table of the frame loop, driven with synthetic SDL events, with the
// console closed and open.
#include "core/Application.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "config/Script.h"
#include "core/Engine.h"
#include "fx2d/ConsoleText.h"
#include "scene/Scene.h"
#include "tests/support/TempDir.h"

namespace {

SDL_Event KeyDown(SDLKey key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    return event;
}

Scene* SceneWithCameras(const char* name, uint32_t cameras) {
    Scene* scene = new Scene();
    scene->SetName(name);
    scene->InitCameras(cameras);
    return scene;
}

class KeyTable : public ::testing::Test {
protected:
    void Press(SDLKey key) { Application::HandleEvent(KeyDown(key), engine, text, state); }

    // The registry writes its shutdown log into the working directory.
    TestSupport::TempDir dir;
    Engine engine;
    ConsoleText text;
    InputState state{false, false};
};

TEST_F(KeyTable, TabTogglesTheConsoleAndEscapeHidesItBeforeQuitting) {
    Press(SDLK_TAB);
    EXPECT_TRUE(state.consoleVisible);
    Press(SDLK_TAB);
    EXPECT_FALSE(state.consoleVisible);
    Press(SDLK_TAB);
    Press(SDLK_ESCAPE);
    EXPECT_FALSE(state.consoleVisible);
    EXPECT_FALSE(state.quit);
    Press(SDLK_ESCAPE);
    EXPECT_TRUE(state.quit);
}

TEST_F(KeyTable, WindowCloseQuitsAndOtherEventsAreIgnored) {
    SDL_Event up = KeyDown(SDLK_ESCAPE);
    up.type = SDL_KEYUP;
    Application::HandleEvent(up, engine, text, state);
    EXPECT_FALSE(state.quit);
    SDL_Event close{};
    close.type = SDL_QUIT;
    Application::HandleEvent(close, engine, text, state);
    EXPECT_TRUE(state.quit);
}

TEST_F(KeyTable, TypingGoesToTheOpenConsoleOnlyAndReturnCommits) {
    Press(SDLK_c);
    Press(SDLK_RETURN);
    EXPECT_STREQ(text.Input(), ": _");
    EXPECT_EQ(text.LineCount(), 0);

    Press(SDLK_TAB);
    Press(SDLK_c);
    Press(SDLK_d);
    // Keys without a character type nothing: Shift (symbol 304, whose low
    // byte is '0'), an arrow, F1, a keypad digit, and the unknown key 0.
    for (const SDLKey key : {SDLK_LSHIFT, SDLK_RSHIFT, SDLK_UP, SDLK_F1, SDLK_KP0, SDLK_UNKNOWN}) {
        Press(key);
    }
    Press(SDLK_e);
    EXPECT_STREQ(text.Input(), ": cde_");
    Press(SDLK_RETURN);
    ASSERT_EQ(text.LineCount(), 1);
    EXPECT_STREQ(text.Line(0), ": cde");
}

TEST_F(KeyTable, CommandAndReservedKeysAreNeverTyped) {
    Press(SDLK_TAB);
    for (const SDLKey key : {SDLK_a, SDLK_s, SDLK_l, SDLK_SPACE, SDLK_p, SDLK_q, SDLK_r, SDLK_t, SDLK_w}) {
        Press(key);
    }
    EXPECT_STREQ(text.Input(), ": _");
    EXPECT_FALSE(state.quit);
}

TEST_F(KeyTable, SceneKeysStayWithinTheRegisteredScenes) {
    Press(SDLK_a);
    Press(SDLK_s);
    Press(SDLK_SPACE);
    EXPECT_EQ(engine.currentScene, 0);

    engine.RegisterScene(SceneWithCameras("one", 0));
    engine.currentScene = 0;
    Press(SDLK_s);
    Press(SDLK_a);
    EXPECT_EQ(engine.currentScene, 0);

    engine.RegisterScene(SceneWithCameras("two", 0));
    engine.RegisterScene(SceneWithCameras("three", 0));
    engine.currentScene = 0;
    Press(SDLK_s);
    Press(SDLK_s);
    Press(SDLK_s);
    EXPECT_EQ(engine.currentScene, 2);
    Press(SDLK_a);
    EXPECT_EQ(engine.currentScene, 1);
}

TEST_F(KeyTable, SpaceStepsThroughTheCamerasOfTheCurrentScene) {
    engine.RegisterScene(SceneWithCameras("cams", 2));
    engine.RegisterScene(SceneWithCameras("none", 0));
    engine.currentScene = 0;
    Scene& scene = *engine.scenes[0];
    Press(SDLK_SPACE);
    EXPECT_EQ(scene.currentCamera, 1u);
    Press(SDLK_SPACE);
    EXPECT_EQ(scene.currentCamera, 2u);  // wrapped to 0 when the scene is next drawn
    scene.currentCamera = 0;
    Press(SDLK_SPACE);
    EXPECT_EQ(scene.currentCamera, 1u);

    engine.currentScene = 1;
    Press(SDLK_SPACE);
    Press(SDLK_SPACE);
    EXPECT_EQ(engine.scenes[1]->currentCamera, 0u);
}

TEST_F(KeyTable, MarkerKeyRecordsTheMusicTimeOnlyWithAScript) {
    Press(SDLK_l);  // no script: nothing to record into
    dir.Write("guion.txt", "0.0 DEMO x FX_BLUR 1\n");
    engine.LoadScript("guion.txt");
    Press(SDLK_l);
    Press(SDLK_l);
    engine.Shutdown();
    EXPECT_EQ(dir.Read("guion.txt"), "0.0 DEMO x FX_BLUR 1\n0.000000\n0.000000\n");
}

TEST(LandScene, TheSixthObjectOfLandBlendsByDestinationColour) {
    TestSupport::TempDir dir;
    Engine engine;
    Application::AdjustLandScene(engine);  // no such scene: nothing happens

    Scene* land = new Scene();
    land->SetName("land");
    land->InitMaterials(2);
    land->InitObjects(6);
    for (uint32_t i = 0; i < 6; ++i) {
        land->objects[i].material = &land->materials[i == 5 ? 1 : 0];
    }
    engine.RegisterScene(land);
    Application::AdjustLandScene(engine);
    EXPECT_EQ(land->materials[1].props.blendMode, 8);
    EXPECT_EQ(land->materials[0].props.blendMode, 0);

    Scene* small = new Scene();
    small->SetName("LAND");
    small->InitObjects(5);
    Engine other;
    other.RegisterScene(small);
    Application::AdjustLandScene(other);  // fewer than six objects: skipped
}

}  // namespace

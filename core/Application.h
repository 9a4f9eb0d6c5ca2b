// The engine's entry: the start sequence, the frame loop with the authoring
// keys, and the exit path.
#ifndef HALVENOR_CORE_APPLICATION_H
#define HALVENOR_CORE_APPLICATION_H

union SDL_Event;
class ConsoleText;
class Engine;
class FrameSink;

// What the keys of the frame loop act on.
struct InputState {
    bool consoleVisible;
    bool quit;
    // Offered each key first while the console is closed (author mode).
    FrameSink* sink = nullptr;
};

class Application {
public:
    // Plays the show of the working directory; answers the exit code.
    static int Run();
    // The same show, the same frame loop and shutdown, with every frame also
    // handed to the sink (a capture), which may end the show early.
    static int Run(FrameSink& sink);

    // Acts on one event of the input queue: window close, and the key table
    // with the console open or closed.
    static void HandleEvent(const SDL_Event& event, Engine& engine, ConsoleText& text, InputState& state);

    // The fixed adjustment of the scene "LAND": its sixth object's material
    // blends as destination colour times source colour.
    static void AdjustLandScene(Engine& engine);
};

#endif

// The engine's entry: start sequence, frame loop with its keys, exit path.
#ifndef HALVENOR_CORE_APPLICATION_H
#define HALVENOR_CORE_APPLICATION_H

class Application {
public:
    // Plays the show in the working directory; answers the exit code.
    static int Run();
};

#endif

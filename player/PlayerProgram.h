// The halvenor program's command line: plain playback, or the editing player
// with --edit. Answers the process exit code.
#ifndef HALVENOR_PLAYER_PLAYERPROGRAM_H
#define HALVENOR_PLAYER_PLAYERPROGRAM_H

class PlayerProgram {
public:
    static int Run(int argc, char** argv);
};

#endif

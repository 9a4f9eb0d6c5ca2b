// One line of the remote-control protocol, read: a command word and its
// arguments, separated by spaces or tabs, command words in any letter case.
//
//   seek T        pause        play        step [N]      loop A B      loop off
//   speed X       reload       status      quit
//
// Times are music seconds, written 95.5 or as minutes and seconds 1:35.5;
// N is a whole number of frames (negative steps back); X a speed factor.
// Reading never touches the player: RemoteControl carries a command out.
#ifndef HALVENOR_AUTHOR_REMOTECOMMAND_H
#define HALVENOR_AUTHOR_REMOTECOMMAND_H

#include <string>

class RemoteCommand {
public:
    enum class Kind { Seek, Pause, Play, Step, Loop, LoopOff, Speed, Reload, Status, Quit };

    // The longest time a command takes (ten days): anything above it is a
    // typo, and every time below it is exact to the millisecond in a double.
    static constexpr double kLongestTime = 864000.0;
    static constexpr int kMostFrames = 1000000;
    static constexpr double kFastestSpeed = 1000.0;

    // False, with why in *error (one line), for a line that is no command.
    static bool Parse(const std::string& line, RemoteCommand& command, std::string* error);
    // Seconds or minutes:seconds, as `halvenor --edit --at` reads them
    // (AuthorOptions::ParseTime); false for anything else.
    static bool ParseTime(const std::string& word, double& seconds);

    Kind kind = Kind::Status;
    double time = 0.0;     // seek; the loop's start
    double endTime = 0.0;  // the loop's end
    int frames = 1;        // step
    double speed = 1.0;    // speed
};

#endif

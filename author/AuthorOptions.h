// The command line of the editing player:
//   halvenor --edit [--at TIME] [--pause] [--loop A B] [--speed X] [--listen [HOST:]PORT]
// Times in seconds (95.5) or minutes and seconds (1:35.5).
#ifndef HALVENOR_AUTHOR_AUTHOROPTIONS_H
#define HALVENOR_AUTHOR_AUTHOROPTIONS_H

#include <string>

struct AuthorOptions {
    double at = 0.0;
    bool pause = false;
    bool loopSet = false;
    double loopStart = 0.0;
    double loopEnd = 0.0;
    double speed = 1.0;
    // The overlay starts shown; tests of the picture hide it.
    bool overlay = true;
    // --listen [HOST:]PORT: the remote control's socket (127.0.0.1 unless a
    // host is given).
    bool listen = false;
    std::string listenHost;
    int listenPort = 0;

    // Whether the words ask for the editing player at all: plain halvenor
    // ignores its arguments, so only --edit switches the strict reading on.
    static bool Wanted(int argc, const char* const* argv);
    // Whether the word is one of the editing player's options (--at, …).
    static bool IsOption(const char* word);
    // False with a message for the user when an argument is wrong.
    static bool Parse(int argc, const char* const* argv, AuthorOptions& options, std::string& error);
    // Once the show's length is known: false with a message when a time lies
    // outside it (from 0 to the show's end).
    static bool CheckTimes(const AuthorOptions& options, double showEnd, std::string& error);
    // "95.5" or "1:35.5"; false for anything else, negative or not finite.
    static bool ParseTime(const char* text, double& seconds);
    // The speeds the player offers, slowest first.
    static bool IsOfferedSpeed(double speed);
    static const char* Usage();
};

#endif

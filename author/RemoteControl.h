// Carries out the lines of the remote-control protocol on an author-mode
// player: each line is read as a RemoteCommand, handed to the AuthorControl,
// and answered with one line (no line break): "ok ..." when done, "error: ..."
// when the line is no command or the player refused it, nothing changed then.
//
//   seek T        ok time=95.500               (ok time=12.500 loop=off when it left the loop)
//   pause, play   ok paused=yes, ok paused=no
//   step [N]      ok time=12.367
//   loop A B      ok loop=10.000-20.000        loop off   ok loop=off
//   speed X       ok speed=0.5
//   reload        ok reload=ok findings=0      (a reload with errors is an error answer)
//   status        ok time=95.500 paused=no speed=1 loop=off fps=59.8 show=/shows/demo reload=ok findings=0
//                 row=764 rocket=connected      (row=- without sync tracks; rocket=off, waiting or connected)
//                 (reload=none until a reload ran; findings= counts those of the start until then)
//   quit          ok quit
//
// Status values hold no space: the show's directory has spaces, '%' and
// control bytes written as %XX.
#ifndef HALVENOR_AUTHOR_REMOTECONTROL_H
#define HALVENOR_AUTHOR_REMOTECONTROL_H

#include <string>

#include "author/AuthorControl.h"

class RemoteControl {
public:
    explicit RemoteControl(AuthorControl& control);
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    std::string Answer(const std::string& line);

    // The key=value pairs of a status answer, without the "ok ".
    static std::string StatusPairs(const AuthorStatus& status);

private:
    AuthorControl& control;
};

#endif

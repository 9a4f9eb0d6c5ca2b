#include "author/RemoteControl.h"

#include <cstdio>

#include "author/RemoteCommand.h"

namespace {

std::string Fixed(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Seconds(double value) { return Fixed(value, "%.3f"); }

// The player's reason on the answer's one line.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n' || c == '\r' || c == '\t') {
            line += ' ';
        } else {
            line += (byte < 32 || byte == 127) ? '?' : c;
        }
    }
    return line;
}

std::string Refused(const std::string& reason) {
    return "error: " + (reason.empty() ? std::string("refused") : OneLine(reason));
}

// A value that must stay one word.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 32 || byte == 127 || c == '%') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string ReloadValue(const AuthorStatus& status) {
    if (!status.reloaded) {
        return "none";
    }
    return status.reloadOk ? "ok" : "failed";
}

std::string LoopValue(const AuthorStatus& status) {
    return status.loopSet ? Seconds(status.loopStart) + "-" + Seconds(status.loopEnd) : std::string("off");
}

// A jump out of the loop ends it, and its answer says so.
std::string LoopLeft(bool looped, const AuthorStatus& status) {
    return looped && !status.loopSet ? " loop=off" : "";
}

}  // namespace

RemoteControl::RemoteControl(AuthorControl& control) : control(control) {}

std::string RemoteControl::StatusPairs(const AuthorStatus& status) {
    return "time=" + Seconds(status.time) + " paused=" + (status.paused ? "yes" : "no") +
           " speed=" + Fixed(status.speed, "%g") + " loop=" + LoopValue(status) + " fps=" + Fixed(status.fps, "%.1f") +
           " show=" + Escaped(status.show) + " reload=" + ReloadValue(status) +
           " findings=" + std::to_string(status.findings) +
           " row=" + (status.row < 0 ? std::string("-") : std::to_string(status.row)) + " rocket=" + status.rocket;
}

std::string RemoteControl::Answer(const std::string& line) {
    RemoteCommand command;
    std::string error;
    if (!RemoteCommand::Parse(line, command, &error)) {
        return "error: " + error;
    }
    const bool looped = control.Status().loopSet;
    switch (command.kind) {
        case RemoteCommand::Kind::Seek:
            if (!control.Seek(command.time, &error)) {
                return Refused(error);
            }
            return "ok time=" + Seconds(control.Status().time) + LoopLeft(looped, control.Status());
        case RemoteCommand::Kind::Pause:
        case RemoteCommand::Kind::Play:
            control.SetPaused(command.kind == RemoteCommand::Kind::Pause);
            return std::string("ok paused=") + (control.Status().paused ? "yes" : "no");
        case RemoteCommand::Kind::Step:
            if (!control.Step(command.frames, &error)) {
                return Refused(error);
            }
            return "ok time=" + Seconds(control.Status().time) + LoopLeft(looped, control.Status());
        case RemoteCommand::Kind::Loop:
            if (!control.SetLoop(command.time, command.endTime, &error)) {
                return Refused(error);
            }
            return "ok loop=" + LoopValue(control.Status());
        case RemoteCommand::Kind::LoopOff:
            control.ClearLoop();
            return "ok loop=off";
        case RemoteCommand::Kind::Speed:
            if (!control.SetSpeed(command.speed, &error)) {
                return Refused(error);
            }
            return "ok speed=" + Fixed(control.Status().speed, "%g");
        case RemoteCommand::Kind::Reload: {
            if (!control.Reload(&error)) {
                return Refused(error.empty() ? std::string("the reload failed") : error);
            }
            return "ok reload=ok findings=" + std::to_string(control.Status().findings);
        }
        case RemoteCommand::Kind::Status:
            return "ok " + StatusPairs(control.Status());
        case RemoteCommand::Kind::Quit:
            control.Quit();
            return "ok quit";
    }
    return "error: unknown command";
}

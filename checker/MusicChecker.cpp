#include "checker/MusicChecker.h"

#include <algorithm>
#include <memory>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/ShowPath.h"
#include "platform/Bass.h"
#include "platform/ModuleMusic.h"

void MusicChecker::Take(const std::string& file, int line, const std::string& name) {
    if (!show.music.file.empty()) {
        show.findings.Add(false, file, line, "a second SOUND line: the music of the last one is the show's clock");
    }
    show.music.file = name;
    show.files.Add(ShowFile::Kind::Music, name, "");
    Read(file, line);
}

void MusicChecker::Read(const std::string& file, int line) {
    CheckedShow::Music& music = show.music;
    if (!ShowPath::Found(music.file)) {
        return;  // reported with the line's arguments
    }
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, music.file.c_str(), 0, 0, 0);
    std::string reason;
    const std::unique_ptr<ModuleMusic> module = ModuleMusic::LoadFile(music.file.c_str(), &reason);
    // The same module as the engine reads: what it is, for the summary.
    music.detail = module ? Describe(*module) : std::string();
    if (stream == 0) {
        RefuseStream(file, line, module != nullptr, reason);
        music.length = -1.0f;
        return;
    }
    music.length = BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream));
    BASS_StreamFree(stream);
}

std::string MusicChecker::Describe(const ModuleMusic& module) {
    const ModuleMusic::Info info = module.Describe();
    return "module: " + info.format + (info.title.empty() ? "" : " \"" + info.title + "\"") + ", " +
           FindingText::Plural(static_cast<size_t>(std::max(info.channels, 0)), "channel", "channels") + ", " +
           FindingText::Plural(static_cast<size_t>(std::max(info.orders, 0)), "order", "orders");
}

void MusicChecker::RefuseStream(const std::string& file, int line, bool module, const std::string& reason) {
    const std::string name = "music " + FindingText::Quoted(show.music.file);
    if (module || reason != ModuleMusic::kNotAModule) {
        // A module the engine refuses, or one libopenmpt cannot read.
        show.findings.Add(true, file, line, name + " is a module that cannot be played (" + Platform::MusicError() +
                                                "): the show plays without sound, its time kept by a silent clock");
    } else {
        show.findings.Add(true, file, line, name + " is neither a sound file it can decode (WAV, FLAC, Ogg or MP3, "
                                                   "up to 30 minutes) nor a module it can read (MOD, XM, S3M, IT, "
                                                   "...): the show plays without sound, its time kept by a silent clock");
    }
}

// The show's files watched the ways editors save them: in place, by renaming
// a temporary file over them, piece by piece; other files left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileWatcher.h"
#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

using Paths = std::vector<std::string>;

// Polls like a frame loop until something is answered or a generous deadline
// passes.
Paths PollUntilAnswered(FileWatcher& watcher) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const Paths changed = watcher.Poll();
        if (!changed.empty()) {
            return changed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

// Polls like a frame loop for a while, gathering everything answered.
Paths PollFor(FileWatcher& watcher, int milliseconds) {
    Paths all;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        for (const std::string& path : watcher.Poll()) {
            all.push_back(path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return all;
}

void Rename(const std::string& from, const std::string& to) { ASSERT_EQ(std::rename(from.c_str(), to.c_str()), 0); }

TEST(FileWatcher, WritesInPlaceRenamesOverAndNewCopiesAreEachAnsweredOnce) {
    TempDir dir;
    dir.Write("guion.txt", "0.0 DEMO x FX_STOP\n");
    dir.Write("texturas/pared.jpg", "old");
    FileWatcher watcher(50);
    std::string error;
    ASSERT_TRUE(watcher.Watch("guion.txt", &error)) << error;
    ASSERT_TRUE(watcher.Watch("texturas/pared.jpg", &error)) << error;
    ASSERT_TRUE(watcher.Watch("preconfig.txt", &error)) << error;  // not there yet
    EXPECT_EQ(watcher.WatchedCount(), 3u);

    dir.Write("guion.txt", "1.0 DEMO x FX_STOP\n");
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{"guion.txt"});

    // An editor's save: a temporary file beside it, renamed over it.
    dir.Write("texturas/.pared.jpg.tmp", "new");
    Rename(dir.File("texturas/.pared.jpg.tmp"), dir.File("texturas/pared.jpg"));
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{"texturas/pared.jpg"});

    // Several files at once: each once, in path order.
    dir.Write("preconfig.txt", "LOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "2.0 DEMO x FX_STOP\n");
    dir.Write("guion.txt", "3.0 DEMO x FX_STOP\n");
    Paths both = PollUntilAnswered(watcher);
    if (both.size() == 1) {
        const Paths rest = PollUntilAnswered(watcher);
        both.insert(both.end(), rest.begin(), rest.end());
    }
    EXPECT_EQ(both.size(), 2u);
    EXPECT_NE(std::find(both.begin(), both.end(), "preconfig.txt"), both.end());
    EXPECT_NE(std::find(both.begin(), both.end(), "guion.txt"), both.end());

    // Taken away, the way some editors begin a save: a change too.
    std::remove(dir.File("guion.txt").c_str());
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{"guion.txt"});
    EXPECT_EQ(PollFor(watcher, 200), Paths{});

    std::string missing;
    EXPECT_FALSE(watcher.Watch("nada/guion.txt", &missing));
    EXPECT_NE(missing.find("its directory is not there"), std::string::npos) << missing;

    watcher.Clear();
    dir.Write("guion.txt", "4.0 DEMO x FX_STOP\n");
    EXPECT_EQ(PollFor(watcher, 200), Paths{});
}

TEST(FileWatcher, AFileStillBeingWrittenIsAnsweredOnlyOnceItIsQuiet) {
    TempDir dir;
    dir.Write("escena.ase", "");
    // A quiet time far above the pauses between the pieces.
    FileWatcher watcher(1500);
    ASSERT_TRUE(watcher.Watch(dir.File("escena.ase"), nullptr));
    std::string whole;
    FILE* file = std::fopen(dir.File("escena.ase").c_str(), "w");
    ASSERT_NE(file, nullptr);
    for (int piece = 0; piece < 20; ++piece) {
        const std::string text = "*GEOMOBJECT " + std::to_string(piece) + " {\n}\n";
        whole += text;
        std::fputs(text.c_str(), file);
        std::fflush(file);
        EXPECT_EQ(watcher.Poll(), Paths{}) << "answered while being written, after piece " << piece;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::fclose(file);
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{dir.File("escena.ase")});
    // What is there when it is answered is the whole file.
    EXPECT_EQ(dir.Read("escena.ase"), whole);
    EXPECT_EQ(PollFor(watcher, 100), Paths{});
}

TEST(FileWatcher, OtherFilesOfTheSameDirectoryAreIgnored) {
    TempDir dir;
    dir.Write("guion.txt", "x\n");
    FileWatcher watcher(30);
    ASSERT_TRUE(watcher.Watch("./guion.txt", nullptr));
    dir.Write("notas.txt", "y\n");
    dir.Write("guion.txt~", "backup\n");
    dir.Write(".guion.txt.swp", "swap\n");
    Rename(dir.File(".guion.txt.swp"), dir.File("otro.txt"));
    std::remove(dir.File("notas.txt").c_str());
    EXPECT_EQ(PollFor(watcher, 300), Paths{});
    dir.Write("guion.txt", "z\n");
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{"./guion.txt"});
}

// The show's list of files changes while a save is settling: the change to a
// file still on the list is answered, one to a file taken off it is not.
TEST(FileWatcher, ChangingTheListKeepsWhatIsSettlingForFilesStillOnIt) {
    TempDir dir;
    dir.Write("guion.txt", "a\n");
    dir.Write("viejo.txt", "a\n");
    FileWatcher watcher(300);
    EXPECT_EQ(watcher.WatchOnly({"guion.txt", "viejo.txt"}), 0);
    dir.Write("guion.txt", "b\n");
    dir.Write("viejo.txt", "b\n");
    EXPECT_EQ(watcher.Poll(), Paths{});
    // Two whose directories are not there (yet).
    EXPECT_EQ(watcher.WatchOnly({"guion.txt", "texturas/nueva.jpg", "nada/x.txt"}), 2);
    EXPECT_EQ(watcher.WatchedCount(), 1u);
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{"guion.txt"});
    dir.Write("texturas/nueva.jpg", "");  // texturas/ exists now, but was not there to watch
    dir.Write("viejo.txt", "c\n");
    EXPECT_EQ(PollFor(watcher, 600), Paths{});
    EXPECT_EQ(watcher.WatchOnly({"guion.txt", "texturas/nueva.jpg"}), 0);
    dir.Write("texturas/nueva.jpg", "jpeg");
    EXPECT_EQ(PollUntilAnswered(watcher), Paths{"texturas/nueva.jpg"});
}

}  // namespace

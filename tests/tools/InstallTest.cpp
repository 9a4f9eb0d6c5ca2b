// Installing as a Linux program: cmake --install puts every program, its
// manual page and the sample show with its generated assets under a prefix,
// and what lands there works without the build tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

using TestSupport::RunProgram;
using TestSupport::TempDir;

namespace {

// Installs into dir/usr. The component keeps this install's file list out of
// build/install_manifest.txt, which lists what the user installed.
TestSupport::RunResult InstallInto(const TempDir& dir) {
    return RunProgram(dir.Path(), {HALVENOR_CMAKE_COMMAND, "--install", HALVENOR_BINARY_DIR, "--component",
                                   HALVENOR_INSTALL_COMPONENT, "--prefix", dir.File("usr")});
}

std::vector<std::string> InstalledPrograms() {
    std::istringstream words(HALVENOR_INSTALLED_PROGRAMS);
    std::vector<std::string> names;
    for (std::string name; words >> name;) {
        names.push_back(name);
    }
    return names;
}

TEST(Install, PutsEveryProgramWithItsVersionAndManualPageUnderThePrefix) {
    if (!HALVENOR_INSTALLS_SHOWS) {
        GTEST_SKIP() << "a sanitizer build installs no pages or shows";
    }
    const std::vector<std::string> names = InstalledPrograms();
    for (const char* expected : {"halvenor", "halvenor-check", "halvenor-capture", "SceneExport", "ParticleTool"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    }
    TempDir dir(false);
    const auto install = InstallInto(dir);
    ASSERT_EQ(install.exitCode, 0) << install.stdoutText << install.stderrText;
    // Build-time helpers stay in the build tree.
    EXPECT_FALSE(dir.Exists("usr/bin/MakeSampleAssets"));

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto version = RunProgram(dir.Path(), {dir.File("usr/bin/" + name), "--version"});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_TRUE(std::regex_match(version.stdoutText,
                                     std::regex(name + " [0-9]+\\.[0-9]+\\.[0-9]+ \\(rev [A-Za-z0-9._+~-]+\\)\n")))
            << version.stdoutText;
        if (!HALVENOR_MAN_PAGES) {
            continue;
        }
        const auto page = RunProgram(dir.Path(), {"/bin/gzip", "-dc", dir.File("usr/share/man/man1/" + name + ".1.gz")});
        ASSERT_EQ(page.exitCode, 0) << page.stderrText;
        std::string title = name;
        std::transform(title.begin(), title.end(), title.begin(), [](unsigned char c) { return std::toupper(c); });
        EXPECT_NE(page.stdoutText.find(".TH " + title + " \"1\""), std::string::npos) << page.stdoutText;
        // The NAME line says what the program is for, and the page goes on to
        // the program's own help text.
        EXPECT_NE(page.stdoutText.find(".SH NAME\n" + name + " \\- "), std::string::npos) << page.stdoutText;
        EXPECT_NE(page.stdoutText.find(".SH SYNOPSIS\n.B " + name), std::string::npos) << page.stdoutText;
        EXPECT_NE(page.stdoutText.find(".SH DESCRIPTION"), std::string::npos);
        // The player's page names the shows where this install put them; the
        // remote control's lists its commands one an entry.
        if (name == "halvenor") {
            EXPECT_NE(page.stdoutText.find(".I " + dir.File("usr/share/halvenor/shows/sample") + "\n"),
                      std::string::npos)
                << page.stdoutText;
            EXPECT_EQ(page.stdoutText.find("@HALVENOR"), std::string::npos) << page.stdoutText;
        }
        if (name == "halvenor-ctl") {
            EXPECT_NE(page.stdoutText.find(".TP\nseek T\njump to music time T\n.TP\npause\n"), std::string::npos)
                << page.stdoutText;
        }
    }
}

TEST(Install, PutsTheSampleShowWithItsGeneratedAssetsReadyToPlay) {
    if (!HALVENOR_INSTALLS_SHOWS) {
        GTEST_SKIP() << "a sanitizer build installs no pages or shows";
    }
    TempDir dir(false);
    const auto install = InstallInto(dir);
    ASSERT_EQ(install.exitCode, 0) << install.stdoutText << install.stderrText;
    const std::string show = "usr/share/halvenor/shows/sample";
    for (const char* file : {"preconfig.txt", "guion.txt", "escena.bin", "musica.flac", "chispas.bin",
                             "texturas/font.jpg"}) {
        EXPECT_TRUE(dir.Exists(show + "/" + file)) << file;
    }
    // Nothing a run or a build writes into a show travels with it.
    EXPECT_FALSE(dir.Exists(show + "/error_log.txt"));
    EXPECT_FALSE(dir.Exists(show + "/.gitignore"));

    // The installed checker finds every file the show names.
    const auto check = RunProgram(dir.Path(), {dir.File("usr/bin/halvenor-check"), "--quiet", dir.File(show)});
    EXPECT_EQ(check.exitCode, 0) << check.stderrText;
    EXPECT_EQ(check.stderrText, "");
}

}  // namespace

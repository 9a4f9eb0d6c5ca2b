// The show checker on a show's sync tracks: a track that binds to nothing
// (a misspelt layer or property, a name without a colon), a file it cannot
// read, a bound name without keys (a shader's own uniform among them) and a
// TRACK line before LOAD TRACKS each make one finding on the right line;
// tracks that bind, in any letter case and to a shader's uniform, make none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker/ShowChecker.h"
#include "tests/support/TempDir.h"

namespace {

std::string U32(uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v >> 16 & 0xFF),
                       static_cast<char>(v >> 24 & 0xFF)};
}

TEST(SyncTrackChecker, TracksThatBindToNothingAndBoundNamesWithoutKeysAreFoundOnTheirLines) {
    TestSupport::TempDir dir;
    dir.Write("escena.ase", "*SCENE {\n\t*SCENE_LASTFRAME 9\n\t*SCENE_FRAMESPEED 30\n}\n");
    dir.Write("guion.txt", "0.0 LAYER Fondo FX_SHOW\n1.0 DEMO x FX_STOP\n");
    // Two uniforms of its own: a track drives "level", none "glow".
    dir.Write("luz.frag",
              "uniform float level, glow; // the tracks' values\n"
              "uniform float iTime;\n"
              "void mainImage(out vec4 c, in vec2 p) { c = vec4(level * glow + 0.0 * iTime); }\n");
    dir.Write("preconfig.txt",
              "LOAD DISPLAY 320 240 32 NO\n"                  // 1
              "LOAD ESCENA_ASE escena.ase Sala\n"             // 2
              "LOAD LAYER2D luz.frag SHADER Fondo\n"          // 3
              "SET LAYER2D Fondo TRACK x\n"                   // 4
              "LOAD TRACKS sync 96 4\n"                       // 5
              "SET ESCENA Sala TRACK fog_end\n"               // 6
              "SET ESCENA Sala TRACK alpha\n"                 // 7
              "LOAD SCRIPT guion.txt\n");
    const std::string oneKey = U32(1) + U32(0) + U32(0x3F800000) + std::string(1, '\x01');
    dir.Write("sync_Fondo-3Aalpha.track", oneKey);
    dir.Write("sync_Fondo-3Alevel.track", oneKey);
    dir.Write("sync_Sala-3AFOV.track", oneKey);       // any letter case
    dir.Write("sync_LAYER_BLUR-3Aalpha.track", oneKey);
    dir.Write("sync_Fondo-3Aalpah.track", oneKey);    // a misspelt property
    dir.Write("sync_Tablro-3Ax.track", oneKey);       // a misspelt layer
    dir.Write("sync_sin-nombre.track", oneKey);       // a -XX that is no byte
    dir.Write("sync_cut.track", oneKey.substr(0, 6));

    ShowChecker checker;
    checker.Check();
    std::vector<std::string> said;
    for (const ShowFinding& finding : checker.Findings()) {
        // The show's other findings (no music, no console pictures) are not the tracks'.
        if (finding.message.find("track") == std::string::npos) {
            continue;
        }
        said.push_back(std::to_string(finding.line) + (finding.error ? " error: " : " warning: ") + finding.message);
    }
    const std::vector<std::string> expected = {
        "4 error: comes before a LOAD TRACKS line: halvenor ignores the track 'Fondo:x'",
        "5 error: sync_cut.track: it is cut short: its count says 1 keys, its 6 bytes hold 0: its track has no keys",
        "5 error: sync_sin-nombre.track: no track name is written that way",
        "3 warning: the shader's uniform float 'glow' stays 0: sync_Fondo-3Aglow.track holds no keys for it",
        "5 error: track 'Fondo:alpah' (sync_Fondo-3Aalpah.track) binds to nothing: there is no 'alpah' to drive: "
        "a layer's tracks are alpha, x, y, scale, angle and its shader's float uniforms",
        "5 error: track 'Tablro:x' (sync_Tablro-3Ax.track) binds to nothing: no layer or scene is called 'Tablro'",
        "6 warning: track 'Sala:fog_end' has no keys (sync_Sala-3Afog_end.track holds none, or is not there)",
        "7 error: track 'Sala:alpha' binds to nothing: there is no 'alpha' to drive: a scene's are fov, roll, "
        "fog_start, fog_end",
    };
    ASSERT_EQ(said.size(), expected.size()) << ::testing::PrintToString(said);
    for (size_t i = 0; i < said.size(); ++i) {
        EXPECT_EQ(said[i].compare(0, expected[i].size(), expected[i]), 0) << said[i];
    }
    EXPECT_NE(checker.Summary().find("tracks       6 tracks from sync_*.track, 6.40 rows a second (96 bpm, 4 rows a beat)"),
              std::string::npos)
        << checker.Summary();
}

}  // namespace

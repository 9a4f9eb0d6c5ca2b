// Sync tracks: the value between keys for each interpolation against values
// worked out by hand, and the .track files and editor projects they are read
// from: a saved file reads back the same, and files that are cut short, too
// long, enormous or damaged are errors that say what is wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sync/RocketProject.h"
#include "sync/SyncTrack.h"
#include "sync/SyncTracks.h"
#include "sync/TrackFile.h"
#include "tests/support/TempDir.h"

namespace {

SyncTrack TwoKeys(uint8_t interpolation) {
    SyncTrack track("t");
    EXPECT_TRUE(track.SetKey(SyncKey{10, 2.0f, interpolation}));
    EXPECT_TRUE(track.SetKey(SyncKey{14, 10.0f, SyncKey::kStep}));
    return track;
}

TEST(SyncTrack, EachInterpolationGivesTheHandWorkedValuesBetweenItsKeys) {
    // From 2 at row 10 to 10 at row 14: t is a quarter at row 11, three
    // quarters at row 13.
    const SyncTrack step = TwoKeys(SyncKey::kStep);
    EXPECT_FLOAT_EQ(step.ValueAt(11.0), 2.0f);
    EXPECT_FLOAT_EQ(step.ValueAt(13.99), 2.0f);
    EXPECT_FLOAT_EQ(step.ValueAt(14.0), 10.0f);

    const SyncTrack linear = TwoKeys(SyncKey::kLinear);
    EXPECT_FLOAT_EQ(linear.ValueAt(11.0), 4.0f);   // 2 + 8 / 4
    EXPECT_FLOAT_EQ(linear.ValueAt(12.5), 7.0f);   // 2 + 8 * 5 / 8

    const SyncTrack smooth = TwoKeys(SyncKey::kSmooth);
    EXPECT_FLOAT_EQ(smooth.ValueAt(11.0), 3.25f);  // 3/16 - 2/64 = 5/32 of the way: 2 + 1.25
    EXPECT_FLOAT_EQ(smooth.ValueAt(12.0), 6.0f);   // half way
    EXPECT_FLOAT_EQ(smooth.ValueAt(13.0), 8.75f);  // 27/32 of the way

    const SyncTrack ramp = TwoKeys(SyncKey::kRamp);
    EXPECT_FLOAT_EQ(ramp.ValueAt(11.0), 2.5f);   // 1/16 of the way
    EXPECT_FLOAT_EQ(ramp.ValueAt(13.0), 6.5f);   // 9/16 of the way

    // Outside the keys: the first key's value before, the last's after.
    EXPECT_FLOAT_EQ(linear.ValueAt(0.0), 2.0f);
    EXPECT_FLOAT_EQ(linear.ValueAt(1.0e9), 10.0f);

    // Rows looked up backwards, forwards and by jumps give the same values
    // as the first time (the lookup starts from the last stretch).
    SyncTrack many("many");
    for (uint32_t row = 0; row <= 100; row += 10) {
        many.SetKey(SyncKey{row, static_cast<float>(row), SyncKey::kLinear});
    }
    for (const double row : {95.0, 5.5, 55.0, 54.0, 0.25, 99.0, 12.0}) {
        EXPECT_FLOAT_EQ(many.ValueAt(row), static_cast<float>(row)) << row;
    }
    // A key set again at its row replaces it; deleting it joins its neighbours.
    many.SetKey(SyncKey{50, 0.0f, SyncKey::kStep});
    EXPECT_FLOAT_EQ(many.ValueAt(55.0), 0.0f);
    EXPECT_TRUE(many.DeleteKey(50));
    EXPECT_FLOAT_EQ(many.ValueAt(50.0), 50.0f);
    EXPECT_FALSE(many.DeleteKey(50));
    EXPECT_FALSE(many.SetKey(SyncKey{3, 1.0f, 4}));
}

std::string U32(uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v >> 16 & 0xFF),
                       static_cast<char>(v >> 24 & 0xFF)};
}

TEST(SyncTrack, TrackFilesReadBackTheSameAndBrokenOnesAreErrorsThatSayWhy) {
    TestSupport::TempDir dir;
    EXPECT_EQ(TrackFile::PathFor("sync", "Sh:level"), "sync_Sh-3Alevel.track");
    EXPECT_EQ(TrackFile::EncodedName("a b/c.d_e\xC3\xA9"), "a-20b/c.d_e-C3-A9");

    SyncTrack saved("Fondo:alpha");
    saved.SetKey(SyncKey{0, 0.0f, SyncKey::kLinear});
    saved.SetKey(SyncKey{16, 0.35f, SyncKey::kSmooth});
    saved.SetKey(SyncKey{4000000000u, -1.5e7f, SyncKey::kRamp});
    std::string error;
    ASSERT_TRUE(TrackFile::Write(TrackFile::PathFor("sync", saved.Name()), saved, &error)) << error;
    // Count, then row, value and interpolation per key, little-endian.
    const std::string bytes = dir.Read("sync_Fondo-3Aalpha.track");
    ASSERT_EQ(bytes.size(), 4u + 3u * 9u);
    EXPECT_EQ(bytes.substr(0, 4), U32(3));
    EXPECT_EQ(bytes.substr(13, 9), U32(16) + U32(0x3EB33333) + std::string(1, '\x02'));
    EXPECT_FALSE(dir.Exists("sync_Fondo-3Aalpha.track.tmp"));

    // The base's files are the show's tracks, names decoded.
    dir.Write("sync_other-3Aname.track", U32(0));
    dir.Write("unrelated_x.track", U32(0));
    SyncTracks tracks("sync", 120.0, 4.0);
    std::vector<std::string> problems;
    tracks.Load(problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(tracks.Count(), 2u);
    const SyncTrack* read = tracks.Find("Fondo:alpha");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->Keys().size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(read->Keys()[k].row, saved.Keys()[k].row);
        EXPECT_EQ(read->Keys()[k].value, saved.Keys()[k].value);
        EXPECT_EQ(read->Keys()[k].interpolation, saved.Keys()[k].interpolation);
    }
    EXPECT_NE(tracks.Find("other:name"), nullptr);
    EXPECT_DOUBLE_EQ(tracks.SecondsAt(16.0), 2.0);  // 120 bpm at 4 rows a beat: 8 rows a second

    struct Broken {
        std::string bytes;
        std::string says;
    };
    const std::string key = U32(1) + U32(0x3F800000) + std::string(1, '\x01');
    const std::vector<Broken> broken = {
        {std::string("\x01\x00", 2), "cut short: 2 bytes, not even the key count"},
        {U32(5) + key + key.substr(0, 4), "cut short: its count says 5 keys, its 17 bytes hold 1"},
        {U32(0xFFFFFFFFu), "its count says 4294967295 keys, more than the 1000000"},
        {U32(1) + key + "x", "1 bytes after its 1 keys"},
        {U32(1) + U32(1) + U32(0x3F800000) + std::string(1, '\x07'), "interpolation 7"},
        {U32(1) + U32(1) + U32(0x7FC00000) + std::string(1, '\x00'), "not a number"},
        {U32(2) + key + key, "key 1 (row 1) does not come after row 1"},
        {U32(1) + key + std::string(9 * 1000000, '\0'), "larger than the 9000004 bytes"},
    };
    for (const Broken& file : broken) {
        dir.Write("broken.track", file.bytes);
        SyncTrack track("x");
        track.SetKey(SyncKey{7, 7.0f, 0});
        error.clear();
        EXPECT_FALSE(TrackFile::Read("broken.track", track, &error));
        EXPECT_NE(error.find(file.says), std::string::npos) << error;
        EXPECT_EQ(track.Keys().size(), 1u) << "a broken file leaves the track as it was";
    }
}

TEST(SyncTrack, TheEditorsProjectFileGivesItsTracksOrSaysWhereItIsBroken) {
    const std::string project =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<tracks rows=\"10000\" startRow=\"0\" endRow=\"10000\" highlightRowStep=\"8\">\n"
        "  <!-- a comment <track name=\"no\"> -->\n"
        "  <track name=\"Sala:fov\" folded=\"0\" muteKeyCount=\"0\" color=\"ffb27474\">\n"
        "    <key row=\"0\" value=\"45.000000\" interpolation=\"1\" />\n"
        "    <key row=\"32\" value=\"70.5\" interpolation=\"0\"/>\n"
        "  </track>\n"
        "  <track name=\"a&amp;b&#58;c\"/>\n"
        "</tracks>\n";
    std::vector<SyncTrack> tracks;
    std::string error;
    ASSERT_TRUE(RocketProject::Parse(project, tracks, &error)) << error;
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].Name(), "Sala:fov");
    ASSERT_EQ(tracks[0].Keys().size(), 2u);
    EXPECT_FLOAT_EQ(tracks[0].ValueAt(16.0), 57.75f);
    EXPECT_EQ(tracks[1].Name(), "a&b:c");

    const std::vector<std::pair<std::string, std::string>> broken = {
        {"<tracks>\n<key row=\"1\" value=\"1\" interpolation=\"0\"/>", "line 2: a <key> outside a track"},
        {"<track name=\"a\">\n<key row=\"1\" value=\"x\" interpolation=\"0\"/></track>", "line 2: the key at row 1 has no value"},
        {"<track name=\"a\"><key row=\"-1\" value=\"1\" interpolation=\"0\"/></track>", "without a row"},
        {"<track name=\"a\"><key row=\"1\" value=\"1\" interpolation=\"4\"/></track>", "no interpolation from 0 to 3"},
        {"<track name=\"a\"/><track name=\"a\"/>", "track 'a' is there twice"},
        {"<track name=\"a\"><key row=\"1\" value=\"1\"", "never ends"},
        {"<track name=\"a\">", "the last track is not closed"},
    };
    for (const auto& file : broken) {
        std::vector<SyncTrack> kept(1, SyncTrack("kept"));
        error.clear();
        EXPECT_FALSE(RocketProject::Parse(file.first, kept, &error)) << file.first;
        EXPECT_NE(error.find(file.second), std::string::npos) << error;
        EXPECT_EQ(kept.size(), 1u);
    }
}

}  // namespace

// Whole-program runs of halvenor-capture: identical captures, what a video
// holds (ffprobe), the show's own end, and the errors a user can make.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/PngOutput.h"
#include "capture/VideoOutput.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"
#include "tests/support/TestModule.h"

using TestSupport::RunCapture;
using TestSupport::TempDir;

namespace {

const char* const kToneShow =
    "LOAD DISPLAY 320 240 32 NO\n"
    "LOAD SOUND musica.wav\n"
    "LOAD SCRIPT guion.txt\n";

std::string Shell(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[512];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
            text.append(chunk, got);
        }
        pclose(pipe);
    }
    return text;
}

// "key=value" lines of ffprobe for one stream of the file.
std::string Probe(const std::string& file, const char* stream, const char* entries) {
    return Shell(std::string("ffprobe -v error -count_frames -select_streams ") + stream + " -show_entries stream=" +
                 entries + " -of default=noprint_wrappers=1 '" + file + "'");
}

// WebM keeps a stream's duration as a tag "HH:MM:SS.fraction".
double ProbedDuration(const std::string& file, const char* stream) {
    const std::string text = Probe(file, stream, "duration:stream_tags=DURATION");
    const size_t tag = text.find("TAG:DURATION=");
    if (tag != std::string::npos) {
        const char* clock = text.c_str() + tag + 13;
        return std::atof(clock) * 3600.0 + std::atof(clock + 3) * 60.0 + std::atof(clock + 6);
    }
    const size_t at = text.find("duration=");
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + 9);
}

void MakeToneShow(const TempDir& dir, double musicSeconds, const char* script) {
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 330.0, musicSeconds, 44100, 2, 0.2));
    dir.Write("preconfig.txt", kToneShow);
    dir.Write("guion.txt", script);
}

TEST(Capture, TwoCapturesOfTheSampleShowAreByteIdentical) {
    TempDir dir(false);
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    const std::string script = dir.Read("guion.txt");
    for (const char* output : {"a", "b"}) {
        const auto run = RunCapture(dir.Path(), {"-r", "10", "-s", "4.5", "-t", "1.5", "-o", output});
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        EXPECT_NE(run.stderrText.find("15 frames"), std::string::npos) << run.stderrText;
    }
    for (int frame = 0; frame < 15; ++frame) {
        const std::string name = PngOutput::FileName(frame);
        const std::string a = dir.Read("a/" + name);
        EXPECT_GT(a.size(), 1000u) << name;
        EXPECT_TRUE(a == dir.Read("b/" + name)) << name << " differs";
    }
    EXPECT_FALSE(dir.Exists("a/" + PngOutput::FileName(15)));
    // The same shutdown as the player's, and the script untouched.
    const std::string log = dir.Read("error_log.txt");
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    EXPECT_NE(log.find("-> Liberando Escenas: [OK]\n"), std::string::npos) << log;
    const std::string end = "===> Sistema cerrado correctamente.\n";
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
    EXPECT_EQ(dir.Read("guion.txt"), script);
}

TEST(Capture, AVideoHoldsTheFramesRateAndMusicOfTheCaptureAndEndsWithTheShow) {
    TempDir dir(false);
    MakeToneShow(dir, 3.0, "2.0 DEMO x FX_STOP\n");
    // Ten seconds asked for, but the show stops itself at 2 s.
    const auto run = RunCapture(dir.Path(), {"-r", "25", "-t", "10", "-o", "show.mp4"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const std::string video = Probe(dir.File("show.mp4"), "v:0", "codec_name,width,height,r_frame_rate,nb_read_frames");
    EXPECT_NE(video.find("codec_name=h264"), std::string::npos) << video;
    EXPECT_NE(video.find("width=320\nheight=240"), std::string::npos) << video;
    EXPECT_NE(video.find("r_frame_rate=25/1"), std::string::npos) << video;
    EXPECT_NE(video.find("nb_read_frames=50\n"), std::string::npos) << video;
    EXPECT_NE(Probe(dir.File("show.mp4"), "a:0", "codec_name").find("codec_name=aac"), std::string::npos);
    EXPECT_NEAR(ProbedDuration(dir.File("show.mp4"), "a:0"), 2.0, 0.05);

    // A stretch from 0.5 s as WebM: its frames, and music of the same length.
    const auto part = RunCapture(dir.Path(), {"-r", "20", "-s", "0.5", "-t", "1", "-o", "part.webm"});
    ASSERT_EQ(part.exitCode, 0) << part.stderrText;
    EXPECT_NE(Probe(dir.File("part.webm"), "v:0", "nb_read_frames").find("nb_read_frames=20\n"), std::string::npos);
    EXPECT_NE(Probe(dir.File("part.webm"), "a:0", "codec_name").find("codec_name=opus"), std::string::npos);
    EXPECT_NEAR(ProbedDuration(dir.File("part.webm"), "a:0"), 1.0, 0.05);
}

// The loudest sample of a second of the file's sound track, in dB of full
// scale (ffmpeg's volumedetect); -100 when there is none.
double MaxVolume(const std::string& file, double from) {
    char filter[96];
    std::snprintf(filter, sizeof filter, "atrim=%.3f:%.3f,volumedetect", from, from + 1.0);
    const std::string text =
        Shell("ffmpeg -hide_banner -nostats -i '" + file + "' -map 0:a -af " + filter + " -f null - 2>&1");
    const size_t at = text.find("max_volume: ");
    return at == std::string::npos ? -100.0 : std::atof(text.c_str() + at + 12);
}

TEST(Capture, AModulesSoundIsRenderedForTheStretchCaptured) {
    TempDir dir(false);
    // Two patterns at speed 2: 5.12 s of song.
    ASSERT_TRUE(TestSupport::WriteTestModule(dir.File("cancion.xm"), 2, 2));
    dir.Write("preconfig.txt", "LOAD DISPLAY 160 120 32 NO\nLOAD SOUND cancion.xm\nLOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 DEMO x FX_BLUR 0\n5.0 DEMO x FX_STOP\n");
    dir.Write("tmp/.keep", "");
    const auto run = RunCapture(dir.Path(), {"-r", "10", "-s", "2", "-t", "2", "-o", "cancion.mkv"},
                                "TMPDIR=" + dir.File("tmp"));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_NE(Probe(dir.File("cancion.mkv"), "v:0", "nb_read_frames").find("nb_read_frames=20\n"), std::string::npos);
    EXPECT_NEAR(ProbedDuration(dir.File("cancion.mkv"), "a:0"), 2.0, 0.05);
    for (const double from : {0.0, 1.0}) {
        EXPECT_GT(MaxVolume(dir.File("cancion.mkv"), from), -20.0) << "second from " << from;
    }
    // The rendered stretch was handed over and then removed.
    EXPECT_EQ(Shell("ls -A '" + dir.File("tmp") + "'"), ".keep\n");
}

TEST(Capture, ByDefaultAShowWithoutStopEventEndsWithItsMusic) {
    TempDir dir(false);
    MakeToneShow(dir, 1.0, "0.0 DEMO x FX_BLUR 0\n");
    const auto run = RunCapture(dir.Path(), {"-r", "12", "-o", "frames/"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_TRUE(dir.Exists("frames/" + PngOutput::FileName(11)));
    EXPECT_FALSE(dir.Exists("frames/" + PngOutput::FileName(12)));
    TestSupport::Picture picture;
    ASSERT_TRUE(TestSupport::ReadPng(dir.File("frames/" + PngOutput::FileName(0)), picture));
    EXPECT_EQ(picture.width, 320);
    EXPECT_EQ(picture.height, 240);
}

// A hand-written scene: a white self-lit square in the modeller's XZ plane,
// seen by a camera 200 units down -Y whose position track, as some exporters
// write it, has a sample every 4 frames (ticks 0, 640, ...) for 16 s of frames.
std::string SparseCameraScene() {
    std::string scene =
        "*SCENE {\n\t*SCENE_LASTFRAME 400\n\t*SCENE_FRAMESPEED 25\n\t*SCENE_TICKSPERFRAME 160\n"
        "\t*SCENE_BACKGROUND_STATIC 0.0 0.0 0.0\n}\n"
        "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Blanco\"\n"
        "\t\t*MATERIAL_AMBIENT 1.0 1.0 1.0\n\t\t*MATERIAL_DIFFUSE 1.0 1.0 1.0\n\t\t*MATERIAL_SPECULAR 0.0 0.0 0.0\n"
        "\t\t*MATERIAL_TRANSPARENCY 0.0\n\t\t*MATERIAL_SELFILLUM 1.0\n\t\t*MATERIAL_TWOSIDED\n\t}\n}\n"
        "*GEOMOBJECT {\n\t*NODE_NAME \"Panel\"\n\t*MESH {\n\t\t*MESH_NUMVERTEX 4\n\t\t*MESH_NUMFACES 2\n"
        "\t\t*MESH_VERTEX_LIST {\n"
        "\t\t\t*MESH_VERTEX 0 -50.0 0.0 -50.0\n\t\t\t*MESH_VERTEX 1 50.0 0.0 -50.0\n"
        "\t\t\t*MESH_VERTEX 2 -50.0 0.0 50.0\n\t\t\t*MESH_VERTEX 3 50.0 0.0 50.0\n\t\t}\n"
        "\t\t*MESH_FACE_LIST {\n\t\t\t*MESH_FACE 0: A: 0 B: 1 C: 3\n\t\t\t*MESH_FACE 1: A: 0 B: 3 C: 2\n\t\t}\n"
        "\t}\n\t*MATERIAL_REF 0\n}\n"
        "*CAMERAOBJECT {\n\t*NODE_NAME \"Camara\"\n\t*NODE_TM {\n\t\t*TM_POS 0.0 -200.0 0.0\n\t}\n"
        "\t*NODE_TM {\n\t\t*TM_POS 0.0 0.0 0.0\n\t}\n\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7854\n\t}\n"
        "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    for (int frame = 0; frame <= 400; frame += 4) {
        scene += "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(frame * 160) + "\t0.0 " +
                 std::to_string(-200 - frame / 4) + ".0 0.0\n";
    }
    return scene + "\t\t}\n\t}\n}\n";
}

// Such a camera once looked from the origin at the origin with no field of
// view from about 4 s on, and the scene vanished.
TEST(Capture, ACameraSampledEveryFourFramesStaysInViewAfterItsLastSample) {
    TempDir dir(false);
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 330.0, 8.0, 8000, 1, 0.1));
    dir.Write("escena.ase", SparseCameraScene());
    dir.Write("preconfig.txt", "LOAD DISPLAY 160 120 32 NO\nLOAD SOUND musica.wav\nLOAD ESCENA_ASE escena.ase Sala\n"
                               "LOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 SCENE Sala FX_SHOW\n7.0 DEMO x FX_STOP\n");
    std::vector<TestSupport::Picture> pictures;
    ASSERT_TRUE(TestSupport::CaptureStills(dir.Path(), {1.0, 6.0}, 5.0, pictures));
    ASSERT_EQ(pictures.size(), 2u);
    for (const TestSupport::Picture& picture : pictures) {
        const uint8_t* centre = &picture.rgb[(static_cast<size_t>(picture.height / 2) * picture.width +
                                              picture.width / 2) * 3];
        EXPECT_GT(centre[0], 200);
        EXPECT_GT(centre[1], 200);
        const uint8_t* corner = &picture.rgb[0];
        EXPECT_LT(corner[0], 30);
    }
}

// A stretch asked for past the show's stop used to end with no word of why
// it was shorter; a show whose music is missing used to freeze at time 0.
TEST(Capture, SaysWhenTheShowsStopCutsTheStretchAndPlaysOnWithoutItsMusic) {
    TempDir dir(false);
    MakeToneShow(dir, 3.0, "2.0 DEMO x FX_STOP\n");
    auto run = RunCapture(dir.Path(), {"-r", "2", "-s", "1", "-t", "5", "-o", "frames/"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_NE(run.stderrText.find("2 frames (1.00 s of show)"), std::string::npos) << run.stderrText;
    EXPECT_NE(run.stderrText.find("the show ends itself at 2.00 s (its DEMO FX_STOP), so 1.00 s of the 5.00 s "
                                  "asked for were captured"),
              std::string::npos)
        << run.stderrText;

    std::remove(dir.File("musica.wav").c_str());
    run = RunCapture(dir.Path(), {"-r", "4", "-o", "frames/"});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_NE(run.stderrText.find("halvenor-capture: the music musica.wav could not be loaded: the show keeps time "
                                  "without it"),
              std::string::npos)
        << run.stderrText;
    EXPECT_NE(run.stderrText.find("8 frames (2.00 s of show)"), std::string::npos) << run.stderrText;
}

// A capture stopped early (Ctrl-C) closes the video with fewer frames than
// the stretch its music was cut to: the sound must end with the picture.
TEST(Capture, AVideoClosedEarlyHasASoundTrackNoLongerThanItsPicture) {
    TempDir dir(false);
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 330.0, 3.0, 44100, 2, 0.2));
    VideoOutput video(dir.File("short.mp4"), 25.0, VideoOutput::Music{dir.File("musica.wav"), 0.0, 3.0});
    ASSERT_TRUE(video.Open(64, 48)) << video.Error();
    const std::vector<uint8_t> grey(64 * 48 * 3, 128);
    ASSERT_TRUE(video.Write(grey.data(), 0, 10));
    ASSERT_TRUE(video.Close()) << video.Error();
    EXPECT_NEAR(ProbedDuration(dir.File("short.mp4"), "v:0"), 0.4, 0.05);
    EXPECT_LE(ProbedDuration(dir.File("short.mp4"), "a:0"), 0.5);
}

TEST(Capture, ErrorsSayWhatIsWrongAndEndWithAFailure) {
    TempDir empty(false);
    auto run = RunCapture(empty.Path(), {});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("no readable preconfig.txt"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(empty.Exists("error_log.txt"));

    TempDir dir(false);
    MakeToneShow(dir, 1.0, "1.0 DEMO x FX_STOP\n");
    run = RunCapture(dir.Path(), {"-o", "/nonexistent/show.mp4"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("cannot write /nonexistent/show.mp4"), std::string::npos) << run.stderrText;

    run = RunCapture(dir.Path(), {"-o", "/proc/frames"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("/proc/frames"), std::string::npos) << run.stderrText;

    run = RunCapture(dir.Path(), {"-o", "show.avi"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find(".mp4, .mkv or .webm"), std::string::npos) << run.stderrText;

    run = RunCapture(dir.Path(), {"-o", "show.mp4"}, "PATH=/nonexistent");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("ffmpeg program is needed"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(dir.Exists("show.mp4"));

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-r", "0"}, {"-r", "fast"}, {"-t", "-1"}, {"-s"}, {"--frames"}}) {
        run = RunCapture(dir.Path(), args);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_NE(run.stderrText.find("usage: halvenor-capture"), std::string::npos) << run.stderrText;
    }
    run = RunCapture(dir.Path(), {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.stdoutText.find("usage: halvenor-capture [-r FPS] [-s START] [-t DURATION] [-o OUTPUT]"),
              std::string::npos);

    // A start past the show's end, and a show that never ends, are refused
    // once the show is loaded; it still shuts down in order.
    run = RunCapture(dir.Path(), {"-s", "5", "-o", "late"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("before the start"), std::string::npos) << run.stderrText;
    dir.Write("preconfig.txt", "LOAD DISPLAY 320 240 32 NO\n");
    run = RunCapture(dir.Path(), {"-o", "never"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.stderrText.find("give a duration with -t"), std::string::npos) << run.stderrText;
    EXPECT_FALSE(dir.Exists("never/" + PngOutput::FileName(0)));
    EXPECT_NE(dir.Read("error_log.txt").find("===> Sistema cerrado correctamente.\n"), std::string::npos);
}

}  // namespace

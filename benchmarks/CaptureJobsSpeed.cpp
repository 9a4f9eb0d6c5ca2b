// Split capture speed: the sample show at 1280 x 720 captured whole to PNG
// frames by halvenor-capture --jobs 1, 2 and 4: frames a second (wall time,
// start to exit), processor time and the cores it kept busy on average, and
// the most memory any one process of the capture held (each part's peak
// against the single capture's). The machine must be otherwise idle: other
// work on its cores shows as lost speed. Then a
// part's start-up in a five-minute show (the sample's script ten times over,
// as SeekBenchmark makes it, with and without its blur): `--part` runs whose
// first frame lies 1 s to 299 s into the show (in the blur and out of it),
// timed by what the part says its run-up took.
// Needs a display: run under xvfb-run -a -s "-screen 0 1280x1024x24".
// Usage: CaptureJobsSpeed [fps, default 30] [jobs..., default 1 2 4]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kPasses = 10;
constexpr double kStretch = 1.5;
constexpr double kPassSeconds = 30.0;
constexpr double kShowSeconds = kPasses * kPassSeconds;

struct Outcome {
    bool ok = false;
    double wall = 0.0;
    double cpu = 0.0;
    long peakKb = 0;
    std::string stderrText;
};

// The command through the shell in dir, its stderr kept; the peak is the
// largest resident set of the process and everything it waited for.
Outcome Run(const std::string& dir, const std::string& command) {
    Outcome outcome;
    const std::string errors = dir + "/stderr.txt";
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", ("cd " + dir + " && { " + command + "; } 2>" + errors).c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    outcome.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    outcome.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    outcome.peakKb = usage.ru_maxrss;
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    outcome.stderrText = text.str();
    return outcome;
}

bool MakeSample(const std::string& dir, const std::string& build, const std::string& sample) {
    return Run(dir, build + "/MakeSampleAssets . >/dev/null && cp " + sample + "/guion.txt . && sed 's/^LOAD DISPLAY "
                    "800 600/LOAD DISPLAY 1280 720/' " + sample + "/preconfig.txt > preconfig.txt")
        .ok;
}

// The five-minute show: the sample's script ten times over, each pass
// stretched to 30 s, five minutes of music; without the blur when asked.
bool MakeLongShow(const std::string& dir, const std::string& sample, bool blur) {
    std::ifstream in(sample + "/guion.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        const bool blurLine = line.find("FX_BLUR") != std::string::npos || line.find("FX_SATURATE") != std::string::npos;
        if (!line.empty() && line[0] != '/' && line.find("FX_STOP") == std::string::npos && (blur || !blurLine)) {
            lines.push_back(line);
        }
    }
    std::ofstream out(dir + "/guion.txt");
    for (int pass = 0; pass < kPasses; ++pass) {
        for (const std::string& line : lines) {
            std::istringstream words(line);
            double time = 0.0;
            words >> time;
            std::string rest;
            std::getline(words, rest);
            out << time * kStretch + pass * kPassSeconds << rest << "\n";
        }
    }
    out << kShowSeconds << " DEMO Sala FX_STOP\n";
    out.close();
    return Run(dir, "sed -i 's/^LOAD SOUND .*/LOAD SOUND larga.wav/' preconfig.txt && "
                    "ffmpeg -v error -y -f lavfi -i sine=frequency=220:duration=302 -ac 2 larga.wav")
        .ok;
}

// The number after the marker's last appearance; -1 without one.
double ReadNumberAfter(const std::string& text, const std::string& marker) {
    const size_t at = text.rfind(marker);
    return at == std::string::npos ? -1.0 : std::atof(text.c_str() + at + marker.size());
}

void MeasureJobs(const std::string& dir, const std::string& capture, const std::string& fps,
                 const std::vector<std::string>& jobCounts) {
    double singleFps = 0.0;
    long singlePeak = 0;
    for (const std::string& jobs : jobCounts) {
        Run(dir, "rm -rf frames");
        const Outcome run = Run(dir, capture + " -r " + fps + " --jobs " + jobs + " -o frames");
        const double frames = ReadNumberAfter(run.stderrText, "halvenor-capture: ");
        if (!run.ok || frames <= 0.0) {
            std::printf("--jobs %s failed: %s\n", jobs.c_str(), run.stderrText.c_str());
            continue;
        }
        const double rate = frames / run.wall;
        if (jobs == "1") {
            singleFps = rate;
            singlePeak = run.peakKb;
        }
        // Processor time over wall time: the cores kept busy on average. One
        // process already keeps more than one busy (the driver's drawing
        // threads, the PNG encoder), which bounds what more processes gain.
        std::printf("--jobs %-2s %4.0f frames in %6.1f s: %5.2f frames a second (%.2f x one process), "
                    "processor %.1f s (%.2f cores busy), peak of one process %ld MB (%.2f x one process's)\n",
                    jobs.c_str(), frames, run.wall, rate, singleFps > 0.0 ? rate / singleFps : 0.0, run.cpu,
                    run.cpu / run.wall, run.peakKb / 1024,
                    singlePeak > 0 ? static_cast<double>(run.peakKb) / singlePeak : 0.0);
        std::printf("metric: capture_jobs%s_fps %.2f frames/s\n", jobs.c_str(), rate);
        std::printf("metric: capture_jobs%s_vs_jobs1 %.2f x\n", jobs.c_str(), singleFps > 0.0 ? rate / singleFps : 0.0);
        std::printf("metric: capture_jobs%s_peak_mb %.0f MB\n", jobs.c_str(), run.peakKb / 1024.0);
    }
}

void MeasureStartUp(const std::string& dir, const std::string& capture, bool blur) {
    // 157 s and 290 s lie in blurred stretches of passes 5 and 9 (the blur
    // is on from 6 to 13.5 s and from 19.5 to 22.5 s of each 30 s pass).
    for (const int second : {1, 150, 157, 290, 299}) {
        // One frame a second: part K of 300 starts K seconds into the show.
        const Outcome run = Run(dir, capture + " -r 1 --part " + std::to_string(second) + "/300 -o starts");
        const double runUp = ReadNumberAfter(run.stderrText, "run up in ");
        if (!run.ok || runUp < 0.0) {
            std::printf("part at %d s failed: %s\n", second, run.stderrText.c_str());
            continue;
        }
        const size_t at = run.stderrText.find("run up in ");
        const size_t end = run.stderrText.find('\n', at);
        std::printf("%s, first frame at %3d s: %s (whole process %.1f s)\n", blur ? "with blur   " : "without blur",
                    second, run.stderrText.substr(at, end - at).c_str(), run.wall);
        std::printf("metric: capture_part_startup_%s_%ds %.2f s\n", blur ? "blur" : "plain", second, runUp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string fps = argc > 1 ? argv[1] : "30";
    std::vector<std::string> jobCounts;
    for (int i = 2; i < argc; ++i) {
        jobCounts.emplace_back(argv[i]);
    }
    if (jobCounts.empty()) {
        jobCounts = {"1", "2", "4"};
    }
    char dirName[] = "/tmp/halvenor-capture-jobs-XXXXXX";
    if (mkdtemp(dirName) == nullptr) {
        return 1;
    }
    const std::string dir = dirName;
    const std::string build = HALVENOR_BUILD_DIR;
    const std::string capture = build + "/halvenor-capture";
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
    if (!MakeSample(dir, build, sample)) {
        std::fprintf(stderr, "CaptureJobsSpeed: cannot make the sample show\n");
        return 1;
    }
    std::printf("the sample at 1280 x 720, 19.5 s at %s frames a second, to PNG frames:\n", fps.c_str());
    MeasureJobs(dir, capture, fps, jobCounts);
    std::printf("a part's start-up in a five-minute show at 1280 x 720:\n");
    for (const bool blur : {false, true}) {
        if (!MakeLongShow(dir, sample, blur)) {
            std::fprintf(stderr, "CaptureJobsSpeed: cannot make the five-minute show\n");
            break;
        }
        MeasureStartUp(dir, capture, blur);
    }
    Run("/tmp", "rm -rf " + dir);
    return 0;
}

// Processor time of the editing player against the plain player, on the
// sample, each a process of its own: halvenor --edit paused at 13.5 s (blur
// and saturation on, overlay shown), halvenor --edit playing from 2 s, and
// plain halvenor playing the same stretch. Each is measured over the same
// stretch of wall time once it plays, from /proc (user and system time of the
// process, its driver's threads included; the X server's share is not); the
// playing pair runs kRounds times, taking turns, and the medians count, since
// a shared machine moves single figures by a tenth either way. Prints each as
// a share of one core, and the playing editor's over the plain player's.
// Usage: AuthorCpu [seconds measured, default 8]. Needs a display: run under
// xvfb-run -a -s "-screen 0 1280x1024x24".
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kBuild = HALVENOR_BUILD_DIR;
// Plain halvenor has loaded the sample and plays 2 s of it by then.
constexpr double kPlainStartSeconds = 2.5;
constexpr int kReadyTries = 600;
constexpr int kRounds = 3;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int FreePort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(probe);
    return port;
}

pid_t Start(const std::string& dir, const std::vector<std::string>& args) {
    // The child's freopen would write out what this process still buffers.
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) {
            _exit(127);
        }
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// User and system time of a running process, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double user = 0.0;
    double system = 0.0;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) {
            user = std::atof(field.c_str());
        } else if (number == 15) {
            system = std::atof(field.c_str());
        }
    }
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool Ask(int port, const std::string& command) {
    const std::string line = "'" + kBuild + "/halvenor-ctl' --port " + std::to_string(port) + " " + command +
                             " >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
}

bool WaitReady(int port) {
    for (int i = 0; i < kReadyTries; ++i) {
        if (Ask(port, "status")) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

// Share of one core the process used over the next `seconds`.
double CoreShare(pid_t pid, double seconds) {
    const auto began = std::chrono::steady_clock::now();
    const double before = CpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double after = CpuSeconds(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return before < 0.0 || after < 0.0 ? -1.0 : 100.0 * (after - before) / wall;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

double EditorShare(const std::string& dir, std::vector<std::string> args, double seconds) {
    const int port = FreePort();
    args.insert(args.begin(), {kBuild + "/halvenor", "--edit", "--listen", std::to_string(port)});
    const pid_t pid = Start(dir, args);
    double share = -1.0;
    if (WaitReady(port)) {
        // The first frames after the start.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        share = CoreShare(pid, seconds);
        Ask(port, "quit");
    }
    Stop(pid);
    return share;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 8.0;
    char dirName[] = "/tmp/halvenor-authorcpu-XXXXXX";
    if (mkdtemp(dirName) == nullptr) {
        return 1;
    }
    const std::string dir = dirName;
    const std::string sample = std::string(HALVENOR_SOURCE_DIR) + "/shows/sample";
    const std::string make = "'" + kBuild + "/MakeSampleAssets' '" + dir + "' >/dev/null && cp '" + sample +
                             "/preconfig.txt' '" + sample + "/guion.txt' '" + dir + "'";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "AuthorCpu: cannot make the sample in %s\n", dir.c_str());
        return 1;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    const double paused = EditorShare(dir, {"--at", "13.5", "--pause"}, seconds);
    std::vector<double> editings;
    std::vector<double> playings;
    for (int round = 0; round < kRounds; ++round) {
        editings.push_back(EditorShare(dir, {"--at", "2"}, seconds));
        const pid_t plain = Start(dir, {kBuild + "/halvenor"});
        std::this_thread::sleep_for(std::chrono::duration<double>(kPlainStartSeconds));
        playings.push_back(CoreShare(plain, seconds));
        Stop(plain);
        std::printf("round %d: editor playing %.2f %%, plain %.2f %%\n", round + 1, editings.back(), playings.back());
    }
    const double editing = Median(editings);
    const double playing = Median(playings);
    std::system(("rm -rf '" + dir + "'").c_str());
    if (paused < 0.0 || *std::min_element(editings.begin(), editings.end()) < 0.0 ||
        *std::min_element(playings.begin(), playings.end()) < 0.0) {
        std::fprintf(stderr, "AuthorCpu: a player did not start or ended early\n");
        return 1;
    }
    std::printf("metric: author_paused_cpu %.2f %%\n", paused);
    std::printf("metric: author_playing_cpu %.2f %%\n", editing);
    std::printf("metric: plain_playing_cpu %.2f %%\n", playing);
    std::printf("metric: author_playing_over_plain %.3f x\n", playing > 0.0 ? editing / playing : 0.0);
    return 0;
}

// The Windows child processes (contract in ChildProcess.h): CreateProcess
// with anonymous pipes, PeekNamedPipe to wait for a child's text in short
// steps (anonymous pipes cannot be waited on), a job object that ends the
// children with the parent, WaitForSingleObject and GetExitCodeProcess,
// TerminateProcess, K32GetProcessMemoryInfo and GetModuleFileNameA. Stop sets
// a named event that the child turns into SIGINT, and a console control
// handler catches Ctrl-C, Ctrl-Break and the console's closing.
#include "platform/ChildProcess.h"

#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

namespace Platform {

namespace {

constexpr int kPeekStepMs = 10;
std::atomic<bool> interrupted{false};

HANDLE AsHandle(intptr_t value) { return reinterpret_cast<HANDLE>(value); }
intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<intptr_t>(handle); }

std::string LastError(const std::string& what) {
    return what + " (Windows error " + std::to_string(GetLastError()) + ")";
}

// One argument as the C runtime splits a command line: quoted when it holds
// a space, a tab or a quote, with backslashes doubled before a quote.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string CommandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& argument : argv) {
        line += (line.empty() ? "" : " ") + Quoted(argument);
    }
    return line;
}

bool SameName(const char* entry, const std::string& name) {
    return _strnicmp(entry, name.c_str(), name.size()) == 0;
}

// The parent's environment block with the assignments of env in place of
// variables of the same name (names ignore letter case on Windows).
std::string EnvironmentBlock(const std::vector<std::string>& env) {
    std::vector<std::string> names;
    std::string block;
    for (const std::string& assignment : env) {
        names.push_back(assignment.substr(0, assignment.find('=') + 1));
        block += assignment;
        block += '\0';
    }
    if (char* strings = GetEnvironmentStringsA()) {
        for (const char* entry = strings; *entry != '\0'; entry += std::strlen(entry) + 1) {
            bool replaced = false;
            for (const std::string& name : names) {
                replaced = replaced || SameName(entry, name);
            }
            if (!replaced) {
                block += entry;
                block += '\0';
            }
        }
        FreeEnvironmentStringsA(strings);
    }
    block += '\0';
    return block;
}

std::string StopEventName(DWORD processId) { return "Local\\halvenor-stop-" + std::to_string(processId); }

// Every child joins this job, which ends them when the parent's last handle
// to it closes, that is when the parent ends in any way.
HANDLE ChildrenJob() {
    static const HANDLE job = [] {
        const HANDLE made = CreateJobObjectA(nullptr, nullptr);
        if (made != nullptr) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        return made;
    }();
    return job;
}

// A handle of the parent's own for the child to inherit; null when there is none.
HANDLE Inheritable(DWORD standard) {
    const HANDLE own = GetStdHandle(standard);
    HANDLE copy = nullptr;
    if (own == nullptr || own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

void CloseIfOpen(HANDLE handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
}

struct Launch {
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    HANDLE error = nullptr;
    DWORD flags = 0;
    const char* directory = nullptr;
    std::string environment;  // empty: the parent's
};

// Starts the program suspended, in the children's job, with the given
// standard handles; closes them in the parent either way.
bool Create(const std::vector<std::string>& argv, const Launch& launch, PROCESS_INFORMATION& info,
            std::string& error) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = launch.input;
    startup.hStdOutput = launch.output;
    startup.hStdError = launch.error;
    std::string line = CommandLine(argv);
    std::string environment = launch.environment;
    const BOOL made = CreateProcessA(argv[0].c_str(), &line[0], nullptr, nullptr, TRUE,
                                     launch.flags | CREATE_SUSPENDED, environment.empty() ? nullptr : &environment[0],
                                     launch.directory, &startup, &info);
    if (!made) {
        error = LastError("cannot start " + argv[0]);
    }
    CloseIfOpen(launch.input);
    CloseIfOpen(launch.output);
    CloseIfOpen(launch.error);
    if (made && ChildrenJob() != nullptr) {
        AssignProcessToJobObject(ChildrenJob(), info.hProcess);
    }
    return made != FALSE;
}

// A pipe whose one end the child inherits; the parent's end is not inherited.
bool MakePipe(HANDLE& read, HANDLE& write, bool childReads, std::string& error) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, 0)) {
        error = LastError("cannot make a pipe");
        return false;
    }
    SetHandleInformation(childReads ? write : read, HANDLE_FLAG_INHERIT, 0);
    return true;
}

HANDLE NullDevice(DWORD access) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

BOOL WINAPI NoteInterrupt(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        interrupted = true;
        return TRUE;
    }
    return FALSE;
}

}  // namespace

ChildProcess::~ChildProcess() {
    CloseInput();
    if (process != kNone) {
        Kill();
        Wait();
    }
    if (errorPipe != kNone) {
        CloseHandle(AsHandle(errorPipe));
    }
    if (stopEvent != kNone) {
        CloseHandle(AsHandle(stopEvent));
    }
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         std::string& error) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (argv.empty() || !MakePipe(read, write, false, error)) {
        return false;
    }
    Launch launch;
    launch.input = NullDevice(GENERIC_READ);
    launch.output = Inheritable(STD_OUTPUT_HANDLE);
    launch.error = write;
    // Its own group: a Ctrl-C at the console reaches the parent alone.
    launch.flags = CREATE_NEW_PROCESS_GROUP;
    launch.environment = EnvironmentBlock(env);
    PROCESS_INFORMATION info{};
    if (!Create(argv, launch, info, error)) {
        CloseHandle(read);
        return false;
    }
    // The event exists before the child runs, so that no request is lost.
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, StopEventName(info.dwProcessId).c_str());
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process = FromHandle(info.hProcess);
    errorPipe = FromHandle(read);
    stopEvent = event != nullptr ? FromHandle(event) : kNone;
    return true;
}

bool ChildProcess::StartWithInput(const std::vector<std::string>& argv, std::string& error) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (argv.empty() || !MakePipe(read, write, true, error)) {
        return false;
    }
    Launch launch;
    launch.input = read;
    launch.output = Inheritable(STD_OUTPUT_HANDLE);
    launch.error = Inheritable(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    if (!Create(argv, launch, info, error)) {
        CloseHandle(write);
        return false;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process = FromHandle(info.hProcess);
    inputPipe = FromHandle(write);
    return true;
}

bool ChildProcess::WriteInput(const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        if (inputPipe == kNone) {
            return false;
        }
        const DWORD step = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(AsHandle(inputPipe), next, step, &written, nullptr)) {
            return false;
        }
        next += written;
        size -= written;
    }
    return true;
}

void ChildProcess::CloseInput() {
    if (inputPipe != kNone) {
        CloseHandle(AsHandle(inputPipe));
        inputPipe = kNone;
    }
}

void ChildProcess::WaitForText(const std::vector<ChildProcess*>& children, int timeoutMs) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        for (const ChildProcess* child : children) {
            if (child->errorPipe == kNone) {
                continue;
            }
            DWORD available = 0;
            if (!PeekNamedPipe(AsHandle(child->errorPipe), nullptr, 0, nullptr, &available, nullptr) ||
                available > 0) {
                return;
            }
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= until) {
            return;
        }
        Sleep(static_cast<DWORD>(until - now < kPeekStepMs ? until - now : kPeekStepMs));
    }
}

bool ChildProcess::ReadLines(std::vector<std::string>& lines) {
    if (errorPipe == kNone) {
        return false;
    }
    char chunk[4096];
    for (;;) {
        DWORD available = 0;
        DWORD got = 0;
        const bool open = PeekNamedPipe(AsHandle(errorPipe), nullptr, 0, nullptr, &available, nullptr) != FALSE;
        if (open && available == 0) {
            return true;
        }
        if (open && ReadFile(AsHandle(errorPipe), chunk, available < sizeof chunk ? available : sizeof chunk, &got,
                             nullptr) && got > 0) {
            for (DWORD i = 0; i < got; ++i) {
                // A progress line rewritten in place ends at its carriage return.
                if (chunk[i] == '\n' || chunk[i] == '\r') {
                    if (!partial.empty()) {
                        lines.push_back(partial);
                    }
                    partial.clear();
                } else if (partial.size() < kMaxLine) {
                    partial.push_back(chunk[i]);
                }
            }
            continue;
        }
        // The end: the last line, even without its line end.
        if (!partial.empty()) {
            lines.push_back(partial);
            partial.clear();
        }
        CloseHandle(AsHandle(errorPipe));
        errorPipe = kNone;
        return false;
    }
}

void ChildProcess::Stop() {
    if (process == kNone) {
        return;
    }
    if (stopEvent == kNone || !SetEvent(AsHandle(stopEvent))) {
        TerminateProcess(AsHandle(process), 128 + SIGTERM);
    }
}

void ChildProcess::Kill() {
    if (process != kNone) {
        // As a child ended by SIGKILL answers on Linux.
        TerminateProcess(AsHandle(process), 128 + 9);
    }
}

int ChildProcess::Wait() {
    if (process == kNone) {
        return -1;
    }
    const HANDLE handle = AsHandle(process);
    WaitForSingleObject(handle, INFINITE);
    DWORD status = 0;
    const bool known = GetExitCodeProcess(handle, &status) != FALSE;
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (K32GetProcessMemoryInfo(handle, &memory, sizeof memory)) {
        peakKilobytes = static_cast<long>(memory.PeakWorkingSetSize / 1024);
    }
    CloseHandle(handle);
    process = kNone;
    return known ? static_cast<int>(status) : -1;
}

int ChildProcess::RunToEnd(const std::vector<std::string>& argv, const std::string& directory, bool discardOutput) {
    if (argv.empty()) {
        return -1;
    }
    Launch launch;
    launch.input = Inheritable(STD_INPUT_HANDLE);
    launch.output = discardOutput ? NullDevice(GENERIC_WRITE) : Inheritable(STD_OUTPUT_HANDLE);
    launch.error = Inheritable(STD_ERROR_HANDLE);
    launch.directory = directory.empty() ? nullptr : directory.c_str();
    PROCESS_INFORMATION info{};
    std::string error;
    if (!Create(argv, launch, info, error)) {
        return -1;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD status = 0;
    const bool known = GetExitCodeProcess(info.hProcess, &status) != FALSE;
    CloseHandle(info.hProcess);
    return known ? static_cast<int>(status) : -1;
}

std::string ChildProcess::OwnProgram() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

// Every process shares the desktop.
std::string ChildProcess::DisplayServer() { return std::string(); }

void ChildProcess::CatchInterrupts() { SetConsoleCtrlHandler(NoteInterrupt, TRUE); }

bool ChildProcess::Interrupted() { return interrupted; }

void ChildProcess::ObeyStopRequests() {
    const HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, StopEventName(GetCurrentProcessId()).c_str());
    if (event == nullptr) {
        return;
    }
    // A request to quit, as Ctrl-C is: the program's own SIGINT handling
    // (SDL's) ends it cleanly.
    std::thread([event] {
        if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0) {
            std::raise(SIGINT);
        }
        CloseHandle(event);
    }).detach();
}

// A write to a pipe whose reader has gone fails with an error on Windows.
void ChildProcess::IgnoreBrokenPipes() {}

}  // namespace Platform

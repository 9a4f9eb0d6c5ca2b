// The directory watches on Windows (contract in DirectoryWatches.h): one
// directory handle per watch (CreateFileA with FILE_FLAG_OVERLAPPED), one
// ReadDirectoryChangesW always pending on it, and GetOverlappedResult asked
// without waiting, so the frame loop never blocks on a watch.
#include "platform/DirectoryWatches.h"

#include <windows.h>

#include <cstdio>
#include <map>

namespace {

// Every way a save can reach a file's name: renamed, made or deleted (file
// name), written (size, last write), touched (attributes, creation); and the
// directory names, so a folder renamed over a watched name is seen too.
constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                           FILE_NOTIFY_CHANGE_CREATION;

// Room for the changes of one frame; when more come, the system says the
// buffer overflowed and every watched file counts as changed.
constexpr DWORD kBufferBytes = 16 * 1024;

struct Watch {
    HANDLE directory = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    bool reading = false;
    // ReadDirectoryChangesW wants its records DWORD-aligned.
    alignas(DWORD) unsigned char buffer[kBufferBytes];
};

std::string SystemMessage(DWORD code) {
    char text[256];
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                          text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                                message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) {
        char number[32];
        std::snprintf(number, sizeof number, "system error %lu", static_cast<unsigned long>(code));
        message = number;
    }
    return message;
}

bool StartReading(Watch& watch) {
    ::ResetEvent(watch.overlapped.hEvent);
    watch.reading = ::ReadDirectoryChangesW(watch.directory, watch.buffer, kBufferBytes, FALSE, kChanges, nullptr,
                                            &watch.overlapped, nullptr) != 0;
    return watch.reading;
}

// A pending read must be over before its buffer goes: cancelled, then
// waited for (a cancel completes at once).
void StopReading(Watch& watch) {
    if (watch.reading) {
        ::CancelIoEx(watch.directory, &watch.overlapped);
        DWORD bytes = 0;
        ::GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, TRUE);
        watch.reading = false;
    }
}

void Close(Watch* watch) {
    StopReading(*watch);
    if (watch->directory != INVALID_HANDLE_VALUE) {
        ::CloseHandle(watch->directory);
    }
    if (watch->overlapped.hEvent != nullptr) {
        ::CloseHandle(watch->overlapped.hEvent);
    }
    delete watch;
}

std::string Narrow(const WCHAR* name, DWORD bytes) {
    const int wide = static_cast<int>(bytes / sizeof(WCHAR));
    const int length = ::WideCharToMultiByte(CP_ACP, 0, name, wide, nullptr, 0, nullptr, nullptr);
    std::string narrow(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, name, wide, &narrow[0], length, nullptr, nullptr);
    }
    return narrow;
}

// The records of one finished read, each name once per record.
void TakeRecords(const Watch& watch, int number, DWORD bytes, std::vector<DirectoryWatches::Event>& events) {
    DWORD at = 0;
    while (at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes) {
        const auto* record = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(watch.buffer + at);
        const DWORD nameOffset = static_cast<DWORD>(offsetof(FILE_NOTIFY_INFORMATION, FileName));
        if (at + nameOffset + record->FileNameLength > bytes) {
            break;  // a record cut short: what came before stands
        }
        events.push_back({DirectoryWatches::Happened::Name, number, Narrow(record->FileName, record->FileNameLength)});
        if (record->NextEntryOffset == 0) {
            break;
        }
        at += record->NextEntryOffset;
    }
}

}  // namespace

struct DirectoryWatches::System {
    std::map<int, Watch*> watches;
    int next = 1;
};

DirectoryWatches::DirectoryWatches() : system(new System) {}

DirectoryWatches::~DirectoryWatches() {
    for (auto& entry : system->watches) {
        Close(entry.second);
    }
    delete system;
}

bool DirectoryWatches::Usable(std::string* /*why*/) const { return true; }

int DirectoryWatches::Add(const std::string& absolute, std::string* why) {
    Watch* watch = new Watch;
    watch->directory = ::CreateFileA(absolute.c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    watch->overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (watch->directory == INVALID_HANDLE_VALUE || watch->overlapped.hEvent == nullptr || !StartReading(*watch)) {
        const DWORD code = ::GetLastError();
        if (why != nullptr) {
            *why = SystemMessage(code);
        }
        Close(watch);
        return -1;
    }
    const int number = system->next++;
    system->watches[number] = watch;
    return number;
}

void DirectoryWatches::Remove(int number) {
    const auto found = system->watches.find(number);
    if (found != system->watches.end()) {
        Close(found->second);
        system->watches.erase(found);
    }
}

void DirectoryWatches::Read(std::vector<Event>& events) {
    for (auto it = system->watches.begin(); it != system->watches.end();) {
        Watch& watch = *it->second;
        const int number = it->first;
        DWORD bytes = 0;
        bool gone = !watch.reading;
        if (watch.reading) {
            if (!::GetOverlappedResult(watch.directory, &watch.overlapped, &bytes, FALSE)) {
                const DWORD code = ::GetLastError();
                if (code == ERROR_IO_INCOMPLETE) {
                    ++it;
                    continue;  // nothing yet
                }
                watch.reading = false;
                if (code == ERROR_NOTIFY_ENUM_DIR) {
                    events.push_back({Happened::Overflow, number, std::string()});
                } else {
                    gone = true;  // the directory went away or cannot be read
                }
            } else {
                watch.reading = false;
                if (bytes == 0) {
                    // More changed than the buffer holds.
                    events.push_back({Happened::Overflow, number, std::string()});
                } else {
                    TakeRecords(watch, number, bytes, events);
                }
            }
        }
        if (gone || !StartReading(watch)) {
            events.push_back({Happened::Gone, number, std::string()});
            Close(it->second);
            it = system->watches.erase(it);
        } else {
            ++it;
        }
    }
}

bool DirectoryWatches::Absolute(const std::string& directory, std::string* absolute) {
    // "C:" alone is the working folder of drive C; "C:\" is meant.
    const std::string asked = directory.size() == 2 && directory[1] == ':' ? directory + "\\" : directory;
    char full[MAX_PATH];
    const DWORD length = ::GetFullPathNameA(asked.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    *absolute = std::string(full, length);
    return true;
}

size_t DirectoryWatches::LastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string DirectoryWatches::NameKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

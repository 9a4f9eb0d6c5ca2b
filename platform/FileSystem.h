// Stands in for the Windows file-name rules and text-mode reading, and gives
// the engine and its tools the few other file system services they use.
//
// Contract: every file the engine opens goes through ResolvePath, and only
// regular files open. Backslashes
// separate directories, as in shows authored on Windows ("texturas\\font.jpg").
// A path that exists as written is used as written; otherwise each component is
// matched case-insensitively against the directory that holds it, because
// shows were authored on a case-insensitive file system. Components that match
// nothing (a file about to be created) are kept as written.
//
// ReadTextLine is fgets in Windows text mode: a carriage return directly before
// a line feed is dropped, so "a\r\n" reads as "a\n" and the length limit counts
// the translated characters.
//
// On Linux (platform/posix/) these are the POSIX calls (stat, opendir, mkdir,
// mkstemps, rename, link, getcwd, chdir, isatty). On Windows (platform/win32/)
// they are the C runtime's calls in the ANSI code page, as the shows' file
// names are spelt (_stat64, _open, _findfirst64, _mkdir, _getcwd, _isatty)
// and Win32 (GetTempPathA, MoveFileExA with MOVEFILE_REPLACE_EXISTING,
// CreateHardLinkA, GetConsoleMode). Files always open in binary mode there
// ("r" reads as "rb"), so that line ends are the engine's own business, as on
// Linux, and the files it writes are byte for byte the same. Devices (CON,
// NUL ...) count as no regular file there, as /dev/zero does here.
#ifndef HALVENOR_PLATFORM_FILESYSTEM_H
#define HALVENOR_PLATFORM_FILESYSTEM_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Platform {

std::string ResolvePath(const char* name);

// fopen on the resolved path; the mode is passed through ("r", "rb", "w", "a").
// Only regular files open: a name from a show file never reaches standard
// input ("-" is a file name like any other), a device, a FIFO or a directory.
FILE* OpenFile(const char* name, const char* mode);

// A read-only descriptor of the resolved path when it is a regular file, for
// libraries that take descriptors; -1 otherwise. The caller closes it.
int OpenRegularFile(const char* name);

// The first bytes of a descriptor's file, read from its start whatever its
// offset: fewer when the file is shorter or a read fails.
std::string ReadFromDescriptor(int descriptor, uint64_t bytes);

// fgets with text-mode line ends: reads at most size - 1 characters, stops
// after a line feed, terminates the buffer. Null at the end of the file when
// nothing was read.
char* ReadTextLine(char* buffer, int size, FILE* file);

// Reads the whole file as bytes. False when it cannot be opened or read.
bool ReadWholeFile(const char* name, std::string& contents);

// Drops every carriage return that stands directly before a line feed.
void ToTextMode(std::string& contents);

// The names of the regular files in a directory (after the path rules; ""
// is the working directory), in no particular order; empty when it cannot be
// read.
std::vector<std::string> ListFiles(const char* directory);

// Puts a finished file in the place of another in one step: the file at to
// is either the old one or the new one, never a half-written one. The new
// file's bytes reach the disk first. False (from left as it was) when it
// cannot be done.
bool ReplaceFile(const char* from, const char* to);

// Whether the path names a regular file, a directory, or anything at all
// (as written: no resolution). FileSize is a regular file's size, -1 when it
// has none.
bool IsRegularFile(const std::string& path);
bool IsDirectory(const std::string& path);
bool PathExists(const std::string& path);
long long FileSize(const std::string& path);

// The size of an open file, 0 when it cannot be told; the same for a
// descriptor from OpenRegularFile, which CloseDescriptor closes.
long long SizeOfOpenFile(FILE* file);
long long SizeOfDescriptor(int descriptor);
void CloseDescriptor(int descriptor);

// Whether this process may read / write the path (access R_OK / W_OK; on
// Windows, whether it exists and, for writing, is not read-only).
bool CanRead(const std::string& path);
bool CanWrite(const std::string& path);

// Whether two paths name one file (the same device and inode; on Windows the
// same volume and file index).
bool SameFile(const std::string& first, const std::string& second);

// What tells one version of a regular file from another: which file it is
// (device and inode; on Windows volume serial number and file index), its
// size and when it was last written. False when the path is no regular file.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedSeconds = 0;
    int64_t modifiedNanoseconds = 0;
};
bool StampOf(const std::string& path, FileStamp& stamp);

// Every entry of a directory but "." and "..", in the order the system
// gives them; empty when it cannot be read.
std::vector<std::string> ListDirectory(const std::string& directory);

// Makes one directory. True when it was made or the name already exists
// (mkdir's EEXIST: the caller checks that it is a directory when it
// matters); false otherwise, with errno telling why.
bool MakeDirectory(const std::string& path);

// Removes a file; false when it cannot be removed.
bool RemoveFile(const std::string& path);

// A hard link to a file at another name, where the file system has them;
// false otherwise (the caller copies instead).
bool LinkFile(const std::string& from, const std::string& to);

// Whether the path starts at a root ("/..." ; on Windows also "C:/...",
// "C:\\..." and "\\\\server\\...").
bool IsAbsolutePath(const std::string& path);

// The working directory with '/' between its components; empty when it
// cannot be told. ChangeDirectory enters another; false when it cannot.
std::string CurrentDirectory();
bool ChangeDirectory(const std::string& path);

// The folder for temporary files: $TMPDIR or /tmp on Linux, GetTempPath on
// Windows (without its trailing separator).
std::string TemporaryDirectory();

// Creates a new empty file directory/prefixXXXXXXsuffix with a name no other
// file has, and answers that name; empty when it cannot be made.
std::string MakeTemporaryFile(const std::string& directory, const std::string& prefix, const std::string& suffix);

// Whether standard error is a terminal (a console on Windows), where a
// progress line may be rewritten in place.
bool StandardErrorIsTerminal();

// The file of a program named on the PATH, as a shell would find it, or
// empty. On Windows the name gets ".exe", the folder of the running program
// is looked in first, and the PATH's separator is ';'.
std::string FindProgram(const std::string& name);

// A program's file name as the system spells it: the name itself on Linux,
// name + ".exe" on Windows.
std::string ProgramFileName(const std::string& name);

// How a user gets a missing program that the system's packages provide (the
// package is named as the program): "Debian: apt-get install NAME" on Linux,
// "put NAME.exe in a folder on the PATH or beside this program" on Windows.
std::string InstallHint(const std::string& name);

}  // namespace Platform

#endif

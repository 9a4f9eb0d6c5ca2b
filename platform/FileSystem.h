// Stands in for the Windows file-name rules and text-mode reading.
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

}  // namespace Platform

#endif

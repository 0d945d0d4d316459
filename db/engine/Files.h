// What the messages say about files: why a system call failed, in Spanish, and
// what a path names when it is not a regular file. A database or a BIN file must
// be a regular file: a folder cannot be read as one, a named pipe (FIFO) blocks
// whoever opens it until someone writes to it, and a device is no file at all.
#pragma once

#include <sys/stat.h>

#include <string>

namespace pelmora::engine {

// Why the system error `error` (an errno value) happened, in Spanish.
std::string systemReason(int error);

// "es una carpeta", "es una tubería con nombre (FIFO)", "es un dispositivo",
// "es un socket"; empty for a regular file.
std::string notRegularFile(mode_t mode);

// The same device and inode: one file, whatever the spelling of its paths.
inline bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace pelmora::engine

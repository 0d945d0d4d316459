// Plain file operations of the writer, each retried on interruption and failing
// with the engine's Spanish error: a full disk is called a full disk.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::engine::jet {

// A file descriptor closed when it goes.
class OwnedFd {
  public:
    explicit OwnedFd(int fd = -1) : fd_(fd) {}
    ~OwnedFd() { reset(); }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    explicit operator bool() const { return fd_ >= 0; }
    int get() const { return fd_; }
    void reset(int fd = -1);
    // Gives up the descriptor without closing it.
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

// Throws "<what>: <reason>" for the system error `error`.
[[noreturn]] void ioFailure(const std::string& what, int error);

// Reads `length` bytes at `at`; a short read names `file` as cut short.
void readExactly(int fd, uint8_t* into, size_t length, off_t at, const std::string& file);
void writeExactly(int fd, const uint8_t* from, size_t length, off_t at, const std::string& what);
// Appends the bytes at the descriptor's position.
void writeAll(int fd, const std::vector<uint8_t>& bytes, const std::string& what);
// Flushes a file's data to the disk. The environment variable
// PELMORA_SIN_SINCRONIZAR=1 (the test suite's, whose kills of processes leave
// the system's cache in place) turns every flush off.
void syncData(int fd, const std::string& what);
bool syncsWanted();

// The whole content of a file (empty when it cannot be read).
std::vector<uint8_t> readWholeFile(const std::string& path);

}  // namespace pelmora::engine::jet

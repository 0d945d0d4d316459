// Preloaded into a child process to kill it at an exact point of its writing:
// every call that changes a file (a write to a regular file, a truncation, a
// flush, an unlink, a rename) is counted, and the process is killed by SIGKILL just
// before call number PELMORA_MATAR_EN; with PELMORA_MATAR_MITAD=1, a write at
// that point puts down its first half before the kill, as a power cut may
// leave it. With PELMORA_MATAR_CUENTA naming a
// file, the number of such calls made is written there at exit, so that a test
// can try every point. No other behaviour changes.
#include <dlfcn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> calls{0};

long killAt() {
    static const long at = [] {
        const char* text = std::getenv("PELMORA_MATAR_EN");
        return text ? std::atol(text) : 0L;
    }();
    return at;
}

// Counts a call; at the chosen one, kills the process, after writing the first
// half of `data` through `writeHalf` when halves are asked for.
template <typename WriteHalf>
void counted(size_t size, WriteHalf writeHalf) {
    if (++calls != killAt()) return;
    const char* half = std::getenv("PELMORA_MATAR_MITAD");
    if (half && *half == '1' && size > 1) writeHalf(size / 2);
    raise(SIGKILL);
}

void counted() {
    counted(0, [](size_t) {});
}

bool regularFile(int fd) {
    struct stat st {};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

struct Report {
    ~Report() {
        if (const char* path = std::getenv("PELMORA_MATAR_CUENTA"))
            if (FILE* out = std::fopen(path, "w")) {
                std::fprintf(out, "%ld\n", calls.load());
                std::fclose(out);
            }
    }
} report;

}  // namespace

extern "C" {

ssize_t write(int fd, const void* data, size_t size) {
    static auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    if (regularFile(fd)) counted(size, [&](size_t half) { next(fd, data, half); });
    return next(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
    static auto next = real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    counted(size, [&](size_t half) { next(fd, data, half, at); });
    return next(fd, data, size, at);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t at) {
    static auto next = real<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    counted(size, [&](size_t half) { next(fd, data, half, at); });
    return next(fd, data, size, at);
}

int ftruncate(int fd, off_t size) {
    static auto next = real<int (*)(int, off_t)>("ftruncate");
    counted();
    return next(fd, size);
}

int ftruncate64(int fd, off64_t size) {
    static auto next = real<int (*)(int, off64_t)>("ftruncate64");
    counted();
    return next(fd, size);
}

int fsync(int fd) {
    static auto next = real<int (*)(int)>("fsync");
    counted();
    return next(fd);
}

int fdatasync(int fd) {
    static auto next = real<int (*)(int)>("fdatasync");
    counted();
    return next(fd);
}

int truncate(const char* path, off_t size) {
    static auto next = real<int (*)(const char*, off_t)>("truncate");
    counted();
    return next(path, size);
}

int rename(const char* from, const char* to) noexcept {
    static auto next = real<int (*)(const char*, const char*)>("rename");
    counted();
    return next(from, to);
}

int unlink(const char* path) {
    static auto next = real<int (*)(const char*)>("unlink");
    counted();
    return next(path);
}

}  // extern "C"

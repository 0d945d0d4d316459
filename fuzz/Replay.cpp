// The plain driver of a fuzz target, for builds without libFuzzer: runs the target
// once on every file named on the command line or found under a folder named there,
// in name order. An input that ends in a crash is named on standard error first.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace fs = std::filesystem;

namespace {

// The input being run, for the crash report; kept as a C string for the signal handler.
char current[4096] = "";

void say(const char* text) {
    if (write(STDERR_FILENO, text, std::strlen(text)) < 0) return;
}

// Crash reports run on a stack of their own, so that a stack overflow is reported too.
void onCrashes(void (*handler)(int)) {
    static std::vector<char> stack(1 << 16);
    stack_t alternate{};
    alternate.ss_sp = stack.data();
    alternate.ss_size = stack.size();
    sigaltstack(&alternate, nullptr);
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_ONSTACK;
    for (int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) sigaction(s, &action, nullptr);
}

void onCrash(int signal) {
    say("Fallo con la entrada: ");
    say(current);
    say("\n");
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void onUncaught() {
    say("Excepción no capturada");
    try {
        if (auto e = std::current_exception()) std::rethrow_exception(e);
    } catch (const std::exception& e) {
        say(": ");
        say(e.what());
    } catch (...) {
    }
    say("\n");
    std::abort();
}

std::vector<fs::path> inputs(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path given(argv[i]);
        if (!fs::is_directory(given)) {
            files.push_back(given);
            continue;
        }
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(given))
            if (entry.is_regular_file()) found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

std::vector<uint8_t> contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "No se puede leer la entrada «%s»\n", file.c_str());
        std::exit(2);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Uso: %s FICHERO_O_CARPETA...\n", argv[0]);
        return 2;
    }
    std::set_terminate(onUncaught);
    onCrashes(onCrash);
    const std::vector<fs::path> files = inputs(argc, argv);
    for (const fs::path& file : files) {
        std::snprintf(current, sizeof current, "%s", file.c_str());
        const std::vector<uint8_t> bytes = contents(file);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%s: %zu entradas sin fallos\n", fs::path(argv[0]).filename().c_str(),
                files.size());
    return 0;
}

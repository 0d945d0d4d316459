// The scratch folder, file writing and findings of the fuzz targets.
#include "fuzz/FuzzTarget.h"

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace pelmora::fuzz {
namespace {

class Scratch {
  public:
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pelmora-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp: " + pattern);
        folder_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
};

}  // namespace

const std::filesystem::path& scratch() {
    static const Scratch folder;
    return folder.folder();
}

void writeFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) finding("no se pudo escribir la entrada en " + path.string());
}

void finding(const std::string& what) {
    std::fprintf(stderr, "HALLAZGO: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

void requireNamesFile(const std::string& message, const std::string& path) {
    if (message.find(path) == std::string::npos)
        finding("un error no nombra el fichero «" + path + "»: " + message);
}

}  // namespace pelmora::fuzz

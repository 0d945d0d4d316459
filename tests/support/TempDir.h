// A temporary folder for one test, removed with everything in it when the test ends,
// and writable copies of the shared (read-only) fixture files.
#pragma once

#include <filesystem>
#include <string>

namespace pelmora::prueba {

// Copies `source` to `destination` (replacing it), readable and writable by its owner
// whatever the source's mode.
void copyWritable(const std::filesystem::path& source, const std::filesystem::path& destination);

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // The path of a file in the folder (not created).
    std::string path(const std::string& name) const { return (root_ / name).string(); }
    // A writable copy of `source` in the folder, under `name`; its path.
    std::string writableCopy(const std::filesystem::path& source, const std::string& name) const {
        copyWritable(source, path(name));
        return path(name);
    }

  private:
    std::filesystem::path root_;
};

}  // namespace pelmora::prueba

// A temporary folder for one test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace pelmora::prueba {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // The path of a file in the folder (not created).
    std::string path(const std::string& name) const { return (root_ / name).string(); }

  private:
    std::filesystem::path root_;
};

}  // namespace pelmora::prueba

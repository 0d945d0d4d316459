#include "tests/support/TempDir.h"

#include <stdlib.h>

#include <stdexcept>

namespace pelmora::prueba {

void copyWritable(const std::filesystem::path& source, const std::filesystem::path& destination) {
    std::filesystem::copy_file(source, destination,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(
        destination, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pelmora-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp: " + pattern);
    root_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files and folders left by a test must go too.
    for (auto& entry : std::filesystem::recursive_directory_iterator(root_, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(root_, ec);
}

}  // namespace pelmora::prueba

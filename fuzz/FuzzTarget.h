// What the fuzz targets share: the entry point each defines, a scratch folder of
// the process where inputs become files, and the way a target reports a finding
// (an outcome that is neither a normal end nor a clear error) so that it stops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// Runs one input; returns 0. Defined by each target, called by libFuzzer or by the
// replay driver (Replay.cpp).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace pelmora::fuzz {

// A folder of this process under the system's temporary folder, made on first use
// and removed when the process ends normally.
const std::filesystem::path& scratch();

// Writes the bytes as the file `path`, replacing it.
void writeFile(const std::filesystem::path& path, const uint8_t* data, size_t size);

// Reports `what` on standard error and aborts, so that the fuzzer keeps the input.
[[noreturn]] void finding(const std::string& what);

// A clear error names the file it is about: a finding when `message` does not
// mention `path`.
void requireNamesFile(const std::string& message, const std::string& path);

}  // namespace pelmora::fuzz

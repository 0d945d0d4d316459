// Access 2000-2003 and 2010+ codes from the Jackcess code lists (see Codes2000.h). One
// line per character: a kind letter, then comma-separated hex codes (a leading
// zero digit dropped): S and G inline; I inline,extra; U and P extra;
// Z inline,extra, 1 for flag 2 or empty for flag 3; X nothing.
#include "tools/codigos-orden/Codes2000.h"

#include <fstream>
#include <stdexcept>

namespace pelmora::codigos {

using engine::jet::SortCode;
using engine::jet::SortCodeRun;

namespace {

constexpr size_t kLowCount = 0x100;
constexpr size_t kHighCount = 0x10000 - 0x100 - 0x800;  // without the surrogates

std::vector<std::string> readLines(const std::string& path, size_t count) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("No se puede leer " + path);
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < count && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    if (lines.size() != count) throw std::runtime_error(path + ": faltan líneas");
    return lines;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 1;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        out.push_back(line.substr(start, comma - start));
    out.push_back(line.substr(start));
    return out;
}

// Bytes and value of a hex code whose leading zero digit may be missing.
void hex(const std::string& digits, uint8_t& length, uint32_t& value) {
    length = static_cast<uint8_t>((digits.size() + 1) / 2);
    value = digits.empty() ? 0 : static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
}

SortCode parse(const std::string& line) {
    if (line.empty()) throw std::runtime_error("línea vacía en la lista de códigos");
    SortCode code{line[0], 0, 0, 0, 0, 0};
    const auto f = fields(line);
    uint32_t extra = 0;
    if (code.kind == 'S' || code.kind == 'G' || code.kind == 'I' || code.kind == 'Z')
        hex(f[0], code.inlineLength, code.inlineCode);
    if (code.kind == 'I' || code.kind == 'Z') hex(f.at(1), code.extraLength, extra);
    if (code.kind == 'U' || code.kind == 'P') hex(f[0], code.extraLength, extra);
    if (code.kind == 'Z') code.flag = f.at(2) == "1" ? 2 : 3;
    code.extra = static_cast<uint16_t>(extra);
    return code;
}

// Whether `code` continues `run` at its next character.
bool continues(const SortCodeRun& run, const SortCode& code) {
    const SortCode& r = run.code;
    const uint32_t inlineCode = r.inlineLength ? r.inlineCode + run.count : r.inlineCode;
    return r.kind == code.kind && r.inlineLength == code.inlineLength &&
           inlineCode == code.inlineCode && r.extraLength == code.extraLength &&
           r.extra == code.extra && r.flag == code.flag;
}

void append(std::vector<SortCodeRun>& runs, char16_t c, const SortCode& code) {
    if (!runs.empty() && runs.back().first + runs.back().count == c && continues(runs.back(), code))
        ++runs.back().count;
    else
        runs.push_back({c, 1, code});
}

}  // namespace

std::vector<SortCodeRun> readRuns(const std::string& folder, const std::string& list) {
    const auto low = readLines(folder + "/index_codes_" + list + ".txt", kLowCount);
    const auto high = readLines(folder + "/index_codes_ext_" + list + ".txt", kHighCount);
    std::vector<SortCodeRun> runs;
    char32_t c = 0;
    for (const auto* lines : {&low, &high})
        for (const auto& line : *lines) {
            if (c == 0xD800) c = 0xE000;
            append(runs, static_cast<char16_t>(c++), parse(line));
        }
    return runs;
}

std::vector<SortCode> readList97(const std::string& folder) {
    std::vector<SortCode> codes;
    for (const auto& line : readLines(folder + "/index_codes_gen_97.txt", 256))
        codes.push_back(parse(line));
    return codes;
}

}  // namespace pelmora::codigos

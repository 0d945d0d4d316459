// The text of SortCodeTables.cpp (see Output.h), as the engine commits it.
#include "tools/codigos-orden/Output.h"

#include <cstdio>

namespace pelmora::codigos {

using engine::jet::SortCode;

namespace {

std::string format(const char* pattern, auto... values) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

std::string codeText(const SortCode& c) {
    return format("{'%c', %u, 0x%X, %u, 0x%X, %u}", c.kind, unsigned{c.inlineLength},
                  unsigned{c.inlineCode}, unsigned{c.extraLength}, unsigned{c.extra},
                  unsigned{c.flag});
}

std::string line97(const Codes97& codes, size_t byte) {
    return "    " + codeText(codes.byByte[byte]) + format(",  // 0x%02X\n", unsigned(byte));
}

}  // namespace

std::string fileStart() {
    return R"(// Generated data: the code of every character in the General sort order, as
// Access writes text into index entries (see SortCodes.h for what the fields mean).
// Access 2000-2003: runs of consecutive UTF-16 characters (surrogates are computed);
// within a run the inline code grows by one from character to character. Source: the
// Jackcess project's index_codes_genleg.txt and index_codes_ext_genleg.txt.
// Access 2010 and later (sort version 1): the same, from index_codes_gen.txt and
// index_codes_ext_gen.txt.
// Access 97: the 256 Windows-1252 characters, and the characters above 0xFF that the
// code page holds, by the Windows-1252 byte that stands for them. Source: the entries
// Access wrote in testIndexCodesV1997.mdb, but for 0x1A and the 27 bytes whose characters
// lie above U+00FF, which its rows lost, from Jackcess's index_codes_gen_97.txt; G marks
// the base letters of accented ones.
// Regenerate (tools/codigos-orden; F: the Jet fixtures, J: the Jackcess source's folder
// src/main/resources/com/healthmarketscience/jackcess):
//   build/bin/codigos-orden $F/testIndexCodesV1997.mdb $J > db/engine/jet/SortCodeTables.cpp
// clang-format off
#include "db/engine/jet/SortCodes.h"

namespace pelmora::engine::jet {

)";
}

std::string runsPart(const std::vector<engine::jet::SortCodeRun>& runs, const std::string& name) {
    std::string out = "const SortCodeRun " + name + "[] = {\n";
    for (const auto& r : runs)
        out += format("    {0x%04X, %u, ", unsigned{r.first}, unsigned{r.count}) +
               codeText(r.code) + "},\n";
    const std::string count = name.substr(0, name.size() - 4) + "RunCount";
    return out + "};\nconst size_t " + count + " = sizeof " + name + " / sizeof " + name +
           "[0];\n\n";
}

std::string part97(const Codes97& codes) {
    std::string out = "const SortCode kGeneral97[256] = {\n";
    for (size_t b = 0; b < codes.byByte.size(); ++b) out += line97(codes, b);
    out += "};\n\nconst Windows1252Byte kGeneral97Mapped[] = {\n";
    for (const auto& m : codes.mapped)
        out += format("    {0x%04X, 0x%02X},\n", unsigned{m.character}, unsigned{m.byte});
    return out +
           "};\nconst size_t kGeneral97MappedCount = sizeof kGeneral97Mapped / "
           "sizeof kGeneral97Mapped[0];\n";
}

std::string linesFromEntries97(const Codes97& codes) {
    std::string out;
    for (size_t b = 0; b < codes.byByte.size(); ++b)
        if (codes.fromEntries[b]) out += line97(codes, b);
    return out;
}

std::string fileEnd() {
    return "\n}  // namespace pelmora::engine::jet\n";
}

}  // namespace pelmora::codigos

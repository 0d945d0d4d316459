// The generator of SortCodeTables.cpp: the Access 97 codes it reads back from
// Access's own index entries are the committed ones, and, given the Jackcess
// code lists (PELMORA_LISTAS_JACKCESS), it writes the committed file byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "support/jet_oracles.h"
#include "tests/support/Fallo.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using pelmora::test::fixture;
using pelmora::test::runCommand;

const std::string kGenerator = std::string(PELMORA_BIN_DIR) + "/codigos-orden";
const std::string kCommitted =
    std::string(PELMORA_SOURCE_DIR) + "/db/engine/jet/SortCodeTables.cpp";

// The committed Access 97 lines by their byte comment, kind G written as S
// (significance is not visible in the entries of one character alone).
std::map<std::string, std::string> committed97() {
    std::map<std::string, std::string> lines;
    std::istringstream in(pelmora::prueba::contents(kCommitted));
    for (std::string line; std::getline(in, line);) {
        const size_t comment = line.find("},  // 0x");
        if (comment == std::string::npos) continue;
        if (line.compare(4, 4, "{'G'") == 0) line[6] = 'S';
        lines[line.substr(comment + 6)] = line;
    }
    return lines;
}

TEST(CodigosOrden, LosDeAccess97SonLosDeSusEntradas) {
    const std::string mdb = fixture("testIndexCodesV1997.mdb");
    if (!fs::exists(mdb)) GTEST_SKIP() << "Falta " << mdb;
    std::string out;
    ASSERT_TRUE(runCommand("'" + kGenerator + "' '" + mdb + "'", out)) << out;
    const auto expected = committed97();
    ASSERT_EQ(expected.size(), 256u);
    std::istringstream in(out);
    size_t compared = 0;
    for (std::string line; std::getline(in, line); ++compared) {
        const size_t comment = line.find("},  // 0x");
        ASSERT_NE(comment, std::string::npos) << line;
        const auto committed = expected.find(line.substr(comment + 6));
        ASSERT_NE(committed, expected.end()) << line;
        EXPECT_EQ(line, committed->second);
    }
    EXPECT_EQ(compared, 256u - 28u);  // all but 0x1A and the 27 above U+00FF
}

TEST(CodigosOrden, ConLasListasDeJackcessRehaceElFichero) {
    const std::string mdb = fixture("testIndexCodesV1997.mdb");
    const char* lists = std::getenv("PELMORA_LISTAS_JACKCESS");
    if (!fs::exists(mdb) || !lists || !*lists)
        GTEST_SKIP() << "Sin " << mdb << " o sin PELMORA_LISTAS_JACKCESS";
    pelmora::prueba::TempDir dir;
    const std::string generated = dir.path("SortCodeTables.cpp");
    std::string out;
    ASSERT_TRUE(runCommand(
        "'" + kGenerator + "' '" + mdb + "' '" + lists + "' > '" + generated + "'", out));
    EXPECT_TRUE(pelmora::prueba::contents(generated) == pelmora::prueba::contents(kCommitted))
        << "difiere de " << kCommitted;
}

}  // namespace

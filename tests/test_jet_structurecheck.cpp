// The structural half of `check` on hand-damaged copies of real Access files:
// each damage is reported in Spanish, naming what is wrong; the files Access
// wrote pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "db/engine/Database.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/StructureCheck.h"
#include "support/jet_oracles.h"
#include "tests/support/TempDir.h"

using namespace pelmora::engine;
using namespace pelmora::test;
namespace fs = std::filesystem;

namespace {

std::string damaged(const pelmora::prueba::TempDir& dir, const std::string& name, uint64_t offset,
                    std::initializer_list<uint8_t> bytes) {
    const std::string path = dir.writableCopy(fixture(name), name);
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    for (uint8_t b : bytes) f.put(static_cast<char>(b));
    return path;
}

std::string problems(const std::string& path) {
    pelmora::engine::jet::JetFile jet(path);
    std::string all;
    for (const auto& p : pelmora::engine::jet::checkStructure(jet)) all += p + "\n";
    return all;
}

}  // namespace

TEST(JetStructureCheck, AccessFilesPassAndDamageIsNamed) {
    if (jetFixtures().empty()) GTEST_SKIP() << "sin ficheros de Access de prueba";
    for (const auto& file : jetFixtures()) EXPECT_EQ(problems(file), "") << file;

    pelmora::prueba::TempDir dir;
    // overflowTestV2000: Table1's definition on page 24, its rows on pages 27, 28 and 31.
    expectMentions(problems(damaged(dir, "overflowTestV2000.mdb", 27 * 4096 + 2, {0x00, 0x01})),
                   {"página 27: dice tener 256 bytes libres y tiene 3840"});
    expectMentions(problems(damaged(dir, "overflowTestV2000.mdb", 24 * 4096 + 16, {9})),
                   {"tabla «Table1»: su definición dice tener 9 filas y tiene 7"});
    // page 31 now says it is MSysObjects'
    expectMentions(problems(damaged(dir, "overflowTestV2000.mdb", 31 * 4096 + 4, {15})),
                   {"su mapa de páginas incluye la página 31, que no es de sus filas",
                    "la página 31 tiene filas suyas y no está en su mapa de páginas"});
}

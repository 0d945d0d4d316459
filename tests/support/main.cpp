// Test entry point: a QApplication exists for the tests that drive real windows,
// and every program checks at its end that no fixture file was written (the
// shared fixtures may be writable in a checkout; tests write copies only).
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <map>

#include "tests/support/jet_oracles.h"

namespace {

using Stamp = std::pair<std::uintmax_t, std::filesystem::file_time_type>;

std::map<std::string, Stamp> stamps() {
    std::map<std::string, Stamp> all;
    for (const std::string& file : pelmora::test::jetFixtures())
        all[file] = {std::filesystem::file_size(file), std::filesystem::last_write_time(file)};
    return all;
}

class FixturesUntouched : public ::testing::Environment {
  public:
    void SetUp() override { before_ = stamps(); }
    void TearDown() override {
        const auto after = stamps();
        for (const auto& [file, stamp] : before_)
            if (!after.count(file) || after.at(file) != stamp)
                ADD_FAILURE() << "Un test ha escrito en el fichero de prueba compartido " << file;
    }

  private:
    std::map<std::string, Stamp> before_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new FixturesUntouched);
    return RUN_ALL_TESTS();
}

#include "tests/support/Arranque.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/jet_oracles.h"

namespace pelmora::test {
namespace {

using Stamp = std::pair<std::uintmax_t, std::filesystem::file_time_type>;

std::map<std::string, Stamp> stamps() {
    std::map<std::string, Stamp> all;
    for (const std::string& file : jetFixtures())
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

int ejecutaPruebas(int& argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new FixturesUntouched);
    return RUN_ALL_TESTS();
}

}  // namespace pelmora::test

// Shared by the Jet tests: the real Access files, the two independent readers
// (mdb-reader through tests/oracle/dump.mjs, and mdbtools' mdb-json), and the
// engine's values in the same plain JSON form the oracles are brought to.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <map>
#include <string>
#include <vector>

#include "db/engine/Value.h"
#include "tests/support/TempDir.h"
#include "tests/support/ValuePrint.h"

namespace pelmora::test {

// Every .mdb in the fixtures folder, sorted; empty when the folder is absent.
std::vector<std::string> jetFixtures();
// Every .accdb (Access 2007+) in the ACE fixtures folder, sorted; empty when absent.
std::vector<std::string> aceFixtures();
// A fixture by name: .accdb ones from the ACE folder, the others from the Jet one.
std::string fixture(const std::string& name);
// A writable copy of the fixture `name`, under the same name, in `dir`.
std::string fixtureCopy(const prueba::TempDir& dir, const std::string& name);

// Output of a shell command (stdout), and whether it exited 0.
bool runCommand(const std::string& command, std::string& out);

struct OracleTable {
    QJsonArray columns;  // [{name, type, size, autoLong, autoUUID}]
    std::vector<QJsonObject> rows;
    std::string error;  // set when the oracle could not read the table
};
// mdb-reader's reading of every table of the given files: file -> table -> contents.
// Empty when node or the oracle package is missing.
std::map<std::string, std::map<std::string, OracleTable>> mdbReaderDump(
    const std::vector<std::string>& files);

// mdb-json's rows of one table (dates as "YYYY-MM-DD HH:MM:SS"); Null keys absent.
std::vector<QJsonObject> mdbtoolsRows(const std::string& file, const std::string& table);

// The engine's value in the oracles' plain form: null, true/false, numbers,
// currency with four decimals as text, decimals as text, dates as text,
// bytes as lowercase hex, everything else as text.
QJsonValue plain(const engine::Value& value);

// Hex of bytes, lowercase.
std::string hex(const std::string& bytes);

// The message (of a refusal) is not empty and mentions each of `parts`.
void expectMentions(const std::string& message, const std::vector<std::string>& parts);

}  // namespace pelmora::test

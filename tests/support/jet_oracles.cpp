#include "jet_oracles.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace pelmora::test {

namespace {

std::vector<std::string> filesIn(const char* folder, const char* extension) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == extension) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::vector<std::string> jetFixtures() {
    return filesIn(PELMORA_FIXTURES, ".mdb");
}

std::vector<std::string> aceFixtures() {
    return filesIn(PELMORA_ACE_FIXTURES, ".accdb");
}

std::string fixture(const std::string& name) {
    const bool ace = std::filesystem::path(name).extension() == ".accdb";
    return std::string(ace ? PELMORA_ACE_FIXTURES : PELMORA_FIXTURES) + "/" + name;
}

void expectMentions(const std::string& message, const std::vector<std::string>& parts) {
    EXPECT_FALSE(message.empty());
    for (const std::string& part : parts)
        EXPECT_NE(message.find(part), std::string::npos) << "«" << part << "» en: " << message;
}

std::string fixtureCopy(const prueba::TempDir& dir, const std::string& name) {
    return dir.writableCopy(fixture(name), name);
}

bool runCommand(const std::string& command, std::string& out) {
    out.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    return ::pclose(pipe) == 0;
}

namespace {

std::vector<QJsonObject> jsonLines(const std::string& text) {
    std::vector<QJsonObject> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        QByteArray line = QByteArray::fromStdString(text.substr(start, end - start));
        if (!line.trimmed().isEmpty()) lines.push_back(QJsonDocument::fromJson(line).object());
        start = end + 1;
    }
    return lines;
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

}  // namespace

std::map<std::string, std::map<std::string, OracleTable>> mdbReaderDump(
    const std::vector<std::string>& files) {
    std::map<std::string, std::map<std::string, OracleTable>> result;
    const std::string oracle = std::string(PELMORA_SOURCE_DIR) + "/tests/oracle";
    if (!std::filesystem::exists(oracle + "/node_modules/mdb-reader")) return result;
    std::string command = "node " + quoted(oracle + "/dump.mjs");
    for (const auto& f : files) command += " " + quoted(f);
    std::string out;
    if (!runCommand(command, out)) return result;
    OracleTable* current = nullptr;
    for (const QJsonObject& line : jsonLines(out)) {
        if (line.contains("table") && line.contains("file")) {
            current = &result[line["file"].toString().toStdString()]
                             [line["table"].toString().toStdString()];
            current->columns = line["columns"].toArray();
            current->error = line["error"].toString().toStdString();
        } else if (current) {
            current->rows.push_back(line);
        }
    }
    return result;
}

std::vector<QJsonObject> mdbtoolsRows(const std::string& file, const std::string& table) {
    std::string out;
    runCommand(
        "mdb-json -T '%Y-%m-%d %H:%M:%S' " + quoted(file) + " " + quoted(table) + " 2>/dev/null",
        out);
    return jsonLines(out);
}

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

QJsonValue plain(const engine::Value& v) {
    using engine::Type;
    switch (v.type()) {
        case Type::Null:
            return QJsonValue();
        case Type::Boolean:
            return v.rawInt() != 0;
        case Type::Byte:
        case Type::Integer:
        case Type::Long:
            return static_cast<qint64>(v.rawInt());
        case Type::Single:
        case Type::Double:
            return v.rawDouble();
        case Type::Currency: {
            const int64_t scaled = v.rawInt();
            const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : scaled;
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", scaled < 0 ? "-" : "",
                          static_cast<unsigned long long>(magnitude / 10000),
                          static_cast<unsigned long long>(magnitude % 10000));
            return QString(buffer);
        }
        case Type::DateTime:
            return QString::fromStdString(engine::formatDateTime(v.rawDouble()));
        case Type::Binary:
        case Type::LongBinary:
            return QString::fromStdString(hex(v.rawText()));
        default:
            return QString::fromStdString(v.rawText());
    }
}

}  // namespace pelmora::test

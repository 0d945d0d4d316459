// Access 97 codes read back from Access's own index entries (see Codes97.h).
// Each key is the inline codes of "AA", the character and "AA", then 00 or,
// after an international character, the extra nibbles 0 2 2 e 0 (A is a
// significant letter). The Windows-1252 characters above 0xFF come from the
// engine's code page.
#include "tools/codigos-orden/Codes97.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "db/engine/jet/IndexPages.h"
#include "db/engine/jet/JetFile.h"
#include "db/engine/jet/TableScan.h"
#include "db/engine/jet/TextCodec.h"
#include "db/engine/jet/ValueReader.h"

namespace pelmora::codigos {

using engine::jet::SortCode;

namespace {

struct Row {
    int byte = -1;
    std::string text;  // UTF-8
};

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("testIndexCodesV1997.mdb: " + what);
}

int columnNamed(const engine::jet::TableDefinition& table, const std::string& name) {
    for (size_t i = 0; i < table.columns.size(); ++i)
        if (table.columns[i].name == name) return static_cast<int>(i);
    fail("Table1 no tiene la columna " + name);
}

// The rows of Table1 by their packed place, with the byte their name gives
// (-1 for the other rows: combinations of characters, a Null).
std::map<uint32_t, Row> readRows(engine::jet::JetFile& jet,
                                 const engine::jet::TableDefinition& table) {
    const auto& name = table.columns[columnNamed(table, "name")];
    const auto& data = table.columns[columnNamed(table, "data")];
    engine::jet::ValueReader reader(jet.pages());
    engine::jet::TableScan scan(jet.pages(), table);
    std::map<uint32_t, Row> rows;
    while (scan.next()) {
        const std::string label = reader.read(name, scan.row()).toText();
        if (label.rfind("row", 0) != 0) fail("fila inesperada: " + label);
        const int byte = std::stoi(label.substr(3));
        const engine::Value text = reader.read(data, scan.row());
        if (byte > 255 || text.isNull())
            rows[scan.position().packed()] = {};
        else
            rows[scan.position().packed()] = {byte, text.toText()};
    }
    return rows;
}

const engine::jet::RealIndex& dataIndex(const engine::jet::TableDefinition& table) {
    const int data = columnNamed(table, "data");
    for (const auto& index : table.realIndexes)
        if (index.columns.size() == 1 && index.columns[0].column == data &&
            index.columns[0].ascending)
            return index;
    fail("Table1 no tiene un índice ascendente sobre data");
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The code of the character between "AA" and "AA"; kind G is decided later.
SortCode codeOf(const std::string& key, const std::string& aa, int byte) {
    const std::string plain = aa + std::string(1, '\0');
    if (key == plain) return {'X', 0, 0, 0, 0, 0};  // an ignored character: "AA" alone
    size_t tail = 0;
    SortCode code{'S', 0, 0, 0, 0, 0};
    if (endsWith(key, plain)) {
        tail = plain.size();
    } else if (key.size() >= 3 && key[key.size() - 3] == 2 &&
               (key[key.size() - 2] & 0xF0) == 0x20 && key.back() == 0 &&
               endsWith(key.substr(0, key.size() - 3), aa)) {
        code = {'I', 0, 0, 1, static_cast<uint16_t>(key[key.size() - 2] & 0x0F), 0};
        tail = aa.size() + 3;
    }
    if (!tail || key.compare(0, aa.size(), aa) != 0 || key.size() < aa.size() + tail)
        fail("entrada de índice no reconocida para el byte " + std::to_string(byte));
    for (size_t i = aa.size(); i < key.size() - tail; ++i) {
        code.inlineCode = code.inlineCode << 8 | static_cast<uint8_t>(key[i]);
        ++code.inlineLength;
    }
    if (!code.inlineLength) code.kind = 'X';
    return code;
}

// The code point of "AA" + one character + "AA", or -1 for "AA" alone.
long middleCharacter(const std::string& text, int byte) {
    if (text == "AA") return -1;
    if (text.size() < 5 || text.compare(0, 2, "AA") || !endsWith(text, "AA"))
        fail("texto inesperado en la fila del byte " + std::to_string(byte));
    const std::string c = text.substr(2, text.size() - 4);
    const auto lead = static_cast<uint8_t>(c[0]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    long point = extra ? lead & (0x3F >> extra) : lead;
    for (size_t k = 1; k < c.size(); ++k) point = point << 6 | (static_cast<uint8_t>(c[k]) & 0x3F);
    return point;
}

}  // namespace

Codes97 readCodes97(const std::string& mdbPath) {
    engine::jet::JetFile jet(mdbPath);
    const auto table = jet.table("Table1");
    const auto rows = readRows(jet, table->definition);
    std::vector<std::string> problems;
    const auto entries = readIndexEntries(jet.pages(), dataIndex(table->definition),
                                          table->definition.pages.front(), "Table1", problems);
    std::map<int, std::pair<std::string, std::string>> byByte;  // key, text
    for (const auto& entry : entries) {
        const auto row = rows.find(entry.row().packed());
        if (row == rows.end()) fail("una entrada del índice no tiene fila");
        if (row->second.byte < 0) continue;
        if (entry.key().empty() || entry.key()[0] != '\x7F')
            fail("entrada inesperada en el índice");
        byByte[row->second.byte] = {std::string(entry.key().substr(1)), row->second.text};
    }
    if (!problems.empty() || byByte.size() != 256 || byByte.begin()->first != 0 ||
        byByte.rbegin()->first != 255)
        fail("Table1 no tiene una entrada por cada byte");
    const std::string& base = byByte[0].first;  // "AA": inline codes of A twice, then 00
    const std::string aa = base.substr(0, base.size() - 1);
    Codes97 codes;
    for (const auto& [byte, keyText] : byByte) {
        const char32_t c = engine::jet::fromWindows1252(static_cast<uint8_t>(byte));
        const bool held = byte == 0 || middleCharacter(keyText.second, byte) == long(c);
        codes.byByte.push_back(held ? codeOf(keyText.first, aa, byte) : SortCode{});
        codes.fromEntries.push_back(held);
        if (c > 0xFF)
            codes.mapped.push_back({static_cast<char16_t>(c), static_cast<uint8_t>(byte)});
    }
    std::sort(codes.mapped.begin(), codes.mapped.end(),
              [](const auto& a, const auto& b) { return a.character < b.character; });
    return codes;
}

void complete97(Codes97& codes, const std::vector<SortCode>& list) {
    for (size_t b = 0; b < codes.byByte.size(); ++b)
        if (!codes.fromEntries[b]) codes.byByte[b] = list.at(b);
    std::set<uint32_t> accented;
    for (const auto& c : codes.byByte)
        if (c.kind == 'I') accented.insert(c.inlineCode);
    for (auto& c : codes.byByte)
        if (c.kind == 'S' && accented.count(c.inlineCode)) c.kind = 'G';
}

}  // namespace pelmora::codigos

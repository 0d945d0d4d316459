#include "tools/pelmora-bdd/ColumnText.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "tools/pelmora-bdd/Arguments.h"

namespace pelmora::bdd {

using engine::Type;

namespace {

struct TypeName {
    const char* name;
    Type type;
};

constexpr TypeName kTypes[] = {
    {"boolean", Type::Boolean}, {"byte", Type::Byte},         {"integer", Type::Integer},
    {"long", Type::Long},       {"currency", Type::Currency}, {"single", Type::Single},
    {"double", Type::Double},   {"datetime", Type::DateTime}, {"text", Type::Text},
    {"memo", Type::Memo},       {"binary", Type::Binary},     {"longbinary", Type::LongBinary},
    {"guid", Type::Guid},       {"decimal", Type::Decimal},
};

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ':');) parts.push_back(part);
    return parts;
}

std::string typeList() {
    std::string list;
    for (const TypeName& t : kTypes) list += (list.empty() ? "" : ", ") + std::string(t.name);
    return list;
}

}  // namespace

engine::Column parseColumnText(const std::string& text) {
    const std::vector<std::string> parts = split(text);
    if (parts.size() < 2 || parts[0].empty())
        throw ErrorUso("se esperaba CAMPO:TIPO[:TAMAÑO] y no «" + text + "»");
    engine::Column column;
    column.name = parts[0];
    bool known = false;
    for (const TypeName& t : kTypes)
        if (parts[1] == t.name) {
            column.type = t.type;
            known = true;
        }
    if (!known)
        throw ErrorUso("tipo desconocido «" + parts[1] + "» en «" + text +
                       "» (tipos: " + typeList() + ")");
    for (size_t i = 2; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        char* end = nullptr;
        const long size = std::strtol(part.c_str(), &end, 10);
        if (part == "allowzerolength")
            column.allowZeroLength = true;
        else if (part == "required")
            column.required = true;
        else if (part == "autonumber")
            column.autoNumber = true;
        else if (i == 2 && !part.empty() && *end == '\0' && size > 0 && size <= 255)
            column.size = column.type == Type::Text ? static_cast<int>(size) : 0;
        else
            throw ErrorUso("«" + part +
                           "» no es un tamaño (1 a 255) ni una propiedad "
                           "(allowzerolength, required, autonumber) en «" +
                           text + "»");
    }
    return column;
}

std::string formatColumnText(const engine::Column& column) {
    std::string texto = column.name + ":";
    for (const TypeName& t : kTypes)
        if (t.type == column.type) texto += t.name;
    if (column.type == Type::Text) texto += ":" + std::to_string(column.size ? column.size : 255);
    const bool textual = column.type == Type::Text || column.type == Type::Memo;
    if (textual && column.allowZeroLength) texto += ":allowzerolength";
    if (column.required) texto += ":required";
    if (column.autoNumber) texto += ":autonumber";
    return texto;
}

}  // namespace pelmora::bdd

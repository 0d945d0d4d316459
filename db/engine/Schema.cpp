#include "db/engine/Schema.h"

#include "db/engine/Error.h"
#include "db/engine/Text.h"

namespace pelmora::engine {

int TableSchema::find(const std::string& column) const {
    for (size_t i = 0; i < columns.size(); ++i)
        if (sameName(columns[i].name, column)) return static_cast<int>(i);
    return -1;
}

namespace {

// Why the column cannot have its properties; empty when it can.
std::string refusal(const Column& c) {
    if (c.allowZeroLength && c.type != Type::Text && c.type != Type::Memo)
        return "no admite cadenas de longitud cero (allowzerolength): solo los campos de texto "
               "y memo las admiten";
    if (!c.autoNumber) return "";
    if (c.type != Type::Long && c.type != Type::Guid)
        return std::string("no puede ser autonumérico siendo de tipo ") + typeName(c.type) +
               ": solo lo son los enteros largos y los id. de réplica";
    if (c.defaultValue) return "es autonumérico y no admite un valor predeterminado";
    if (c.required) return "es autonumérico: siempre tiene valor y no se marca como obligatorio";
    return "";
}

}  // namespace

void checkNewColumn(const TableSchema& table, const Column& column, const std::string& path) {
    const std::string why = refusal(column);
    if (!why.empty())
        throw Error("El campo «" + column.name + "» de la tabla «" + table.name + "» de «" + path +
                    "» " + why);
    for (const Column& other : table.columns)
        if (column.autoNumber && other.autoNumber)
            throw Error("La tabla «" + table.name + "» de «" + path +
                        "» no puede tener dos campos autonuméricos: «" + other.name + "» y «" +
                        column.name + "»");
}

void checkColumnNames(const TableSchema& table, const std::string& path) {
    if (table.columns.empty())
        throw Error("La tabla «" + table.name + "» no tiene ningún campo; no se crea en «" + path +
                    "»");
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const Column& column = table.columns[i];
        if (column.name.empty())
            throw Error("Un campo de la tabla «" + table.name + "» no tiene nombre («" + path +
                        "»)");
        if (table.find(column.name) != static_cast<int>(i))
            throw Error("El campo «" + column.name + "» está repetido en la tabla «" + table.name +
                        "» («" + path + "»)");
    }
}

void checkNewColumns(const TableSchema& table, const std::string& path) {
    checkColumnNames(table, path);
    TableSchema before{table.name, {}};
    for (const Column& column : table.columns) {
        checkNewColumn(before, column, path);
        before.columns.push_back(column);
    }
}

void checkNewTable(const TableSchema& table, const std::vector<std::string>& existing,
                   const std::string& path) {
    if (table.name.empty()) throw Error("No se puede crear una tabla sin nombre en «" + path + "»");
    for (const std::string& name : existing)
        if (sameName(name, table.name))
            throw Error("La tabla «" + table.name + "» ya existe en «" + path + "»");
    checkNewColumns(table, path);
}

void checkAddedColumn(const TableSchema& table, const Column& column, const std::string& path,
                      const std::function<bool()>& hasRows) {
    const std::string doing =
        "añadir el campo «" + column.name + "» a la tabla «" + table.name + "»";
    checkNewColumn(table, column, path);
    TableSchema after = table;
    after.columns.push_back(column);
    checkColumnNames(after, path);
    if (column.autoNumber)
        throw Error("No se puede " + doing + " en «" + path +
                    "»: un autonumérico solo se define al crear la tabla");
    if (column.required && !column.defaultValue && hasRows())
        throw Error("No se puede " + doing + " en «" + path +
                    "»: es obligatorio y sin valor predeterminado, y los registros que ya tiene "
                    "la tabla se quedarían sin valor en él");
}

void checkNewIndexes(const TableSchema& table, const std::vector<Index>& indexes,
                     const std::string& path) {
    constexpr size_t kMaxIndexColumns = 10;
    const Index* primary = nullptr;
    for (size_t i = 0; i < indexes.size(); ++i) {
        const Index& index = indexes[i];
        const auto refuse = [&](const std::string& why) {
            throw Error("No se puede crear el índice «" + index.name + "» de la tabla «" +
                        table.name + "» en «" + path + "»: " + why);
        };
        if (index.name.empty()) refuse("no tiene nombre");
        for (size_t j = 0; j < i; ++j)
            if (sameName(indexes[j].name, index.name)) refuse("hay otro índice con ese nombre");
        if (index.columns.empty()) refuse("no tiene campos");
        if (index.columns.size() > kMaxIndexColumns) refuse("tiene más de diez campos");
        for (size_t c = 0; c < index.columns.size(); ++c) {
            const Column& column = columnNamed(table, index.columns[c].name, path);
            for (size_t d = 0; d < c; ++d)
                if (sameName(index.columns[d].name, column.name))
                    refuse("el campo «" + column.name + "» está repetido");
            if (column.type == Type::Memo || column.type == Type::LongBinary)
                refuse("el campo «" + column.name + "» es de tipo " + typeName(column.type) +
                       ", que no se indexa");
        }
        if (index.primaryKey && primary)
            refuse("la tabla ya tiene la clave principal «" + primary->name + "»");
        if (index.primaryKey) primary = &index;
    }
}

std::string qualifiedIndexName(const std::string& table, const std::string& index) {
    return table + "." + index;
}

std::string ownIndexName(const std::string& table, const std::string& stored) {
    const size_t prefix = table.size() + 1;
    if (stored.size() > prefix && stored[table.size()] == '.' &&
        sameName(stored.substr(0, table.size()), table))
        return stored.substr(prefix);
    return stored;
}

std::string inTable(const std::string& table) {
    return "la tabla «" + table + "»";
}

const Column& columnNamed(const TableSchema& table, const std::string& name,
                          const std::string& path) {
    const int index = table.find(name);
    if (index < 0)
        throw Error("No existe el campo «" + name + "» en la tabla «" + table.name + "» de «" +
                    path + "»");
    return table.columns[index];
}

}  // namespace pelmora::engine

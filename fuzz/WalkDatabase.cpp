// Builds the walk's database once: the ordinary tables, the label table and Maps
// (entity numbers 10, 11, 199, 5, as the sample sheets number them), records with
// a repeated and a Null mslink, and the log tables.
#include "fuzz/WalkDatabase.h"

#include "core/PantallaGuion.h"
#include "db/TablasControl.h"
#include "db/engine/Database.h"
#include "db/engine/Recordset.h"
#include "fuzz/FuzzTarget.h"

namespace pelmora::fuzz {
namespace {

namespace fs = std::filesystem;
using engine::Type;
using engine::Value;

struct Table {
    const char* name;
    std::vector<std::pair<const char*, Type>> columns;
    std::vector<Value> mslinks;  // one record each; the other columns take a text or 0
};

std::vector<std::pair<const char*, Type>> ordinary() {
    return {{"mslink", Type::Long},   {"clasific", Type::Long}, {"tmapa", Type::Text},
            {"tcomplet", Type::Text}, {"tfeature", Type::Long}, {"Tcorrelate", Type::Boolean}};
}

std::vector<Table> tables() {
    const Value none;
    return {{"EDIFICIOS",
             ordinary(),
             {Value::longInt(1), Value::longInt(2), Value::longInt(3), Value::longInt(3), none,
              Value::longInt(7)}},
            {"VIAS", ordinary(), {Value::longInt(1), Value::longInt(2)}},
            {"199ETIQUETAS",
             {{"mslink", Type::Long},
              {"tcomplet", Type::Text},
              {"tmapa", Type::Text},
              {"netiqueta", Type::Text},
              {"Tcorrelate", Type::Boolean}},
             {Value::longInt(1), Value::longInt(2)}},
            {"Maps", ordinary(), {}}};
}

void create(engine::Database& db, const Table& table) {
    engine::TableDef def = db.createTableDef(table.name);
    for (const auto& [name, type] : table.columns) def.appendField(def.createField(name, type));
    db.appendTableDef(def);
    auto rs = db.openRecordset(table.name, engine::OpenMode::Dynaset);
    for (const Value& mslink : table.mslinks) {
        rs->addNew();
        rs->set("mslink", mslink);
        rs->set(table.columns[2].first, Value::text("Texto"));
        rs->update();
    }
    rs->close();
}

// The database file, built on first use.
const fs::path& original() {
    static const fs::path path = [] {
        const fs::path file = scratch() / "plantilla.db3";
        PantallaGuion screen;
        Estado estado(screen);
        estado.BdDParticular = engine::createSqliteDatabase(file.string());
        for (const Table& table : tables()) create(*estado.BdDParticular, table);
        CreaTablasControl(estado);
        return file;
    }();
    return path;
}

}  // namespace

void prepareWalk(Estado& estado, const fs::path& folder) {
    const fs::path copy = folder / "hoja.db3";
    fs::copy_file(original(), copy, fs::copy_options::overwrite_existing);
    estado.NombreBdDParticular = copy.string();
    estado.BdDParticular = engine::openDatabase(copy.string());
    estado.CatalogoParticular = {
        {"Edificios", 10}, {"Vias", 11}, {"199Etiquetas", 199}, {"Maps", 5}, {"VIAS", 12}};
    estado.ListaFeature = {
        {"Edificios", 101, 1, false},    {"Edificios", 102, 2, false}, {"Edificios", 103, 4, false},
        {"Edificios", 104, 1, true},     {"Vias", 201, 1, false},      {"Vias", 203, 4, false},
        {"199Etiquetas", 501, 1, false}, {"Maps", 601, 1, false},      {"", 9001, 1, false},
        {"Edificios", 9002, 4, false},   {"Edificios", 9002, 1, false}};
}

}  // namespace pelmora::fuzz

#include "bench/support/BdDBench.h"

#include <sqlite3.h>

#include <stdexcept>

namespace pelmora::bench {
namespace fs = std::filesystem;

namespace {

bool EsAccess(const fs::path& ruta) {
    return ruta.extension() == ".mdb";
}

void Ejecuta(sqlite3* bdd, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(bdd, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string texto = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(texto);
    }
}

void LlenaSqlite(const fs::path& ruta, const std::string& tabla, bool conTcorrelate, int n,
                 const std::function<FilaVias(int)>& fila) {
    sqlite3* bdd = nullptr;
    sqlite3_open(ruta.c_str(), &bdd);
    Ejecuta(bdd, "BEGIN");
    const std::string sql =
        "INSERT INTO " + tabla + " (mslink, clasific, tcomplet, tfeature" +
        (conTcorrelate ? ", Tcorrelate) VALUES (?1, ?2, ?3, ?4, ?5)" : ") VALUES (?1, ?2, ?3, ?4)");
    sqlite3_stmt* inserta = nullptr;
    sqlite3_prepare_v2(bdd, sql.c_str(), -1, &inserta, nullptr);
    for (int i = 0; i < n; ++i) {
        const FilaVias f = fila(i);
        sqlite3_bind_int(inserta, 1, f.mslink);
        sqlite3_bind_int(inserta, 2, f.clasific);
        sqlite3_bind_text(inserta, 3, f.tcomplet.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(inserta, 4, f.tfeature);
        if (conTcorrelate) sqlite3_bind_int(inserta, 5, f.marcada ? -1 : 0);
        sqlite3_step(inserta);
        sqlite3_reset(inserta);
    }
    sqlite3_finalize(inserta);
    Ejecuta(bdd, "COMMIT");
    sqlite3_close(bdd);
}

void LlenaAccess(const fs::path& ruta, const std::string& tabla, bool conTcorrelate, int n,
                 const std::function<FilaVias(int)>& fila) {
    auto bdd = engine::openDatabase(ruta.string());
    bdd->beginWrites();
    for (int i = 0; i < n; ++i) {
        const FilaVias f = fila(i);
        engine::Row valores = {engine::Value::longInt(f.mslink), engine::Value::longInt(f.clasific),
                               engine::Value(), engine::Value::text(f.tcomplet),
                               engine::Value::longInt(f.tfeature)};
        if (conTcorrelate) valores.push_back(engine::Value::boolean(f.marcada));
        bdd->insert(tabla, valores);
    }
    bdd->endWrites();
}

}  // namespace

std::shared_ptr<engine::Database> CreaBdD(const fs::path& ruta) {
    if (!EsAccess(ruta)) return engine::createSqliteDatabase(ruta.string());
    prueba::copyWritable(std::string(PELMORA_FIXTURES) + "/emptyJet4.mdb", ruta);
    return engine::openDatabase(ruta.string());
}

void CreaTablaVias(engine::Database& bdd, const std::string& tabla, bool conTcorrelate) {
    engine::TableDef def = bdd.createTableDef(tabla);
    def.appendField(def.createField("mslink", engine::Type::Long));
    def.appendField(def.createField("clasific", engine::Type::Long));
    def.appendField(def.createField("tmapa", engine::Type::Text));
    def.appendField(def.createField("tcomplet", engine::Type::Text));
    def.appendField(def.createField("tfeature", engine::Type::Long));
    if (conTcorrelate) def.appendField(def.createField("Tcorrelate", engine::Type::Boolean));
    bdd.appendTableDef(def);
}

void Llena(const fs::path& ruta, const std::string& tabla, bool conTcorrelate, int n,
           const std::function<FilaVias(int)>& fila) {
    (EsAccess(ruta) ? LlenaAccess : LlenaSqlite)(ruta, tabla, conTcorrelate, n, fila);
}

}  // namespace pelmora::bench

// The databases of a sheet: MsCatalog (the General one in another order), Feature,
// NoAsignar, Category, the user tables and Maps, each written row by row through
// the engine's recordsets, in the plan's stored order.
#include "tools/pelmora-hoja/BasesDeDatos.h"

#include <filesystem>
#include <stdexcept>

#include "db/engine/Database.h"
#include "db/engine/GroupGuard.h"
#include "db/engine/Recordset.h"

namespace pelmora::hoja {
namespace {

using engine::Type;
using engine::Value;

struct Columna {
    std::string nombre;
    Type tipo;
    int tamano = 0;
};

Value texto(const std::optional<std::string>& v) {
    return v ? Value::text(*v) : Value();
}
Value entero(const std::optional<int32_t>& v) {
    return v ? Value::longInt(*v) : Value();
}

std::shared_ptr<engine::Database> creaBase(const Opciones& o, const std::string& ruta) {
    if (o.formato == "sqlite") return engine::createSqliteDatabase(ruta);
    if (!std::filesystem::is_regular_file(o.plantilla))
        throw std::runtime_error("No existe la plantilla de Access «" + o.plantilla + "»");
    std::error_code error;
    std::filesystem::copy_file(o.plantilla, ruta, error);
    if (error)
        throw std::runtime_error("No se puede copiar la plantilla «" + o.plantilla + "» en «" +
                                 ruta + "» (error del sistema " + std::to_string(error.value()) +
                                 ": " + error.message() + ")");
    // The copy is the sheet's own database: writable whatever the template's permissions.
    std::filesystem::permissions(ruta, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    return engine::openDatabase(ruta);
}

void creaTabla(engine::Database& db, const std::string& nombre,
               const std::vector<Columna>& columnas) {
    engine::TableDef def = db.createTableDef(nombre);
    for (const auto& c : columnas) def.appendField(def.createField(c.nombre, c.tipo, c.tamano));
    db.appendTableDef(def);
}

// Appends rows to one table through one editable recordset.
class Filas {
  public:
    Filas(engine::Database& db, const std::string& tabla)
        : rs_(db.openRecordset("Select " + tabla + ".* from " + tabla + ";",
                               engine::OpenMode::Dynaset)) {}
    ~Filas() { rs_->close(); }

    void anade(const std::vector<std::pair<std::string, Value>>& valores) {
        rs_->addNew();
        for (const auto& [columna, valor] : valores) rs_->set(columna, valor);
        rs_->update();
    }

  private:
    std::unique_ptr<engine::Recordset> rs_;
};

void escribeCatalogo(engine::Database& db, const Hoja& hoja, bool general) {
    creaTabla(db, "MsCatalog", {{"tablename", Type::Text, 64}, {"entitynum", Type::Long}});
    Filas filas(db, "MsCatalog");
    for (std::size_t i = 0; i < hoja.tablas.size(); ++i) {
        const Tabla& t = hoja.tablas[general ? hoja.ordenGeneral[i] : i];
        filas.anade(
            {{"tablename", Value::text(t.catalogo)}, {"entitynum", Value::longInt(t.entitynum)}});
    }
}

void escribeFeature(engine::Database& db, const Hoja& hoja) {
    creaTabla(db, "Feature",
              {{"mslink", Type::Long},
               {"tablename", Type::Text, 64},
               {"ftype", Type::Integer},
               {"fname", Type::Text, 64}});
    Filas filas(db, "Feature");
    for (const auto& f : hoja.feature)
        filas.anade({{"mslink", Value::longInt(f.mslink)},
                     {"tablename", Value::text(f.tablename)},
                     {"ftype", Value::integer(f.ftype)},
                     {"fname", Value::text("Feature " + std::to_string(f.mslink))}});
    if (!hoja.opciones.noAsignar) return;
    creaTabla(db, "NOASIGNAR", {{"mslink", Type::Long}});
    Filas noAsignar(db, "NOASIGNAR");
    for (int32_t m : hoja.noAsignar) noAsignar.anade({{"mslink", Value::longInt(m)}});
}

std::vector<Columna> columnasDe(const Tabla& t, bool general) {
    if (t.clase == ClaseTabla::Category)
        return {{"mslink", Type::Long}, {"nombre", Type::Text, 64}};
    bool m = t.columnasMayusculas;
    std::vector<Columna> c = {{m ? "MSLINK" : "mslink", Type::Long},
                              {m ? "TCOMPLET" : "tcomplet", Type::Text, 100},
                              {m ? "TMAPA" : "tmapa", Type::Text, 100}};
    if (t.clase == ClaseTabla::Ordinaria) c.push_back({m ? "Clasific" : "clasific", Type::Long});
    c.push_back({m ? "TFEATURE" : "tfeature", Type::Long});
    if (t.clase == ClaseTabla::Etiquetas) c.push_back({"netiqueta", Type::Text, 100});
    if (t.clase == ClaseTabla::Ordinaria) c.push_back({"observ", Type::Text, 100});
    if (t.tcorrelatePrevio && !general) c.push_back({"TCORRELATE", Type::Boolean});
    return c;
}

void escribeTabla(engine::Database& db, const Tabla& t, bool general) {
    auto columnas = columnasDe(t, general);
    creaTabla(db, t.nombre, columnas);
    Filas filas(db, t.nombre);
    for (const auto& r : general ? t.general : t.particular) {
        std::vector<std::pair<std::string, Value>> v;
        for (const auto& c : columnas) {
            std::string n = c.nombre;
            for (char& ch : n) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            Value valor;
            if (n == "mslink")
                valor = Value::longInt(r.mslink);
            else if (n == "nombre" || n == "tcomplet")
                valor = texto(r.tcomplet);
            else if (n == "tmapa")
                valor = texto(r.tmapa);
            else if (n == "clasific")
                valor = entero(r.clasific);
            else if (n == "tfeature")
                valor = Value::longInt(r.tfeature);
            else if (n == "netiqueta")
                valor = texto(r.netiqueta);
            else if (n == "observ")
                valor = Value::text(r.observ);
            else if (n == "tcorrelate")
                valor = Value::boolean(r.tcorrelate);
            v.emplace_back(c.nombre, valor);
        }
        filas.anade(v);
    }
}

}  // namespace

void escribeBaseDeDatos(const Hoja& hoja, bool general, const std::string& ruta) {
    auto db = creaBase(hoja.opciones, ruta);
    // One write group: the database is written at once, not row by row.
    engine::GroupGuard grupo(db);
    escribeCatalogo(*db, hoja, general);
    escribeFeature(*db, hoja);
    for (const auto& t : hoja.tablas)
        if (t.clase != ClaseTabla::Feature) escribeTabla(*db, t, general);
    grupo.finish();
}

}  // namespace pelmora::hoja

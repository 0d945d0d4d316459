// The plan of a sample sheet: its tables with their Particular and General
// records, its Feature list, and its elements with their ATRs. Every file the
// generator writes, and everything esperado.json says, comes from this plan.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ficherobin/Modulo_tipo.h"

namespace pelmora::hoja {

struct Opciones {
    std::string salida;           // folder of the sheet
    std::string nombre = "hoja";  // base name of the BIN file and the Particular database
    int64_t elementos = 1000;
    int atributos = 2;  // most ATRs of an ordinary element
    int tablas = 4;     // ordinary user tables (199ETIQUETAS and Maps come on top)
    uint64_t semilla = 1;
    std::string formato = "sqlite";  // or "mdb", "accdb" (Access, from `plantilla`)
    std::string plantilla;           // empty Access database the Access files start from
    bool problemas = true;
    bool noAsignar = true;   // both databases hold a NoAsignar table
    bool reemplaza = false;  // overwrite the files of an earlier sheet

    // The extension of the databases: ".db3", ".mdb" or ".accdb".
    std::string extension() const { return formato == "sqlite" ? ".db3" : "." + formato; }
};

enum class ClaseTabla : uint8_t { Category, Feature, Ordinaria, Etiquetas, Maps };

// What the generator made a user record to be, which decides what the runs do with it.
enum class Caso : uint8_t {
    Compartido,              // General holds its key under another mslink
    MismoMslink,             // General holds its key under the same mslink
    MslinkAlto,              // General holds its key under an mslink of 60000 or more
    Nuevo,                   // General lacks it: the merge appends it
    NuevoSinTcomplet,        // Tcomplet Null: its key is its Tmapa
    NuevoClasificNula,       // Clasific Null: class 0
    CompartidoClasificNula,  // Clasific Null; General holds it with Clasific 0
    NuevoClaveRepetida,      // new, with the key of another new record of its table
    ClasificGrande,          // new, with a class number above 32767
    ComillaNuevo,            // new, with a single quote in Tcomplet
    ComillaCompartido,       // shared, with a single quote in Tcomplet
    Netiqueta,               // label without Tmapa, found by its netiqueta (shared)
    NetiquetaNuevo,          // the same, new
    Gemelo,                  // General holds its key twice, in two letter cases
    SinCorrespondencia,      // Clasific Null here and in General: the lookup finds nothing
    MslinkDuplicado,         // another record of the table has its mslink
    EtiquetaSinTcomplet,     // label with Tcomplet Null
    SoloGeneral,             // a General record the sheet does not have
    Otro,                    // Maps and Category rows
};
const char* nombreCaso(Caso caso);

struct Registro {
    int32_t mslink = 0;
    std::optional<std::string> tcomplet, tmapa, netiqueta;
    std::optional<int32_t> clasific;
    int32_t tfeature = 0;
    std::string observ;       // a column no run reads
    bool tcorrelate = false;  // an earlier run's mark, where the column already exists
    Caso caso = Caso::Otro;
};

struct Tabla {
    ClaseTabla clase = ClaseTabla::Ordinaria;
    std::string nombre;    // as the databases name it
    std::string catalogo;  // as MsCatalog stores it (other letter case, spaces around)
    int32_t entitynum = 0;
    bool columnasMayusculas = false;   // required columns spelled in capitals
    bool tcorrelatePrevio = false;     // the Particular table already has the mark column
    std::vector<Registro> particular;  // stored order
    std::vector<Registro> general;     // stored order
    std::vector<int32_t> features;     // assignable Feature codes of the table
};

struct FilaFeature {
    int32_t mslink = 0;
    std::string tablename;
    int16_t ftype = 0;
};

struct Atr {
    int16_t entitynum = 0;
    int32_t mslink = 0;
    CampoTexto<6> resto{};
};

// What an element was made to show.
enum class Clase : uint8_t {
    Normal,
    SinAtr,                     // no ATR, assignable feature: counted
    SinAtrCentroide,            // no ATR, centroid feature: not counted
    SinAtrNoAsignar,            // no ATR, feature listed in NoAsignar: not counted
    SinAtrDesconocido,          // no ATR, feature code in no Feature row: not counted
    SinAtrFeatureVacia,         // no ATR, Feature row with a blank table name: not counted
    SinAtrTipoRaro,             // no ATR, kind "CX" without body records: counted
    Repetido,                   // ATRs repeating a table
    Entitynum1,                 // ATRs with Entitynum 1
    TablaInexistente,           // ATR with an entity number in no catalog entry
    SinRegistro,                // ATR whose record is missing (stops the Adaptation run)
    MslinkDuplicado,            // ATR whose mslink two records hold (stops the Adaptation run)
    EtiquetaSinTcomplet,        // ATR to a label without Tcomplet (stops the Adaptation run)
    VariasGeneral,              // ATR whose General key matches two records
    SinCorrespondenciaGeneral,  // ATR whose General key matches nothing
};
const char* nombreClase(Clase clase);

struct Elemento {
    Clase clase = Clase::Normal;
    CampoTexto<2> tipo{};
    CampoTexto<7> codigo{};
    int16_t numRegistros = 0;
    uint8_t numAtr = 0;
    uint32_t primerAtr = 0;           // index into Hoja::atributos
    uint64_t relleno = 0;             // seed of its block and body bytes
    int64_t posicion = 0;             // offset in the BIN file
    int64_t posicionAdaptacion = -1;  // offset in the Adaptation BIN file; -1 when left out
    int64_t bytes() const { return 48 + 12 * (int64_t{numRegistros} + numAtr); }
};

struct Hoja {
    Opciones opciones;
    std::vector<Tabla> tablas;      // in the order of the Particular MsCatalog
    std::vector<int> ordenGeneral;  // the General MsCatalog's order, as indexes into tablas
    std::vector<FilaFeature> feature;
    std::vector<int32_t> noAsignar;  // rows of NoAsignar, when the table exists
    std::vector<Elemento> elementos;
    std::vector<Atr> atributos;
    bool binAdaptacion = false;  // a second BIN file is written for the Adaptation run
    int64_t longitudBin = 0;
    int64_t longitudBinAdaptacion = 0;
};

// Plans the whole sheet from the options. Throws std::runtime_error (Spanish) on
// options it cannot satisfy.
Hoja planificaHoja(const Opciones& opciones);

// The bytes of one element as the BIN files hold them.
void bytesElemento(const Hoja& hoja, const Elemento& elemento, std::string& salida);

// Writes the BIN file, or the Adaptation one (its elements only).
void escribeBin(const Hoja& hoja, const std::string& ruta, bool adaptacion);

}  // namespace pelmora::hoja

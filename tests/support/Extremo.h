// What the end-to-end tests share: a sample sheet written by pelmora-hoja with its
// esperado.json, the inputs each run is given, and the effects of a run on the
// databases and files compared with what esperado.json says, read back through
// the engine or, for Access files, through mdbtools.
#pragma once

#include <QJsonObject>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pelmora::prueba {

// A writable copy of an Access file of the fixtures in `carpeta` (the fixture
// itself is read-only), for pelmora-hoja's --plantilla: by default the empty
// Access 2000 one; a .accdb name is one of the Access 2007+ fixtures.
std::filesystem::path PlantillaMdb(const std::filesystem::path& carpeta,
                                   const char* fixture = "empty.mdb");

struct HojaGenerada {
    std::filesystem::path carpeta;
    QJsonObject esperado;

    // The path of a file of "ficheros" ("bin", "particular"...).
    std::string fichero(const QString& clave) const;
};

// Runs pelmora-hoja (the built one unless `programa` names another) into `carpeta`
// with `argumentos` after --salida; the sheet is empty (and the test failed) when it
// could not be written.
HojaGenerada GeneraHoja(const std::filesystem::path& carpeta, const QStringList& argumentos,
                        const QString& programa = PELMORA_BIN_DIR "/pelmora-hoja");

// The inputs of one run ("correlate", "fusion", "adaptacion"), "" when not given.
struct Entradas {
    std::string bin, particular, general;
};
Entradas EntradasDe(const HojaGenerada& hoja, const char* proceso);

// The command line of `pelmora proceso` on the inputs esperado.json gives it, with
// --si when the run's messages include the name question.
QStringList ArgumentosDe(const HojaGenerada& hoja, const char* proceso);

// A text of esperado.json with {bin}, {particular} and {general} replaced.
std::string Sustituye(const QString& texto, const Entradas& entradas);

// The rows of a table, each column by its lower-cased name (Null as a JSON null).
using LectorFilas =
    std::function<std::vector<QJsonObject>(const std::string& bdd, const std::string& tabla)>;
std::vector<QJsonObject> LeeConMotor(const std::string& bdd, const std::string& tabla);
std::vector<QJsonObject> LeeConMdbtools(const std::string& bdd, const std::string& tabla);

// What a run may change, taken just before it.
struct Antes {
    size_t control = 0, errores = 0;        // rows in the Particular database
    std::map<std::string, size_t> general;  // rows of each General table
    std::string bin;                        // the run's BIN file
    std::string ficheroErrores;             // its error BIN file ("" when absent)
};
Antes Fotografia(const HojaGenerada& hoja, const char* proceso, const Entradas& entradas);

// Compares every effect esperado.json lists for `proceso` with what the run left:
// the control row, the error rows, the error BIN file and its markers, the marks,
// the appended General records and the rewritten ATRs.
// `entradas` are the paths the run was given.
void CompruebaEfectos(const HojaGenerada& hoja, const char* proceso, const Entradas& entradas,
                      const Antes& antes, const LectorFilas& lee);

// The messages of a run as the command line writes them, "\r" shown as "\\r".
QStringList MensajesEsperados(const HojaGenerada& hoja, const char* proceso);
QStringList LineasEsperadas(const HojaGenerada& hoja, const char* proceso);

}  // namespace pelmora::prueba

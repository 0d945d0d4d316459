// What every database procedure shares: the statements it opens, the table
// searches over the table definitions, and field reads whose conversion
// failures name the database, the table, the record and the column.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/Estado.h"
#include "db/engine/Database.h"
#include "db/engine/Printable.h"
#include "db/engine/Recordset.h"
#include "db/engine/Value.h"

namespace pelmora {

// "Select T.* from T" + resto + ";": the one statement shape the program opens.
std::string SentenciaTabla(const std::string& tabla, const std::string& resto = "");

// The database a handle holds; a handle never opened is an error, not a crash.
engine::Database& BdDAbierta(const std::shared_ptr<engine::Database>& bdd);

// Whether a table of that name (any letter case) is among the first NumTablas
// table definitions of BdDParticular, system tables included.
bool ExisteTabla(Estado& estado, const std::string& nombre);

// A value read from a database that is not what the program needs (Null, not a
// number, out of range); the message names the database, table, record and column,
// escaped where they hold bytes that cannot be shown.
class ValorNoValido : public std::runtime_error {
  public:
    explicit ValorNoValido(const std::string& mensaje)
        : std::runtime_error(engine::printable(mensaje)) {}
};

// A recordset walked row by row, which knows where it reads from so that a
// value that does not convert ends the program with a message saying where.
class LectorRegistros {
  public:
    LectorRegistros(engine::Database& bdd, const std::string& sentencia, engine::OpenMode modo);

    bool fin() const { return rs_->eof(); }
    void siguiente();
    engine::Recordset& recordset() { return *rs_; }
    bool tieneCampo(const std::string& campo) const { return rs_->schema().find(campo) >= 0; }

    engine::Value valor(const std::string& campo) { return rs_->field(campo); }
    std::string texto(const std::string& campo);  // Null is an error
    int32_t entero32(const std::string& campo);   // Null or non-numeric is an error
    int16_t entero16(const std::string& campo);   // also out of 16-bit range
    double numero(const std::string& campo);      // Null or non-numeric is an error
    bool siNo(const std::string& campo);          // Null is false

    // Ends the program: the value of `campo` in the current record is not what it must be.
    [[noreturn]] void valorNoValido(const std::string& campo, const std::string& motivo);

  private:
    template <typename Conversion>
    auto convierte(const std::string& campo, Conversion conversion);

    std::string ruta_;
    std::unique_ptr<engine::Recordset> rs_;
    int32_t numero_ = 1;  // position of the current record, from 1
};

// Removes leading and trailing spaces (spaces only, as the catalog loads do).
std::string QuitaEspacios(const std::string& texto);

}  // namespace pelmora

// One record read whole by a lookup, with what names it in messages: a field read
// as text or number that is Null, or not a number, ends the program with a message
// naming the database, the table, the record and the column.
#pragma once

#include <cstdint>
#include <string>

#include "db/engine/Cursor.h"
#include "db/engine/Schema.h"

namespace pelmora {

// Which record it is in messages: "<antes><mslink><despues>", put together only
// when a message needs it (a lookup per ATR makes millions of records).
struct CualRegistro {
    const char* antes;
    int32_t mslink;
    const char* despues = "";
    std::string Texto() const { return antes + std::to_string(mslink) + despues; }
};

class RegistroLeido {
  public:
    // `ruta` outlives the record.
    RegistroLeido(const std::string& ruta, const engine::TableSchema& tabla, engine::Row fila,
                  CualRegistro cual)
        : ruta_(&ruta), tabla_(&tabla), fila_(std::move(fila)), cual_(cual) {}

    const std::string& Tabla() const { return tabla_->name; }

    bool EsNulo(const std::string& campo) const { return Valor(campo).isNull(); }
    // A number in decimal, a text as stored; Null is an error.
    std::string Texto(const std::string& campo) const;
    // Rounded to an integer as the runtime does; Null, not a number or beyond 32
    // bits is an error.
    int32_t Entero32(const std::string& campo) const;

    // Ends the program: `campo` of this record is not what the lookup needs.
    [[noreturn]] void NoValido(const std::string& campo, const std::string& motivo) const;

  private:
    // The field's value; a column the table lacks is the engine's error.
    const engine::Value& Valor(const std::string& campo) const;

    const std::string* ruta_;
    const engine::TableSchema* tabla_;
    engine::Row fila_;
    CualRegistro cual_;
};

// The message of a value that is not what the program needs, naming where it is.
std::string MensajeValorNoValido(const std::string& ruta, const std::string& tabla,
                                 const std::string& cual, const std::string& campo,
                                 const std::string& motivo);

}  // namespace pelmora

// The merge's in-memory view of one General table, read once and kept current
// with the records the merge appends: which keys have an equivalent record, and
// the highest mslink below 60000. It answers as a scan of the table in mslink
// order would, records appended earlier in the run included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "db/Lectura.h"
#include "db/engine/Database.h"

namespace pelmora {

// What makes two records equivalent: the key text and, but in 199ETIQUETAS, the
// class number; in 199ETIQUETAS, Tmapa (equal texts, or both Null) instead.
struct ClaveFusion {
    std::string texto;
    int32_t clase = 0;
    std::optional<std::string> mapa;
};

class VistaGeneral {
  public:
    VistaGeneral(engine::Database& general, const std::string& tabla, bool etiquetas);

    // Whether the table holds a record equivalent to the key. A record whose Clasific
    // is not a number ends the program when the scan would meet it before the first
    // equivalent record (or meet it at all, when there is none).
    bool TieneEquivalente(const ClaveFusion& clave) const;
    // The largest mslink below 60000; 0 when there is none.
    int32_t MayorNumero() const { return mayor_; }
    // A record just appended with this key under this mslink.
    void Anota(const ClaveFusion& clave, int32_t mslink);

  private:
    // Where a record comes in "ORDER BY mslink": Nulls first, then by number, then
    // in stored order (records appended by the merge come after the rest).
    struct Posicion {
        bool conNumero = false;
        double mslink = 0;
        int64_t orden = 0;
        auto operator<=>(const Posicion&) const = default;
    };

    std::string Indice(const std::string& texto, int32_t clase,
                       const std::optional<std::string>& mapa) const;
    void AnotaPrimera(const std::string& indice, const Posicion& posicion);

    bool etiquetas_;
    std::unordered_map<std::string, Posicion> primera_;  // first equivalent record of each key
    std::optional<Posicion> posicionIlegible_;           // first record with a bad Clasific
    std::optional<ValorNoValido> errorIlegible_;
    int32_t mayor_ = 0;
    int64_t siguienteOrden_ = 0;
};

}  // namespace pelmora

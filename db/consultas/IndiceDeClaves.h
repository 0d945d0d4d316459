// Records grouped by key, for lookups by equality over a whole table: for each
// distinct key (bytes), how many records have it and some values of the first.
// Each key is kept once in one text, with its hash, count and lengths before it
// and the values after it; a flat open-addressing table of 8-byte slots (part of
// the hash and where the key starts) finds it. A lookup reads two places in
// memory, the slots of a table of ten thousand keys fit in the processor's
// second-level cache, and a table of a million records costs tens of megabytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// A place beside a key where a caller keeps a number it worked out from the key's
// first record, for the next lookup that finds the same key. An answer that comes
// from no index has none: nothing is kept, nothing is read.
class Nota {
  public:
    explicit Nota(char* lugar = nullptr) : lugar_(lugar) {}
    // What was kept; none before the first Guarda.
    std::optional<int64_t> Lee() const;
    // Any number but the lowest.
    void Guarda(int64_t valor);

  private:
    char* lugar_;
};

class IndiceDeClaves {
  public:
    struct Hallado {
        int32_t cuantos = 0;
        std::string_view valores;  // of the first record with the key
        Nota nota;
    };

    // Counts one more record with `clave`; for the first, `valores(texto)` appends
    // what is kept of it to `texto`.
    template <typename Valores>
    void Anade(std::string_view clave, Valores&& valores) {
        const uint64_t hash = Hash(clave);
        Hueco& hueco = Busca(clave, hash);
        if (hueco.entrada != 0) {
            Cabecera cabecera = CabeceraEn(hueco);
            ++cabecera.cuantos;
            Escribe(Inicio(hueco), cabecera);
            return;
        }
        const size_t inicio = datos_.size();
        datos_.append(sizeof(Cabecera), '\0');
        datos_.append(clave);
        valores(datos_);
        const auto largoValores =
            static_cast<uint32_t>(datos_.size() - inicio - sizeof(Cabecera) - clave.size());
        datos_.resize((datos_.size() + kAlineacion - 1) / kAlineacion * kAlineacion, '\0');
        Escribe(inicio, {hash, kSinNota, 1, static_cast<uint32_t>(clave.size()), largoValores,
                         static_cast<uint32_t>(datos_.size() - inicio)});
        hueco = {static_cast<uint32_t>(hash >> 32), Entrada(inicio)};
        if (2 * ++claves_ > huecos_.size()) Amplia();
    }

    // The records with `clave`; none when no record has it.
    std::optional<Hallado> Busca(std::string_view clave);

  private:
    // What precedes each key in datos_; entries start at multiples of kAlineacion.
    static constexpr int64_t kSinNota = INT64_MIN;
    struct Cabecera {
        uint64_t hash = 0;
        int64_t nota = kSinNota;  // read and written through Nota
        int32_t cuantos = 0;
        uint32_t largoClave = 0;
        uint32_t largoValores = 0;
        uint32_t largo = 0;  // of the whole entry, this header and padding included
    };
    static constexpr size_t kAlineacion = alignof(Cabecera);
    struct Hueco {
        uint32_t hashAlto = 0;
        uint32_t entrada =
            0;  // where the entry starts in datos_, in kAlineacion units, + 1; 0 when free
    };

    static uint64_t Hash(std::string_view clave);
    static uint32_t Entrada(size_t inicio);
    static size_t Inicio(const Hueco& hueco) { return (hueco.entrada - 1) * kAlineacion; }
    Cabecera CabeceraEn(size_t inicio) const;
    Cabecera CabeceraEn(const Hueco& hueco) const { return CabeceraEn(Inicio(hueco)); }
    void Escribe(size_t inicio, const Cabecera& cabecera);
    // The place of `clave`: its own, or the free one where it would go.
    const Hueco& Busca(std::string_view clave, uint64_t hash) const;
    Hueco& Busca(std::string_view clave, uint64_t hash);
    void Amplia();

    std::string datos_;
    size_t claves_ = 0;
    std::vector<Hueco> huecos_ = std::vector<Hueco>(16);
};

}  // namespace pelmora

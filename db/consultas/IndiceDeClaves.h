// Records grouped by key, for lookups by equality over a whole table: for each
// distinct key (bytes), how many records have it and some values of the first.
// Each key is kept once in one text, after its count and lengths and before the
// values, and found through a flat open-addressing table that holds part of its
// hash: a lookup reads two places in memory, and a table of a million records
// costs tens of megabytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class IndiceDeClaves {
  public:
    struct Hallado {
        int32_t cuantos = 0;
        std::string_view valores;  // of the first record with the key
    };

    // Counts one more record with `clave`; for the first, `valores(texto)` appends
    // what is kept of it to `texto`.
    template <typename Valores>
    void Anade(std::string_view clave, Valores&& valores) {
        const uint64_t hash = Hash(clave);
        Hueco& hueco = Busca(clave, hash);
        if (hueco.entrada != 0) {
            Cabecera cabecera = CabeceraEn(hueco.entrada - 1);
            ++cabecera.cuantos;
            datos_.replace(hueco.entrada - 1, sizeof cabecera,
                           reinterpret_cast<const char*>(&cabecera), sizeof cabecera);
            return;
        }
        const size_t inicio = datos_.size();
        Cabecera cabecera{1, static_cast<uint32_t>(clave.size()), 0};
        datos_.append(sizeof cabecera, '\0');
        datos_.append(clave);
        valores(datos_);
        cabecera.largoValores =
            static_cast<uint32_t>(datos_.size() - inicio - sizeof cabecera - clave.size());
        datos_.replace(inicio, sizeof cabecera, reinterpret_cast<const char*>(&cabecera),
                       sizeof cabecera);
        hueco = {inicio + 1, static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(hash)};
        if (2 * ++claves_ > huecos_.size()) Amplia();
    }

    // The records with `clave`; none when no record has it.
    std::optional<Hallado> Busca(std::string_view clave) const;

  private:
    // What precedes each key in datos_.
    struct Cabecera {
        int32_t cuantos = 0;
        uint32_t largoClave = 0;
        uint32_t largoValores = 0;
    };
    // The key's whole hash is kept beside its place (in what would be padding), so
    // that growing the table never reads the keys again.
    struct Hueco {
        size_t entrada = 0;  // where the key's Cabecera starts in datos_, + 1; 0 when free
        uint32_t hashAlto = 0;
        uint32_t hashBajo = 0;
    };

    static uint64_t Hash(std::string_view clave);
    Cabecera CabeceraEn(size_t inicio) const;
    // The place of `clave`: its own, or the free one where it would go.
    const Hueco& Busca(std::string_view clave, uint64_t hash) const;
    Hueco& Busca(std::string_view clave, uint64_t hash);
    void Amplia();

    std::string datos_;
    size_t claves_ = 0;
    std::vector<Hueco> huecos_ = std::vector<Hueco>(16);
};

}  // namespace pelmora

// The records of a table by mslink, with room beside each for what the caller works
// out from its record, so that an ATR whose record was met before costs one place
// in memory and one whose record was not costs two. Where the column mslink holds
// numbers, one scan reads every record as "Select T.* from T WHERE mslink=<n>;"
// would find them (equal by value, Null matching nothing) and keeps of the first
// the fields asked for. Elsewhere it holds only what the caller noted, and the
// caller asks its lookups (ConsultasEnMemoria.h) for the records.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "db/consultas/ConsultasEnMemoria.h"
#include "db/consultas/TablaPorMslink.h"
#include "db/engine/Database.h"

namespace pelmora {

class RegistrosPorMslink {
  public:
    static constexpr int64_t kSinAnotar = std::numeric_limits<int64_t>::min();

    struct Registros {
        int64_t anotado = kSinAnotar;  // what the caller noted for this mslink
        uint32_t desde = 0;            // where the fields of the first are kept
        int32_t cuantos = 0;           // records read with this mslink
    };

    // Reads every record of `tabla` when its column mslink holds numbers, keeping
    // the fields `campos` that the table has. False, with nothing read, where it
    // cannot: the caller's lookups then meet what failed, where they would.
    bool Lee(engine::Database& bdd, const std::string& tabla,
             const std::vector<std::string>& campos) noexcept;
    // Whether every record was read: an mslink not found then has none.
    bool Leidos() const { return leidos_; }

    // The records read, or the note, for this mslink; null when there is neither.
    Registros* Busca(int32_t mslink) { return registros_.Busca(mslink); }
    // What the lookup of this mslink selects, from records Busca found.
    ResultadoConsulta Resultado(const Registros& registros) const;
    // Notes `anotado` for this mslink.
    void Anota(int32_t mslink, int64_t anotado);
    // A record whose note is worked out ahead: its mslink, what the lookup of it
    // selects, and the note once worked out.
    struct Pendiente {
        int32_t mslink = 0;
        ResultadoConsulta resultado;
        std::optional<int64_t> anotado;
    };
    // Works out ahead the notes of up to `cuantos` more mslinks read that have one
    // record and none yet, in the table's order from where the last call stopped, in
    // groups that `calcula(std::vector<Pendiente>&)` works out together; their
    // fields are fetched a few records ahead. Once a group comes back with one not
    // worked out, nothing more is worked out ahead: the lookups that need those
    // records then meet what they meet.
    template <typename Calcula>
    void AnotaPorAdelantado(size_t cuantos, Calcula&& calcula) noexcept;
    // Room for notes on `cuantos` mslinks.
    void Reserva(size_t cuantos) { registros_.Reserva(cuantos); }

  private:
    static constexpr size_t kDistancia = 16;  // slots whose fields are fetched ahead
    static constexpr size_t kGrupo = 16;      // records placed or worked out together
    static constexpr size_t kMuestra = 1024;  // records read before room is made for all

    void LeeTabla(engine::Database& bdd, const std::string& tabla,
                  const std::vector<std::string>& campos);

    TablaPorMslink<Registros> registros_;
    engine::TableSchema campos_;  // the fields kept, as a table of their own
    std::string guardados_;       // the fields kept of each first record, packed
    bool leidos_ = false;
    size_t siguiente_ = 0;  // the slot where working out ahead goes on
};

template <typename Calcula>
void RegistrosPorMslink::AnotaPorAdelantado(size_t cuantos, Calcula&& calcula) noexcept try {
    const size_t huecos = leidos_ ? registros_.Huecos() : 0;
    size_t adelante = siguiente_;
    int32_t mslink = 0;
    std::vector<Pendiente> grupo;
    std::vector<Registros*> suyos;
    while (cuantos > 0 && siguiente_ < huecos) {
        grupo.clear();
        suyos.clear();
        for (; siguiente_ < huecos && grupo.size() < std::min(cuantos, kGrupo); ++siguiente_) {
            for (; adelante < huecos && adelante < siguiente_ + kDistancia; ++adelante)
                if (const Registros* registros = registros_.En(adelante, mslink))
                    __builtin_prefetch(guardados_.data() + registros->desde);
            Registros* registros = registros_.En(siguiente_, mslink);
            if (!registros || registros->cuantos != 1 || registros->anotado != kSinAnotar) continue;
            grupo.push_back({mslink, Resultado(*registros), std::nullopt});
            suyos.push_back(registros);
        }
        calcula(grupo);
        for (size_t k = 0; k < grupo.size(); ++k) {
            if (!grupo[k].anotado) {
                siguiente_ = huecos;
                return;
            }
            suyos[k]->anotado = *grupo[k].anotado;
        }
        cuantos -= grupo.size();
    }
} catch (...) {
    siguiente_ = registros_.Huecos();
}

}  // namespace pelmora

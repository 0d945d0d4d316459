// A table from mslink (a 32-bit number) to a value, kept in one flat array with
// open addressing, on large pages when large: a lookup touches one place in memory,
// where a node-based map touches two or three, which is what a walk of a million
// scattered mslinks pays.
#pragma once

#include <cstdint>
#include <vector>

#include "db/engine/LargeMemory.h"

namespace pelmora {

template <typename Valor>
class TablaPorMslink {
  public:
    // The value kept for `mslink`; null when there is none.
    Valor* Busca(int32_t mslink) {
        if (huecos_.empty()) return nullptr;
        for (size_t i = Inicio(mslink);; i = (i + 1) & mascara_) {
            Hueco& hueco = huecos_[i];
            if (!hueco.usado) return nullptr;
            if (hueco.mslink == mslink) return &hueco.valor;
        }
    }

    // Asks the processor to fetch where `mslink` would be, ahead of its lookup or
    // insertion: a batch of scattered mslinks then waits for memory about once.
    void Anticipa(int32_t mslink) const {
        if (!huecos_.empty()) __builtin_prefetch(&huecos_[Inicio(mslink)]);
    }

    // Keeps `valor` for `mslink` unless a value is kept already (the first stays).
    void InsertaSiFalta(int32_t mslink, const Valor& valor) {
        if (2 * (usados_ + 1) > huecos_.size())
            Amplia(huecos_.size() < 16 ? 16 : 2 * huecos_.size());
        for (size_t i = Inicio(mslink);; i = (i + 1) & mascara_) {
            Hueco& hueco = huecos_[i];
            if (hueco.usado && hueco.mslink != mslink) continue;
            if (!hueco.usado) {
                hueco = {mslink, true, valor};
                ++usados_;
            }
            return;
        }
    }

    // Room for `cuantos` mslinks without growing: a table whose size is known is
    // made once, not copied at every doubling.
    void Reserva(size_t cuantos) {
        size_t huecos = huecos_.size() < 16 ? 16 : huecos_.size();
        while (huecos < 2 * cuantos) huecos *= 2;
        if (huecos > huecos_.size()) Amplia(huecos);
    }

    // The slots, one by one: how many there are, and the value kept at the i-th
    // (with its mslink) or null where none is.
    size_t Huecos() const { return huecos_.size(); }
    Valor* En(size_t i, int32_t& mslink) {
        Hueco& hueco = huecos_[i];
        mslink = hueco.mslink;
        return hueco.usado ? &hueco.valor : nullptr;
    }

  private:
    struct Hueco {
        int32_t mslink = 0;
        bool usado = false;
        Valor valor{};
    };

    // Multiplicative hashing: consecutive mslinks spread over the whole array.
    size_t Inicio(int32_t mslink) const {
        return ((static_cast<uint32_t>(mslink) * 0x9E3779B1u) >> desplazamiento_) & mascara_;
    }

    void Amplia(size_t huecos) {
        std::vector<Hueco, engine::LargeAllocator<Hueco>> anteriores(huecos);
        anteriores.swap(huecos_);
        mascara_ = huecos_.size() - 1;
        desplazamiento_ = 32;
        for (size_t n = huecos_.size(); n > 1; n >>= 1) --desplazamiento_;
        usados_ = 0;
        for (const Hueco& hueco : anteriores)
            if (hueco.usado) InsertaSiFalta(hueco.mslink, hueco.valor);
    }

    std::vector<Hueco, engine::LargeAllocator<Hueco>> huecos_;
    size_t mascara_ = 0;
    int desplazamiento_ = 32;
    size_t usados_ = 0;
};

}  // namespace pelmora

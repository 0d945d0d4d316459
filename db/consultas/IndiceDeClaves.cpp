#include "db/consultas/IndiceDeClaves.h"

#include <cstring>
#include <functional>
#include <utility>

namespace pelmora {

uint64_t IndiceDeClaves::Hash(std::string_view clave) {
    return std::hash<std::string_view>{}(clave);
}

IndiceDeClaves::Cabecera IndiceDeClaves::CabeceraEn(size_t inicio) const {
    Cabecera cabecera;
    std::memcpy(&cabecera, datos_.data() + inicio, sizeof cabecera);
    return cabecera;
}

const IndiceDeClaves::Hueco& IndiceDeClaves::Busca(std::string_view clave, uint64_t hash) const {
    const size_t mascara = huecos_.size() - 1;
    const auto alto = static_cast<uint32_t>(hash >> 32);
    for (size_t i = hash & mascara;; i = (i + 1) & mascara) {
        const Hueco& hueco = huecos_[i];
        if (hueco.entrada == 0) return hueco;
        if (hueco.hashAlto != alto) continue;
        const size_t inicio = hueco.entrada - 1;
        if (CabeceraEn(inicio).largoClave == clave.size() &&
            std::string_view(datos_).substr(inicio + sizeof(Cabecera), clave.size()) == clave)
            return hueco;
    }
}

IndiceDeClaves::Hueco& IndiceDeClaves::Busca(std::string_view clave, uint64_t hash) {
    return const_cast<Hueco&>(std::as_const(*this).Busca(clave, hash));
}

std::optional<IndiceDeClaves::Hallado> IndiceDeClaves::Busca(std::string_view clave) const {
    const Hueco& hueco = Busca(clave, Hash(clave));
    if (hueco.entrada == 0) return std::nullopt;
    const Cabecera cabecera = CabeceraEn(hueco.entrada - 1);
    return Hallado{cabecera.cuantos, std::string_view(datos_).substr(
                                         hueco.entrada - 1 + sizeof(Cabecera) + cabecera.largoClave,
                                         cabecera.largoValores)};
}

// Doubles the table and places every key again, by the hash it was placed with.
void IndiceDeClaves::Amplia() {
    std::vector<Hueco> anteriores(2 * huecos_.size());
    anteriores.swap(huecos_);
    const size_t mascara = huecos_.size() - 1;
    for (const Hueco& hueco : anteriores) {
        if (hueco.entrada == 0) continue;
        const uint64_t hash = uint64_t(hueco.hashAlto) << 32 | hueco.hashBajo;
        size_t i = hash & mascara;
        while (huecos_[i].entrada != 0) i = (i + 1) & mascara;
        huecos_[i] = hueco;
    }
}

}  // namespace pelmora

#include "db/consultas/IndiceDeClaves.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <stdexcept>
#include <utility>

namespace pelmora {

std::optional<int64_t> Nota::Lee() const {
    if (!lugar_) return std::nullopt;
    int64_t valor = 0;
    std::memcpy(&valor, lugar_, sizeof valor);
    if (valor == INT64_MIN) return std::nullopt;
    return valor;
}

void Nota::Guarda(int64_t valor) {
    if (lugar_) std::memcpy(lugar_, &valor, sizeof valor);
}

uint64_t IndiceDeClaves::Hash(std::string_view clave) {
    return std::hash<std::string_view>{}(clave);
}

uint32_t IndiceDeClaves::Entrada(size_t inicio) {
    const size_t entrada = inicio / kAlineacion + 1;
    if (entrada > std::numeric_limits<uint32_t>::max())
        throw std::length_error("Demasiados registros distintos para buscarlos en memoria");
    return static_cast<uint32_t>(entrada);
}

IndiceDeClaves::Cabecera IndiceDeClaves::CabeceraEn(size_t inicio) const {
    Cabecera cabecera;
    std::memcpy(&cabecera, datos_.data() + inicio, sizeof cabecera);
    return cabecera;
}

void IndiceDeClaves::Escribe(size_t inicio, const Cabecera& cabecera) {
    std::memcpy(datos_.data() + inicio, &cabecera, sizeof cabecera);
}

const IndiceDeClaves::Hueco& IndiceDeClaves::Busca(std::string_view clave, uint64_t hash) const {
    const size_t mascara = huecos_.size() - 1;
    const auto alto = static_cast<uint32_t>(hash >> 32);
    for (size_t i = hash & mascara;; i = (i + 1) & mascara) {
        const Hueco& hueco = huecos_[i];
        if (hueco.entrada == 0) return hueco;
        if (hueco.hashAlto != alto) continue;
        const Cabecera cabecera = CabeceraEn(hueco);
        if (cabecera.hash == hash && cabecera.largoClave == clave.size() &&
            std::string_view(datos_).substr(Inicio(hueco) + sizeof cabecera, clave.size()) == clave)
            return hueco;
    }
}

IndiceDeClaves::Hueco& IndiceDeClaves::Busca(std::string_view clave, uint64_t hash) {
    return const_cast<Hueco&>(std::as_const(*this).Busca(clave, hash));
}

std::optional<IndiceDeClaves::Hallado> IndiceDeClaves::Busca(std::string_view clave) {
    const Hueco& hueco = Busca(clave, Hash(clave));
    if (hueco.entrada == 0) return std::nullopt;
    const size_t inicio = Inicio(hueco);
    const Cabecera cabecera = CabeceraEn(inicio);
    return Hallado{cabecera.cuantos,
                   std::string_view(datos_).substr(inicio + sizeof cabecera + cabecera.largoClave,
                                                   cabecera.largoValores),
                   Nota(datos_.data() + inicio + offsetof(Cabecera, nota))};
}

// Doubles the table and places every key again by its hash, walking the entries
// in the order they were added: the keys themselves are not read again.
void IndiceDeClaves::Amplia() {
    huecos_.assign(2 * huecos_.size(), Hueco{});
    const size_t mascara = huecos_.size() - 1;
    for (size_t inicio = 0; inicio < datos_.size();) {
        const Cabecera cabecera = CabeceraEn(inicio);
        size_t i = cabecera.hash & mascara;
        while (huecos_[i].entrada != 0) i = (i + 1) & mascara;
        huecos_[i] = {static_cast<uint32_t>(cabecera.hash >> 32), Entrada(inicio)};
        inicio += cabecera.largo;
    }
}

}  // namespace pelmora

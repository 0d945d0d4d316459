#include "tests/support/BinPrueba.h"

#include <filesystem>
#include <fstream>

#include "tests/support/Fallo.h"

namespace pelmora::prueba {

Bytes Le16(int v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

Bytes Le32(int64_t v) {
    Bytes b;
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
}

int64_t BinPrueba::Elemento(const Bytes& tipo, const Bytes& codigo, int numRegistros,
                            const std::vector<Atr>& atributos) {
    const auto inicio = static_cast<int64_t>(bytes_.size());
    Bytes e = tipo + codigo + Bytes(7 - codigo.size(), '\0') + static_cast<char>(atributos.size()) +
              Le16(numRegistros);
    for (int i = 0; i < 36; ++i) e += static_cast<char>(0x80 + i);
    for (int r = 0; r < numRegistros; ++r)
        for (int j = 0; j < 12; ++j) e += static_cast<char>(16 * (r + 1) + j);
    for (const Atr& a : atributos)
        e += Le16(a.entitynum) + Le32(a.mslink) + "rest" + Le16(atributos_++);
    bytes_ += e;
    return inicio;
}

int64_t BinPrueba::PosicionAtr(int64_t inicio, int k) const {
    const auto numRegistros =
        static_cast<int16_t>(static_cast<uint8_t>(bytes_[inicio + 10]) |
                             (static_cast<uint8_t>(bytes_[inicio + 11]) << 8));
    return inicio + 48 + 12 * (numRegistros + k);
}

Bytes BinPrueba::ConMslink(int64_t posicion, int32_t mslink) const {
    Bytes b = bytes_;
    b.replace(static_cast<size_t>(posicion + 2), 4, Le32(mslink));
    return b;
}

void BinPrueba::Escribe(const std::string& ruta) const {
    std::ofstream(ruta, std::ios::binary | std::ios::trunc) << bytes_;
}

Bytes LeeFichero(const std::string& ruta) {
    return contents(ruta);
}

std::map<std::string, Bytes> LeeCarpeta(const std::string& carpeta) {
    std::map<std::string, Bytes> ficheros;
    for (const auto& entrada : std::filesystem::recursive_directory_iterator(carpeta))
        if (entrada.is_regular_file())
            ficheros[entrada.path().string()] = LeeFichero(entrada.path());
    return ficheros;
}

}  // namespace pelmora::prueba

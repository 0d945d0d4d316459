#include "db/engine/jet/Header.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "db/engine/Error.h"

namespace pelmora::engine::jet {

namespace {

constexpr int kVersionOffset = 0x14;
constexpr int kMaskedStart = 0x18;
constexpr int kCodePageOffset = 0x3C;
constexpr int kKeyOffset = 0x3E;
constexpr int kPasswordOffset = 0x42;
constexpr int kCreationDateOffset = 0x72;  // Jet4

uint32_t u32(const std::vector<uint8_t>& bytes, int at) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + at, sizeof v);  // the host is little-endian, as the file
    return v;
}

// Jet4 masks the password further with the four bytes of the whole part of the
// creation date, repeated; Jet3 does not.
std::array<uint8_t, 4> passwordMask(const std::vector<uint8_t>& bytes, const Format& f) {
    std::array<uint8_t, 4> mask{};
    if (!f.unicode) return mask;
    double created;
    std::memcpy(&created, bytes.data() + kCreationDateOffset, sizeof created);
    if (!(std::fabs(created) < 0x1p31)) return mask;
    const int32_t day = static_cast<int32_t>(created);
    std::memcpy(mask.data(), &day, sizeof day);
    return mask;
}

// Whether a database password is set: its unmasked characters are not all zero.
bool hasPassword(const std::vector<uint8_t>& bytes, const Format& f) {
    const std::array<uint8_t, 4> mask = passwordMask(bytes, f);
    const int length = f.unicode ? 40 : 20;
    for (int i = 0; i < length; ++i)
        if ((bytes[kPasswordOffset + i] ^ mask[i % 4]) != 0) return true;
    return false;
}

// A database Access encoded has every page past the header scrambled with a key
// stream from the database key; the engine does not undo it, so nothing it read
// from those pages could be trusted.
void requireUnencoded(const std::vector<uint8_t>& bytes, const PageFile& file, bool password) {
    if (u32(bytes, kKeyOffset) == 0) return;
    throw Error("No se puede leer la base de datos «" + file.path() +
                "»: " + (password ? "está protegida con una contraseña y " : "") +
                "está codificada, y sus páginas no se leen sin descodificarla; "
                "descodifíquela en Access (Herramientas > Seguridad > Codificar o "
                "descodificar base de datos) y vuelva a intentarlo");
}

}  // namespace

void maskHeaderArea(uint8_t* area, int length) {
    // RC4 with the four key bytes of 0x6B39DAC7 in little-endian order.
    const uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<uint8_t, 256> s;
    for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        area[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

Header readHeader(PageFile& file) {
    std::vector<uint8_t> bytes = file.readStart(kJet3.pageSize);
    if (bytes.size() < 0x100 || std::memcmp(bytes.data() + 4, "Standard Jet DB", 15) != 0)
        file.corrupt("la cabecera no es la de una base de datos de Access");
    Header header;
    switch (bytes[kVersionOffset]) {
        case 0:
            header.format = &kJet3;
            break;
        case 1:
            header.format = &kJet4;
            break;
        default:
            throw Error("«" + file.path() + "» es de una versión de Access posterior a 2003 " +
                        "(versión de formato " + std::to_string(bytes[kVersionOffset]) +
                        "), que no se admite: guárdela en formato Access 2000-2003 (.mdb)");
    }
    const Format& f = *header.format;
    if (file.fileSize() < 3ull * f.pageSize)
        file.corrupt("el fichero está truncado (" + std::to_string(file.fileSize()) +
                     " bytes, menos que las páginas que toda base de datos tiene)");
    maskHeaderArea(bytes.data() + kMaskedStart, f.maskedLength);
    const auto u16 = [&](int at) { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); };
    header.password = hasPassword(bytes, f);
    requireUnencoded(bytes, file, header.password);
    header.codePage = u16(kCodePageOffset);
    header.sortOrder = u16(f.sortOrderOffset);
    if (f.sortVersionOffset >= 0) header.sortVersion = bytes[f.sortVersionOffset];
    file.setFormat(f);
    if (!f.unicode) file.setCodePage(CodePage(header.codePage, file.path()));
    return header;
}

}  // namespace pelmora::engine::jet

// The BIN file layer: record layouts byte by byte, the binary file, the element
// extent rule, the integrity check and the error BIN file, on hand-built bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/PantallaGuion.h"
#include "ficherobin/Elemento.h"
#include "ficherobin/FicheroBinario.h"
#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/Modulo_tipo.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/TempDir.h"

using namespace pelmora;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using prueba::Bytes;
using prueba::Le16;
using prueba::Le32;

// One element written out by hand (see BinPrueba.h for its bytes).
Bytes elemento(const Bytes& tipo, const Bytes& codigo, int numRegistros,
               const std::vector<prueba::Atr>& atributos) {
    prueba::BinPrueba bin;
    bin.Elemento(tipo, codigo, numRegistros, atributos);
    return bin.bytes();
}

// A temporary folder with files written from bytes.
class Temporal : public prueba::TempDir {
  public:
    std::string ruta(const std::string& nombre) const { return path(nombre); }
    std::string escribe(const std::string& nombre, const Bytes& contenido) const {
        std::ofstream(ruta(nombre), std::ios::binary) << contenido;
        return ruta(nombre);
    }
};

int descriptoresAbiertos() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

// Runs the check as the top level does; returns the port's calls.
std::vector<std::string> chequea(const std::string& ruta) {
    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.NombreFicheroBin = ruta;
    ejecutaHastaFin(pantalla, [&] { ChequeaFicheroBin(estado); });
    return pantalla.llamadas;
}

const std::vector<std::string> kPasa = {"ocupado", "normal"};
const std::vector<std::string> kCorrupto = {"ocupado", "normal",
                                            "mensaje|16|Pelmora|Fichero Corrupto", "terminar"};

}  // namespace

// The layout is checked through the bytes the walk reads, the markers and the
// rewritten ATRs; here what those never hold.
TEST(RegistrosBin, DisposicionByteAByte) {
    // Header: an unsigned count above 127, a signed count.
    Bytes cab = "C=1234\0\0\0"s + char(200) + Le16(-2);
    CabeceraElemento c;
    c.desdeBytes(reinterpret_cast<const uint8_t*>(cab.data()));
    EXPECT_EQ(c.NumAtributos, 200);
    EXPECT_EQ(c.NumRegistros, -2);

    // ATR: signed 16-bit entity number, signed 32-bit mslink, six bytes kept as they are.
    Bytes atr = Le16(-3) + Le32(-1) + "ab\xE9\xFF\0z"s;
    AtributoOcurrencia a;
    a.desdeBytes(reinterpret_cast<const uint8_t*>(atr.data()));
    EXPECT_EQ(a.Entitynum, -3);
    EXPECT_EQ(a.Mslink, -1);
    uint8_t vuelta[12];
    a.aBytes(vuelta);
    EXPECT_EQ(Bytes(reinterpret_cast<char*>(vuelta), 12), atr);

    // Texts: cut to the field's width.
    asignaTexto(c.CodigoFeature, "123456789");
    EXPECT_EQ(textoDe(c.CodigoFeature), "1234567");
}

TEST(FicheroBinario, PosicionLongitudYRegistrosEnteros) {
    Temporal tmp;
    std::string ruta = tmp.ruta("f.bin");
    {
        FicheroBinario f(ruta, FicheroBinario::Modo::CreaSiFalta);
        EXPECT_EQ(f.longitud(), 0);
        AtributoOcurrencia a;
        a.Entitynum = 7;
        a.Mslink = 70000;
        asignaTexto(a.Resto, "xyz");
        f.escribe(a);
        f.escribe(a);
        EXPECT_EQ(f.posicion(), 24);
        EXPECT_EQ(f.longitud(), 24);
        f.situa(12);
        AtributoOcurrencia b;
        f.lee(b);
        EXPECT_EQ(b.Mslink, 70000);
        EXPECT_EQ(textoDe(b.Resto), "xyz   ");
        EXPECT_THROW(f.lee(b), ErrorFichero);  // nothing left
        EXPECT_EQ(f.posicion(), 24);
        EXPECT_THROW(f.situa(-1), ErrorFichero);
    }
    EXPECT_EQ(prueba::LeeFichero(ruta),
              Le16(7) + Le32(70000) + "xyz   " + Le16(7) + Le32(70000) + "xyz   ");

    // A write is seen by the next read, also inside the window already read.
    {
        FicheroBinario f(ruta, FicheroBinario::Modo::LecturaEscritura);
        AtributoOcurrencia a;
        f.lee(a);
        f.lee(a);
        f.situa(12);
        a.Mslink = 5;
        f.escribe(a);
        f.situa(12);
        f.lee(a);
        EXPECT_EQ(a.Mslink, 5);
    }
    EXPECT_EQ(prueba::LeeFichero(ruta).substr(14, 4), Le32(5));

    // Records that straddle the edge of the read window.
    Bytes grande;
    for (int i = 0; i < 70000; ++i) grande += char(i % 251);
    ruta = tmp.escribe("grande.bin", grande);
    FicheroBinario f(ruta, FicheroBinario::Modo::Lectura);
    f.situa(65530);
    PuntoElemento p;
    f.lee(p);
    for (int j = 0; j < 12; ++j) EXPECT_EQ(p.bytes[j], uint8_t((65530 + j) % 251));
    uint8_t cola[50];
    f.situa(69990);
    EXPECT_EQ(f.leeHasta(cola, 50), 10u);
    EXPECT_THROW(f.escribe(p), ErrorFichero);  // opened for reading only
}

TEST(FicheroBinario, ErroresEnEspanolNombrandoElFichero) {
    // A missing file read: FicherosSanosYCorruptos.
    Temporal tmp;
    std::string falta = tmp.ruta("no_existe.bin");
    EXPECT_THROW(FicheroBinario(falta, FicheroBinario::Modo::LecturaEscritura), ErrorFichero);
    EXPECT_FALSE(fs::exists(falta));
    try {
        FicheroBinario f(tmp.root().string(), FicheroBinario::Modo::Lectura);
        FAIL();
    } catch (const ErrorFichero& e) {
        EXPECT_NE(std::string(e.what()).find("es una carpeta"), std::string::npos);
    }
}

TEST(Elemento, TamanoDesdeLaCabecera) {
    auto mide = [](const Bytes& cab, int64_t inicio, int64_t longitud) {
        CabeceraElemento c;
        c.desdeBytes(reinterpret_cast<const uint8_t*>(cab.data()));
        return mideElemento(c, inicio, longitud);
    };
    // Point list: 48 + 12 x (3 body records + 2 ATRs) = 108 bytes.
    auto e = mide("C=1\0\0\0\0\0\0"s + char(2) + Le16(3), 100, 1000);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->inicio, 100);
    EXPECT_EQ(e->atributos, 184);
    EXPECT_EQ(e->siguiente, 208);
    // Text element with NumRegistros 0: 48 + 12 x NumAtributos.
    e = mide("Tx\0\0\0\0\0\0\0"s + char(1) + Le16(0), 0, 60);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->siguiente, 60);
    // A negative NumRegistros, even when the ATRs make up for it. The kind, the end
    // of the file and a stray last byte: FicherosSanosYCorruptos.
    EXPECT_FALSE(mide("C=\0\0\0\0\0\0\0"s + char(10) + Le16(-4), 0, 1000));
}

TEST(ChequeaFicheroBin, FicherosSanosYCorruptos) {
    Temporal tmp;
    Bytes sano = elemento("C=", "101", 3, {{10, 1}, {11, 2}}) + elemento("T=", "202", 2, {{1, 0}}) +
                 elemento("T=", "7", 0, {}) + elemento("CX", "101", 0, {{10, 5}});
    EXPECT_EQ(chequea(tmp.escribe("sano.bin", sano)), kPasa);
    EXPECT_EQ(chequea(tmp.escribe("uno.bin", elemento("C=", "1", 0, {}))), kPasa);

    // One stray byte after the last element is ignored; two are read as a header.
    EXPECT_EQ(chequea(tmp.escribe("b1.bin", sano + "Z")), kPasa);
    EXPECT_EQ(chequea(tmp.escribe("b2.bin", sano + "C=")), kCorrupto);
    EXPECT_EQ(chequea(tmp.escribe("b12.bin", sano + "C=\0\0\0\0\0\0\0\0\0\0"s)), kCorrupto);
    EXPECT_EQ(chequea(tmp.escribe("b48.bin", sano + elemento("C=", "", 0, {}))), kPasa);

    // Shorter than a header, empty, wrong kind (also in lower case), negative count.
    EXPECT_EQ(chequea(tmp.escribe("vacio.bin", "")), kCorrupto);
    EXPECT_EQ(chequea(tmp.escribe("corto.bin", "C=12")), kCorrupto);
    EXPECT_EQ(chequea(tmp.escribe("x.bin", sano + elemento("X=", "1", 0, {}))), kCorrupto);
    EXPECT_EQ(chequea(tmp.escribe("c.bin", elemento("c=", "1", 0, {}) + sano)), kCorrupto);
    Bytes negativo = sano + elemento("C=", "1", 0, {});
    negativo[sano.size() + 10] =
        char(0xFF);  // NumRegistros -1: the next element would start before this one
    negativo[sano.size() + 11] = char(0xFF);
    EXPECT_EQ(chequea(tmp.escribe("neg.bin", negativo)), kCorrupto);

    // A last element whose counts reach past the end: the file is truncated.
    Bytes truncado = sano + elemento("C=", "1", 2, {{10, 1}, {10, 2}});
    truncado.resize(truncado.size() - 1);
    EXPECT_EQ(chequea(tmp.escribe("trunc.bin", truncado)), kCorrupto);

    // The file is closed before the message is shown; a missing file names itself.
    int antes = descriptoresAbiertos();
    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.NombreFicheroBin = tmp.ruta("trunc.bin");
    try {
        ChequeaFicheroBin(estado);
        FAIL();
    } catch (const FinPrograma& fin) {
        EXPECT_EQ(fin.texto, "Fichero Corrupto");
        EXPECT_EQ(fin.estilo, estilo::IconoCritico);
        EXPECT_TRUE(fin.restaurarPuntero);
        EXPECT_EQ(descriptoresAbiertos(), antes);
    }
    auto llamadas = chequea(tmp.ruta("falta.bin"));
    ASSERT_EQ(llamadas.size(), 3u);
    EXPECT_EQ(llamadas[1], "mensaje|16|Pelmora|No se puede abrir el fichero «" +
                               tmp.ruta("falta.bin") + "»: no existe");
}

TEST(ErrorBin, NombreDelFicheroDeErrores) {
    EXPECT_EQ(NombreFicheroErrorBin("D:\\Hojas\\H123.bin"), "D:\\Hojas\\H123_err.bin");
    EXPECT_EQ(NombreFicheroErrorBin("/hojas/H123.BIN"), "/hojas/H123_err.bin");
    EXPECT_EQ(NombreFicheroErrorBin("/hojas/Ñandú.Bin"), "/hojas/Ñandú_err.bin");
    EXPECT_EQ(NombreFicheroErrorBin("/hojas/h.bíñ"), "/hojas/h_err.bin");  // characters, not bytes
    EXPECT_EQ(NombreFicheroErrorBin(".bin"), "_err.bin");
    EXPECT_THROW(NombreFicheroErrorBin("bin"), ErrorFichero);
}

TEST(ErrorBin, MarcadoresAnadidosSinMoverElFicheroBin) {
    Temporal tmp;
    // Element 0: point list whose first body record holds the bytes 1 to 12.
    Bytes e0 = elemento("C=", "101", 2, {{10, 1}, {10, 2}, {11, 3}, {12, 4}});
    for (int j = 0; j < 12; ++j) e0[48 + j] = char(j + 1);
    Bytes e1 = elemento("C=", "102", 0, {});         // no body record: zeros
    Bytes e2 = elemento("T=", "103", 0, {{13, 9}});  // text without records: its ATR's bytes
    Bytes e3 = elemento("T=", "104", 0, {});         // the same at the end of the file: zeros
    std::string ruta = tmp.escribe("H123.BIN", e0 + e1 + e2 + e3);
    std::string rutaErr = tmp.ruta("H123_err.bin");

    auto marcador = [&](const Bytes& codigo, const Bytes& punto) {
        Bytes m = "T="s + codigo + Bytes(7 - codigo.size(), '\0') + char(0) + Le16(2);
        for (int i = 0; i < 24; ++i) m += char(0x80 + i);
        return m + Le32(100) + Le32(8) + Le32(0) + punto + "Error\0      "s;
    };

    FicheroBinario bin(ruta, FicheroBinario::Modo::LecturaEscritura);
    bin.situa(48 + 24 + 24);  // after the second ATR of element 0, as the walk would be
    EscribeErrorBin(bin, ruta, 0, "61603");
    EXPECT_EQ(bin.posicion(), 96);
    AtributoOcurrencia siguiente;
    bin.lee(siguiente);  // the walk goes on with the third ATR
    EXPECT_EQ(siguiente.Mslink, 3);
    Bytes uno = prueba::LeeFichero(rutaErr);
    ASSERT_EQ(uno.size(), 72u);
    EXPECT_EQ(uno, marcador("61603", e0.substr(48, 12)));
    EXPECT_EQ(uno.substr(48, 12), "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C");

    int64_t p1 = static_cast<int64_t>(e0.size());
    int64_t p2 = p1 + static_cast<int64_t>(e1.size());
    int64_t p3 = p2 + static_cast<int64_t>(e2.size());
    EscribeErrorBin(bin, ruta, p1, "61601");
    Bytes dos = prueba::LeeFichero(rutaErr);
    ASSERT_EQ(dos.size(), 144u);
    EXPECT_EQ(dos.substr(0, 72), uno);
    EXPECT_EQ(dos.substr(72), marcador("61601", Bytes(12, '\0')));

    EscribeErrorBin(bin, ruta, p2, "61601");
    EscribeErrorBin(bin, ruta, p3, "61601");
    Bytes cuatro = prueba::LeeFichero(rutaErr);
    ASSERT_EQ(cuatro.size(), 288u);
    EXPECT_EQ(cuatro.substr(144, 72), marcador("61601", e2.substr(48, 12)));
    EXPECT_EQ(cuatro.substr(216, 72), marcador("61601", Bytes(12, '\0')));
    EXPECT_EQ(bin.posicion(), 108);
    bin.cierra();
    EXPECT_EQ(prueba::LeeFichero(ruta), e0 + e1 + e2 + e3);  // the BIN file itself is never written
}

// Messages that quote names, paths and values show them whole: a NUL byte no
// longer cuts the message short, and control characters and bytes that are not
// UTF-8 appear escaped as \xNN, from the engine's errors up to the run's messages.
#include <gtest/gtest.h>

#include "db/engine/Error.h"
#include "db/engine/Printable.h"
#include "db/engine/Recordset.h"
#include "runs/Procesos.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/Fallo.h"
#include "tests/support/HojaPrueba.h"

using pelmora::prueba::contents;
using pelmora::prueba::errorOf;

namespace pelmora::prueba {
namespace {

using engine::printable;
using namespace std::string_literals;

TEST(Printable, EscapaLoQueNoSePuedeMostrarYDejaLoDemas) {
    EXPECT_EQ(printable("Hoja ñandú 北京 😀 \\ «x»"), "Hoja ñandú 北京 😀 \\ «x»");
    EXPECT_EQ(printable("a\0b"s), "a\\x00b");
    EXPECT_EQ(printable("ta\tb\r\n\x7F"), "ta\\x09b\\x0D\\x0A\\x7F");
    EXPECT_EQ(printable("Espa\xF1"
                        "a"),
              "Espa\\xF1a");                                           // Latin-1, not UTF-8
    EXPECT_EQ(printable("\xC2\x85"), "\\xC2\\x85");                    // a C1 control
    EXPECT_EQ(printable("\xC0\x80"), "\\xC0\\x80");                    // an overlong NUL
    EXPECT_EQ(printable("\xED\xA0\x80"), "\\xED\\xA0\\x80");           // a surrogate
    EXPECT_EQ(printable("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80");  // past U+10FFFF
    EXPECT_EQ(printable("fin \xE2\x82"), "fin \\xE2\\x82");            // cut short
    const std::string raro = "x\0\xFF\x01ñ"s;
    EXPECT_EQ(printable(printable(raro)), printable(raro));
}

class MensajesLegibles : public ProcesoPrueba {};
INSTANTIATE_TEST_SUITE_P(Motores, MensajesLegibles, Motores(), NombreMotor);

TEST_P(MensajesLegibles, UnValorConNulSeMuestraEntero) {
    CreaTabla(*particular, "Parcela", {{"clase", engine::Type::Long}});
    auto rs = particular->openRecordset("Parcela", engine::OpenMode::Dynaset);
    rs->addNew();
    const std::string mensaje = errorOf([&] {
        rs->set("clase", T("7\0x\xFF"s));
        rs->update();
    });
    EXPECT_EQ(mensaje.rfind("No se puede guardar el valor «7\\x00x\\xFF» en el campo «clase»", 0),
              0u)
        << mensaje;
    EXPECT_NE(mensaje.find("«Parcela» en «" + particular->path() + "»"), std::string::npos)
        << mensaje;
}

TEST_P(MensajesLegibles, UnaRutaQueNoEsUtf8SeMuestraEscapada) {
    const std::string ruta = (carpeta /
                              "Espa\xF1"
                              "a.db")
                                 .string();
    EXPECT_EQ(errorOf([&] { engine::openDatabase(ruta); }),
              "No se encuentra el fichero de base de datos «" + printable(ruta) + "»");
}

// A name SQLite keeps byte for byte; Access files hold their names as UTF-16.
TEST_P(MensajesLegibles, UnNombreDeTablaRaroEnLosMensajesDelProceso) {
    if (GetParam() != Motor::Sqlite) GTEST_SKIP() << "Access guarda los nombres en UTF-16";
    CreaTabla(*particular, "Tabla \x01\xFF", {{"x"}});  // met before the catalog's tables
    CreaHoja(*particular, {{"EDIFICIOS", 10, 101, {{1, 1, "Casa A"}}}});
    EXPECT_EQ(errorOf([&] { particular->tableDef("Ma\xFFla"); }),
              "No existe la tabla «Ma\\xFFla» en la base de datos «" + particular->path() + "»");
    estado.NombreBdDGeneral.clear();
    BinPrueba b;
    b.Elemento("C=", "101", 1, {{10, 1}});
    b.Escribe(bin);
    EXPECT_FALSE(Corre(ProcesoCorrelate));
    ASSERT_EQ(pantalla.mensajes.size(), 1u);
    EXPECT_EQ(pantalla.mensajes[0], "Nombre de tabla con espacios :\rTabla \\x01\\xFF");
}

}  // namespace
}  // namespace pelmora::prueba

// The walk's lookups on their own: the feature code, the catalog, the first
// record by mslink, and the in-memory answers to the Adaptation statements
// checked against the engine running the same statements.
#include <gtest/gtest.h>

#include <map>

#include "db/Lectura.h"
#include "db/consultas/ConsultasEnMemoria.h"
#include "db/consultas/PrimerosPorMslink.h"
#include "db/engine/Error.h"
#include "db/engine/KeyTable.h"
#include "db/engine/PackedRow.h"
#include "db/engine/Recordset.h"
#include "ficherobin/Busquedas.h"
#include "tests/support/RecorridoPrueba.h"

namespace pelmora::prueba {
namespace {

TEST(CortaEnNulo, TextoHastaElPrimerNuloSinEspacios) {
    const std::string nul(1, '\0');
    for (auto [entrada, salida] :
         std::vector<std::pair<std::string, std::string>>{{"1234" + nul + nul + nul, "1234"},
                                                          {" 56 ", "56"},
                                                          {nul + "12", ""},
                                                          {" 7 " + nul + "99", "7"},
                                                          {"", ""}}) {
        std::string texto = entrada;
        CortaEnNulo(texto);
        EXPECT_EQ(texto, salida) << ::testing::PrintToString(entrada);
    }
}

TEST(BuscaTablaPorMslink, PrimeraEntradaAsignableConNombre) {
    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.ListaFeature = {{"Centroides", 7, 4, false}, {"Marcada", 7, 1, true},
                           {"  ", 7, 1, false},         {"Vias", 7, 3, false},
                           {"Otra", 7, 1, false},       {"Rios", -2, 1, false}};
    IndicesRecorrido indices(estado);
    auto busca = [&](std::string codigo) {
        std::string tabla;
        BuscaTablaPorMslink(indices, codigo, tabla);
        return tabla;
    };
    EXPECT_EQ(busca(std::string("7\0\0\0\0\0\0", 7)), "Vias");
    EXPECT_EQ(busca(" -2 "), "Rios");
    EXPECT_EQ(busca("8"), "");
    EXPECT_EQ(busca("7.4"), "Vias");  // converted as the runtime does: rounded
    EXPECT_THROW(busca("siete"), CodigoFeatureNoValido);
    EXPECT_THROW(busca(std::string("\0\0\0\0\0\0\0", 7)), CodigoFeatureNoValido);

    // A table name already in hand is kept, and nothing is converted.
    std::string codigo = "siete", tabla = "Previa";
    BuscaTablaPorMslink(indices, codigo, tabla);
    EXPECT_EQ(tabla, "Previa");
}

TEST(PackedRow, GuardaCadaValorTalCual) {
    using engine::Value;
    const engine::Row valores = {Value(),
                                 Value::boolean(true),
                                 Value::byte(200),
                                 Value::integer(-32768),
                                 Value::longInt(2147483647),
                                 Value::currency(-123456789),
                                 Value::single(0.1f),
                                 Value::dbl(-1e300),
                                 Value::dateTime(45000.5),
                                 Value::text(""),
                                 Value::text(std::string("a\0b", 3)),
                                 Value::text("memo", engine::Type::Memo),
                                 Value::binary(std::string("\x00\xFF", 2)),
                                 Value::binary("ole", engine::Type::LongBinary),
                                 Value::guid("{01234567-89AB-CDEF-0123-456789ABCDEF}"),
                                 Value::decimal("-123.45")};
    std::string fila;
    for (const Value& v : valores) engine::appendPacked(fila, v);
    EXPECT_EQ(engine::unpackRow(fila), valores);
}

// Through many growths of its table: the count of every key and the values kept
// of its first record, as a plain map counts them; keys that are prefixes of
// others, the empty key and keys never added.
TEST(KeyTable, CuentaCadaClaveYGuardaLaPrimera) {
    engine::KeyTable indice;
    std::map<std::string, std::pair<int32_t, std::string>> esperado;
    for (int i = 0; i < 50000; ++i) {
        const std::string clave = std::string(i % 3, 'k') + std::to_string((i * 7919) % 20011);
        const std::string valores = "v" + std::to_string(i);
        indice.add(clave, [&](std::string& datos) { datos += valores; });
        auto& cuenta = esperado[clave];
        if (++cuenta.first == 1) cuenta.second = valores;
    }
    indice.add("", [](std::string& datos) { datos += "vacía"; });
    esperado[""] = {1, "vacía"};
    for (const auto& [clave, cuenta] : esperado) {
        const std::optional<engine::KeyTable::Found> hallado = indice.find(clave);
        ASSERT_TRUE(hallado) << clave;
        EXPECT_EQ(hallado->count, cuenta.first) << clave;
        EXPECT_EQ(hallado->kept, cuenta.second) << clave;
    }
    for (const std::string ausente : {"k", "kk", "30000", "kkk1"})
        EXPECT_FALSE(indice.find(ausente));
}

class Busquedas : public RecorridoPrueba {};

// Every statement shape the lookups use, and some they do not, answered from memory
// and by the engine: the same count and, for a single record, the same record.
TEST_P(Busquedas, ConsultasEnMemoriaRespondenComoElMotor) {
    const std::vector<Columna> columnas = {
        {"mslink", engine::Type::Long},    {"clasific", engine::Type::Long},
        {"tcomplet", engine::Type::Text},  {"tmapa", engine::Type::Text},
        {"netiqueta", engine::Type::Memo}, {"valor", engine::Type::Double},
        {"fecha", engine::Type::DateTime}, {"cota", engine::Type::Integer}};
    const std::vector<std::string> nombres = {"mslink",    "clasific", "tcomplet", "tmapa",
                                              "netiqueta", "valor",    "cota"};
    std::vector<Fila> filas;
    const std::vector<engine::Value> textos = {
        T("Calle"),      T("CALLE"), T("calle "), T("Cálle"), T("CÁLLE"), T("D'Artagnan"),
        T("d'artagnan"), T("7"),     T(" 7"),     T("Ñu"),    T("ñu"),    Nulo()};
    const std::vector<engine::Value> clases = {L(0), L(7), L(-1), Nulo(), L(40000)};
    int n = 0;
    for (int vuelta = 0; vuelta < 2; ++vuelta)
        for (size_t t = 0; t < textos.size(); ++t)
            for (size_t c = 0; c < clases.size(); ++c, ++n) {
                if ((t * 7 + c * 3 + vuelta) % 4 == 0) continue;  // some keys once, some twice
                filas.push_back({n % 9 == 0 ? Nulo() : L(n % 23), clases[c], textos[t],
                                 textos[(t + c) % textos.size()], textos[(t + 2) % textos.size()],
                                 n % 5 == 0 ? Nulo() : engine::Value::dbl(n % 4 + 0.5 * (n % 2)),
                                 engine::Value::integer(static_cast<int16_t>(n % 3))});
            }
    Particular({});
    CreaTabla(*estado.BdDParticular, "Claves", columnas);
    Inserta(*estado.BdDParticular, "Claves", nombres, filas);

    using Condiciones = std::vector<Igualdad>;
    std::vector<Condiciones> consultas;
    for (const char* texto : {"Calle", "calle", "calle ", "CÁLLE", "D'ARTAGNAN", "7", "ÑU", ""}) {
        for (int32_t clase : {0, 7, -1, 40000, 3})
            consultas.push_back({{"tcomplet", T(texto)}, {"clasific", L(clase)}});
        consultas.push_back({{"tcomplet", T(texto)}, {"tmapa", T("calle")}});
        consultas.push_back({{"tcomplet", T(texto)}, {"netiqueta", T("ñu")}});
    }
    for (int m = -1; m < 25; ++m) consultas.push_back({{"mslink", L(m)}});
    for (const Condiciones& otra :
         std::vector<Condiciones>{{{"tcomplet", L(7)}},
                                  {{"valor", engine::Value::dbl(1.5)}},
                                  {{"valor", L(2)}},
                                  {{"cota", L(2)}},
                                  {{"clasific", T("7")}},
                                  {{"tcomplet", T("calle")}, {"tcomplet", T("CALLE")}},
                                  {{"fecha", T("2020-01-01")}}})
        consultas.push_back(otra);

    // The statement each lookup stands for, run by the engine.
    auto sentencia = [](const Condiciones& condiciones) {
        std::string donde;
        for (const Igualdad& c : condiciones) {
            std::string literal = c.literal.toText();
            if (c.literal.isText()) {
                std::string doblado = "'";
                for (char ch : literal) doblado += ch == '\'' ? "''" : std::string(1, ch);
                literal = doblado + "'";
            }
            donde += (donde.empty() ? "" : " AND ") + c.columna + "=" + literal;
        }
        return SentenciaTabla("Claves", " WHERE (" + donde + ")");
    };
    const std::vector<std::string> campos = {"netiqueta", "mslink", "Falta", "tcomplet", "valor"};
    ConsultasEnMemoria memoria(estado.BdDParticular);
    for (const Condiciones& condiciones : consultas) {
        int32_t cuantos = 0;
        engine::Row valores;
        auto rs =
            estado.BdDParticular->openRecordset(sentencia(condiciones), engine::OpenMode::Snapshot);
        if (!rs->eof()) {
            rs->moveLast();
            cuantos = rs->recordCount();
            if (cuantos == 1)
                for (const char* campo : {"netiqueta", "mslink", "tcomplet", "valor"})
                    valores.push_back(rs->field(campo));
        }
        const ResultadoConsulta obtenido = memoria.Busca("Claves", condiciones, campos);
        EXPECT_EQ(obtenido.cuantos, cuantos) << sentencia(condiciones);
        EXPECT_EQ(obtenido.valores, valores) << sentencia(condiciones);
        ASSERT_NE(obtenido.campos, nullptr);
        EXPECT_EQ(obtenido.campos->columns.size(), 4u);  // the fields the table has
    }
    // Asked all at once, the same answers, save for the two that need the database (a
    // number column compared with a text, and a date).
    const std::vector<std::optional<ResultadoConsulta>> juntas =
        memoria.BuscaVariasEnMemoria("Claves", consultas, campos);
    ASSERT_EQ(juntas.size(), consultas.size());
    size_t sinMemoria = 0;
    for (size_t k = 0; k < consultas.size(); ++k) {
        EXPECT_EQ(juntas[k].has_value(),
                  memoria.BuscaEnMemoria("Claves", consultas[k], campos).has_value());
        if (!juntas[k]) {
            ++sinMemoria;
            continue;
        }
        const ResultadoConsulta sola = memoria.Busca("Claves", consultas[k], campos);
        EXPECT_EQ(juntas[k]->cuantos, sola.cuantos) << sentencia(consultas[k]);
        EXPECT_EQ(juntas[k]->valores, sola.valores) << sentencia(consultas[k]);
    }
    EXPECT_EQ(sinMemoria, 2u);
    // A missing column or table is the engine's own error, as the statement would give.
    EXPECT_THROW(memoria.Busca("Claves", {{"tcomplet", T("a")}, {"falta", L(1)}}, campos),
                 engine::Error);
    EXPECT_THROW(memoria.Busca("NoEsta", {{"mslink", L(1)}}, campos), engine::Error);
    EXPECT_THROW(memoria.Busca("Mal nombre", {{"mslink", L(1)}}, campos), engine::Error);
}

TEST_P(Busquedas, PrimerRegistroPorMslinkComoElRecorridoDeLaTabla) {
    Particular({{"Vias", ColumnasTabla(), {{L(5)}, {Nulo()}, {L(5)}, {L(-7)}}}});
    CreaTabla(*estado.BdDParticular, "Textos",
              {{"mslink", engine::Type::Text}, {"Tcorrelate", engine::Type::Boolean}});
    Inserta(*estado.BdDParticular, "Textos", {"mslink"}, {{T("3")}, {T("tres")}, {T(" 5")}});
    CreaTabla(*estado.BdDParticular, "SinMarca", {{"mslink", engine::Type::Long}});
    Inserta(*estado.BdDParticular, "SinMarca", {"mslink"}, {{L(1)}});
    CreaTabla(*estado.BdDParticular, "SinMslink", {{"otro", engine::Type::Long}});
    engine::Database& bdd = *estado.BdDParticular;

    PrimerosPorMslink vias(bdd, "VIAS");
    ASSERT_TRUE(vias.Busca(5));
    ASSERT_TRUE(vias.Busca(-7));
    EXPECT_FALSE(vias.Busca(0));
    vias.Marca(*vias.Busca(5));
    vias.Marca(*vias.Busca(5));
    EXPECT_EQ(Marcas("Vias"), (std::vector<bool>{false, false, false, false}));  // not yet
    vias.EscribeMarcas();
    EXPECT_EQ(Marcas("Vias"), (std::vector<bool>{true, false, false, false}));

    // Text mslinks compare as numbers; one that is not a number stops every lookup
    // whose scan would meet it.
    PrimerosPorMslink textos(bdd, "Textos");
    EXPECT_TRUE(textos.Busca(3));
    try {
        textos.Busca(5);
        ADD_FAILURE() << "se esperaba un error";
    } catch (const ValorNoValido& error) {
        const std::string mensaje = error.what();
        for (const std::string& parte :
             {"«" + bdd.path() + "»", std::string("tabla «Textos»"), std::string("registro 2"),
              std::string("columna «mslink»"), std::string("mslink 5")})
            EXPECT_NE(mensaje.find(parte), std::string::npos) << mensaje;
    }
    EXPECT_THROW(textos.Busca(9), ValorNoValido);

    PrimerosPorMslink sinMarca(bdd, "SinMarca");
    EXPECT_THROW(sinMarca.Marca(*sinMarca.Busca(1)), engine::Error);
    // Without the column mslink an empty table simply holds no record; one with a
    // record cannot be read.
    EXPECT_FALSE(PrimerosPorMslink(bdd, "SinMslink").Busca(1));
    Inserta(bdd, "SinMslink", {"otro"}, {{L(1)}});
    EXPECT_THROW(PrimerosPorMslink(bdd, "SinMslink"), engine::Error);
    EXPECT_THROW(PrimerosPorMslink(bdd, "NoEsta"), engine::Error);
}

INSTANTIATE_TEST_SUITE_P(Motores, Busquedas, ::testing::Values(Motor::Sqlite, Motor::Jet),
                         NombreMotor);

}  // namespace
}  // namespace pelmora::prueba

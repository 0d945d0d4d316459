// The walk's lookups on their own: the feature code, the catalog, the first
// record by mslink, and the in-memory answers to the Adaptation statements
// checked against the engine running the same statements.
#include <gtest/gtest.h>

#include "bin/Busquedas.h"
#include "bin/ConsultasEnMemoria.h"
#include "bin/PrimerosPorMslink.h"
#include "db/Lectura.h"
#include "db/engine/Error.h"
#include "db/engine/Recordset.h"
#include "tests/support/RecorridoPrueba.h"

namespace pelmora::prueba {
namespace {

TEST(CortaEnNulo, TextoHastaElPrimerNuloSinEspacios) {
    for (auto [entrada, salida] :
         std::vector<std::pair<std::string, std::string>>{{std::string("1234\0\0\0", 7), "1234"},
                                                          {" 56 ", "56"},
                                                          {std::string("\0"
                                                                       "12",
                                                                       3),
                                                           ""},
                                                          {std::string(" 7 \0"
                                                                       "99",
                                                                       6),
                                                           "7"},
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

TEST(ChequeaTablaElemento, PrimeraEntradaDelCatalogo) {
    PantallaGuion pantalla;
    Estado estado(pantalla);
    estado.CatalogoParticular = {{"Vias", 10}, {"VIAS2", 10}, {"Rios", 30}};
    IndicesRecorrido indices(estado);
    std::string tabla = "Anterior";
    EXPECT_TRUE(ChequeaTablaElemento(estado, indices, 10, tabla));
    EXPECT_EQ(tabla, "Vias");
    EXPECT_TRUE(ChequeaTablaElemento(estado, indices, 30, tabla));
    EXPECT_EQ(tabla, "Rios");
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

    std::vector<std::string> condiciones;
    for (const char* texto : {"Calle", "calle", "calle ", "CÁLLE", "D''ARTAGNAN", "7", "ÑU", ""}) {
        for (const char* clase : {"0", "7", "-1", "40000", "3"})
            condiciones.push_back("(tcomplet='" + std::string(texto) + "' AND clasific=" + clase +
                                  ")");
        condiciones.push_back("(tcomplet='" + std::string(texto) + "' AND tmapa='calle')");
        condiciones.push_back("(tcomplet='" + std::string(texto) + "' AND netiqueta='ñu')");
    }
    for (int m = -1; m < 25; ++m) condiciones.push_back("mslink=" + std::to_string(m));
    for (const char* otra :
         {"tcomplet=7", "valor=1.5", "valor=2", "cota=2", "clasific='7'", "mslink>20",
          "(tcomplet='calle' AND tcomplet='CALLE')", "fecha='2020-01-01'", "tcomplet<>'x'"})
        condiciones.push_back(otra);

    ConsultasEnMemoria memoria(estado.BdDParticular);
    for (const std::string& condicion : condiciones) {
        const std::string sentencia = SentenciaTabla("Claves", " WHERE " + condicion);
        ResultadoConsulta esperado;
        auto rs = estado.BdDParticular->openRecordset(sentencia, engine::OpenMode::Snapshot);
        if (!rs->eof()) {
            rs->moveLast();
            esperado.cuantos = rs->recordCount();
            if (esperado.cuantos == 1)
                for (int i = 0; i < rs->fieldCount(); ++i)
                    esperado.unico.push_back(rs->field(rs->fieldName(i)));
        }
        const ResultadoConsulta obtenido = memoria.ejecuta(sentencia);
        EXPECT_EQ(obtenido.cuantos, esperado.cuantos) << sentencia;
        EXPECT_EQ(obtenido.unico, esperado.unico) << sentencia;
    }
    // A column the table lacks is the engine's own error, as the statement would give.
    EXPECT_THROW(memoria.ejecuta(SentenciaTabla("Claves", " WHERE (tcomplet='a' AND falta=1)")),
                 engine::Error);
    EXPECT_THROW(memoria.ejecuta(SentenciaTabla("NoEsta", " WHERE mslink=1")), engine::Error);
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

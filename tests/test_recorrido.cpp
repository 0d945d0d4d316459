// The element walk on hand-built BIN files and databases: what each run counts,
// logs, marks, writes to the error BIN file and rewrites, and how it ends.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/TiposBdD.h"
#include "ficherobin/Modulo_Bin.h"
#include "ficherobin/RecorreFicheroBin.h"
#include "tests/support/RecorridoPrueba.h"

namespace pelmora::prueba {
namespace {

using Cuentas = std::vector<int32_t>;

const std::string kSinAtr = "Elemento en gráfico sin ATR";
const std::string kRepetido = "Existe ATR con la misma tabla de ocurrencias";
const std::string kInexistente = "Elemento gráfico apuntando a una tabla inexistente";
const std::string kYaAdaptado =
    "Probablemente este fichero ya ha sido adaptado o hay error en un atributo de un texto";

// What another connection to an SQLite file reads: a number from a query, or -1.
int64_t LeidoDeFuera(const std::string& ruta, const std::string& sql) {
    sqlite3* bdd = nullptr;
    int64_t n = -1;
    sqlite3_stmt* consulta = nullptr;
    if (sqlite3_open_v2(ruta.c_str(), &bdd, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(bdd, sql.c_str(), -1, &consulta, nullptr) == SQLITE_OK &&
        sqlite3_step(consulta) == SQLITE_ROW)
        n = sqlite3_column_int64(consulta, 0);
    sqlite3_finalize(consulta);
    sqlite3_close(bdd);
    return n;
}

class Recorrido : public RecorridoPrueba {
  protected:
    // Runs the walk as the top level does; true when it ended normally.
    bool Recorre(Opcion tipo) {
        estado.TipoProceso = tipo;
        return Ejecuta([&] { RecorreFicheroBin(estado, rutaBin); });
    }

    // The markers of the error BIN file: for each, its code and its insertion point.
    std::vector<std::pair<Bytes, Bytes>> Marcadores() {
        const Bytes errores = LeeFichero(NombreFicheroErrorBin(rutaBin));
        EXPECT_EQ(errores.size() % 72, 0u);
        std::vector<std::pair<Bytes, Bytes>> marcadores;
        for (size_t m = 0; m + 72 <= errores.size(); m += 72)
            marcadores.push_back({errores.substr(m + 2, 7), errores.substr(m + 48, 12)});
        return marcadores;
    }

    // On SQLite, stored in the file when the walk returns, as another connection
    // reads it: the ERRORES rows and the marked records of Vias.
    void GuardadoEnElFichero(int64_t errores, int64_t marcadas) {
        if (GetParam() != Motor::Sqlite) return;
        const std::string& p = estado.NombreBdDParticular;
        EXPECT_EQ(LeidoDeFuera(p, "SELECT count(*) FROM ERRORES"), errores);
        EXPECT_EQ(LeidoDeFuera(p, "SELECT count(*) FROM Vias WHERE Tcorrelate"), marcadas);
    }
};

// Byte j of the first body record of every element built by BinPrueba is 16 + j.
Bytes PrimerRegistro() {
    Bytes b;
    for (int j = 0; j < 12; ++j) b += static_cast<char>(16 + j);
    return b;
}

const Bytes k61601("61601\0\0", 7);
const Bytes k61603("61603\0\0", 7);

// The Correlate sheet: Vias (stored as VIAS) holds mslinks 1, 5, 5, Null and 7.
void HojaCorrelate(Estado& estado) {
    estado.CatalogoParticular = {{"Vias", 10}, {"Edificios", 20}, {"Rios", 30}, {"Otros", 30}};
    estado.ListaFeature = {{"", 100, 1, false},          {"Vias", 100, 1, false},
                           {"Edificios", 104, 4, false}, {"Rios", 105, 1, true},
                           {"Edificios", 106, 4, false}, {"Otros", 106, 2, false}};
}

TEST_P(Recorrido, CorrelateCuentaAnotaMarcaYSenalaCadaProblema) {
    Particular({{"VIAS", ColumnasTabla(), {{L(1)}, {L(5)}, {L(5)}, {Nulo()}, {L(7)}}},
                {"Edificios", ColumnasTabla(), {{L(3)}}},
                {"Rios", ColumnasTabla(), {{L(7)}}},
                {"Otros", ColumnasTabla(), {{L(7)}}}});
    HojaCorrelate(estado);
    BinPrueba bin;
    bin.Elemento("C=", "100", 2, {});                         // assignable after a blank name
    bin.Elemento("T=", "104", 3, {});                         // centroid only
    bin.Elemento("C=", "105", 1, {});                         // NoAsignar only
    bin.Elemento("C=", "999", 0, {});                         // no Feature row
    bin.Elemento("T=", " 106", 2, {});                        // centroid, then assignable
    bin.Elemento("C=", "200", 1, {{10, 5}, {1, 0}, {1, 0}});  // two Entitynum 1: no repeat
    bin.Elemento("T=", "200", 2, {{10, 1}, {10, 2}, {20, 3}, {1, 9}});
    bin.Elemento("C=", "200", 1, {{77, 4}});
    bin.Elemento("C=", "200", 1, {{30, 7}});
    bin.Elemento("C=", "200", 1, {{10, -3}});
    bin.Elemento("C=", "200", 1, {{10, 0}});
    bin.Elemento("C=", "200", 1, {{10, 7}, {1, 1}});
    bin.Elemento("C=", "200", 1, {{10, 5}});
    bin.Anade("\x01");  // one stray byte at the end is no element
    Bin(bin);

    ASSERT_TRUE(Recorre(Opcion::Correlate)) << ::testing::PrintToString(pantalla.mensajes);

    EXPECT_EQ(Contadores(), (Cuentas{0, 2, 3, 1, 3, 0, 0}));
    const std::string& b = rutaBin;
    EXPECT_EQ(Errores(),
              (std::vector<Fila>{
                  Error(kSinAtr, 0, 0, b), Error(kSinAtr, 0, 0, b), Error(kRepetido, 10, 0, b),
                  Error("No existe Registro 2 en BdD Vias", 10, 2, b), Error(kRepetido, 20, 0, b),
                  Error(kRepetido, 1, 0, b), Error(kInexistente, 77, 0, b),
                  Error("No existe Registro -3 en BdD Vias", 10, -3, b),
                  Error("No existe Registro 0 en BdD Vias", 10, 0, b)}));
    // The first record with an mslink is marked, the second never; Null matches nothing.
    EXPECT_EQ(Marcas("Vias"), (std::vector<bool>{true, true, false, false, true}));
    EXPECT_EQ(Marcas("Edificios"), (std::vector<bool>{true}));
    EXPECT_EQ(Marcas("Rios"), (std::vector<bool>{true}));  // first catalog entry of 30
    EXPECT_EQ(Marcas("Otros"), (std::vector<bool>{false}));

    const Bytes punto = PrimerRegistro();
    using Marcador = std::pair<Bytes, Bytes>;
    EXPECT_EQ(
        Marcadores(),
        (std::vector<Marcador>{
            {k61601, punto}, {k61601, punto}, {k61603, punto}, {k61603, punto}, {k61603, punto}}));

    EXPECT_EQ(LeeFichero(rutaBin), bin.bytes());  // Correlate never writes the BIN file
    // Marks read back by mdbtools, and the markers' blocks: the end-to-end tests.
    EXPECT_TRUE(estado.BdDParticular->verify().empty());
    GuardadoEnElFichero(9, 3);
    EXPECT_EQ(pantalla.llamadas, (std::vector<std::string>{"ocupado", "normal"}));
    // What the walk leaves behind: the last ATR and the last error row.
    EXPECT_EQ(estado.EntitynumActual, 10);
    EXPECT_EQ(estado.MslinkActual, 5);
    EXPECT_EQ(estado.DatosError.DescripcionError, "No existe Registro 0 en BdD Vias");
}

TEST_P(Recorrido, OtroTipoDeProcesoSoloComprueba) {
    Particular({{"Vias", ColumnasTabla(), {{L(1)}}}});
    HojaCorrelate(estado);
    BinPrueba bin;
    bin.Elemento("C=", "100", 1, {});
    bin.Elemento("C=", "100", 1, {{10, 1}, {10, 2}, {55, 3}});
    Bin(bin);
    // Under Fusion the walk looks nothing up, marks nothing, rewrites nothing.
    PonContadoresACero();
    ASSERT_TRUE(Recorre(Opcion::Fusion));
    EXPECT_EQ(Contadores(), (Cuentas{0, 1, 2, 1, 0, 0, 0}));
    EXPECT_EQ(Marcas("Vias"), (std::vector<bool>{false}));
    EXPECT_EQ(LeeFichero(rutaBin), bin.bytes());
}

TEST_P(Recorrido, FicheroCorruptoTerminaTrasLoYaAnotado) {
    Particular({{"Vias", ColumnasTabla(), {{L(1)}}}});
    HojaCorrelate(estado);
    BinPrueba bin;
    bin.Elemento("C=", "100", 1, {});
    bin.Elemento("C=", "200", 1, {{10, 1}});
    bin.Elemento("c=", "200", 1, {});  // lower-case kind
    Bin(bin);
    EXPECT_FALSE(Recorre(Opcion::Correlate));
    EXPECT_EQ(pantalla.llamadas,
              (std::vector<std::string>{"ocupado", "normal", "mensaje|16|Pelmora|Fichero Corrupto",
                                        "terminar"}));
    EXPECT_EQ(Errores().size(), 1u);
    EXPECT_EQ(Marcas("Vias"), (std::vector<bool>{true}));
    GuardadoEnElFichero(1, 1);
    // Other damaged elements end the walk alike (the element extent rule: test_bin.cpp).
}

// A table the walk cannot read (records without mslink) ends it with the engine's
// message; the marks noted before are written and stored all the same.
TEST_P(Recorrido, TablaIlegibleTerminaConservandoLasMarcas) {
    Particular({{"Vias", ColumnasTabla(), {{L(1)}}}});
    CreaTabla(*estado.BdDParticular, "Rios", {{"otro", engine::Type::Long}});
    Inserta(*estado.BdDParticular, "Rios", {"otro"}, {{L(1)}});
    HojaCorrelate(estado);
    BinPrueba bin;
    bin.Elemento("C=", "200", 1, {{10, 1}});
    bin.Elemento("C=", "200", 1, {{30, 1}});
    Bin(bin);
    EXPECT_FALSE(Recorre(Opcion::Correlate));
    EXPECT_TRUE(UltimoMensajeDice("mslink"));
    EXPECT_TRUE(UltimoMensajeDice("Rios"));
    EXPECT_EQ(Marcas("Vias"), (std::vector<bool>{true}));
    GuardadoEnElFichero(0, 1);
}

TEST_P(Recorrido, CodigoDeFeatureQueNoEsNumero) {
    Particular({{"Vias", ColumnasTabla(), {}}});
    HojaCorrelate(estado);
    BinPrueba bin;
    bin.Elemento("C=", "100", 1, {});
    bin.Elemento("C=", "1x", 1, {});
    Bin(bin);
    EXPECT_FALSE(Recorre(Opcion::Correlate));
    for (const std::string& parte : {rutaBin, std::string("posición 60"), std::string("«1x»")})
        EXPECT_TRUE(UltimoMensajeDice(parte));
    EXPECT_EQ(Errores().size(), 1u);  // the element before stays logged

    // With no assignable Feature entry the code is never converted.
    estado.ListaFeature = {{"Vias", 100, 4, false}, {"Vias", 100, 1, true}};
    PonContadoresACero();
    EXPECT_TRUE(Recorre(Opcion::Correlate));
    EXPECT_EQ(Contadores(), (Cuentas{0, 0, 0, 0, 0, 0, 0}));
}

// The Adaptation sheet: Vias and the label table in both databases.
class Adaptacion : public Recorrido {
  protected:
    void HojaAdaptacion(std::vector<Fila> masVias = {}) {
        std::vector<Fila> vias = {
            {L(1), L(7), Nulo(), T("Calle Mayor")},    {L(2), Nulo(), T("X1"), Nulo()},
            {L(3), L(40000), Nulo(), T("D'ARTAGNAN")}, {L(4), L(5), Nulo(), T("Doble")},
            {L(5), L(5), Nulo(), T("Sola")},           {L(6), L(1), Nulo(), T("Misma")}};
        vias.insert(vias.end(), masVias.begin(), masVias.end());
        Particular({{"Vias", ColumnasTabla(), vias},
                    {"199ETIQUETAS",
                     ColumnasEtiquetas(),
                     {{L(10), T("Rótulo"), T("M1"), T("N1")},
                      {L(11), T("Rótulo"), Nulo(), T("N7")},
                      {L(12), Nulo(), T("M2"), T("N2")}}}});
        General({{"Vias",
                  ColumnasTabla(),
                  {{L(501), L(7), Nulo(), T("calle mayor")},
                   {L(2), L(0), Nulo(), T("x1")},
                   {L(503), L(40000), Nulo(), T("d'artagnan")},
                   {L(504), L(5), Nulo(), T("DOBLE")},
                   {L(505), L(5), Nulo(), T("doble")},
                   {L(0), L(1), Nulo(), T("misma")}}},
                 {"199ETIQUETAS",
                  ColumnasEtiquetas(),
                  {{L(610), T("RÓTULO"), T("m1"), T("zz")},
                   {L(611), T("rótulo"), T("otra"), T("n7")}}}});
        estado.CatalogoParticular = {{"Vias", 10}, {"199etiquetas", 199}};
        estado.ListaFeature = {{"Vias", 100, 1, false}};
    }
};

TEST_P(Adaptacion, ReescribeElMslinkDeCadaAtrQueTieneSuRegistroGeneral) {
    HojaAdaptacion();
    BinPrueba bin;
    const int64_t a0 = bin.Elemento("C=", "300", 1, {{10, 1}});
    bin.Elemento("C=", "300", 1, {{10, 2}});  // General record with the same mslink
    const int64_t a2 = bin.Elemento("C=", "300", 1, {{10, 3}});  // a quote, class > 32767
    bin.Elemento("C=", "300", 1, {{10, 4}});                     // two General records
    bin.Elemento("C=", "300", 1, {{10, 5}});                     // none
    bin.Elemento("C=", "300", 1, {{10, 6}});                     // General mslink 0
    const int64_t a6 = bin.Elemento("T=", "300", 2, {{199, 10}, {1, 44}});  // by tmapa
    const int64_t a7 = bin.Elemento("T=", "300", 2, {{199, 11}});           // by netiqueta
    bin.Elemento("C=", "300", 1, {{77, 9}});  // no table: not looked up, no stop
    const int64_t a9 = bin.Elemento("C=", "300", 3, {{10, 1}, {10, 1}});
    bin.Elemento("C=", "100", 1, {});
    Bin(bin);

    ASSERT_TRUE(Recorre(Opcion::Adaptacion)) << ::testing::PrintToString(pantalla.mensajes);

    Bytes esperado = bin.bytes();
    for (auto [posicion, mslink] : {std::pair{bin.PosicionAtr(a0, 0), 501},
                                    {bin.PosicionAtr(a2, 0), 503},
                                    {bin.PosicionAtr(a6, 0), 610},
                                    {bin.PosicionAtr(a7, 0), 611},
                                    {bin.PosicionAtr(a9, 0), 501},
                                    {bin.PosicionAtr(a9, 1), 501}})
        esperado.replace(posicion + 2, 4, Le32(mslink));
    EXPECT_EQ(LeeFichero(rutaBin), esperado);

    const std::string& g = estado.NombreBdDGeneral;
    EXPECT_EQ(Errores(),
              (std::vector<Fila>{
                  Error("Encontrado más de una correspondencia entre la BdDParticular y la "
                        "BdDGeneral",
                        10, 4, g),
                  Error("No hay correspondencia entre la BdDParticular y la BdDGeneral", 10, 5, g),
                  Error(kInexistente, 77, 0, rutaBin), Error(kRepetido, 10, 0, rutaBin),
                  Error(kSinAtr, 0, 0, rutaBin)}));
    EXPECT_EQ(Contadores(), (Cuentas{0, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(Marcadores().size(), 2u);
    EXPECT_EQ(pantalla.llamadas, (std::vector<std::string>{"ocupado", "normal"}));

    // A second Adaptation of the adapted file stops at its first ATR, whose mslink
    // (now the General one) the Particular database does not hold.
    PonContadoresACero();
    pantalla.llamadas.clear();
    EXPECT_FALSE(Recorre(Opcion::Adaptacion));
    EXPECT_EQ(pantalla.llamadas, (std::vector<std::string>{
                                     "ocupado", "mensaje|0|Pelmora|" + kYaAdaptado, "terminar"}));
    EXPECT_EQ(Contadores(), (Cuentas{0, 0, 0, 0, 0, 1, 0}));
    ASSERT_FALSE(Errores().empty());
    EXPECT_EQ(Errores().back(),
              Error("No hay correspondencia entre el gráfico y el alfanumérico", 10, 501, rutaBin));
    EXPECT_EQ(LeeFichero(rutaBin), esperado);
}

// The log keeps what the walk found; the BIN file is left exactly as it was,
// the ATR before the stop included.
TEST_P(Adaptacion, SeDetieneSinRegistroParticularUnicoYDejaElBinComoEstaba) {
    HojaAdaptacion({{L(8), L(1), Nulo(), T("Uno")}, {L(8), L(2), Nulo(), T("Dos")}});
    BinPrueba bin;
    bin.Elemento("C=", "300", 1, {{10, 1}});
    bin.Elemento("C=", "300", 1, {{10, 8}});  // two Particular records
    bin.Elemento("C=", "300", 1, {{10, 3}});
    Bin(bin);
    EXPECT_FALSE(Recorre(Opcion::Adaptacion));
    EXPECT_EQ(pantalla.mensajes, (std::vector<std::string>{kYaAdaptado}));
    EXPECT_EQ(Contadores(), (Cuentas{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(
        Errores(),
        (std::vector<Fila>{Error("Encontrado más de una correspondencia entre el gráfico y el "
                                 "alfanumérico",
                                 10, 8, rutaBin)}));
    EXPECT_EQ(LeeFichero(rutaBin), bin.bytes());
}

TEST_P(Adaptacion, EtiquetaSinTcompletTermina) {
    HojaAdaptacion();
    BinPrueba bin;
    bin.Elemento("T=", "300", 2, {{199, 12}});
    Bin(bin);
    EXPECT_FALSE(Recorre(Opcion::Adaptacion));
    EXPECT_EQ(
        pantalla.llamadas,
        (std::vector<std::string>{
            "ocupado", "mensaje|0|Pelmora|No hay correspondencia de un elemento a la tabla 199",
            "terminar"}));
    EXPECT_TRUE(Errores().empty());
    EXPECT_EQ(Contadores(), (Cuentas{0, 0, 0, 0, 0, 0, 0}));
}

// Values the lookups cannot use end the run with a message saying where they are.
TEST_P(Adaptacion, ValoresInservibles) {
    HojaAdaptacion({{L(20), L(1), Nulo(), Nulo()}});
    CreaTabla(*estado.BdDParticular, "Cotas",
              {{"mslink", engine::Type::Long},
               {"clasific", engine::Type::Text},
               {"tcomplet", engine::Type::Text}});
    Inserta(*estado.BdDParticular, "Cotas", {"mslink", "clasific", "tcomplet"},
            {{L(1), T("abc"), T("Pico")}, {L(2), T("3000000000"), T("Llano")}});
    Inserta(*estado.BdDGeneral, "Vias", {"mslink", "clasific", "tcomplet"},
            {{Nulo(), L(9), T("Sin numero")}});
    Inserta(*estado.BdDParticular, "Vias", {"mslink", "clasific", "tcomplet"},
            {{L(21), L(9), T("Sin numero")}});
    estado.CatalogoParticular.push_back({"Cotas", 40});
    struct Caso {
        Atr atr;
        std::string tabla, registro, columna;
        std::string bdd;
    };
    const std::string p = estado.NombreBdDParticular, g = estado.NombreBdDGeneral;
    for (const Caso& caso : {Caso{{10, 20}, "Vias", "registro con mslink 20", "Tmapa", p},
                             Caso{{40, 1}, "Cotas", "registro con mslink 1", "Clasific", p},
                             Caso{{40, 2}, "Cotas", "registro con mslink 2", "Clasific", p},
                             Caso{{10, 21}, "Vias", "mslink 21", "mslink", g}}) {
        BinPrueba bin;
        bin.Elemento("C=", "300", 1, {caso.atr});
        Bin(bin);
        pantalla.mensajes.clear();
        EXPECT_FALSE(Recorre(Opcion::Adaptacion));
        ASSERT_EQ(pantalla.mensajes.size(), 1u);
        const std::string& m = pantalla.mensajes[0];
        for (const std::string& parte : {"«" + caso.bdd + "»", "tabla «" + caso.tabla + "»",
                                         caso.registro, "columna «" + caso.columna + "»"})
            EXPECT_NE(m.find(parte), std::string::npos) << m << "\n  sin: " << parte;
    }
}

// The Particular records are read whole and their answers worked out ahead of the
// walk; what it finds and reports stays what the lookups give, ATR by ATR: a number
// mslink column compares by value (7.0 is 7; 8.5 and Null are no mslink), a text one
// as text, and a record whose key cannot be made stops the run where an ATR reaches it.
TEST_P(Adaptacion, RegistrosLeidosDeAntemanoRespondenComoLasConsultas) {
    std::vector<Fila> vias = {{L(20), L(1), Nulo(), Nulo()}};  // neither Tcomplet nor Tmapa
    for (int m = 30; m < 230; ++m) vias.push_back({L(m), L(7), Nulo(), T("Calle Mayor")});
    HojaAdaptacion(vias);
    const std::vector<Columna> columnas = {{"mslink", engine::Type::Double},
                                           {"clasific", engine::Type::Long},
                                           {"tcomplet", engine::Type::Text}};
    CreaTabla(*estado.BdDParticular, "Reales", columnas);
    Inserta(*estado.BdDParticular, "Reales", {"mslink", "clasific", "tcomplet"},
            {{engine::Value::dbl(7.0), L(7), T("Calle Mayor")},
             {engine::Value::dbl(8.5), L(7), T("Calle Mayor")},
             {Nulo(), L(7), T("Calle Mayor")}});
    CreaTabla(*estado.BdDParticular, "Textos",
              {{"mslink", engine::Type::Text}, columnas[1], columnas[2]});
    Inserta(*estado.BdDParticular, "Textos", {"mslink", "clasific", "tcomplet"},
            {{T("9"), L(7), T("Calle Mayor")}});
    for (const char* tabla : {"Reales", "Textos"}) {
        CreaTabla(*estado.BdDGeneral, tabla,
                  {{"mslink", engine::Type::Long}, columnas[1], columnas[2]});
        Inserta(*estado.BdDGeneral, tabla, {"mslink", "clasific", "tcomplet"},
                {{L(std::string(tabla) == "Reales" ? 901 : 902), L(7), T("calle mayor")}});
    }
    estado.CatalogoParticular.push_back({"Reales", 50});
    estado.CatalogoParticular.push_back({"Textos", 60});

    BinPrueba bin;
    std::vector<std::pair<int64_t, int32_t>> adaptados;  // ATR and its General mslink
    adaptados.push_back({bin.Elemento("C=", "300", 1, {{10, 1}}), 501});
    adaptados.push_back({bin.Elemento("C=", "300", 1, {{50, 7}}), 901});
    adaptados.push_back({bin.Elemento("C=", "300", 1, {{60, 9}}), 902});
    bin.Elemento("C=", "300", 1, {{10, 4}});  // two General records: logged, left as it is
    for (int m = 229; m >= 30; m -= 3)
        adaptados.push_back({bin.Elemento("C=", "300", 1, {{10, m}}), 501});
    BinPrueba conParada = bin;
    conParada.Elemento("C=", "300", 1, {{10, 20}});
    conParada.Elemento("C=", "300", 1, {{10, 4}});

    // Stopped at record 20, after logging what came before it; the file stays as it was.
    Bin(conParada);
    EXPECT_FALSE(Recorre(Opcion::Adaptacion));
    ASSERT_EQ(pantalla.mensajes.size(), 1u);
    EXPECT_NE(pantalla.mensajes[0].find("registro con mslink 20"), std::string::npos);
    const Fila dosGenerales =
        Error("Encontrado más de una correspondencia entre la BdDParticular y la BdDGeneral", 10, 4,
              estado.NombreBdDGeneral);
    EXPECT_EQ(Errores(), (std::vector<Fila>{dosGenerales}));
    EXPECT_EQ(LeeFichero(rutaBin), conParada.bytes());

    // Without it, every ATR is adapted.
    Bin(bin);
    pantalla.mensajes.clear();
    ASSERT_TRUE(Recorre(Opcion::Adaptacion)) << ::testing::PrintToString(pantalla.mensajes);
    Bytes esperado = bin.bytes();
    for (auto [atr, mslink] : adaptados)
        esperado.replace(bin.PosicionAtr(atr, 0) + 2, 4, Le32(mslink));
    EXPECT_EQ(LeeFichero(rutaBin), esperado);

    // 8.5 is no mslink 8.
    BinPrueba ocho;
    ocho.Elemento("C=", "300", 1, {{50, 8}});
    Bin(ocho);
    EXPECT_FALSE(Recorre(Opcion::Adaptacion));
    EXPECT_EQ(Errores().back(),
              Error("No hay correspondencia entre el gráfico y el alfanumérico", 50, 8, rutaBin));
}

// The same sheet with its Particular mslinks as numbers (records read whole, answers
// worked out ahead of the walk) and as texts (each ATR's record found by a lookup of
// its own) adapts alike: the same file, log, counts and messages, where records lead
// to one General record, to none, to two, or through a lookup only the database can
// answer (a label's netiqueta against a date column, amid labels looked up by tmapa).
TEST_P(Adaptacion, LeidosDeAntemanoComoUnoAUno) {
    const auto texto = [](const char* antes, int i) { return T(antes + std::to_string(i)); };
    const auto fecha = [](int i) {
        return (i % 28 < 9 ? "2020-01-0" : "2020-01-") + std::to_string(i % 28 + 1);
    };
    std::vector<Fila> viasG, etiquetasG;
    for (int i = 0; i < 120; ++i) {
        if (i % 10 != 0) viasG.push_back({L(1000 + i), L(i % 3), Nulo(), texto("calle ", i)});
        if (i % 10 == 1) viasG.push_back({L(5000 + i), L(i % 3), Nulo(), texto("CALLE ", i)});
    }
    for (int i = 0; i < 60; ++i)
        if (i % 7 != 0)
            etiquetasG.push_back({L(3000 + i), texto("RÓTULO ", i), texto("m", i),
                                  engine::Value::dateTime(43831 + i % 28)});
    std::vector<Columna> columnasEtiquetasG = ColumnasEtiquetas();
    columnasEtiquetasG[3].tipo = engine::Type::DateTime;
    General({{"Vias", ColumnasTabla(), viasG}, {"199ETIQUETAS", columnasEtiquetasG, etiquetasG}});

    BinPrueba bin;
    std::vector<int64_t> atrEtiquetas(60);
    for (int k = 0; k < 180; ++k) {
        const int etiqueta = (k / 3 * 7) % 60;  // each label once, scattered
        if (k % 3 == 2)
            atrEtiquetas[etiqueta] = bin.Elemento("T=", "300", 2, {{199, 200 + etiqueta}});
        else
            bin.Elemento("C=", "300", 1, {{10, 1 + (k * 37) % 120}});  // some twice
    }

    struct Resultado {
        Bytes fichero;
        std::vector<Fila> errores;
        std::vector<int32_t> cuentas;
        std::vector<std::string> mensajes;
    };
    const auto adapta = [&](engine::Type tipoMslink) {
        estado.BdDParticular.reset();
        for (const char* hoja : {"hoja.sqlite", "hoja.mdb"})
            std::filesystem::remove(carpeta / hoja);
        const auto ms = [&](int m) {
            return tipoMslink == engine::Type::Text ? T(std::to_string(m)) : L(m);
        };
        std::vector<Fila> vias, etiquetas;
        for (int i = 0; i < 120; ++i)
            vias.push_back({ms(i + 1), L(i % 3), Nulo(), texto("Calle ", i)});
        for (int i = 0; i < 60; ++i)
            etiquetas.push_back({ms(200 + i), texto("Rótulo ", i),
                                 i % 3 == 0 ? Nulo() : texto("M", i), T(fecha(i))});
        std::vector<Columna> columnas = ColumnasTabla(), columnasEtiquetas = ColumnasEtiquetas();
        columnas[0].tipo = columnasEtiquetas[0].tipo = tipoMslink;
        Particular({{"Vias", columnas, vias}, {"199ETIQUETAS", columnasEtiquetas, etiquetas}});
        estado.CatalogoParticular = {{"Vias", 10}, {"199etiquetas", 199}};
        estado.ListaFeature = {{"Vias", 100, 1, false}};
        Bin(bin);
        PonContadoresACero();
        pantalla.mensajes.clear();
        EXPECT_TRUE(Recorre(Opcion::Adaptacion)) << ::testing::PrintToString(pantalla.mensajes);
        return Resultado{LeeFichero(rutaBin), Errores(), Contadores(), pantalla.mensajes};
    };
    const Resultado numeros = adapta(engine::Type::Long);
    const Resultado textos = adapta(engine::Type::Text);
    EXPECT_EQ(numeros.fichero, textos.fichero);
    EXPECT_EQ(numeros.errores, textos.errores);
    EXPECT_EQ(numeros.cuentas, textos.cuentas);
    EXPECT_EQ(numeros.mensajes, textos.mensajes);
    // Each kind of answer was met: a label found through its netiqueta (3), one found
    // through its tmapa (4), ATRs left as they were with their records logged.
    for (int i : {3, 4})
        EXPECT_EQ(numeros.fichero.substr(bin.PosicionAtr(atrEtiquetas[i], 0) + 2, 4),
                  Le32(3000 + i));
    EXPECT_EQ(numeros.fichero.substr(bin.PosicionAtr(atrEtiquetas[7], 0) + 2, 4), Le32(207));
    EXPECT_GT(numeros.errores.size(), 20u);
}

// A field the lookup cannot read, in a record whose mslink no ATR can reach (2.5),
// ends the run as the lookup would, however the records are read.
TEST_P(Adaptacion, CampoIlegibleDeUnRegistroInalcanzableTerminaIgual) {
    if (GetParam() != Motor::Sqlite) GTEST_SKIP() << "a damaged value is written from outside";
    HojaAdaptacion();
    CreaTabla(*estado.BdDParticular, "Reales",
              {{"mslink", engine::Type::Double},
               {"clasific", engine::Type::Long},
               {"tcomplet", engine::Type::Text},
               {"tmapa", engine::Type::DateTime}});
    Inserta(*estado.BdDParticular, "Reales", {"mslink", "clasific", "tcomplet"},
            {{engine::Value::dbl(7.0), L(7), T("Calle Mayor")},
             {engine::Value::dbl(2.5), L(7), T("Calle Mayor")}});
    sqlite3* bdd = nullptr;
    ASSERT_EQ(sqlite3_open(estado.NombreBdDParticular.c_str(), &bdd), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(bdd, "UPDATE Reales SET tmapa = '0050-01-01' WHERE mslink = 2.5",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(bdd);
    estado.CatalogoParticular.push_back({"Reales", 50});
    BinPrueba bin;
    bin.Elemento("C=", "300", 1, {{50, 7}});
    Bin(bin);
    EXPECT_FALSE(Recorre(Opcion::Adaptacion));
    ASSERT_EQ(pantalla.mensajes.size(), 1u);
    EXPECT_NE(pantalla.mensajes[0].find("«tmapa»"), std::string::npos) << pantalla.mensajes[0];
    EXPECT_EQ(LeeFichero(rutaBin), bin.bytes());
}

INSTANTIATE_TEST_SUITE_P(Motores, Recorrido, ::testing::Values(Motor::Sqlite, Motor::Jet),
                         NombreMotor);
INSTANTIATE_TEST_SUITE_P(Motores, Adaptacion, ::testing::Values(Motor::Sqlite, Motor::Jet),
                         NombreMotor);

}  // namespace
}  // namespace pelmora::prueba

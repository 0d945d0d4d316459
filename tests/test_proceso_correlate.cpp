// The Correlate run on hand-made databases and BIN files: every line in its order
// with the busy pointer around the BIN check and walk, the control row (with an
// empty General path), the old error BIN file removed, the counts, the fatal
// checks that end the program before any count line, and the error BIN file
// checked before anything is written.
#include <filesystem>

#include "ficherobin/Modulo_Bin.h"
#include "runs/Procesos.h"
#include "tests/support/BinPrueba.h"
#include "tests/support/CarpetaCerrada.h"
#include "tests/support/HojaPrueba.h"
#include "tests/support/Tuberia.h"

namespace pelmora::prueba {
namespace {

namespace fs = std::filesystem;
using Lista = std::vector<std::string>;
const Lista kControl = {"Proceso", "FicheroBin", "BdDMdb_P", "BdDMdb_G"};

const Lista kProgreso = {
    "etiqueta|Label1|Encontrada Tabla : MsCatalog",
    "etiqueta|Label2|Encontrada Tabla : Feature",
    "etiqueta|Label3|Chequeada la existencia de todas las tablas de MsCatalog",
    "etiqueta|Label4|Chequeada la estructura principal de las tablas",
};

// The count lines of a run that finds nothing as the scripted port records them,
// then the final status.
Lista CuentasACero() {
    const char* textos[] = {
        "Elemento en gráfico sin ATR de ocurrencia",
        "Elemento en gráfico sin ATR",
        "Existe ATR con la misma tabla de ocurrencias",
        "Elemento gráfico apuntando a una tabla inexistente",
        "No existe Registro en BdD",
        "No hay correspondencia entre el gráfico y el alfanumérico",
        "Encontrado más de una correspondencia entre el gráfico y el alfanumérico"};
    Lista lineas;
    for (int i = 0; i < 7; ++i)
        lineas.push_back("etiqueta|Label" + std::to_string(7 + i) + "|" + textos[i] + " : 0");
    lineas.push_back("etiqueta|Label6|PROCESO DE CORRELATE TERMINADO");
    return lineas;
}

Lista Une(std::initializer_list<Lista> partes) {
    Lista todo;
    for (const Lista& p : partes) todo.insert(todo.end(), p.begin(), p.end());
    return todo;
}

class ProcesoCorrelatePrueba : public ProcesoPrueba {
  protected:
    void SetUp() override {
        ProcesoPrueba::SetUp();
        if (IsSkipped()) return;
        estado.NombreBdDGeneral.clear();  // Correlate needs no General database
        estado.TipoProceso = Opcion::Correlate;
        errores = NombreFicheroErrorBin(bin);
    }
    // Three buildings, the second marked by an earlier run; a BIN file whose elements
    // reach buildings 1 and 3 and `sinRegistro` (a record that does not exist).
    void Hoja(int32_t sinRegistro = 0) {
        CreaHoja(
            *particular,
            {{"EDIFICIOS", 10, 101, {{1, 1, "Casa A"}, {2, 1, "Casa B", true}, {3, 1, "Casa C"}}}});
        BinPrueba b;
        b.Elemento("C=", "101", 1, {{10, 1}});
        b.Elemento("T=", "101", 2, {{1, 500}, {10, 3}});
        if (sinRegistro) b.Elemento("C=", "101", 1, {{10, sinRegistro}});
        contenido = b;
        b.Escribe(bin);
    }
    // An error BIN file left by an earlier run.
    void ErroresViejos() {
        BinPrueba viejo;
        viejo.Elemento("T=", "61601", 2, {});
        viejo.Escribe(errores);
    }
    std::vector<bool> Marcas() {
        std::vector<bool> marcas;
        for (const auto& fila : Textos(*particular, "EDIFICIOS", {"Tcorrelate"}))
            marcas.push_back(fila[0] == "Verdadero");
        return marcas;
    }
    std::string errores;
    BinPrueba contenido;
};
INSTANTIATE_TEST_SUITE_P(Motores, ProcesoCorrelatePrueba, Motores(), NombreMotor);

TEST_P(ProcesoCorrelatePrueba, SinProblemasTodasLasLineasEnSuOrden) {
    Hoja();
    // An error file left by an earlier run goes, even though this run finds nothing.
    ErroresViejos();
    estado.NumSinRegistro = 9;

    bool alFinal = false;
    ASSERT_TRUE(Corre(ProcesoCorrelate, &alFinal)) << pantalla.mensajes.at(0);
    EXPECT_TRUE(alFinal);
    EXPECT_EQ(
        pantalla.llamadas,
        Une({kProgreso,
             {"ocupado", "normal", "etiqueta|Label5|Chequeado Fichero BIN", "ocupado", "normal"},
             CuentasACero()}));
    EXPECT_FALSE(fs::exists(errores));
    EXPECT_EQ(Marcas(), (std::vector<bool>{true, false, true}));
    // With no General database chosen, BdDMdb_G is empty.
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", kControl),
              (std::vector<Lista>{{"Correlate", bin, particular->path(), ""}}));
    EXPECT_TRUE(Textos(*particular, "ERRORES", {"DescripcionError"}).empty());
    EXPECT_EQ(LeeFichero(bin), contenido.bytes());  // Correlate never writes the BIN file

    // A second run appends a second control row.
    pantalla.llamadas.clear();
    ASSERT_TRUE(Corre(ProcesoCorrelate, &alFinal));
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", kControl).size(), 2u);
}

TEST_P(ProcesoCorrelatePrueba, CuentaYAnotaCadaProblema) {
    Hoja(77);
    ASSERT_TRUE(Corre(ProcesoCorrelate));
    EXPECT_EQ(estado.NumSinRegistro, 1);  // its count line: the end-to-end tests
    EXPECT_EQ(Textos(*particular, "ERRORES", {"DescripcionError", "RegistroError"}),
              (std::vector<Lista>{{"No existe Registro 77 en BdD EDIFICIOS", "77"}}));
    // A second run on the same inputs logs its problems again.
    ASSERT_TRUE(Corre(ProcesoCorrelate));
    EXPECT_EQ(Textos(*particular, "ERRORES", {"DescripcionError"}).size(), 2u);
    EXPECT_EQ(estado.NumSinRegistro, 1);
}

TEST_P(ProcesoCorrelatePrueba, UnChequeoFallidoTerminaAntesDeLasCuentas) {
    // No MsCatalog: the program ends before the control row and any line.
    CreaTabla(*particular, "Feature", {{"tablename", engine::Type::Text}});
    BinPrueba b;
    b.Elemento("C=", "101", 1, {{10, 1}});
    b.Escribe(bin);
    EXPECT_FALSE(Corre(ProcesoCorrelate));
    EXPECT_TRUE(pantalla.terminado);
    EXPECT_TRUE(Etiquetas().empty());
    EXPECT_TRUE(Textos(*particular, "ControlFicherosProcesados", kControl).empty());
}

TEST_P(ProcesoCorrelatePrueba, FicheroBinCorruptoTerminaTrasLasLineasDeLaBdD) {
    Hoja();
    BinPrueba corrupto;
    corrupto.Elemento("X=", "101", 1, {{10, 1}});
    corrupto.Escribe(bin);
    ErroresViejos();

    EXPECT_FALSE(Corre(ProcesoCorrelate));
    EXPECT_EQ(
        pantalla.llamadas,
        Une({kProgreso, {"ocupado", "normal", "mensaje|16|Pelmora|Fichero Corrupto", "terminar"}}));
    // The control row stays; the error file of the earlier run was not reached.
    EXPECT_EQ(Textos(*particular, "ControlFicherosProcesados", kControl).size(), 1u);
    EXPECT_TRUE(fs::exists(errores));
}

// The error BIN file is checked before anything is written: one that cannot be
// removed, or a folder that cannot take a new one, ends the run with every file
// as it was (the marks of the last run included).
TEST_P(ProcesoCorrelatePrueba, UnFicheroDeErroresQueNoSePuedeBorrarSeRechazaAntesDeEscribirNada) {
    Hoja(77);
    ErroresViejos();
    fs::permissions(errores, fs::perms::owner_read | fs::perms::group_read);
    const auto antes = LeeCarpeta(carpeta);
    EXPECT_FALSE(Corre(ProcesoCorrelate));
    EXPECT_EQ(pantalla.mensajes, (Lista{"No se puede borrar el fichero de errores «" + errores +
                                        "»: es de solo lectura"}));
    EXPECT_TRUE(Etiquetas().empty());
    EXPECT_TRUE(LeeCarpeta(carpeta) == antes);

    // Neither can a folder or a FIFO of that name.
    fs::remove(errores);
    fs::create_directory(errores);
    pantalla.mensajes.clear();
    EXPECT_FALSE(Corre(ProcesoCorrelate));
    EXPECT_EQ(pantalla.mensajes, (Lista{"No se puede borrar el fichero de errores «" + errores +
                                        "»: es una carpeta"}));
    fs::remove(errores);
    Tuberia tuberia(errores);
    pantalla.mensajes.clear();
    EXPECT_FALSE(Corre(ProcesoCorrelate));
    EXPECT_EQ(pantalla.mensajes, (Lista{"No se puede borrar el fichero de errores «" + errores +
                                        "»: es una tubería con nombre (FIFO)"}));
    EXPECT_TRUE(Etiquetas().empty());
    EXPECT_EQ(Marcas(), (std::vector<bool>{false, true, false}));
}

TEST_P(ProcesoCorrelatePrueba,
       UnaCarpetaQueNoAdmiteElFicheroDeErroresSeRechazaAntesDeEscribirNada) {
    Hoja(77);  // the walk would write an error BIN file
    const fs::path hoja = carpeta / "hoja";
    fs::create_directory(hoja);
    fs::rename(bin, hoja / "H1.bin");
    estado.NombreFicheroBin = (hoja / "H1.bin").string();
    const auto antes = LeeCarpeta(carpeta);
    CarpetaCerrada cerrada(hoja.string());
    if (!cerrada.cerrada()) GTEST_SKIP() << "No se puede cerrar una carpeta aquí";
    EXPECT_FALSE(Corre(ProcesoCorrelate));
    EXPECT_EQ(pantalla.mensajes,
              (Lista{"No se puede crear el fichero de errores «" + (hoja / "H1_err.bin").string() +
                     "» en su carpeta «" + hoja.string() + "»: permiso denegado"}));
    EXPECT_TRUE(Etiquetas().empty());
    EXPECT_TRUE(LeeCarpeta(carpeta) == antes);
}

}  // namespace
}  // namespace pelmora::prueba

// The main window driven through its real widgets: layout, the enabling and
// colour of the input rows, the "Examinar ..." buttons, the checks of "Procesar",
// the one-instance rule of the run windows and a main window that starts nothing
// while a run goes on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <deque>
#include <functional>
#include <utility>

#include "core/PantallaGuion.h"
#include "ui/Inicial.h"

using namespace pelmora;

namespace {

const QColor kGris(0xE0, 0xE0, 0xE0);
const char* kFiltroBdD =
    "BdD Access (*.mdb *.accdb)|*.mdb;*.accdb|BdD SQLite (*.sqlite *.db *.db3)|*.sqlite;*.db;*.db3|"
    "Conexión a BdD PostgreSQL (*.pgconn)|*.pgconn";

// The main window over the scripted port, with runs that only count themselves
// and a file dialog answered from a queue.
struct Banco {
    PantallaGuion pantalla;
    Estado estado{pantalla};
    std::deque<std::string> respuestasDialogo;
    std::vector<std::pair<std::string, std::string>> dialogos;  // title, filter
    std::vector<std::string> corridas;                          // TipoProceso seen by each run
    std::function<void()> durante;                              // done inside the next run
    std::unique_ptr<Inicial> inicial;

    Banco() {
        auto corre = [this](Estado& e) {
            corridas.push_back(e.TipoProceso ? TipoProcesoDe(*e.TipoProceso) : "");
            VentanaProceso* enCurso = VentanaProceso::enCurso();
            EXPECT_TRUE(enCurso && enCurso->isVisible());
            EXPECT_EQ(enCurso->findChild<QLabel*>("Label6")->text(), "");
            if (auto hacer = std::exchange(durante, nullptr)) hacer();
            enCurso->etiqueta("Label6", "hecho");
            return true;
        };
        auto dialogo = [this](const std::string& titulo, const std::string& filtro) {
            dialogos.emplace_back(titulo, filtro);
            std::string r = respuestasDialogo.empty() ? "" : respuestasDialogo.front();
            if (!respuestasDialogo.empty()) respuestasDialogo.pop_front();
            return r;
        };
        inicial = std::make_unique<Inicial>(estado, Procesos{corre, corre, corre}, dialogo);
        inicial->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(inicial.get()));
    }

    template <typename T>
    T* control(const char* nombre) {
        T* c = inicial->findChild<T*>(nombre);
        EXPECT_TRUE(c) << nombre;
        return c;
    }
    QLineEdit* texto(int n) { return control<QLineEdit>(("Text" + std::to_string(n)).c_str()); }
    void pulsa(const char* boton) {
        QTest::mouseClick(control<QPushButton>(boton), Qt::LeftButton);
    }
    void elige(const char* boton, const std::string& ruta) {
        respuestasDialogo.push_back(ruta);
        pulsa(boton);
    }
    void opcion(int n) {
        auto* o = control<QRadioButton>(("Option" + std::to_string(n)).c_str());
        QTest::mouseClick(o, Qt::LeftButton, {}, QPoint(8, o->height() / 2));
    }
    void procesar() { pulsa("Command4"); }
    // The three inputs of a sheet (Adaptation shows them all), then Correlate chosen.
    void hojaEnCorrelate() {
        opcion(3);
        elige("Command1", "/proyecto/General.mdb");
        elige("Command2", "/hojas/H123.bin");
        elige("Command3", "/hojas/H123.mdb");
        opcion(1);
    }
    QColor fondo(int n) { return texto(n)->palette().color(QPalette::Base); }
    // Enabled state of Label<n>, Text<n> and Command<n>, all three alike.
    bool filaHabilitada(int n) {
        std::string s = std::to_string(n);
        bool label = control<QLabel>(("Label" + s).c_str())->isEnabled();
        bool boton = control<QPushButton>(("Command" + s).c_str())->isEnabled();
        EXPECT_EQ(label, texto(n)->isEnabled());
        EXPECT_EQ(boton, texto(n)->isEnabled());
        return label;
    }
};

QColor colorVentana() {
    return QLineEdit().palette().color(QPalette::Active, QPalette::Base);
}

}  // namespace

TEST(Inicial, ControlesEnSuSitio) {
    Banco b;
    EXPECT_EQ(b.inicial->windowTitle(),
              "Pelmora de ficheros distintos con la Base de Datos General de un proyecto "
              "cartográfico.");
    EXPECT_EQ(b.inicial->size(), QSize(937, 333));
    QRect pantalla = b.inicial->screen()->availableGeometry();
    EXPECT_LE((b.inicial->geometry().center() - pantalla.center()).manhattanLength(), 8);

    struct Esperado {
        const char* nombre;
        const char* texto;
        QRect lugar;  // pixels: twips / 15
    };
    const Esperado controles[] = {
        {"Label1", "Nombre de la BdD General de un Proyecto:", {328, 40, 313, 25}},
        {"Text1", "", {328, 64, 521, 25}},
        {"Command1", "Examinar ...", {864, 64, 65, 25}},
        {"Label2", "Nombre del fichero BIN a tratar :", {328, 112, 313, 25}},
        {"Text2", "", {328, 136, 521, 25}},
        {"Command2", "Examinar ...", {864, 136, 65, 25}},
        {"Label3", "Nombre de la BdD Particular :", {328, 184, 313, 25}},
        {"Text3", "", {328, 208, 521, 25}},
        {"Command3", "Examinar ...", {864, 208, 65, 25}},
        {"Frame1", "Opciones de proceso", {24, 48, 265, 193}},
        {"Option1", "Correlate BIN--->BdD", {16, 32, 225, 25}},
        {"Option2", "Fusión BdD Particular en BdD General", {16, 64, 225, 25}},
        {"Option3", "Adaptación Ocurrencias a BdD General", {16, 96, 225, 25}},
        {"Command4", "Procesar", {728, 256, 121, 33}},
    };
    for (const Esperado& e : controles) {
        auto* w = b.control<QWidget>(e.nombre);
        EXPECT_EQ(w->geometry(), e.lugar) << e.nombre;
        QString texto = w->property(qobject_cast<QGroupBox*>(w) ? "title" : "text").toString();
        EXPECT_EQ(texto, QString::fromUtf8(e.texto)) << e.nombre;
        if (QString(e.nombre).startsWith("Option"))
            EXPECT_EQ(w->parentWidget(), b.control<QGroupBox>("Frame1"));
        else
            EXPECT_EQ(w->parentWidget(), b.inicial.get()) << e.nombre;
    }
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(b.texto(n)->isReadOnly());

    // Every caption fits its place in the window's font.
    for (const char* nombre : {"Label1", "Label2", "Label3", "Command1", "Command4"}) {
        auto* w = b.control<QWidget>(nombre);
        int ancho = w->fontMetrics().horizontalAdvance(w->property("text").toString());
        EXPECT_LE(ancho + (qobject_cast<QPushButton*>(w) ? 4 : 0), w->width()) << nombre;
    }
    for (const char* nombre : {"Option1", "Option2", "Option3"}) {
        auto* o = b.control<QRadioButton>(nombre);
        int indicador = o->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, o) +
                        o->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, o);
        EXPECT_LE(indicador + o->fontMetrics().horizontalAdvance(o->text()), o->width()) << nombre;
    }

    // Tab order: General row, BIN row, Particular row, the options, "Procesar".
    std::vector<QString> orden;
    QWidget* w = b.texto(1);
    do {
        if (w->focusPolicy() & Qt::TabFocus) orden.push_back(w->objectName());
        w = w->nextInFocusChain();
    } while (w != b.texto(1));
    std::vector<QString> esperado = {"Text1",    "Command1", "Text2",   "Command2", "Text3",
                                     "Command3", "Option1",  "Option2", "Option3",  "Command4"};
    EXPECT_EQ(orden, esperado);
}

TEST(Inicial, FilasSegunLaOpcion) {
    Banco b;
    // Start-up: Correlate, the General row set aside; Fusion sets the BIN row aside;
    // Adaptation takes every row. A row set aside is grey.
    EXPECT_TRUE(b.control<QRadioButton>("Option1")->isChecked());
    const std::vector<std::pair<int, std::vector<bool>>> casos = {{0, {false, true, true}},
                                                                  {2, {true, false, true}},
                                                                  {3, {true, true, true}},
                                                                  {1, {false, true, true}}};
    for (const auto& [opcion, habilitadas] : casos) {
        if (opcion) b.opcion(opcion);
        for (int n = 1; n <= 3; ++n) {
            EXPECT_EQ(b.filaHabilitada(n), habilitadas[n - 1]) << opcion << ", fila " << n;
            EXPECT_EQ(b.fondo(n), habilitadas[n - 1] ? colorVentana() : kGris) << opcion << n;
        }
        EXPECT_EQ(b.control<QRadioButton>("Option1")->isChecked() +
                      b.control<QRadioButton>("Option2")->isChecked() +
                      b.control<QRadioButton>("Option3")->isChecked(),
                  1);
    }
}

TEST(Inicial, ExaminarEligeYConservaLaEleccion) {
    Banco b;
    b.opcion(3);
    b.elige("Command1", "/hojas/General.mdb");
    b.elige("Command2", "/hojas/H123.bin");
    b.elige("Command3", "/hojas/H123.sqlite");
    using Par = std::pair<std::string, std::string>;
    EXPECT_EQ(b.dialogos, (std::vector<Par>{
                              {"Seleccinar BdD Access GENERAL a tratar", kFiltroBdD},
                              {"Seleccinar Fichero Bin (Vexa) a tratar", "Bin Vexa (*.bin)|*.bin"},
                              {"Seleccinar BdD Access PARTICULAR a tratar", kFiltroBdD},
                          }));
    EXPECT_EQ(b.estado.NombreBdDGeneral, "/hojas/General.mdb");
    EXPECT_EQ(b.estado.NombreFicheroBin, "/hojas/H123.bin");
    EXPECT_EQ(b.estado.NombreBdDParticular, "/hojas/H123.sqlite");
    EXPECT_EQ(b.texto(1)->text(), "/hojas/General.mdb");
    EXPECT_EQ(b.texto(2)->text(), "/hojas/H123.bin");
    EXPECT_EQ(b.texto(3)->text(), "/hojas/H123.sqlite");

    // A cancelled dialog leaves the earlier choice, in the variable and in the box.
    b.elige("Command2", "");
    EXPECT_EQ(b.estado.NombreFicheroBin, "/hojas/H123.bin");
    EXPECT_EQ(b.texto(2)->text(), "/hojas/H123.bin");
    b.procesar();
    EXPECT_EQ(b.corridas, std::vector<std::string>{"ADAPTACION"});

    // Typing into a box changes nothing: it only shows the chosen path.
    b.texto(3)->setFocus();
    QTest::keyClicks(b.texto(3), "x");
    EXPECT_EQ(b.texto(3)->text(), "/hojas/H123.sqlite");

    // A row set aside keeps its path; its button does not open the dialog.
    b.opcion(1);
    EXPECT_EQ(b.texto(1)->text(), "/hojas/General.mdb");
    EXPECT_EQ(b.estado.NombreBdDGeneral, "/hojas/General.mdb");
    size_t abiertos = b.dialogos.size();
    b.pulsa("Command1");
    EXPECT_EQ(b.dialogos.size(), abiertos);
}

TEST(Inicial, ProcesarSinLasEntradasNoHaceNada) {
    // Correlate with only the Particular database, or only the BIN file; Adaptation
    // without a General database.
    using Elecciones = std::vector<std::pair<const char*, const char*>>;
    for (const auto& [opcion, elecciones] : std::vector<std::pair<int, Elecciones>>{
             {1, {{"Command3", "/hojas/H123.mdb"}}},
             {1, {{"Command2", "/hojas/H123.bin"}}},
             {3, {{"Command2", "/hojas/H123.bin"}, {"Command3", "/hojas/H123.mdb"}}}}) {
        Banco b;
        b.opcion(opcion);
        for (const auto& [boton, ruta] : elecciones) b.elige(boton, ruta);
        b.procesar();
        EXPECT_TRUE(b.pantalla.llamadas.empty());
        EXPECT_TRUE(b.corridas.empty());
        EXPECT_FALSE(b.estado.TipoProceso);
        EXPECT_EQ(b.inicial->ventana(Opcion::Correlate), nullptr);
        EXPECT_EQ(b.inicial->ventana(Opcion::Adaptacion), nullptr);
    }
    {  // Fusion needs no BIN file, and no name check
        Banco b;
        b.opcion(2);
        b.elige("Command1", "/proyecto/General.mdb");
        b.procesar();
        EXPECT_TRUE(b.corridas.empty());
        b.elige("Command3", "/hojas/H123.mdb");
        b.procesar();
        EXPECT_EQ(b.corridas, std::vector<std::string>{"FUSION"});
        EXPECT_TRUE(b.pantalla.llamadas.empty());
        ASSERT_NE(b.inicial->ventana(Opcion::Fusion), nullptr);
        EXPECT_TRUE(b.inicial->ventana(Opcion::Fusion)->isVisible());
    }
}

TEST(Inicial, ConsistenciaEntreNombres) {
    const std::string aviso =
        "mensaje|276|Consistencia entre nombres|No coinciden los nombres del fichero Vexa y de "
        "la BdD Particular\r¿Desea continuar?";
    {  // Same name, letter case aside: no question
        Banco b;
        b.elige("Command2", "D:\\Hojas\\h123.bin");
        b.elige("Command3", "d:\\hojas\\H123.MDB");
        b.procesar();
        EXPECT_TRUE(b.pantalla.llamadas.empty());
        EXPECT_EQ(b.corridas, std::vector<std::string>{"CORRELATE"});
    }
    {  // Same names in different folders: the question; No leaves everything as it was
        Banco b;
        b.elige("Command2", "D:\\Hojas\\H123.bin");
        b.elige("Command3", "D:\\Otras\\H123.mdb");
        b.pantalla.respuestas = {respuesta::No};
        b.procesar();
        EXPECT_EQ(b.pantalla.llamadas, std::vector<std::string>{aviso});
        EXPECT_TRUE(b.corridas.empty());
        EXPECT_FALSE(b.estado.TipoProceso);
        EXPECT_EQ(b.inicial->ventana(Opcion::Correlate), nullptr);
        // Yes goes on.
        b.pantalla.respuestas = {respuesta::Si};
        b.procesar();
        EXPECT_EQ(b.corridas, std::vector<std::string>{"CORRELATE"});
    }
    {  // Adaptation asks too; a SQLite Particular database compares without its extension
        Banco b;
        b.opcion(3);
        b.elige("Command1", "/proyecto/General.mdb");
        b.elige("Command2", "/hojas/H123.bin");
        b.elige("Command3", "/hojas/H123.sqlite");
        b.procesar();
        EXPECT_TRUE(b.pantalla.llamadas.empty());
        b.elige("Command3", "/hojas/H124.db");
        b.inicial->ventana(Opcion::Adaptacion)->close();
        b.pantalla.respuestas = {respuesta::No};
        b.procesar();
        EXPECT_EQ(b.pantalla.llamadas, std::vector<std::string>{aviso});
        EXPECT_EQ(b.corridas, std::vector<std::string>{"ADAPTACION"});
    }
}

// What ConsistenciaEntreNombres does not meet.
TEST(Inicial, NombreSinExtension) {
    EXPECT_EQ(NombreSinExtension("/hojas.v2/h123"), "/HOJAS.V2/H123");  // no extension
    EXPECT_EQ(NombreSinExtension("/hojas/cañada.mdb"), "/HOJAS/CAÑADA");
    EXPECT_FALSE(CoincidenNombres("/hojas/H123.bin", "/hojas/H1234.mdb"));
}

TEST(Inicial, CadaVentanaDeProcesoUnaVez) {
    Banco b;
    b.hojaEnCorrelate();
    b.procesar();
    VentanaProceso* primera = b.inicial->ventana(Opcion::Correlate);
    ASSERT_NE(primera, nullptr);
    EXPECT_EQ(primera->objectName(), "Correlate");
    EXPECT_EQ(primera->findChild<QLabel*>("Label6")->text(), "hecho");

    // A second "Procesar" while it is open runs nothing, but sets the run kind.
    b.estado.TipoProceso.reset();
    primera->showMinimized();
    b.procesar();
    EXPECT_EQ(b.corridas, std::vector<std::string>{"CORRELATE"});
    EXPECT_EQ(b.estado.TipoProceso, Opcion::Correlate);
    EXPECT_EQ(b.inicial->ventana(Opcion::Correlate), primera);
    EXPECT_FALSE(primera->isMinimized());

    // Windows of different runs are open together, each with its last texts.
    b.opcion(3);
    b.procesar();
    EXPECT_EQ(b.inicial->ventana(Opcion::Adaptacion)->objectName(), "AdaptacionOcurrencias");
    EXPECT_TRUE(primera->isVisible());
    b.opcion(1);
    b.procesar();
    EXPECT_EQ(b.corridas, (std::vector<std::string>{"CORRELATE", "ADAPTACION"}));
    EXPECT_EQ(b.estado.TipoProceso, Opcion::Correlate);

    // Once closed, the next "Procesar" loads it afresh (empty labels) and runs again.
    primera->close();
    b.procesar();
    EXPECT_EQ(b.corridas, (std::vector<std::string>{"CORRELATE", "ADAPTACION", "CORRELATE"}));
    EXPECT_TRUE(b.inicial->ventana(Opcion::Correlate)->isVisible());
}

TEST(Inicial, DuranteUnProcesoNadaCambiaSusEntradasNiEmpiezaOtro) {
    Banco b;
    b.hojaEnCorrelate();
    b.durante = [&b] {
        b.opcion(2);
        b.procesar();
        b.elige("Command3", "/hojas/otra.mdb");
        EXPECT_EQ(b.estado.TipoProceso, Opcion::Correlate);
    };
    b.procesar();
    EXPECT_EQ(b.corridas, std::vector<std::string>{"CORRELATE"});
    EXPECT_EQ(b.inicial->ventana(Opcion::Fusion), nullptr);
    EXPECT_EQ(b.dialogos.size(), 3u);
    EXPECT_EQ(b.estado.NombreBdDParticular, "/hojas/H123.mdb");
    EXPECT_TRUE(b.pantalla.mensajes.empty());

    // Once the run has ended the same buttons work again.
    b.procesar();
    EXPECT_EQ(b.corridas, (std::vector<std::string>{"CORRELATE", "FUSION"}));
}

TEST(Inicial, FiltrosDelDialogoEnFormaQt) {
    EXPECT_EQ(FiltroQt(kFiltroBdD),
              "BdD Access (*.mdb *.accdb);;BdD SQLite (*.sqlite *.db *.db3);;"
              "Conexión a BdD PostgreSQL (*.pgconn)");
    EXPECT_EQ(FiltroQt("Bin Vexa (*.bin)|*.bin"), "Bin Vexa (*.bin)");
    EXPECT_EQ(FiltroQt("Hojas|*.bin;*.BIN"), "Hojas (*.bin *.BIN)");
}

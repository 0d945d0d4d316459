// The run windows: their captions and labels, a load step that shows the window
// before its run, labels repainted as the run sets them through the Qt port, a
// window that keeps painting through a long loop and cannot be closed meanwhile,
// and a fatal ending shown before the program is ended.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <map>
#include <stdexcept>

#include "core/FinPrograma.h"
#include "tests/support/Mensajes.h"
#include "ui/AdaptacionOcurrencias.h"
#include "ui/Correlate.h"
#include "ui/FusionBdD.h"
#include "ui/PantallaQt.h"

using namespace pelmora;
using prueba::alAparecerMensaje;

namespace {

using Lugares = std::map<QString, QRect>;  // label name -> pixels (twips / 15)

Lugares lugaresEtiquetas(const QWidget& ventana) {
    Lugares lugares;
    for (QLabel* l : ventana.findChildren<QLabel*>()) {
        lugares[l->objectName()] = l->geometry();
        EXPECT_TRUE(l->wordWrap()) << l->objectName().toStdString();
        EXPECT_EQ(l->text(), "") << l->objectName().toStdString();
    }
    return lugares;
}

const Lugares kCuentas = {
    {"Label7", {312, 32, 345, 20}},   {"Label8", {312, 56, 345, 20}},
    {"Label9", {312, 80, 345, 20}},   {"Label10", {312, 104, 345, 20}},
    {"Label11", {312, 128, 345, 20}}, {"Label12", {312, 152, 345, 20}},
    {"Label13", {312, 176, 345, 33}},
};

// Counts the paint events a widget receives.
struct Pinturas : QObject {
    int cuenta = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++cuenta;
        return false;
    }
};

}  // namespace

TEST(VentanasProceso, TitulosYEtiquetas) {
    PantallaQt pantalla([] {});
    Estado estado(pantalla);

    Correlate correlate(estado, {});
    correlate.Form_Load();
    EXPECT_EQ(correlate.objectName(), "Correlate");
    EXPECT_EQ(correlate.windowTitle(), "Correlate BIN -> BdD");
    Lugares esperado = kCuentas;
    esperado.insert({{"Label1", {56, 40, 161, 25}},
                     {"Label2", {56, 80, 161, 25}},
                     {"Label3", {56, 120, 161, 25}},
                     {"Label4", {56, 160, 161, 25}},
                     {"Label5", {56, 200, 161, 25}},
                     {"Label6", {320, 280, 377, 44}}});
    EXPECT_EQ(lugaresEtiquetas(correlate), esperado);

    AdaptacionOcurrencias adaptacion(estado, {});
    adaptacion.Form_Load();
    EXPECT_EQ(adaptacion.objectName(), "AdaptacionOcurrencias");
    EXPECT_EQ(adaptacion.windowTitle(), QString::fromUtf8("Adaptación Ocurrencias a BdD General"));
    esperado = kCuentas;
    esperado.insert({"Label6", {320, 264, 377, 33}});
    EXPECT_EQ(lugaresEtiquetas(adaptacion), esperado);

    FusionBdD fusion(estado, {});
    fusion.Form_Load();
    EXPECT_EQ(fusion.objectName(), "FusionBdD");
    EXPECT_EQ(fusion.windowTitle(), QString::fromUtf8("Fusión BdD Particular en BdD General"));
    EXPECT_EQ(lugaresEtiquetas(fusion), (Lugares{{"Label6", {520, 192, 377, 33}}}));

    for (QWidget* v : std::initializer_list<QWidget*>{&correlate, &adaptacion, &fusion}) {
        EXPECT_TRUE(v->isVisible());
        EXPECT_EQ(v->size(), QSize(937, 333));
        QPoint centro = v->screen()->availableGeometry().center();
        EXPECT_LE((v->geometry().center() - centro).manhattanLength(), 8);
    }
}

TEST(VentanasProceso, LaCargaCorreElProcesoEnPantalla) {
    PantallaQt pantalla([] { ADD_FAILURE() << "the run must not end the program"; });
    Estado estado(pantalla);
    Pinturas pinturas;
    int corridas = 0;
    auto proceso = [&](Estado& e) {
        ++corridas;
        auto* ventana = VentanaProceso::enCurso();
        EXPECT_TRUE(ventana && ventana->isVisible());
        EXPECT_TRUE(ventana->windowHandle()->isExposed());
        EXPECT_FALSE(ventana->close());  // not while the run goes on
        auto* label1 = ventana->findChild<QLabel*>("Label1");
        label1->installEventFilter(&pinturas);
        e.pantalla.punteroOcupado();
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        e.pantalla.etiqueta("Label1", "Encontrada Tabla : MsCatalog");
        // Set and painted before the run goes on.
        EXPECT_EQ(label1->text(), "Encontrada Tabla : MsCatalog");
        EXPECT_GE(pinturas.cuenta, 1);
        // A long loop's progress lets pending paints through, and nothing else changes.
        const int pintadas = pinturas.cuenta;
        label1->update();
        e.pantalla.progreso("Recorriendo «H1.bin»", 1, 2);
        EXPECT_GT(pinturas.cuenta, pintadas);
        EXPECT_EQ(label1->text(), "Encontrada Tabla : MsCatalog");
        EXPECT_FALSE(ventana->close());
        e.pantalla.punteroNormal();
        e.pantalla.etiqueta("Label13",
                            "Encontrado más de una correspondencia entre el gráfico y el "
                            "alfanumérico : 0");
        return true;
    };
    Correlate ventana(estado, proceso);
    ventana.Form_Load();
    EXPECT_EQ(corridas, 1);
    EXPECT_EQ(VentanaProceso::enCurso(), nullptr);
    EXPECT_TRUE(ventana.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The two-line count line fits its label.
    auto* label13 = ventana.findChild<QLabel*>("Label13");
    EXPECT_LE(label13->heightForWidth(label13->width()), label13->height());
    EXPECT_TRUE(ventana.close());
}

TEST(VentanasProceso, FinDelProgramaTrasElMensaje) {
    struct Caso {
        std::exception_ptr fallo;
        QString texto;
        QMessageBox::Icon icono;
    };
    const Caso casos[] = {
        {std::make_exception_ptr(FinPrograma{"Fichero Corrupto", estilo::IconoCritico, true}),
         "Fichero Corrupto", QMessageBox::Critical},
        {std::make_exception_ptr(FinPrograma{"Falta la tabla MsCatalog", estilo::Aceptar, false}),
         "Falta la tabla MsCatalog", QMessageBox::NoIcon},
        {std::make_exception_ptr(std::runtime_error("No se puede abrir /hojas/H123.mdb")),
         "No se puede abrir /hojas/H123.mdb", QMessageBox::Critical},
    };
    for (const Caso& caso : casos) {
        std::vector<std::string> sucesos;
        PantallaQt pantalla([&] {
            sucesos.push_back(QApplication::activeModalWidget() ? "fin con mensaje" : "fin");
        });
        Estado estado(pantalla);
        alAparecerMensaje([&](QMessageBox& caja) {
            sucesos.push_back("mensaje");
            EXPECT_EQ(caja.text(), caso.texto);
            EXPECT_EQ(caja.windowTitle(), "Pelmora");
            EXPECT_EQ(caja.icon(), caso.icono);
            caja.button(QMessageBox::Ok)->click();
        });
        FusionBdD ventana(estado, [&](Estado& e) {
            e.pantalla.punteroOcupado();
            std::rethrow_exception(caso.fallo);
            e.pantalla.etiqueta("Label6", "PROCESO TERMINADO");
            return true;
        });
        ventana.Form_Load();
        EXPECT_EQ(sucesos, (std::vector<std::string>{"mensaje", "fin"}));
        EXPECT_EQ(ventana.findChild<QLabel*>("Label6")->text(), "");
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// End to end through the real windows (offscreen): the main window picks the
// sample sheet's files with "Examinar ...", runs Correlate, Fusion and Adaptation
// with "Procesar", and every label of each run window, every message box and every
// effect on the files is compared with esperado.json.
#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <deque>

#include "tests/support/Extremo.h"
#include "tests/support/TempDir.h"
#include "ui/Inicial.h"
#include "ui/PantallaQt.h"

using namespace pelmora;
using namespace pelmora::prueba;

namespace {

// Answers every message box as it appears, with the answer esperado.json gives
// (OK when it gives none), and keeps what each box said.
class Contestador {
  public:
    Contestador() {
        reloj_.setInterval(5);
        QObject::connect(&reloj_, &QTimer::timeout, [this] { mira(); });
        reloj_.start();
    }
    std::deque<int> respuestas;
    QStringList textos, titulos;

  private:
    void mira() {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!caja || !caja->isVisible() || caja == vista_) return;
        vista_ = caja;
        textos << caja->text().replace('\n', '\r');
        titulos << caja->windowTitle();
        int respuesta = respuestas.empty() ? 1 : respuestas.front();
        if (!respuestas.empty()) respuestas.pop_front();
        for (QAbstractButton* b : caja->buttons())
            if (b->property("respuesta").toInt() == respuesta) return b->click();
        ADD_FAILURE() << "La caja no tiene el botón " << respuesta;
    }
    QTimer reloj_;
    QPointer<QMessageBox> vista_;
};

int NumeroOpcion(const char* proceso) {
    const std::string p = proceso;
    return p == "correlate" ? 1 : p == "fusion" ? 2 : 3;
}

}  // namespace

class ExtremoVentanas : public ::testing::TestWithParam<bool> {};  // true: .mdb

TEST_P(ExtremoVentanas, LosTresProcesosEnOrden) {
    QStringList argumentos{"--elementos", "200", "--semilla", "3", "--sin-noasignar"};
    TempDir temporal;
    if (GetParam())
        argumentos << "--formato"
                   << "mdb"
                   << "--plantilla"
                   << QString::fromStdString(PlantillaMdb(temporal.root()).string());
    const HojaGenerada hoja = GeneraHoja(temporal.root(), argumentos);
    ASSERT_FALSE(hoja.esperado.isEmpty());

    PantallaQt pantalla([] { ADD_FAILURE() << "Ningún proceso debe terminar el programa"; });
    Estado estado(pantalla);
    std::deque<std::string> dialogo;
    Inicial inicial(estado, procesosDisponibles(), [&](const std::string&, const std::string&) {
        std::string r = dialogo.front();
        dialogo.pop_front();
        return r;
    });
    pantalla.principal(&inicial);
    inicial.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&inicial));
    Contestador contestador;

    for (const char* proceso : {"correlate", "fusion", "adaptacion"}) {
        SCOPED_TRACE(proceso);
        const int opcion = NumeroOpcion(proceso);
        auto* boton = inicial.findChild<QRadioButton*>("Option" + QString::number(opcion));
        QTest::mouseClick(boton, Qt::LeftButton, {}, QPoint(8, boton->height() / 2));
        const Entradas e = EntradasDe(hoja, proceso);
        const std::pair<const char*, std::string> filas[] = {
            {"Command1", e.general}, {"Command2", e.bin}, {"Command3", e.particular}};
        for (const auto& [examinar, ruta] : filas) {
            if (ruta.empty()) continue;
            dialogo.push_back(ruta);
            QTest::mouseClick(inicial.findChild<QPushButton*>(examinar), Qt::LeftButton);
        }
        // Paths chosen for an earlier run stay chosen: the run is given them too.
        const Entradas dadas{estado.NombreFicheroBin, estado.NombreBdDParticular,
                             estado.NombreBdDGeneral};
        QJsonObject esperado = hoja.esperado[proceso].toObject();
        for (const QJsonValue& m : esperado["mensajes"].toArray())
            contestador.respuestas.push_back(m["respuesta"].toInt());
        contestador.textos.clear();
        contestador.titulos.clear();

        const Antes antes = Fotografia(hoja, proceso, dadas);
        QTest::mouseClick(inicial.findChild<QPushButton*>("Command4"), Qt::LeftButton);

        QStringList textos, titulos;
        for (const QJsonValue& m : esperado["mensajes"].toArray()) {
            textos << m["texto"].toString();
            titulos << m["titulo"].toString();
        }
        EXPECT_EQ(contestador.textos, textos);
        EXPECT_EQ(contestador.titulos, titulos);

        VentanaProceso* ventana = inicial.ventana(static_cast<pelmora::Opcion>(opcion - 1));
        ASSERT_NE(ventana, nullptr);
        EXPECT_TRUE(ventana->isVisible());
        QJsonObject etiquetas = esperado["etiquetas"].toObject();
        for (QLabel* label : ventana->findChildren<QLabel*>())
            EXPECT_EQ(label->text(), etiquetas[label->objectName()].toString())
                << label->objectName().toStdString();
        EXPECT_EQ(ventana->findChildren<QLabel*>().size(), etiquetas.size());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);

        CompruebaEfectos(hoja, proceso, dadas, antes, LeeConMotor);
        if (GetParam()) CompruebaEfectos(hoja, proceso, dadas, antes, LeeConMdbtools);
    }

    // "Procesar" again while the Adaptation window is open runs nothing.
    const Entradas e = EntradasDe(hoja, "adaptacion");
    const Antes antes = Fotografia(hoja, "adaptacion", e);
    contestador.respuestas = {6};
    QTest::mouseClick(inicial.findChild<QPushButton*>("Command4"), Qt::LeftButton);
    const Antes despues = Fotografia(hoja, "adaptacion", e);
    EXPECT_EQ(despues.control, antes.control);
    EXPECT_EQ(despues.errores, antes.errores);
    EXPECT_EQ(despues.bin, antes.bin);
}

INSTANTIATE_TEST_SUITE_P(Hojas, ExtremoVentanas, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Mdb" : "SQLite"; });

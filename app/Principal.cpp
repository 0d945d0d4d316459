#include "app/Principal.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <iostream>

#include "app/Traduccion.h"
#include "runs/Procesos.h"
#include "ui/Inicial.h"
#include "ui/PantallaQt.h"

namespace pelmora {

namespace {

std::string variable(const char* nombre) {
    const char* valor = std::getenv(nombre);
    return valor ? valor : "";
}

void guarda(QWidget& ventana, const QString& fichero) {
    bool guardada = ventana.grab().save(fichero, "PNG");
    if (!guardada) std::cerr << "pelmora: no se pudo guardar " << fichero.toStdString() << "\n";
    QCoreApplication::exit(guardada ? 0 : 1);
}

void capturaAlMostrar(QWidget& ventana, const QString& fichero) {
    QTimer::singleShot(500, &ventana, [&ventana, fichero] { guarda(ventana, fichero); });
}

// Takes the paths from the environment, selects the option and presses
// "Procesar" as the user would; the picture is of the run window once it has ended.
void capturaProceso(Inicial& inicial, Estado& estado, int opcion, const QString& fichero) {
    QTimer::singleShot(500, &inicial, [&inicial, &estado, opcion, fichero] {
        estado.NombreBdDGeneral = variable("PELMORA_GENERAL");
        estado.NombreFicheroBin = variable("PELMORA_BIN");
        estado.NombreBdDParticular = variable("PELMORA_PARTICULAR");
        inicial.findChild<QRadioButton*>("Option" + QString::number(opcion))->click();
        inicial.findChild<QPushButton*>("Command4")->click();
        VentanaProceso* ventana = inicial.ventana(static_cast<Opcion>(opcion - 1));
        if (!ventana) {
            std::cerr << "pelmora: faltan entradas para el proceso que se quiere capturar\n";
            QCoreApplication::exit(1);
            return;
        }
        QTimer::singleShot(300, ventana, [ventana, fichero] { guarda(*ventana, fichero); });
    });
}

}  // namespace

int abrePrincipal(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    cargaTraduccionQt(aplicacion);
    PantallaQt pantalla;
    Estado estado(pantalla);
    Inicial inicial(estado, procesosDisponibles());
    pantalla.principal(&inicial);
    inicial.show();
    const QString captura = QString::fromLocal8Bit(variable("PELMORA_CAPTURA"));
    const int opcion = std::atoi(variable("PELMORA_CAPTURA_PROCESO").c_str());
    if (!captura.isEmpty() && opcion >= 1 && opcion <= 3)
        capturaProceso(inicial, estado, opcion, captura);
    else if (!captura.isEmpty())
        capturaAlMostrar(inicial, captura);
    return aplicacion.exec();
}

}  // namespace pelmora

#include "app/Principal.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdlib>
#include <iostream>

#include "runs/Procesos.h"
#include "ui/Inicial.h"
#include "ui/PantallaQt.h"

namespace pelmora {

namespace {

void capturaAlMostrar(QWidget& ventana, const QString& fichero) {
    QTimer::singleShot(500, &ventana, [&ventana, fichero] {
        bool guardada = ventana.grab().save(fichero, "PNG");
        if (!guardada) std::cerr << "pelmora: no se pudo guardar " << fichero.toStdString() << "\n";
        QCoreApplication::exit(guardada ? 0 : 1);
    });
}

}  // namespace

int abrePrincipal(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    PantallaQt pantalla;
    Estado estado(pantalla);
    Inicial inicial(estado, procesosDisponibles());
    pantalla.principal(&inicial);
    inicial.show();
    if (const char* captura = std::getenv("PELMORA_CAPTURA"))
        capturaAlMostrar(inicial, QString::fromLocal8Bit(captura));
    return aplicacion.exec();
}

}  // namespace pelmora

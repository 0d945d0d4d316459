#include "tests/support/Mensajes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace pelmora::prueba {

void alAparecerMensaje(std::function<void(QMessageBox&)> accion) {
    QTimer::singleShot(0, [accion] {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (caja && caja->isVisible())
            accion(*caja);
        else
            alAparecerMensaje(accion);
    });
}

}  // namespace pelmora::prueba

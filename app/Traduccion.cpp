#include "app/Traduccion.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pelmora {

bool cargaTraduccionQt(QCoreApplication& aplicacion) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto* traduccion = new QTranslator(&aplicacion);
    if (!traduccion->load("qtbase_es", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traduccion;
        return false;
    }
    return QCoreApplication::installTranslator(traduccion);
}

}  // namespace pelmora

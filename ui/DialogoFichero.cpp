#include "ui/DialogoFichero.h"

#include <QFileDialog>
#include <QStringList>

namespace pelmora {

// Each description is shown as it stands, its patterns in parentheses as Qt reads
// them; a description that already ends in its own "(...)" keeps only the pattern.
QString FiltroQt(const std::string& filtro) {
    QStringList partes = QString::fromStdString(filtro).split('|');
    QStringList filtros;
    for (qsizetype i = 0; i + 1 < partes.size(); i += 2) {
        QString descripcion = partes[i].trimmed();
        qsizetype abre = descripcion.lastIndexOf('(');
        if (descripcion.endsWith(')') && abre >= 0) descripcion = descripcion.left(abre).trimmed();
        QString patrones = partes[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        filtros << descripcion + " (" + patrones + ")";
    }
    return filtros.join(";;");
}

DialogoFichero DialogoQt(QWidget* padre) {
    return [padre](const std::string& titulo, const std::string& filtro) {
        QString filtros = FiltroQt(filtro);
        QString primero = filtros.section(";;", 0, 0);
        QString nombre = QFileDialog::getOpenFileName(padre, QString::fromStdString(titulo),
                                                      QString(), filtros, &primero);
        return nombre.toStdString();
    };
}

}  // namespace pelmora

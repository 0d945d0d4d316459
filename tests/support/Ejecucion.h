// A program run to its end as a user would, with what it answered: its exit code
// (-1 when it did not end normally) and its standard and error outputs.
#pragma once

#include <QString>
#include <QStringList>

namespace pelmora::prueba {

struct Ejecucion {
    int codigo = -1;
    QString salida, errores;
};

// The pelmora program under test: the one PELMORA_PROGRAMA names (the build without
// windows), or this build's.
QString ProgramaPelmora();

// Waits up to `esperaMs`; a program still running then is a test failure.
Ejecucion Ejecuta(const QString& programa, const QStringList& argumentos, int esperaMs = 300000);

}  // namespace pelmora::prueba

#include "tests/support/Ejecucion.h"

#include <gtest/gtest.h>

#include <QProcess>

namespace pelmora::prueba {

Ejecucion Ejecuta(const QString& programa, const QStringList& argumentos, int esperaMs) {
    QProcess p;
    p.start(programa, argumentos);
    EXPECT_TRUE(p.waitForFinished(esperaMs)) << programa.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace pelmora::prueba

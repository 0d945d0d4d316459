#include "tests/support/Ejecucion.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <cstdlib>

namespace pelmora::prueba {

QString ProgramaPelmora() {
    const char* programa = std::getenv("PELMORA_PROGRAMA");
    return programa && *programa ? QString::fromUtf8(programa) : PELMORA_BIN_DIR "/pelmora";
}

Ejecucion Ejecuta(const QString& programa, const QStringList& argumentos, int esperaMs) {
    QProcess p;
    p.start(programa, argumentos);
    EXPECT_TRUE(p.waitForFinished(esperaMs)) << programa.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace pelmora::prueba

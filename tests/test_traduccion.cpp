// Qt's own texts in Spanish: the test runs under LANG=C (see CMakeLists.txt), where
// Qt speaks English until the program loads its Spanish translation.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "app/Traduccion.h"

namespace {

std::string cancelar() {
    QDialogButtonBox botones(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    return botones.button(QDialogButtonBox::Cancel)->text().toStdString();
}

std::string buscarEn() {
    QFileDialog dialogo;
    dialogo.setOption(QFileDialog::DontUseNativeDialog);
    return dialogo.findChild<QLabel*>("lookInLabel")->text().toStdString();
}

}  // namespace

TEST(Traduccion, LosTextosDeQtEnEspanolAunqueLaMaquinaHableIngles) {
    ASSERT_EQ(cancelar(), "Cancel") << "la prueba necesita LANG=C";
    ASSERT_TRUE(pelmora::cargaTraduccionQt(*QCoreApplication::instance()));
    EXPECT_EQ(cancelar(), "Cancelar");
    EXPECT_EQ(buscarEn(), "Ver en:");
}

// The UI port on Qt: message boxes shaped exactly by their style bits, the
// answer codes of their buttons, the busy pointer, the focus and the end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "core/EstiloMensaje.h"
#include "tests/support/Mensajes.h"
#include "ui/PantallaQt.h"

using namespace pelmora;
using prueba::alAparecerMensaje;

namespace {

std::vector<QString> textosBotones(const QMessageBox& caja) {
    std::vector<QString> textos;
    for (QAbstractButton* b : caja.buttons()) textos.push_back(b->text());
    std::sort(textos.begin(), textos.end());
    return textos;
}

}  // namespace

TEST(Pantalla, FormaSegunLosBitsDelEstilo) {
    using V = std::vector<int>;
    FormaMensaje ok = formaMensaje(0);
    EXPECT_EQ(ok.botones, V{respuesta::Aceptar});
    EXPECT_EQ(ok.icono, IconoMensaje::Ninguno);
    EXPECT_EQ(ok.porDefecto, 0);

    FormaMensaje nombres = formaMensaje(276);  // 4 + 16 + 256
    EXPECT_EQ(nombres.botones, (V{respuesta::Si, respuesta::No}));
    EXPECT_EQ(nombres.icono, IconoMensaje::Critico);
    EXPECT_EQ(nombres.porDefecto, 1);

    EXPECT_EQ(formaMensaje(4).porDefecto, 0);
    EXPECT_EQ(formaMensaje(16).botones, V{respuesta::Aceptar});
    EXPECT_EQ(formaMensaje(16).icono, IconoMensaje::Critico);
    EXPECT_EQ(formaMensaje(32).icono, IconoMensaje::Pregunta);
    EXPECT_EQ(formaMensaje(48).icono, IconoMensaje::Exclamacion);
    EXPECT_EQ(formaMensaje(64).icono, IconoMensaje::Informacion);
    EXPECT_EQ(formaMensaje(1).botones, (V{respuesta::Aceptar, respuesta::Cancelar}));
    EXPECT_EQ(formaMensaje(3 + 512).botones,
              (V{respuesta::Si, respuesta::No, respuesta::Cancelar}));
    EXPECT_EQ(formaMensaje(3 + 512).porDefecto, 2);
    EXPECT_EQ(formaMensaje(256).porDefecto, 0);  // no second button: the first
    EXPECT_EQ(textoBoton(respuesta::Si), std::string("Sí"));
}

TEST(Pantalla, CajaDeMensajeQt) {
    auto caja = creaMensaje("No coinciden los nombres\r¿Desea continuar?", 276,
                            "Consistencia entre nombres", nullptr);
    EXPECT_EQ(caja->windowTitle(), "Consistencia entre nombres");
    EXPECT_EQ(caja->text(), QString::fromUtf8("No coinciden los nombres\n¿Desea continuar?"));
    EXPECT_EQ(caja->textFormat(), Qt::PlainText);
    EXPECT_EQ(caja->icon(), QMessageBox::Critical);
    EXPECT_EQ(textosBotones(*caja), (std::vector<QString>{"No", QString::fromUtf8("Sí")}));
    ASSERT_NE(caja->defaultButton(), nullptr);
    EXPECT_EQ(caja->defaultButton()->text(), "No");

    auto aviso = creaMensaje("Fichero Corrupto", 0, "", nullptr);
    EXPECT_EQ(aviso->windowTitle(), "Pelmora");
    EXPECT_EQ(aviso->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(textosBotones(*aviso), std::vector<QString>{"Aceptar"});
    EXPECT_EQ(creaMensaje("x", 16, "", nullptr)->icon(), QMessageBox::Critical);
    EXPECT_EQ(creaMensaje("<b>x</b>", 0, "", nullptr)->textFormat(), Qt::PlainText);
}

TEST(Pantalla, RespuestasDeLaCaja) {
    PantallaQt pantalla([] {});
    // Enter presses the default button: "No" for 276.
    alAparecerMensaje([](QMessageBox& caja) { QTest::keyClick(&caja, Qt::Key_Return); });
    EXPECT_EQ(pantalla.mensaje("¿Seguir?", 276, "t"), respuesta::No);
    alAparecerMensaje([](QMessageBox& caja) {
        for (QAbstractButton* b : caja.buttons())
            if (b->text() == QString::fromUtf8("Sí")) b->click();
    });
    EXPECT_EQ(pantalla.mensaje("¿Seguir?", 276, "t"), respuesta::Si);
    alAparecerMensaje([](QMessageBox& caja) { QTest::keyClick(&caja, Qt::Key_Return); });
    EXPECT_EQ(pantalla.mensaje("¿Seguir?", 4, "t"), respuesta::Si);
    // Escape never answers Yes.
    alAparecerMensaje([](QMessageBox& caja) { QTest::keyClick(&caja, Qt::Key_Escape); });
    EXPECT_EQ(pantalla.mensaje("¿Seguir?", 4, "t"), respuesta::No);
    alAparecerMensaje([](QMessageBox& caja) { caja.button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(pantalla.mensaje("Hecho", 0, ""), respuesta::Aceptar);
}

TEST(Pantalla, PunteroFocoYFin) {
    int fines = 0;
    PantallaQt pantalla([&] { ++fines; });
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    pantalla.punteroOcupado();
    pantalla.punteroOcupado();  // a state, not a stack
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    pantalla.punteroNormal();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    pantalla.punteroNormal();

    QWidget principal, otra;
    principal.show();
    otra.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&otra));
    otra.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&otra));
    pantalla.principal(&principal);
    pantalla.enfocaPrincipal();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&principal));

    // No run window in hand: setting a label is a program fault, not a silent no-op.
    EXPECT_THROW(pantalla.etiqueta("Label1", "x"), std::logic_error);

    pantalla.punteroOcupado();
    pantalla.terminar();
    EXPECT_EQ(fines, 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

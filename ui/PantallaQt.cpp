#include "ui/PantallaQt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <stdexcept>

#include "core/EstiloMensaje.h"
#include "ui/VentanaProceso.h"

namespace pelmora {

namespace {

QMessageBox::StandardButton botonQt(int codigo) {
    switch (codigo) {
        case respuesta::Cancelar:
            return QMessageBox::Cancel;
        case respuesta::Anular:
            return QMessageBox::Abort;
        case respuesta::Reintentar:
            return QMessageBox::Retry;
        case respuesta::Omitir:
            return QMessageBox::Ignore;
        case respuesta::Si:
            return QMessageBox::Yes;
        case respuesta::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconoQt(IconoMensaje icono) {
    switch (icono) {
        case IconoMensaje::Critico:
            return QMessageBox::Critical;
        case IconoMensaje::Pregunta:
            return QMessageBox::Question;
        case IconoMensaje::Exclamacion:
            return QMessageBox::Warning;
        case IconoMensaje::Informacion:
            return QMessageBox::Information;
        case IconoMensaje::Ninguno:
            break;
    }
    return QMessageBox::NoIcon;
}

// Messages join their lines with a bare carriage return; Qt breaks lines on '\n'.
QString textoQt(const std::string& texto) {
    QString t = QString::fromStdString(texto);
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

void terminaAplicacion() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    QCoreApplication::exit(1);
}

}  // namespace

std::unique_ptr<QMessageBox> creaMensaje(const std::string& texto, int estilo,
                                         const std::string& titulo, QWidget* padre) {
    FormaMensaje forma = formaMensaje(estilo);
    auto caja = std::make_unique<QMessageBox>(padre);
    caja->setWindowTitle(QString::fromStdString(titulo.empty() ? kTituloAplicacion : titulo));
    caja->setTextFormat(Qt::PlainText);
    caja->setText(textoQt(texto));
    caja->setIcon(iconoQt(forma.icono));
    for (int codigo : forma.botones) {
        QPushButton* boton = caja->addButton(botonQt(codigo));
        boton->setText(QString::fromUtf8(textoBoton(codigo)));
        boton->setProperty("respuesta", codigo);
    }
    caja->setDefaultButton(botonQt(forma.botones[forma.porDefecto]));
    caja->setProperty("respuesta", forma.botones.back());
    return caja;
}

// A box closed without a button answers as its last button (No, Cancel or the
// only OK), never as a Yes.
int respuestaMensaje(const QMessageBox& caja) {
    QAbstractButton* boton = caja.clickedButton();
    return (boton ? boton->property("respuesta") : caja.property("respuesta")).toInt();
}

PantallaQt::PantallaQt(std::function<void()> fin)
    : fin_(fin ? std::move(fin) : std::function<void()>(terminaAplicacion)) {}

int PantallaQt::mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    QWidget* padre = VentanaProceso::enCurso();
    auto caja = creaMensaje(texto, estilo, titulo, padre ? padre : principal_.data());
    caja->exec();
    return respuestaMensaje(*caja);
}

void PantallaQt::punteroOcupado() {
    if (ocupado_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ocupado_ = true;
    atiendePantalla();
}

void PantallaQt::punteroNormal() {
    if (!ocupado_) return;
    QApplication::restoreOverrideCursor();
    ocupado_ = false;
}

void PantallaQt::etiqueta(const std::string& nombre, const std::string& texto) {
    VentanaProceso* ventana = VentanaProceso::enCurso();
    if (!ventana) throw std::logic_error("No hay ventana de proceso para la etiqueta " + nombre);
    ventana->etiqueta(nombre, texto);
}

// The windows show no percentage; they only keep painting while the loop goes on.
void PantallaQt::progreso(const std::string&, int64_t, int64_t) {
    atiendePantalla();
}

void PantallaQt::enfocaPrincipal() {
    if (!principal_) return;
    principal_->activateWindow();
}

void PantallaQt::terminar() {
    punteroNormal();
    fin_();
}

}  // namespace pelmora

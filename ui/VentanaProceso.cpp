#include "ui/VentanaProceso.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <stdexcept>

#include "core/FinPrograma.h"
#include "ui/Twips.h"

namespace pelmora {

namespace {

// The client area of every window of the program, 14055 x 4995 twips.
constexpr QRect kArea = twips(0, 0, 14055, 4995);

}  // namespace

void atiendePantalla() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

VentanaProceso::VentanaProceso(Estado& estado, Proceso proceso, const char* nombre,
                               const char* titulo, const std::vector<EtiquetaProceso>& etiquetas)
    : estado_(estado), proceso_(std::move(proceso)) {
    setObjectName(nombre);
    setWindowTitle(QString::fromUtf8(titulo));
    setFixedSize(kArea.size());
    setFont(fuenteVentanas(font()));
    for (const EtiquetaProceso& e : etiquetas) {
        auto* label = new QLabel(this);
        label->setObjectName(e.nombre);
        label->setGeometry(twips(e.left, e.top, e.width, e.height));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
}

void VentanaProceso::Form_Load() {
    muestraEnPantalla();
    if (proceso_) {
        enCarga_ = true;
        bool terminado = !ejecutaHastaFin(estado_.pantalla, [this] { proceso_(estado_); });
        enCarga_ = false;
        if (terminado) return;
    }
    alFrente();
}

void VentanaProceso::muestraEnPantalla() {
    QRect pantalla = screen()->availableGeometry();
    move(pantalla.center() - rect().center());
    show();
    QTimer limite;
    limite.setSingleShot(true);
    limite.start(1000);
    while (!windowHandle()->isExposed() && limite.isActive())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    atiendePantalla();
}

void VentanaProceso::closeEvent(QCloseEvent* evento) {
    if (enCarga_)
        evento->ignore();
    else
        QWidget::closeEvent(evento);
}

void VentanaProceso::alFrente() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void VentanaProceso::etiqueta(const std::string& nombre, const std::string& texto) {
    auto* label = findChild<QLabel*>(QString::fromStdString(nombre), Qt::FindDirectChildrenOnly);
    if (!label)
        throw std::logic_error("La ventana " + objectName().toStdString() +
                               " no tiene la etiqueta " + nombre);
    label->setText(QString::fromStdString(texto));
    label->repaint();
    atiendePantalla();
}

VentanaProceso* VentanaProceso::enCurso() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<VentanaProceso*>(w); v && v->enCarga()) return v;
    return nullptr;
}

}  // namespace pelmora

// The UI port on Qt widgets: modal message boxes shaped by their style number,
// the application-wide busy pointer, the labels of the run window in hand, a
// long loop's progress as a chance to repaint, the main window's focus and the
// end of the program.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/Pantalla.h"

class QMessageBox;

namespace pelmora {

// The message box for `texto`, `estilo` and `titulo`, not yet shown: the buttons,
// icon, default button and title as the style bits say. Its answer is read with
// respuestaMensaje once it has been closed.
std::unique_ptr<QMessageBox> creaMensaje(const std::string& texto, int estilo,
                                         const std::string& titulo, QWidget* padre);
// The answer code (1 OK, 6 Yes, 7 No...) of the button that closed `caja`.
int respuestaMensaje(const QMessageBox& caja);

class PantallaQt : public Pantalla {
  public:
    // `fin` ends the program; by default it hides every window and leaves the
    // event loop with exit code 1, so the process ends as soon as the run's
    // top level returns, with every object destroyed in order.
    explicit PantallaQt(std::function<void()> fin = {});

    // The main window, for enfocaPrincipal and as the parent of message boxes.
    void principal(QWidget* ventana) { principal_ = ventana; }

    int mensaje(const std::string& texto, int estilo, const std::string& titulo) override;
    void punteroOcupado() override;
    void punteroNormal() override;
    void etiqueta(const std::string& nombre, const std::string& texto) override;
    void progreso(const std::string& tarea, int64_t hecho, int64_t total) override;
    void enfocaPrincipal() override;
    void terminar() override;

  private:
    std::function<void()> fin_;
    QPointer<QWidget> principal_;
    bool ocupado_ = false;
};

}  // namespace pelmora

// The main window: three input rows (General database, BIN file, Particular
// database) chosen with file dialogs, the run choice, and "Procesar", which checks
// the inputs and opens the run's window. Each run window exists once: while it is
// open "Procesar" only brings it to the front; once closed, the next one loads it
// afresh and runs again.
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "core/Estado.h"
#include "runs/Lanzamiento.h"
#include "runs/Procesos.h"
#include "ui/DialogoFichero.h"
#include "ui/VentanaProceso.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pelmora {

class Inicial : public QWidget {
    Q_OBJECT

  public:
    // `dialogo` answers the "Examinar ..." buttons; by default the toolkit's dialog.
    Inicial(Estado& estado, Procesos procesos, DialogoFichero dialogo = {});
    ~Inicial() override;

    // Enables and colours the input rows after the selected option.
    void ChequeaOption();

    // The run window of `opcion`, or null before its first "Procesar".
    VentanaProceso* ventana(Opcion opcion) const;

  private:
    // One input row and what its "Examinar ..." button hands to the dialog.
    struct Fila {
        QLabel* label;
        QLineEdit* text;
        QPushButton* command;
        std::string Estado::*variable;
        const char* titulo;
        const char* filtro;
    };

    void creaControles();
    void ordenTabulacion();
    void examina(Fila& fila);
    std::string SeleccionaFichero(const std::string& titulo, const std::string& filtro);
    void ponFila(const Fila& fila, bool enUso);
    Opcion opcionSeleccionada() const;
    void Command4_Click();
    void abreVentana(Opcion opcion);

    Estado& estado_;
    Procesos procesos_;
    DialogoFichero dialogo_;
    std::array<Fila, 3> filas_{};
    std::array<QRadioButton*, 3> opciones_{};
    QPushButton* procesar_ = nullptr;
    QColor colorVentana_;
    std::array<std::unique_ptr<VentanaProceso>, 3> ventanas_;
};

}  // namespace pelmora

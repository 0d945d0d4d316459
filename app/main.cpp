// Entry point: with no arguments the main window opens.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, "Pelmora", "Pelmora");
    return 0;
}

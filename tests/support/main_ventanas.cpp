// Entry point of the tests that drive real windows.
#include <QApplication>

#include "tests/support/Arranque.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return pelmora::test::ejecutaPruebas(argc, argv);
}

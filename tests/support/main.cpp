// Entry point of the tests that drive no window: QtCore's application object, for
// the child processes some of them start.
#include <QCoreApplication>

#include "tests/support/Arranque.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return pelmora::test::ejecutaPruebas(argc, argv);
}

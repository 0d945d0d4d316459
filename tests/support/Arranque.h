// What every test program does around its tests: runs them and then checks that no
// fixture file was written (the shared fixtures may be writable in a checkout;
// tests write copies only). The entry points (main.cpp, main_ventanas.cpp) call it
// once they have made the application object their tests need.
#pragma once

namespace pelmora::test {

int ejecutaPruebas(int& argc, char** argv);

}  // namespace pelmora::test

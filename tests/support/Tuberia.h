// A named pipe (FIFO) for the tests that give one where a file is expected. The
// test holds it open for reading and writing, full of bytes, so that a
// program that opened it by mistake would read garbage instead of waiting for a
// writer forever, and the test would fail rather than hang.
#pragma once

#include <string>

namespace pelmora::prueba {

class Tuberia {
  public:
    explicit Tuberia(const std::string& ruta);
    ~Tuberia();
    Tuberia(const Tuberia&) = delete;
    Tuberia& operator=(const Tuberia&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace pelmora::prueba

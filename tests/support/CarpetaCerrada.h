// A folder in which no file may be created or removed while the object lives,
// whoever runs the tests: its mode takes the write permission from an ordinary
// user, and root, whom no mode stops, finds it marked immutable where the file
// system allows that. Everything is put back when the object goes.
#pragma once

#include <string>

namespace pelmora::prueba {

class CarpetaCerrada {
  public:
    explicit CarpetaCerrada(std::string carpeta);
    ~CarpetaCerrada();
    CarpetaCerrada(const CarpetaCerrada&) = delete;
    CarpetaCerrada& operator=(const CarpetaCerrada&) = delete;

    // False when the folder could not be closed here (the test is then skipped).
    bool cerrada() const { return cerrada_; }

  private:
    std::string carpeta_;
    bool inmutable_ = false;
    bool cerrada_ = false;
};

}  // namespace pelmora::prueba

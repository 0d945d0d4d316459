// Databases on the suite's throw-away PostgreSQL server (tests/postgresql/servidor,
// started by CTest before the tests that need it): each test gets a fresh, empty
// database of its own, dropped when it ends.
#pragma once

#include <string>

namespace pelmora::prueba {

class BdDServidor {
  public:
    // Whether the suite's server is running; a test without it is skipped.
    static bool hay();

    BdDServidor();
    ~BdDServidor();
    BdDServidor(const BdDServidor&) = delete;
    BdDServidor& operator=(const BdDServidor&) = delete;

    // The libpq URI of the new database.
    const std::string& direccion() const { return direccion_; }
    const std::string& nombre() const { return nombre_; }
    // Runs SQL on the database as it stands (outside the engine).
    void ejecuta(const std::string& sql) const;

  private:
    std::string nombre_;
    std::string direccion_;
};

}  // namespace pelmora::prueba

// A long run of writes to one database (the marks and log rows of a walk, the
// marks reset before it) stored together, in one commit, however the run ends:
// normally, or by an end of the program, whose writes already made must stay.
#pragma once

#include <memory>

#include "db/engine/Database.h"

namespace pelmora {

class EscriturasAgrupadas {
  public:
    // Groups the writes to `bdd` from now on; a null handle groups nothing.
    explicit EscriturasAgrupadas(std::shared_ptr<engine::Database> bdd);
    // Stores the group when Termina() was not reached (the walk is ending by an error,
    // which is what the user sees: a failure to store is not reported over it).
    ~EscriturasAgrupadas();
    EscriturasAgrupadas(const EscriturasAgrupadas&) = delete;
    EscriturasAgrupadas& operator=(const EscriturasAgrupadas&) = delete;

    // Stores the group; a failure is the engine's error.
    void Termina();

  private:
    std::shared_ptr<engine::Database> bdd_;
};

}  // namespace pelmora

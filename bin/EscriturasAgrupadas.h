// The writes of a walk to one database stored together, in one commit, however
// the walk ends: normally, or by an end of the program, whose rows and marks
// already written must stay.
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

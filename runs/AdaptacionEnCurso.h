// An Adaptation lands whole with its database writes. Before its control row, the
// run notes beside the Particular database (".<name>.adaptacion") its BIN file,
// the length its error BIN file had and how many control rows the database held;
// its control row and log rows then go to the database in one write group, and
// the adapted BIN file takes the original's place only after that group landed.
// A run that ends by an error has no adapted copy; its log stays (the group is
// stored) and so does its note's removal. A run killed leaves the note behind,
// and the next run on that Particular database settles it first: if the group
// landed (one control row more), the adapted copy, if complete, takes its place;
// if not, the copy goes and the error BIN file loses the markers appended since.
#pragma once

#include <string>

#include "core/Estado.h"

namespace pelmora {

// Settles the note a run cut short left; BdDParticular is open and nothing has
// been written to it yet by this run. Returns the BIN file whose Adaptation it
// completed ("" when it completed none).
std::string RecuperaAdaptacion(Estado& estado);

class AdaptacionEnCurso {
  public:
    // Writes this run's note (flushed); an earlier note must have been settled.
    explicit AdaptacionEnCurso(Estado& estado);
    // A run ending by an error: its copy, if any, and its note go.
    ~AdaptacionEnCurso();
    AdaptacionEnCurso(const AdaptacionEnCurso&) = delete;
    AdaptacionEnCurso& operator=(const AdaptacionEnCurso&) = delete;

    // After the database's group has landed: the adapted copy takes its place and
    // the note goes. A run that ends otherwise leaves the note to the next run.
    void Termina();

  private:
    std::string nota_;
    std::string bin_;
    bool terminada_ = false;
};

}  // namespace pelmora

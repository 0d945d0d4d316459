# The layers and what each may include, checked before anything is compiled: a
# file that includes a header of a layer it may not use stops the build, naming
# both. Run by the build (target capas) as cmake -DRAIZ=<source folder> -P Capas.cmake.
# Each entry: a folder, then the folders whose headers its files may include. The
# backends (db/engine/jet, db/engine/sqlite, db/engine/postgresql) are private to the
# engine (its opener picks one) and see none of each other; the tests,
# the benchmarks and the fuzz targets may look at anything.
cmake_minimum_required(VERSION 3.25)

set(CAPAS
  "db/engine|db/engine db/engine/jet db/engine/sqlite db/engine/postgresql"
  "db/engine/jet|db/engine/jet db/engine"
  "db/engine/sqlite|db/engine/sqlite db/engine"
  "db/engine/postgresql|db/engine/postgresql db/engine"
  "cli|cli db/engine"
  "core|core db/engine"
  "db|db core db/engine"
  "db/consultas|db/consultas db core db/engine"
  "ficherobin|ficherobin db/consultas db core db/engine"
  "runs|runs ficherobin db/consultas db core db/engine"
  "lote|lote runs ficherobin db/consultas db core db/engine cli"
  "linea|linea lote runs ficherobin db/consultas db core db/engine cli"
  "ui|ui runs ficherobin db/consultas db core db/engine"
  "app|app ui linea lote runs ficherobin db/consultas db core db/engine cli"
  "tools/pelmora-bdd|tools/pelmora-bdd db/engine cli"
  "tools/codigos-orden|tools/codigos-orden db/engine db/engine/jet"
  "tools/pelmora-hoja|tools/pelmora-hoja runs ficherobin db/consultas db core db/engine cli")

set(capas "")
foreach(capa ${CAPAS})
  string(REPLACE "|" ";" partes "${capa}")
  list(GET partes 0 carpeta)
  list(GET partes 1 permitidas)
  list(APPEND capas ${carpeta})
  string(REPLACE " " ";" permitidas_${carpeta} "${permitidas}")
endforeach()
# A header's layer may be a backend, private to the engine.
set(privadas ${capas} db/engine/jet db/engine/sqlite db/engine/postgresql)

# The longest of `carpetas` that holds `ruta` ("" when none does).
function(capa_de ruta carpetas salida)
  set(mejor "")
  foreach(c ${${carpetas}})
    string(LENGTH "${c}" n)
    string(LENGTH "${mejor}" m)
    if((ruta MATCHES "^${c}/") AND n GREATER m)
      set(mejor "${c}")
    endif()
  endforeach()
  set(${salida} "${mejor}" PARENT_SCOPE)
endfunction()

set(faltas "")
file(GLOB_RECURSE fuentes RELATIVE ${RAIZ} ${RAIZ}/*.cpp ${RAIZ}/*.h)
foreach(fuente ${fuentes})
  if(fuente MATCHES "^(build|tests|bench|fuzz)/")
    continue()
  endif()
  capa_de("${fuente}" capas suya)
  if(suya STREQUAL "")
    continue()
  endif()
  file(STRINGS ${RAIZ}/${fuente} inclusiones REGEX "^#include \"")
  foreach(linea ${inclusiones})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" cabecera "${linea}")
    capa_de("${cabecera}" privadas otra)
    if(NOT otra STREQUAL "" AND NOT otra IN_LIST permitidas_${suya})
      string(APPEND faltas "\n  ${fuente} (${suya}) incluye ${cabecera} (${otra})")
    endif()
  endforeach()
endforeach()
if(faltas)
  message(FATAL_ERROR "Inclusiones que saltan las capas:${faltas}")
endif()

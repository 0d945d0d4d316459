// Everything the runs call in the database layer, in one include.
#pragma once

#include "db/Apertura.h"
#include "db/Catalogos.h"
#include "db/ChequeoTablas.h"
#include "db/Comparacion.h"
#include "db/Fusion.h"
#include "db/Lectura.h"
#include "db/Marcas.h"
#include "db/TablasControl.h"

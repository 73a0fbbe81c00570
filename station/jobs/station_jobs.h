// The jobs the station's buttons start, as the programs hand them to the dialog.
#pragma once

#include "station/station_workers.h"

namespace quillon {

// Every job worker; the connection worker is the caller's, as it depends on the device chosen.
StationWorkers StationJobWorkers();

}  // namespace quillon

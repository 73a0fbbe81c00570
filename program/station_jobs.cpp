#include "program/station_jobs.h"

#include "program/font_file_job.h"

namespace quillon {

StationWorkers StationJobWorkers() {
  StationWorkers workers;
  workers.fontFileJob = FontFileJob;
  return workers;
}

}  // namespace quillon

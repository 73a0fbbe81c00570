#include "station/jobs/station_jobs.h"

#include "station/jobs/colour_font_jobs.h"
#include "station/jobs/font_file_job.h"

namespace quillon {

StationWorkers StationJobWorkers() {
  StationWorkers workers;
  workers.fontFileJob = FontFileJob;
  workers.colourFontJob = ColourFontJob;
  workers.colourFont128Job = ColourFont128Job;
  workers.colourFileFontJobKorean = [](CQuillonDlg& dlg) { ColourFileFontJob(dlg, kKoreanImageFile); };
  workers.colourFileFontJobTraditional = [](CQuillonDlg& dlg) {
    ColourFileFontJob(dlg, kTraditionalImageFile);
  };
  return workers;
}

}  // namespace quillon

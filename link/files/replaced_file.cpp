#include "link/files/replaced_file.h"

namespace quillon {

Result<void> ReplaceFileWith(const std::string& utf8Target, const std::string& text) {
  Result<ReplacedFile> file = ReplacedFile::Create(utf8Target);
  if (!file) return file.Failure();
  if (Result<void> written = file->Write(text.data(), text.size()); !written) return written;
  return file->Commit();
}

}  // namespace quillon

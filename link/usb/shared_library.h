// Sole owner of one shared library loaded at run time (dlopen on Linux, LoadLibraryEx on Windows):
// unloads it when the owner goes. On Windows a library named without a folder is looked for only in the
// program's own folder and in the system's, never in the current folder or on PATH, where any file of
// that name would be run.
#pragma once

#include <string>

namespace quillon {

// The platform's file name of the library called `baseName`: "libSiUSBXp.so" or "SiUSBXp.dll".
std::string LibraryFileName(const std::string& baseName);

// Keeps every later library load of this process (the system's own included) out of the current folder
// and PATH. Called first thing by each program; nothing on Linux, where the loader never looks there.
void RestrictLibrarySearch();

class SharedLibrary {
 public:
  SharedLibrary() = default;
  // Loads the library by file name (looked up where the platform's loader looks, as above) or by path;
  // see Loaded().
  explicit SharedLibrary(const std::string& fileName);
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool Loaded() const { return m_handle != nullptr; }
  // Why the load failed, as the system's loader put it; empty once loaded.
  const std::string& LoadError() const { return m_loadError; }
  // The file that was found where the library is looked for, loaded or not; empty when there is none
  // (Linux knows it only for a library given by path).
  const std::string& FoundFile() const { return m_foundFile; }
  // The width in bits of the file found when it cannot be loaded because it is a library of another
  // width than this program's; 0 otherwise.
  int ForeignWidthBits() const { return m_foreignWidthBits; }
  // The address of an export, or nullptr: found by `name` where libraries export by name (Linux); in a
  // Windows DLL by `ordinal` when it is above 0, else by `name`.
  void* Export(const char* name, int ordinal) const;

 private:
  void Unload();

  void* m_handle = nullptr;
  std::string m_loadError;
  std::string m_foundFile;
  int m_foreignWidthBits = 0;
};

}  // namespace quillon

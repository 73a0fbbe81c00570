// Sole owner of one shared library loaded at run time (dlopen on Linux, LoadLibrary on Windows): unloads
// it when the owner goes.
#pragma once

#include <string>

namespace quillon {

// The platform's file name of the library called `baseName`: "libSiUSBXp.so" or "SiUSBXp.dll".
std::string LibraryFileName(const std::string& baseName);

class SharedLibrary {
 public:
  SharedLibrary() = default;
  // Loads the library by file name (looked up on the system's library path) or by path; see Loaded().
  explicit SharedLibrary(const std::string& fileName);
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool Loaded() const { return m_handle != nullptr; }
  // Why the load failed, as the system's loader put it; empty once loaded.
  const std::string& LoadError() const { return m_loadError; }
  // The address of an export, or nullptr: found by `name` where libraries export by name (Linux); in a
  // Windows DLL by `ordinal` when it is above 0, else by `name`.
  void* Export(const char* name, int ordinal) const;

 private:
  void Unload();

  void* m_handle = nullptr;
  std::string m_loadError;
};

}  // namespace quillon

// Sole owner of one shared library loaded at run time: unloads it when the owner goes.
#pragma once

#include <string>

namespace quillon {

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
  // The address of an exported symbol, or nullptr.
  void* Symbol(const char* name) const;

 private:
  void* m_handle = nullptr;
  std::string m_loadError;
};

}  // namespace quillon

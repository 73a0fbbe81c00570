// Reads an extended dialog template (DLGTEMPLATEEX) from the program's resources: what the resource
// script holds, before the dialog manager and the controls adjust styles as they are made.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "link/os/wide_text.h"
#include "link/os/windows_api.h"

namespace quillon::testing {

struct TemplateItem {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  DWORD id = 0;
  std::string className;  // "Button", ... ; the predefined classes given by atom are named
  std::string title;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD extendedStyle = 0;
  int width = 0, height = 0;
  std::string title;
  int pointSize = 0;
  std::string typeface;
  std::vector<TemplateItem> items;
};

// How the reader names a number where a name could stand: "#128".
inline std::string AtomName(int number) {
  std::string name = "#";  // appended, not concatenated: GCC 12 warns wrongly on "#" + string
  name += std::to_string(number);
  return name;
}

class TemplateReader {
 public:
  explicit TemplateReader(const std::uint8_t* bytes) : m_start(bytes), m_at(bytes) {}

  template <typename T>
  T Take() {
    T value{};
    std::memcpy(&value, m_at, sizeof(T));
    m_at += sizeof(T);
    return value;
  }
  // A string, or an atom (0xFFFF then the number) given back as "#number".
  std::string TakeNameOrNumber() {
    const auto first = Take<std::uint16_t>();
    if (first == 0xFFFF) return AtomName(Take<std::uint16_t>());
    m_at -= sizeof(std::uint16_t);
    return TakeString();
  }
  std::string TakeString() {
    std::wstring text;
    for (auto c = Take<std::uint16_t>(); c != 0; c = Take<std::uint16_t>())
      text.push_back(static_cast<wchar_t>(c));
    return Utf8Text(text);
  }
  void AlignTo(std::size_t bytes) {
    const auto offset = static_cast<std::size_t>(m_at - m_start);
    m_at += (bytes - offset % bytes) % bytes;
  }
  void Skip(std::size_t bytes) { m_at += bytes; }

 private:
  const std::uint8_t* m_start;
  const std::uint8_t* m_at;
};

inline std::string PredefinedClassName(const std::string& name) {
  if (name == "#128") return "Button";
  if (name == "#129") return "Edit";
  if (name == "#130") return "Static";
  return name;
}

// The dialog template of that resource number in the running program.
inline DialogTemplate LoadDialogTemplate(int resourceId) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  const HRSRC found =
      ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(5));  // RT_DIALOG
  if (found == nullptr) return {};
  TemplateReader reader(static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found))));
  DialogTemplate dialog;
  reader.Skip(2 * sizeof(std::uint16_t) + sizeof(DWORD));  // version, signature, help id
  dialog.extendedStyle = reader.Take<DWORD>();
  dialog.style = reader.Take<DWORD>();
  const auto count = reader.Take<std::uint16_t>();
  reader.Skip(2 * sizeof(std::int16_t));  // x, y
  dialog.width = reader.Take<std::int16_t>();
  dialog.height = reader.Take<std::int16_t>();
  reader.TakeNameOrNumber();  // menu
  reader.TakeNameOrNumber();  // window class
  dialog.title = reader.TakeString();
  if ((dialog.style & DS_SETFONT) != 0) {
    dialog.pointSize = reader.Take<std::uint16_t>();
    reader.Skip(sizeof(std::uint16_t) + 2);  // weight, italic, character set
    dialog.typeface = reader.TakeString();
  }
  for (int i = 0; i < count; ++i) {
    reader.AlignTo(4);
    TemplateItem item;
    reader.Skip(sizeof(DWORD));  // help id
    item.extendedStyle = reader.Take<DWORD>();
    item.style = reader.Take<DWORD>();
    item.x = reader.Take<std::int16_t>();
    item.y = reader.Take<std::int16_t>();
    item.width = reader.Take<std::int16_t>();
    item.height = reader.Take<std::int16_t>();
    item.id = reader.Take<DWORD>();
    item.className = PredefinedClassName(reader.TakeNameOrNumber());
    item.title = reader.TakeNameOrNumber();
    reader.Skip(reader.Take<std::uint16_t>());  // creation data
    dialog.items.push_back(item);
  }
  return dialog;
}

}  // namespace quillon::testing

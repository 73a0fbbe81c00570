// SetupAPI as the station includes it, and its device information list closed when it goes.
#pragma once

#include <memory>
#include <type_traits>

#include "link/os/windows_api.h"

// setupapi.h brings in the common controls' header, whose declarations are made of windows.h's
// WM_USER: the macro that windows_api.h takes back is lent for them (as front/win32/common_controls.h
// does).
#ifndef WM_USER
#define WM_USER 0x0400
#define QUILLON_LENT_WM_USER
#endif
#include <setupapi.h>
#ifdef QUILLON_LENT_WM_USER
#undef WM_USER
#undef QUILLON_LENT_WM_USER
#endif

namespace quillon {

struct DeviceInfoListDeleter {
  void operator()(HDEVINFO list) const { ::SetupDiDestroyDeviceInfoList(list); }
};
using DeviceInfoList = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceInfoListDeleter>;

}  // namespace quillon

// The common controls' header, whichever header came first. Its messages are made of windows.h's
// WM_USER, which the station's message header takes back for its own constant of the same value: the
// macro is lent for the declarations here, and where the messages are used the station's constant
// stands in.
#pragma once

#include "link/os/windows_api.h"

#ifndef WM_USER
#define WM_USER 0x0400
#define QUILLON_LENT_WM_USER
#endif

#include <commctrl.h>

#ifdef QUILLON_LENT_WM_USER
#undef WM_USER
#undef QUILLON_LENT_WM_USER
#endif

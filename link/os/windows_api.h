// windows.h as the station includes it: without the parts it does not use, without the min and max
// macros that would break the standard library's, and without the macros of the names the station
// declares as constants of the same values on every platform (link/serial/serial_messages.h, the dialog's
// WM_TIMER in station/quillon_dlg.h), whichever header comes first. Nor is the dialog's MessageBox
// renamed MessageBoxA where a file sees windows.h and kept where it does not: the station calls the
// system's MessageBoxW by that name.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef WM_USER
#undef WM_TIMER
#undef EV_RXCHAR
#undef EV_RXFLAG
#undef EV_CTS
#undef EV_BREAK
#undef EV_ERR
#undef EV_RING
#undef MessageBox

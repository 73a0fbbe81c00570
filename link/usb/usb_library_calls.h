// How the vendor's USB library is called. Its operations follow the Windows API's convention (WINAPI,
// __stdcall: the called function takes its arguments off the stack); a 32-bit program that called them
// any other way would leave the stack unbalanced after every call. 64-bit Windows and Linux have one
// convention only.
#pragma once

#if defined(_WIN32)
#define QUILLON_USB_LIBRARY_CALL __stdcall
#else
#define QUILLON_USB_LIBRARY_CALL
#endif

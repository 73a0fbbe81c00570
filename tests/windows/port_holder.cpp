// port_holder COMn: another program that holds a COM port, as a terminal program would: it opens the
// port without sharing, says "held" (or why not) and keeps it until it is ended.
#include <cstdio>
#include <string>

#include "link/windows_api.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: port_holder COMn\n", stderr);
    return 2;
  }
  const std::string path = std::string("\\\\.\\") + argv[1];
  const HANDLE port =
      ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    std::printf("not held: error %lu\n", ::GetLastError());
    std::fflush(stdout);
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  ::Sleep(INFINITE);
  ::CloseHandle(port);
  return 0;
}

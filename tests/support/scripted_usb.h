// A USB bridge whose transfers report what the test scripted, and which records every call.
#pragma once

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "link/frame.h"
#include "link/usb/usb_bridge.h"

namespace quillon::testing {

struct ScriptedTransfer {
  int status = kUsbSuccess;
  std::uint32_t transferred = kPayloadSize;
  std::uint8_t fill = 0;         // what a read delivers after the reply's command and number
  std::uint8_t replyNumber = 0;  // a read's reply number; 0: the one asked for
};

class ScriptedUsb : public UsbBridge {
 public:
  // What the bus reports; the station lets go of a USB link when its device is no longer there.
  std::atomic<std::uint32_t> devicesOnTheBus{0};

  int GetNumDevices(std::uint32_t* count) override {
    *count = devicesOnTheBus;
    return kUsbSuccess;
  }
  int GetProductString(std::uint32_t, char* buffer, std::uint32_t) override {
    buffer[0] = '\0';
    return 1;
  }
  int Open(std::uint32_t, UsbHandle* handle) override {
    *handle = kNoUsbDevice;
    return 1;
  }
  int Close(UsbHandle handle) override {
    std::scoped_lock guard(lock);
    closed.push_back(handle);
    return kUsbSuccess;
  }
  int Read(UsbHandle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override {
    ScriptedTransfer next = Next();
    std::memset(buffer, next.fill, std::min(count, next.transferred));
    std::scoped_lock guard(lock);
    // Read-back reply n, n counted from the last command written.
    if (readBackReplies && count >= 2) {
      buffer[0] = kCommandReadRequest;
      ++readsSinceWrite;
      buffer[1] = next.replyNumber != 0 ? next.replyNumber : static_cast<std::uint8_t>(readsSinceWrite);
    }
    *transferred = next.transferred;
    ++reads;
    return next.status;
  }
  int Write(UsbHandle, const std::uint8_t* buffer, std::uint32_t count, std::uint32_t* transferred) override {
    ScriptedTransfer next = Next();
    *transferred = next.transferred;
    std::scoped_lock guard(lock);
    written.emplace_back(buffer, buffer + count);
    readsSinceWrite = 0;
    return next.status;
  }
  int SetTimeouts(std::uint32_t, std::uint32_t) override { return kUsbSuccess; }

  // Transfers answer in this order; once the script is used up every transfer succeeds.
  void Script(ScriptedTransfer transfer) {
    std::scoped_lock guard(lock);
    script.push_back(transfer);
  }

  std::mutex lock;
  std::deque<ScriptedTransfer> script;
  std::vector<std::vector<std::uint8_t>> written;
  std::vector<UsbHandle> closed;
  int reads = 0;
  int readsSinceWrite = 0;
  // Reads deliver read-back replies: the reply's command and number, then the fill.
  bool readBackReplies = false;

 private:
  ScriptedTransfer Next() {
    std::scoped_lock guard(lock);
    if (script.empty()) return {};
    ScriptedTransfer next = script.front();
    script.pop_front();
    return next;
  }
};

}  // namespace quillon::testing

#pragma once
// One blocking TCP socket with its own Winsock start-up. Every wait on it is bounded:
// connecting, sending and receiving each give up after kNetTimeoutMs.

#include <cstdint>

#include "kx/base/KxString.h"

constexpr int kNetTimeoutMs = 5000;

// Four decimal numbers 0..255 joined by single dots and nothing else ("10.0.0.1"). The
// bytes are taken as written, so "010" is ten, never an octal eight. bytes may be nullptr.
bool ParseDottedAddress(const KxString& text, unsigned char* bytes);
bool IsDottedAddress(const KxString& text);

class KxSocket {
public:
  // COM and Winsock 2.2 for the lifetime of the object; a failed start-up is remembered
  // and makes every connect fail.
  KxSocket();
  virtual ~KxSocket();
  KxSocket(const KxSocket&) = delete;
  KxSocket& operator=(const KxSocket&) = delete;

  int StartupError() const { return startupError; }
  unsigned short Version() const { return version; }
  bool IsOpen() const { return handle != 0; }

  // A dotted address only; a connection that is neither made nor refused within
  // timeoutMs fails. A socket opened before is closed first.
  bool Connect(const KxString& address, int port, int timeoutMs = kNetTimeoutMs);
  // Send and receive time-outs of kNetTimeoutMs.
  bool SetTimeouts();
  // The whole text; false when the connection takes less than all of it.
  bool Send(const KxString& bytes);
  // One recv of at most n bytes; buffer holds what came (empty on false). False when no
  // socket is open, or on close, error or time-out.
  bool Receive(KxString& buffer, int n);
  // As Receive, into raw memory: the byte count, or 0 and less as recv gives it.
  int ReceiveBytes(char* buffer, int n);
  // True when data (or the end of the connection) is there to read within ms.
  bool WaitReadable(int ms);
  void Close();

private:
  std::uintptr_t handle;  // a SOCKET; 0 when none is open
  unsigned short version;
  int startupError;
  bool winsockStarted;
  bool comStarted;
};

#include "net/KxSocket.h"

#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

namespace {

timeval TimeLimit(int ms) {
  timeval limit;
  limit.tv_sec = ms / 1000;
  limit.tv_usec = (ms % 1000) * 1000;
  return limit;
}

// A non-blocking connect in progress: done when the socket turns writable without a
// pending error. Windows reports a refused connect in the exception set; SO_ERROR is
// asked as well, so that a writable socket with an error never counts as connected.
bool WaitConnected(SOCKET s, int ms) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval limit = TimeLimit(ms);
  if (select(0, nullptr, &writable, &failed, &limit) <= 0) return false;
  if (FD_ISSET(s, &failed) || !FD_ISSET(s, &writable)) return false;
  int error = 0;
  int size = sizeof(error);
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) {
    return false;
  }
  return error == 0;
}

bool SetBlocking(SOCKET s, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

}  // namespace

bool ParseDottedAddress(const KxString& text, unsigned char* bytes) {
  unsigned char parsed[4] = {0, 0, 0, 0};
  int part = 0;
  int value = 0;
  int digits = 0;
  for (int i = 0; i <= text.Length(); ++i) {
    char c = i < text.Length() ? text.At(i) : '.';
    if (c == '.') {
      if (digits == 0 || part == 4) return false;
      parsed[part++] = static_cast<unsigned char>(value);
      value = 0;
      digits = 0;
    } else if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (value > 255) return false;
      ++digits;
    } else {
      return false;
    }
  }
  if (part != 4) return false;
  if (bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = parsed[i];
  }
  return true;
}

bool IsDottedAddress(const KxString& text) { return ParseDottedAddress(text, nullptr); }

KxSocket::KxSocket()
    : handle(0), version(0), startupError(0), winsockStarted(false), comStarted(false) {
  // A thread already in another apartment keeps it; only a successful call is undone.
  comStarted = SUCCEEDED(CoInitialize(nullptr));
  WSADATA data;
  int rc = WSAStartup(MAKEWORD(2, 2), &data);
  if (rc == 0) {
    winsockStarted = true;
    version = data.wVersion;
  } else {
    startupError = rc;
  }
}

KxSocket::~KxSocket() {
  Close();
  if (winsockStarted) WSACleanup();
  if (comStarted) CoUninitialize();
}

void KxSocket::Close() {
  if (handle != 0) closesocket(static_cast<SOCKET>(handle));
  handle = 0;
}

bool KxSocket::Connect(const KxString& address, int port, int timeoutMs) {
  unsigned char bytes[4];
  if (!ParseDottedAddress(address, bytes) || port < 0 || port > 65535) return false;
  Close();
  if (!winsockStarted) return false;
  SOCKET s = WSASocketA(AF_INET, SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET) return false;
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<u_short>(port));
  CopyMemory(&to.sin_addr, bytes, 4);
  // Non-blocking for the connect alone, so that a silent address costs timeoutMs and not
  // the system's own connect time-out.
  bool connected = SetBlocking(s, false);
  if (connected && WSAConnect(s, reinterpret_cast<const sockaddr*>(&to), sizeof(to), nullptr,
                              nullptr, nullptr, nullptr) == SOCKET_ERROR) {
    connected = WSAGetLastError() == WSAEWOULDBLOCK && timeoutMs > 0 && WaitConnected(s, timeoutMs);
  }
  if (!connected || !SetBlocking(s, true)) {
    closesocket(s);
    return false;
  }
  handle = s;
  return true;
}

bool KxSocket::SetTimeouts() {
  if (handle == 0) return false;
  SOCKET s = static_cast<SOCKET>(handle);
  DWORD ms = kNetTimeoutMs;
  const char* value = reinterpret_cast<const char*>(&ms);
  bool sendSet = setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, value, sizeof(ms)) == 0;
  bool receiveSet = setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, value, sizeof(ms)) == 0;
  return sendSet && receiveSet;
}

bool KxSocket::Send(const KxString& bytes) {
  if (handle == 0) return false;
  int sent = 0;
  while (sent < bytes.Length()) {
    int n = send(static_cast<SOCKET>(handle), bytes.CStr() + sent, bytes.Length() - sent, 0);
    if (n <= 0) return false;
    sent += n;
  }
  return true;
}

int KxSocket::ReceiveBytes(char* buffer, int n) {
  if (handle == 0 || n <= 0) return 0;
  return recv(static_cast<SOCKET>(handle), buffer, n, 0);
}

bool KxSocket::Receive(KxString& buffer, int n) {
  if (handle == 0 || n <= 0 || !buffer.Resize(n)) {
    buffer.Resize(0);
    return false;
  }
  int got = ReceiveBytes(buffer.Buffer(), n);
  buffer.Resize(got > 0 ? got : 0);
  return got > 0;
}

bool KxSocket::WaitReadable(int ms) {
  if (handle == 0 || ms < 0) return false;
  SOCKET s = static_cast<SOCKET>(handle);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval limit = TimeLimit(ms);
  return select(0, &readable, nullptr, nullptr, &limit) == 1;
}

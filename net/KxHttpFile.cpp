#include "net/KxHttpFile.h"

#include <winsock2.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <new>

namespace {

const char kHttpScheme[] = "http://";
const char kContentLengthName[] = "Content-Length:";
const char kHeaderEnd[] = "\r\n\r\n";
constexpr int kBodyChunk = 1024;

int HostStart(const KxString& url) {
  int at = url.Find(0, kHttpScheme);
  return at < 0 ? 0 : at + static_cast<int>(sizeof(kHttpScheme)) - 1;
}

bool HasControlBytes(const KxString& text) {
  for (int i = 0; i < text.Length(); ++i) {
    unsigned char c = static_cast<unsigned char>(text.At(i));
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

KxString HostOfUrl(const KxString& url) {
  int start = HostStart(url);
  int slash = url.Find(start, "/");
  return url.Mid(slash < 0 ? -1 : slash - start, start);
}

KxString PathOfUrl(const KxString& url) {
  int slash = url.Find(HostStart(url), "/");
  return slash < 0 ? KxString() : url.Mid(-1, slash);
}

namespace {

// One name lookup on a thread of its own, so that the caller can stop waiting for it. The
// last of the two to let go frees it: a lookup given up on ends alone.
struct Lookup {
  LONG holders = 2;
  KxString name;
  KxString dotted;  // empty until found

  void LetGo() {
    if (InterlockedDecrement(&holders) == 0) delete this;
  }
  static DWORD WINAPI Run(LPVOID self) {
    Lookup* lookup = static_cast<Lookup*>(self);
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) == 0) {
      const hostent* entry = gethostbyname(lookup->name.CStr());
      if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list &&
          entry->h_addr_list[0]) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]);
        for (int i = 0; i < 4; ++i) {
          if (i > 0) lookup->dotted += ".";
          lookup->dotted += KxString::FromInt(bytes[i]);
        }
      }
      WSACleanup();
    }
    lookup->LetGo();
    return 0;
  }
};

}  // namespace

KxString ResolveHost(const KxString& host, int timeoutMs) {
  // An empty name would resolve to this machine.
  if (IsDottedAddress(host) || host.IsEmpty() || HasControlBytes(host)) return host;
  Lookup* lookup = new (std::nothrow) Lookup;
  if (!lookup) return host;
  lookup->name = host;
  HANDLE thread = CreateThread(nullptr, 0, &Lookup::Run, lookup, 0, nullptr);
  if (!thread) {
    delete lookup;
    return host;
  }
  KxString dotted;
  if (WaitForSingleObject(thread, timeoutMs > 0 ? static_cast<DWORD>(timeoutMs) : 0) == WAIT_OBJECT_0) {
    dotted = lookup->dotted;
  }
  CloseHandle(thread);
  lookup->LetGo();
  return dotted.IsEmpty() ? host : dotted;
}

KxString HttpRequestText(const KxString& host, const KxString& path,
                         const KxString& referer, const KxString& cookie) {
  KxString request = "GET " + path + " HTTP/1.1\r\n";
  request += "Host:" + host + "\r\n";
  if (!referer.IsEmpty()) request += "Referer:" + referer + "\r\n";
  request += "Accept:*/*\r\n";
  request += "User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n";
  request += "Connection:Keep-Alive\r\n";
  if (!cookie.IsEmpty()) request += "Set Cookie:0" + cookie + "\r\n";
  request += "\r\n";
  return request;
}

bool HeaderStatusOk(const KxString& header) {
  return header.Length() > 11 && header.Mid(3, 9).IsInteger();
}

int HeaderStatusCode(const KxString& header) {
  if (header.Length() <= 11) return 0;
  int code = 0;
  for (int i = 9; i < 12; ++i) {
    char c = header.At(i);
    if (!IsDigit(c)) return 0;
    code = code * 10 + (c - '0');
  }
  return code;
}

int HeaderContentLength(const KxString& header) {
  KxString text = KxString::Between(header, kContentLengthName, "\r\n");
  text.Trim();
  if (!text.IsInteger()) return 0;
  bool negative = text.At(0) == '-';
  long long value = 0;
  for (int i = negative ? 1 : 0; i < text.Length(); ++i) {
    value = value * 10 + (text.At(i) - '0');
    if (value > INT_MAX) return 0;
  }
  return static_cast<int>(negative ? -value : value);
}

bool KxHttpFile::Open(const KxString& url, int port, const KxString& referer,
                      const KxString& cookie) {
  this->url = url;
  header = KxString();
  if (HasControlBytes(url) || HasControlBytes(referer) || HasControlBytes(cookie)) return false;
  opened = GetTickCount();
  KxString host = HostOfUrl(url);
  KxString address = ResolveHost(host, RemainingMs());
  if (!socket.Connect(address, port, RemainingMs())) return false;
  socket.SetTimeouts();
  if (socket.Send(HttpRequestText(host, PathOfUrl(url), referer, cookie))) ReadHeader();
  return true;
}

int KxHttpFile::RemainingMs() const {
  DWORD elapsed = GetTickCount() - opened;
  return elapsed >= static_cast<DWORD>(kNetTimeoutMs) ? 0 : kNetTimeoutMs - static_cast<int>(elapsed);
}

// Byte by byte, so that nothing of the body is taken with the header. A server that
// trickles bytes cannot stretch it past the time Open began.
void KxHttpFile::ReadHeader() {
  char bytes[kHttpHeaderLimit];
  int count = 0;
  while (count < kHttpHeaderLimit) {
    int remaining = RemainingMs();
    if (remaining == 0 || !socket.WaitReadable(remaining)) break;
    if (socket.ReceiveBytes(bytes + count, 1) != 1) break;
    ++count;
    if (count > 3 && std::memcmp(bytes + count - 4, kHeaderEnd, 4) == 0) break;
  }
  header.Assign(bytes, count);
}

KxString KxHttpFile::ReadString() {
  if (StatusCode() != 200) return KxString();
  int length = ContentLength();
  if (length <= 0 || length > kHttpStringLimit) return KxString();
  KxString body;
  if (!body.Resize(length)) return KxString();
  // Never past the announced length: more bytes would belong to nothing we asked for.
  // The body shares the time of the whole request: a slow name, connect or trickling
  // server cannot hold the caller (the UI thread, for the update description) any longer.
  for (int got = 0; got < length;) {
    int remaining = RemainingMs();
    if (remaining == 0 || !socket.WaitReadable(remaining)) return KxString();
    int chunk = length - got < kBodyChunk ? length - got : kBodyChunk;
    int n = socket.ReceiveBytes(body.Buffer() + got, chunk);
    if (n <= 0) return KxString();
    got += n;
  }
  return body;
}

KxString FetchToString(const KxString& url, int port) {
  KxHttpFile file;
  if (!file.Open(url, port)) return KxString();
  return file.ReadString();
}

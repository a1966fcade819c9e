#pragma once
// A small HTTP/1.1 client for the update server: one GET per object, the response header
// read whole, the body to a string or chunk by chunk by the caller. Plain HTTP only: no
// redirects, no chunked bodies, no proxy. Blocking, but the name, the connect, the header
// and a body read into a string share one kNetTimeoutMs from Open on; each chunk a caller
// receives itself has its own.

#include "kx/base/KxString.h"
#include "net/KxSocket.h"

// The header is read up to this many bytes; what follows counts as body.
constexpr int kHttpHeaderLimit = 1024;
// ReadString refuses bodies announced longer than this.
constexpr int kHttpStringLimit = 8 * 1024 * 1024;

// The host starts after the first "http://" (or at 0) and ends before the next "/"; the
// path is the rest from that "/" (empty without one). A ":port" stays part of the host.
KxString HostOfUrl(const KxString& url);
KxString PathOfUrl(const KxString& url);
// A dotted address is returned as it is; a name becomes the dotted address of its first
// IPv4 address; an unknown name (or an empty one, or one that takes longer than
// timeoutMs) is returned unchanged, so that the connect then fails.
KxString ResolveHost(const KxString& host, int timeoutMs = kNetTimeoutMs);
// The request the client sends; referer and cookie lines only when they are not empty.
KxString HttpRequestText(const KxString& host, const KxString& path,
                         const KxString& referer, const KxString& cookie);

// The status line test: longer than 11 bytes, bytes 9..11 a number (any number).
bool HeaderStatusOk(const KxString& header);
// The three digits at 9..11 as a number; 0 when they are not three digits.
int HeaderStatusCode(const KxString& header);
// The value after "Content-Length:" (exactly so written) up to the line end, trimmed;
// 0 when missing, empty, not a number or beyond int.
int HeaderContentLength(const KxString& header);

class KxHttpFile {
public:
  KxHttpFile() = default;
  virtual ~KxHttpFile() = default;
  KxHttpFile(const KxHttpFile&) = delete;
  KxHttpFile& operator=(const KxHttpFile&) = delete;

  // Connects to the url's host on port, sends the request and reads the header. True
  // when the connection was made, whatever the header holds; false as well for a url,
  // referer or cookie with control bytes (they would forge request lines).
  bool Open(const KxString& url, int port, const KxString& referer = KxString(),
            const KxString& cookie = KxString());

  bool StatusOk() const { return HeaderStatusOk(header); }
  int StatusCode() const { return HeaderStatusCode(header); }
  int ContentLength() const { return HeaderContentLength(header); }
  const KxString& Url() const { return url; }
  const KxString& Header() const { return header; }

  // The body after a 200 response, exactly ContentLength() bytes, whole within the time
  // Open began; empty for any other status, a missing or too large length, or a body
  // that does not arrive whole in time.
  KxString ReadString();
  // The next part of the body, at most n bytes, for callers that store it as it comes.
  bool Receive(KxString& buffer, int n) { return socket.Receive(buffer, n); }

private:
  void ReadHeader();
  // What is left of kNetTimeoutMs since Open began; 0 once it is spent.
  int RemainingMs() const;

  KxSocket socket;
  unsigned long opened = 0;  // GetTickCount at Open
  KxString url;
  KxString header;
};

// Open, then ReadString: the body of a 200 response or the empty string.
KxString FetchToString(const KxString& url, int port = 80);

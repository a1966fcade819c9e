// The HTTP client against servers of the test's own on 127.0.0.1: the request bytes, the
// header limit, the status and length rules, servers that close early or fall silent, a
// connect nobody answers; the url, address and header rules as tables.

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/KxHttpFile.h"

namespace {

// Anything slower is a hang: a request has one kNetTimeoutMs in all, whatever stalls.
constexpr double kBoundSeconds = 8;

SOCKET ListenOnLoopback(int backlog, int* port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof(at);
  bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at));
  listen(s, backlog);
  getsockname(s, reinterpret_cast<sockaddr*>(&at), &size);
  *port = ntohs(at.sin_port);
  return s;
}

bool Readable(SOCKET s, int seconds) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval limit = {seconds, 0};
  return select(0, &set, nullptr, nullptr, &limit) == 1;
}

// Serves one connection: takes the request, sends reply, then closes, or holds the
// connection until the client closes it.
class LoopbackServer {
public:
  LoopbackServer(const std::string& reply, bool hold) {
    listener = ListenOnLoopback(1, &port);
    worker = std::thread([this, reply, hold] {
      if (!Readable(listener, 20)) return;
      SOCKET client = accept(listener, nullptr, nullptr);
      char buffer[4096];
      int n = 0;
      while (request.find("\r\n\r\n") == std::string::npos && Readable(client, 10) &&
             (n = recv(client, buffer, sizeof(buffer), 0)) > 0) {
        request.append(buffer, n);
      }
      send(client, reply.data(), static_cast<int>(reply.size()), 0);
      while (hold && Readable(client, 20) && recv(client, buffer, sizeof(buffer), 0) > 0) {
      }
      closesocket(client);
    });
  }
  ~LoopbackServer() {
    Request();
    closesocket(listener);
  }
  // What the client sent; waits for the connection to end.
  const std::string& Request() {
    if (worker.joinable()) worker.join();
    return request;
  }

  KxSocket winsock;
  int port = 0;

private:
  SOCKET listener;
  std::string request;
  std::thread worker;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Str(const KxString& s) { return std::string(s.CStr(), s.Length()); }

TEST(HttpRules, UrlsAddressesAndHeaders) {
  struct UrlCase { const char* url; const char* host; const char* path; };
  for (const UrlCase& c : std::initializer_list<UrlCase>{
           {"http://10.0.0.1/soft/info.xml", "10.0.0.1", "/soft/info.xml"},
           {"10.0.0.1", "10.0.0.1", ""},
           {"http://10.0.0.1:8080/x", "10.0.0.1:8080", "/x"},
           {"ftp://h/x", "ftp:", "//h/x"}}) {
    EXPECT_EQ(c.host, Str(HostOfUrl(c.url))) << c.url;
    EXPECT_EQ(c.path, Str(PathOfUrl(c.url))) << c.url;
  }

  // A wrong "yes" connects elsewhere: inet_addr reads "010" as octal, "-1" as broadcast.
  struct DottedCase { const char* text; bool dotted; unsigned char bytes[4]; };
  for (const DottedCase& c : std::initializer_list<DottedCase>{
           {"10.0.0.1", true, {10, 0, 0, 1}}, {"10.0.0.010", true, {10, 0, 0, 10}},
           {"255.255.255.255", true, {255, 255, 255, 255}}, {"1.2.3.256", false, {}},
           {"1.2.3", false, {}}, {"1.2.3.4.5", false, {}}, {"1.2.3.4.", false, {}},
           {"1..3.4", false, {}}, {"-1.2.3.4", false, {}}, {"1.2.3.-", false, {}},
           {"1.2.3.4294967297", false, {}}, {" 1.2.3.4", false, {}}, {"", false, {}}}) {
    unsigned char bytes[4] = {};
    EXPECT_EQ(c.dotted, ParseDottedAddress(c.text, bytes)) << c.text;
    EXPECT_EQ(0, memcmp(c.bytes, bytes, 4)) << c.text;
  }

  struct HeaderCase { const char* header; bool ok; int code; int length; };
  for (const HeaderCase& c : std::initializer_list<HeaderCase>{
           {"HTTP/1.1 404 Not Found\r\nContent-Length:  7 \r\n\r\n", true, 404, 7},
           {"HTTP/1.1 200", true, 200, 0},
           {"HTTP/1.1 20", false, 0, 0},
           {"HTTP/1.1 -20 x", true, 0, 0},
           {"HTTP/1.1 2x0 OK\r\nContent-Length: 5\r\n", false, 0, 5},
           {"HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\n", true, 200, 0},
           {"HTTP/1.1 200 OK\r\nContent-Length: 5", true, 200, 0},
           {"HTTP/1.1 200 OK\r\nContent-Length: 1 2\r\n", true, 200, 0},
           {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n", true, 200, 0}}) {
    EXPECT_EQ(c.ok, HeaderStatusOk(c.header)) << c.header;
    EXPECT_EQ(c.code, HeaderStatusCode(c.header)) << c.header;
    EXPECT_EQ(c.length, HeaderContentLength(c.header)) << c.header;
  }

  KxSocket winsock;
  EXPECT_EQ(0x0202, winsock.Version());
  EXPECT_EQ("127.0.0.1", Str(ResolveHost("localhost")));
  EXPECT_EQ("", Str(ResolveHost(""))) << "an empty name would be this machine";
}

TEST(HttpClient, SendsTheRequestByteForByte) {
  const std::string tail =
      "Accept:*/*\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
      "Connection:Keep-Alive\r\n";
  struct RequestCase { const char* url; const char* referer; const char* cookie; std::string sent; };
  for (const RequestCase& c : std::initializer_list<RequestCase>{
           {"http://127.0.0.1/soft/info.xml", "", "",
            "GET /soft/info.xml HTTP/1.1\r\nHost:127.0.0.1\r\n" + tail + "\r\n"},
           {"127.0.0.1", "", "", "GET  HTTP/1.1\r\nHost:127.0.0.1\r\n" + tail + "\r\n"},
           {"http://127.0.0.1/p", "http://r/", "k=v",
            "GET /p HTTP/1.1\r\nHost:127.0.0.1\r\nReferer:http://r/\r\n" + tail +
                "Set Cookie:0k=v\r\n\r\n"}}) {
    LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", false);
    KxHttpFile file;
    ASSERT_TRUE(file.Open(c.url, server.port, c.referer, c.cookie)) << c.url;
    EXPECT_EQ("ok", Str(file.ReadString())) << c.url;
    EXPECT_EQ(c.sent, server.Request()) << c.url;
  }
  LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody", false);
  EXPECT_EQ("body", Str(FetchToString("http://127.0.0.1/soft/info.xml", server.port)));
}

TEST(HttpClient, ReadsWhatServersAnswerWithinTheTimeOuts) {
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  const std::string padding = "X-Pad: " + std::string(1100, 'a') + "\r\n";
  struct ServedCase {
    const char* name; std::string reply; bool hold; int headerLength; int code; std::string body;
  };
  for (const ServedCase& c : std::initializer_list<ServedCase>{
           {"a whole body", ok + "Content-Length: 5\r\n\r\nhello", false, 38, 200, "hello"},
           {"more than announced", ok + "Content-Length: 5\r\n\r\nhelloEXTRA", true, 38, 200, "hello"},
           {"no length", ok + "\r\nhello", false, 19, 200, ""},
           {"not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", false, 45, 404, ""},
           {"header over the limit", ok + "Content-Length: 10\r\n" + padding + "\r\nbody", false,
            kHttpHeaderLimit, 200, "aaaaaaaaaa"},
           {"closed within the body", ok + "Content-Length: 100\r\n\r\nshort", false, 40, 200, ""},
           {"closed at once", "", false, 0, 0, ""},
           {"silent after the request", "", true, 0, 0, ""},
           {"silent within the body", ok + "Content-Length: 100\r\n\r\nshort", true, 40, 200, ""}}) {
    LoopbackServer server(c.reply, c.hold);
    auto start = std::chrono::steady_clock::now();
    {
      KxHttpFile file;
      ASSERT_TRUE(file.Open("http://127.0.0.1/soft/info.xml", server.port)) << c.name;
      EXPECT_EQ(c.reply.substr(0, c.headerLength), Str(file.Header())) << c.name;
      EXPECT_EQ(c.code, file.StatusCode()) << c.name;
      EXPECT_EQ(c.code != 0, file.StatusOk()) << c.name;
      EXPECT_EQ(c.body, Str(file.ReadString())) << c.name;
    }
    EXPECT_LT(SecondsSince(start), kBoundSeconds) << c.name;
  }
}

TEST(HttpClient, OpenFailsWithinTheBound) {
  int closedPort;
  {
    LoopbackServer server("", false);
    closedPort = server.port;
    KxHttpFile().Open("127.0.0.1", closedPort);  // lets the server end
  }
  LoopbackServer live("", false);
  // A listener whose queue is full leaves a further connect unanswered: a silent address
  // that no network in between can answer for.
  int silentPort;
  SOCKET full = ListenOnLoopback(0, &silentPort);
  std::vector<SOCKET> queued;
  for (int i = 0; i < 8; ++i) {
    queued.push_back(socket(AF_INET, SOCK_STREAM, 0));
    u_long nonBlocking = 1;
    ioctlsocket(queued.back(), FIONBIO, &nonBlocking);
    sockaddr_in at = {};
    at.sin_family = AF_INET;
    at.sin_port = htons(static_cast<u_short>(silentPort));
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(queued.back(), reinterpret_cast<sockaddr*>(&at), sizeof(at));
  }
  struct FailCase { const char* url; int port; };
  for (const FailCase& c : std::initializer_list<FailCase>{
           {"http://10.0.0.1:8080/x", 80},
           {"http://127.0.0.1/a\r\nX-Forged:1", live.port},
           {"http://127.0.0.1/soft/info.xml", closedPort},
           {"http://127.0.0.1/soft/info.xml", silentPort}}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(KxHttpFile().Open(c.url, c.port)) << c.url;
    EXPECT_LT(SecondsSince(start), kBoundSeconds) << c.url;
  }
  for (SOCKET s : queued) closesocket(s);
  closesocket(full);
  EXPECT_TRUE(KxHttpFile().Open("127.0.0.1", live.port));
  EXPECT_EQ(0u, live.Request().find("GET  HTTP/1.1\r\n")) << "a forged request got through";
}

}  // namespace

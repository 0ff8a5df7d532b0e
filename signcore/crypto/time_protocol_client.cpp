#include "signcore/crypto/time_protocol_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "platform/com/last_error.h"
#include "signcore/crypto/calendar.h"

namespace vexamor::signcore {
namespace {

using Clock = std::chrono::steady_clock;

class Socket {
 public:
  Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP)) {}
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

HRESULT socketFailure() {
  return HRESULT_FROM_WIN32(win32::socketErrorFromErrno(errno));
}

// Milliseconds left until `deadline`, at least 0.
int remainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// A request for getaddrinfo_a that may outlive the caller: when a lookup cannot be cancelled
// at the time-out, the resolver thread still writes into it, so it is left to that thread.
struct Lookup {
  std::string name;
  addrinfo hints{};
  gaicb request{};
};

int startLookup(gaicb* request) {
  gaicb* list[] = {request};
  return getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr);
}

void waitForLookup(gaicb* request, const timespec* limit) {
  const gaicb* list[] = {request};
  gai_suspend(list, 1, limit);
}

// Resolves a host name to its first IPv4 address within the time-out. A lookup that has
// not finished by then is a failed one, like one that found nothing.
HRESULT resolve(const std::string& host, int timeoutMs, const NameResolver& resolver,
                in_addr* address) {
  auto* lookup = new Lookup{host, {}, {}};
  lookup->hints.ai_family = AF_INET;
  lookup->hints.ai_socktype = SOCK_STREAM;
  lookup->request.ar_name = lookup->name.c_str();
  lookup->request.ar_request = &lookup->hints;
  if (resolver.start(&lookup->request) != 0) {
    delete lookup;
    return HRESULT_FROM_WIN32(ERROR_HOST_UNREACHABLE);
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (resolver.status(&lookup->request) == EAI_INPROGRESS) {
    const int left = remainingMs(deadline);
    if (left == 0) break;
    timespec wait{left / 1000, (left % 1000) * 1000000L};
    resolver.wait(&lookup->request, &wait);
  }
  const int status = resolver.status(&lookup->request);
  if (status == EAI_INPROGRESS) {
    if (resolver.cancel(&lookup->request) == EAI_CANCELED) {
      delete lookup;
    }  // else the resolver still owns the request: it is leaked rather than freed under it
    return HRESULT_FROM_WIN32(ERROR_HOST_UNREACHABLE);
  }
  HRESULT hr = HRESULT_FROM_WIN32(ERROR_HOST_UNREACHABLE);
  if (status == 0 && lookup->request.ar_result != nullptr) {
    *address = reinterpret_cast<sockaddr_in*>(lookup->request.ar_result->ai_addr)->sin_addr;
    hr = S_OK;
  }
  if (lookup->request.ar_result != nullptr) freeaddrinfo(lookup->request.ar_result);
  delete lookup;
  return hr;
}

// Splits "host:port"; a text without a valid port suffix is all host.
void splitServer(std::string_view server, std::string* host, unsigned short* port) {
  *host = std::string(server);
  *port = kTimeProtocolPort;
  const size_t colon = server.rfind(':');
  if (colon == std::string_view::npos || colon + 1 == server.size() || colon + 6 < server.size()) {
    return;
  }
  unsigned value = 0;
  for (char c : server.substr(colon + 1)) {
    if (c < '0' || c > '9') return;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return;
  *host = std::string(server.substr(0, colon));
  *port = static_cast<unsigned short>(value);
}

// A failure of connect or receive: a time-out is 0x800705B4, anything else 0x8000401D.
HRESULT exchangeFailure(int err) {
  return (err == ETIMEDOUT || err == EAGAIN) ? HRESULT_FROM_WIN32(ERROR_TIMEOUT)
                                             : CO_E_REMOTE_COMMUNICATION_FAILURE;
}

HRESULT connectWithin(int fd, const sockaddr_in& target, int timeoutMs) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return socketFailure();
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    if (errno != EINPROGRESS) return exchangeFailure(errno);
    pollfd p{fd, POLLOUT, 0};
    int ready;
    do {
      ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return exchangeFailure(ETIMEDOUT);
    int err = 0;
    socklen_t len = sizeof err;
    if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
      return exchangeFailure(errno);
    }
    if (err != 0) return exchangeFailure(err);
  }
  return S_OK;
}

// Reads until four bytes are in (a reply may arrive in pieces), the server closes, or the
// time runs out. Bytes after the fourth are ignored.
HRESULT receiveWithin(int fd, int timeoutMs, unsigned char reply[4]) {
  unsigned char buffer[1024] = {};
  size_t have = 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (have < 4) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, remainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return exchangeFailure(ETIMEDOUT);
    if (ready < 0) return exchangeFailure(errno);
    const ssize_t n = ::recv(fd, buffer + have, sizeof buffer - have, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return exchangeFailure(errno);
    if (n == 0) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    have += static_cast<size_t>(n);
  }
  std::memcpy(reply, buffer, 4);
  return S_OK;
}

}  // namespace

const NameResolver& systemResolver() {
  static const NameResolver resolver{startLookup, gai_error, waitForLookup, gai_cancel};
  return resolver;
}

HRESULT timeFromReply(const unsigned char reply[4], SYSTEMTIME* out) {
  const uint32_t since1900 = (uint32_t{reply[0]} << 24) | (uint32_t{reply[1]} << 16) |
                             (uint32_t{reply[2]} << 8) | uint32_t{reply[3]};
  if (since1900 < kSecondsFrom1900To1970) return E_UNEXPECTED;
  *out = systemTimeFromUnix(since1900 - kSecondsFrom1900To1970);
  out->wDayOfWeek = 0;
  out->wMilliseconds = 0;
  return S_OK;
}

HRESULT fetchTimeProtocol(std::string_view server, LONG timeoutMs, SYSTEMTIME* out,
                          const NameResolver& resolver) {
  const int timeout = timeoutMs < 1 ? kDefaultTimeoutMs : static_cast<int>(timeoutMs);
  Socket socket;
  if (socket.get() < 0) return socketFailure();
  const timeval tv{timeout / 1000, (timeout % 1000) * 1000};
  if (::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0 ||
      ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) != 0) {
    return socketFailure();
  }
  std::string host;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  unsigned short port;
  splitServer(server, &host, &port);
  target.sin_port = htons(port);
  // A name with a zero inside, or longer than any DNS name, cannot resolve.
  if (host.empty() || host.size() > 255 || host.find('\0') != std::string::npos) {
    return HRESULT_FROM_WIN32(ERROR_HOST_UNREACHABLE);
  }
  if (::inet_aton(host.c_str(), &target.sin_addr) == 0) {
    const HRESULT hr = resolve(host, timeout, resolver, &target.sin_addr);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = connectWithin(socket.get(), target, timeout);
  unsigned char reply[4];
  if (SUCCEEDED(hr)) hr = receiveWithin(socket.get(), timeout, reply);
  if (SUCCEEDED(hr)) hr = timeFromReply(reply, out);
  return hr;
}

}  // namespace vexamor::signcore

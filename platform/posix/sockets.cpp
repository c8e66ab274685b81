// POSIX side of the socket seam. Errors are reported as the Windows Sockets
// codes the library's users know from Windows, so logs read the same on both
// builds.
#include "platform/platform.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct ErrnoWsa {
  int err;
  int wsa;
};

constexpr ErrnoWsa kErrnoToWsa[] = {
    {EINTR, 10004},        {EBADF, 10009},        {EACCES, 10013},       {EFAULT, 10014},
    {EINVAL, 10022},       {EMFILE, 10024},       {EWOULDBLOCK, 10035},  {EINPROGRESS, 10036},
    {EALREADY, 10037},     {ENOTSOCK, 10038},     {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},   {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043},
    {EOPNOTSUPP, 10045},   {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},     {ENETUNREACH, 10051},  {ENETRESET, 10052},    {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {EPIPE, 10054},        {ENOBUFS, 10055},      {EISCONN, 10056},
    {ENOTCONN, 10057},     {ESHUTDOWN, 10058},    {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},
};

int ToWsa(int err) {
  for (const ErrnoWsa& e : kErrnoToWsa)
    if (e.err == err) return e.wsa;
  return err;
}

int SetBlocking(int fd, bool blocking) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags < 0) return -1;
  flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
  return fcntl(fd, F_SETFL, flags);
}

}  // namespace

int Plat_SockStartup(int* wsaError) {
  if (wsaError) *wsaError = 0;
  return 0;
}

void Plat_SockCleanup() {}

int Plat_SockError() { return ToWsa(errno); }

PlatSocket Plat_SockTcp() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd < 0 ? kNoSocket : fd;
}

void Plat_SockClose(PlatSocket s) {
  if (s == kNoSocket) return;
  int saved = errno;
  shutdown(static_cast<int>(s), SHUT_RDWR);
  close(static_cast<int>(s));
  errno = saved;
}

int Plat_SockSetTimeouts(PlatSocket s, int recvMs, int sendMs) {
  timeval r{recvMs / 1000, (recvMs % 1000) * 1000};
  timeval w{sendMs / 1000, (sendMs % 1000) * 1000};
  int fd = static_cast<int>(s);
  if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &r, sizeof r) != 0) return -1;
  return setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &w, sizeof w);
}

int Plat_SockNoDelay(PlatSocket s) {
  int one = 1;
  return setsockopt(static_cast<int>(s), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

PlatConnect Plat_SockConnect(PlatSocket s, std::uint32_t ipv4, std::uint16_t port, int timeoutMs,
                             int* wsaError) {
  int fd = static_cast<int>(s);
  *wsaError = 0;
  if (SetBlocking(fd, false) != 0) {
    *wsaError = Plat_SockError();
    return PlatConnect::Failed;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = ipv4;
  PlatConnect outcome = PlatConnect::Connected;
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    if (errno != EINPROGRESS) {
      *wsaError = Plat_SockError();
      outcome = PlatConnect::Failed;
    } else {
      pollfd p{fd, POLLOUT, 0};
      int n;
      do n = poll(&p, 1, timeoutMs);
      while (n < 0 && errno == EINTR);
      if (n == 0) {
        outcome = PlatConnect::TimedOut;
      } else if (n < 0) {
        *wsaError = Plat_SockError();
        outcome = PlatConnect::Failed;
      } else {
        int soError = 0;
        socklen_t len = sizeof soError;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
        if (soError != 0) {
          *wsaError = ToWsa(soError);
          outcome = PlatConnect::Failed;
        }
      }
    }
  }
  SetBlocking(fd, true);
  return outcome;
}

int Plat_SockSend(PlatSocket s, const void* data, int len) {
  ssize_t n = send(static_cast<int>(s), data, static_cast<size_t>(len), MSG_NOSIGNAL);
  return n < 0 ? -1 : static_cast<int>(n);
}

int Plat_SockRecv(PlatSocket s, void* data, int len) {
  ssize_t n;
  do n = recv(static_cast<int>(s), data, static_cast<size_t>(len), 0);
  while (n < 0 && errno == EINTR);
  return n < 0 ? -1 : static_cast<int>(n);
}

int Plat_SockWaitReadable(PlatSocket s, int timeoutMs) {
  pollfd p{static_cast<int>(s), POLLIN, 0};
  int n = poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
  if (n < 0) return errno == EINTR ? 0 : -1;
  return n > 0 ? 1 : 0;
}

int Plat_SockAvailable(PlatSocket s, std::uint32_t* count) {
  int n = 0;
  if (ioctl(static_cast<int>(s), FIONREAD, &n) != 0) return -1;
  *count = static_cast<std::uint32_t>(n);
  return 0;
}

int Plat_LocalAddress(std::uint32_t* addr, std::uint32_t* netmask, std::uint32_t* broadcast) {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return -1;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) != 0 || !found) return -1;
  std::uint32_t own = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return -1;
  int result = -1;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !i->ifa_netmask) continue;
    if (reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr != own) continue;
    *addr = own;
    *netmask = reinterpret_cast<sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr;
    *broadcast = (i->ifa_flags & IFF_BROADCAST) && i->ifa_broadaddr
                     ? reinterpret_cast<sockaddr_in*>(i->ifa_broadaddr)->sin_addr.s_addr
                     : 0;
    result = *netmask ? 0 : -1;
    break;
  }
  freeifaddrs(list);
  return result;
}

PlatSocket Plat_SockListen(std::uint32_t ipv4, std::uint16_t port, int* wsaError) {
  *wsaError = 0;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *wsaError = Plat_SockError();
    return kNoSocket;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = ipv4;
  if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, 16) != 0) {
    *wsaError = Plat_SockError();
    close(fd);
    return kNoSocket;
  }
  return fd;
}

PlatSocket Plat_SockAccept(PlatSocket listener) {
  int fd;
  do fd = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  return fd < 0 ? kNoSocket : fd;
}

std::uint16_t Plat_SockLocalPort(PlatSocket s) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (getsockname(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

int Plat_SockLocalEndpoint(PlatSocket s, std::uint32_t* ipv4, std::uint16_t* port) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (getsockname(static_cast<int>(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0 || sa.sin_family != AF_INET)
    return -1;
  *ipv4 = sa.sin_addr.s_addr;
  *port = ntohs(sa.sin_port);
  return 0;
}

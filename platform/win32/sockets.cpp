// Windows Sockets side of the socket seam.
#include "platform/platform.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

int Plat_SockStartup(int* wsaError) {
  WSADATA data;
  int rc = WSAStartup(MAKEWORD(2, 2), &data);
  if (wsaError) *wsaError = rc;
  return rc == 0 ? 0 : -1;
}

void Plat_SockCleanup() { WSACleanup(); }

int Plat_SockError() { return WSAGetLastError(); }

PlatSocket Plat_SockTcp() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<PlatSocket>(s);
}

void Plat_SockClose(PlatSocket s) {
  if (s == kNoSocket) return;
  int saved = WSAGetLastError();
  shutdown(static_cast<SOCKET>(s), SD_BOTH);
  closesocket(static_cast<SOCKET>(s));
  WSASetLastError(saved);
}

int Plat_SockSetTimeouts(PlatSocket s, int recvMs, int sendMs) {
  DWORD r = static_cast<DWORD>(recvMs), w = static_cast<DWORD>(sendMs);
  SOCKET k = static_cast<SOCKET>(s);
  if (setsockopt(k, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&r), sizeof r) != 0)
    return -1;
  return setsockopt(k, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&w), sizeof w);
}

int Plat_SockNoDelay(PlatSocket s) {
  BOOL one = TRUE;
  return setsockopt(static_cast<SOCKET>(s), IPPROTO_TCP, TCP_NODELAY,
                    reinterpret_cast<const char*>(&one), sizeof one);
}

PlatConnect Plat_SockConnect(PlatSocket s, std::uint32_t ipv4, std::uint16_t port, int timeoutMs,
                             int* wsaError) {
  SOCKET k = static_cast<SOCKET>(s);
  *wsaError = 0;
  u_long nonBlocking = 1;
  if (ioctlsocket(k, FIONBIO, &nonBlocking) != 0) {
    *wsaError = WSAGetLastError();
    return PlatConnect::Failed;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = ipv4;
  PlatConnect outcome = PlatConnect::Connected;
  if (connect(k, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    int err = WSAGetLastError();
    if (err != WSAEWOULDBLOCK) {
      *wsaError = err;
      outcome = PlatConnect::Failed;
    } else {
      // Windows reports a failed non-blocking connect in the exception set,
      // not the write set: without it a refused connect would look like a
      // time-out.
      fd_set writable, failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(k, &writable);
      FD_SET(k, &failed);
      timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
      int n = select(0, nullptr, &writable, &failed, &tv);
      if (n == 0) {
        outcome = PlatConnect::TimedOut;
      } else if (n < 0) {
        *wsaError = WSAGetLastError();
        outcome = PlatConnect::Failed;
      } else {
        int soError = 0;
        int len = sizeof soError;
        if (getsockopt(k, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0)
          soError = WSAGetLastError();
        if (soError != 0) {
          *wsaError = soError;
          outcome = PlatConnect::Failed;
        }
      }
    }
  }
  u_long blocking = 0;
  ioctlsocket(k, FIONBIO, &blocking);
  return outcome;
}

int Plat_SockSend(PlatSocket s, const void* data, int len) {
  int n = send(static_cast<SOCKET>(s), static_cast<const char*>(data), len, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

int Plat_SockRecv(PlatSocket s, void* data, int len) {
  int n = recv(static_cast<SOCKET>(s), static_cast<char*>(data), len, 0);
  return n == SOCKET_ERROR ? -1 : n;
}

int Plat_SockWaitReadable(PlatSocket s, int timeoutMs) {
  SOCKET k = static_cast<SOCKET>(s);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(k, &readable);
  if (timeoutMs < 0) timeoutMs = 0;
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int n = select(0, &readable, nullptr, nullptr, &tv);
  if (n < 0) return -1;
  return n > 0 ? 1 : 0;
}

int Plat_SockAvailable(PlatSocket s, std::uint32_t* count) {
  u_long n = 0;
  if (ioctlsocket(static_cast<SOCKET>(s), FIONREAD, &n) != 0) return -1;
  *count = static_cast<std::uint32_t>(n);
  return 0;
}

int Plat_LocalAddress(std::uint32_t* addr, std::uint32_t* netmask, std::uint32_t* broadcast) {
  char name[256] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return -1;
  hostent* host = gethostbyname(name);
  if (!host || host->h_length != 4 || !host->h_addr_list[0]) return -1;
  std::uint32_t own;
  memcpy(&own, host->h_addr_list[0], 4);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe == INVALID_SOCKET) return -1;
  INTERFACE_INFO list[20];
  DWORD bytes = 0;
  int rc = WSAIoctl(probe, SIO_GET_INTERFACE_LIST, nullptr, 0, list, sizeof list, &bytes, nullptr,
                    nullptr);
  closesocket(probe);
  if (rc != 0) return -1;
  int entries = static_cast<int>(bytes / sizeof(INTERFACE_INFO));
  for (int i = 0; i < entries; ++i) {
    if (list[i].iiAddress.AddressIn.sin_addr.s_addr != own) continue;
    *addr = own;
    *netmask = list[i].iiNetmask.AddressIn.sin_addr.s_addr;
    *broadcast = list[i].iiBroadcastAddress.AddressIn.sin_addr.s_addr;
    return *netmask ? 0 : -1;
  }
  return -1;
}

PlatSocket Plat_SockListen(std::uint32_t ipv4, std::uint16_t port, int* wsaError) {
  *wsaError = 0;
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) {
    *wsaError = WSAGetLastError();
    return kNoSocket;
  }
  BOOL one = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = ipv4;
  if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(s, 16) != 0) {
    *wsaError = WSAGetLastError();
    closesocket(s);
    return kNoSocket;
  }
  return static_cast<PlatSocket>(s);
}

PlatSocket Plat_SockAccept(PlatSocket listener) {
  SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<PlatSocket>(s);
}

std::uint16_t Plat_SockLocalPort(PlatSocket s) {
  sockaddr_in sa{};
  int len = sizeof sa;
  if (getsockname(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

int Plat_SockLocalEndpoint(PlatSocket s, std::uint32_t* ipv4, std::uint16_t* port) {
  sockaddr_in sa{};
  int len = sizeof sa;
  if (getsockname(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&sa), &len) != 0 || sa.sin_family != AF_INET)
    return -1;
  *ipv4 = sa.sin_addr.s_addr;
  *port = ntohs(sa.sin_port);
  return 0;
}

#pragma once
// A TCP socket listening on 127.0.0.1 at a free port. Until somebody accepts, the kernel still
// completes connections to it, and a client then waits in its first read for bytes that never come.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quorvel::test {

// The listening socket, or -1; its port in *port.
inline int ListenOnLoopback(int* port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

} // namespace quorvel::test

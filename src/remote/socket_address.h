#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/unique_fd.h"

namespace vemo::remote {

// A numeric address to listen on, with its port.
struct ListenAddress {
    sockaddr_storage storage{};
    socklen_t size = 0;
    int family = AF_UNSPEC;
};

// A numeric IPv4 or IPv6 address; host names are not looked up.
std::optional<ListenAddress> parseAddress(const std::string& text, int port);

// A non-blocking listening socket on the address (address reuse on, a backlog of 8); an
// invalid one with the error number in err when the system refused a step.
core::UniqueFd listenOn(const ListenAddress& address, int& err);

// The port a socket is bound to, -1 when it cannot be told.
int boundPort(int fd);

// "host:port", or "[host]:port" for IPv6.
std::string hostPort(const std::string& host, int family, int port);

// An IPv4 peer in host byte order (an IPv4 client of an IPv6 socket included), and its text.
struct Peer {
    std::optional<std::uint32_t> v4;
    std::string text;
};
Peer peerOf(int fd);

}  // namespace vemo::remote

#include "remote/socket_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>

namespace vemo::remote {

std::optional<ListenAddress> parseAddress(const std::string& text, int port) {
    ListenAddress a;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&a.storage);
    if (::inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        a.size = sizeof(sockaddr_in);
        a.family = AF_INET;
        return a;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&a.storage);
    if (::inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        a.size = sizeof(sockaddr_in6);
        a.family = AF_INET6;
        return a;
    }
    return std::nullopt;
}

int boundPort(int fd) {
    sockaddr_storage s{};
    socklen_t len = sizeof s;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&s), &len) != 0)
        return -1;
    if (s.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in*>(&s)->sin_port);
    return ntohs(reinterpret_cast<sockaddr_in6*>(&s)->sin6_port);
}

std::string hostPort(const std::string& host, int family, int port) {
    std::string h = family == AF_INET6 ? "[" + host + "]" : host;
    return h + ":" + std::to_string(port);
}

Peer peerOf(int fd) {
    sockaddr_storage s{};
    socklen_t len = sizeof s;
    Peer p;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&s), &len) != 0)
        return p;
    char buffer[INET6_ADDRSTRLEN] = {};
    if (s.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&s);
        p.v4 = ntohl(a->sin_addr.s_addr);
        ::inet_ntop(AF_INET, &a->sin_addr, buffer, sizeof buffer);
    } else if (s.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&s);
        if (IN6_IS_ADDR_V4MAPPED(&a->sin6_addr)) {
            in_addr v4{};
            std::memcpy(&v4, &a->sin6_addr.s6_addr[12], sizeof v4);
            p.v4 = ntohl(v4.s_addr);
            ::inet_ntop(AF_INET, &v4, buffer, sizeof buffer);
        } else {
            ::inet_ntop(AF_INET6, &a->sin6_addr, buffer, sizeof buffer);
        }
    }
    p.text = buffer;
    return p;
}

core::UniqueFd listenOn(const ListenAddress& address, int& err) {
    constexpr int kBacklog = 8;
    core::UniqueFd fd(::socket(address.family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    int on = 1;
    // errno is taken at once, before anything else can change it.
    err = 0;
    if (!fd.valid()) {
        err = errno;
    } else if (::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
               ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address.storage),
                      address.size) != 0 ||
               ::listen(fd.get(), kBacklog) != 0) {
        err = errno;
        fd.reset();
    }
    return fd;
}

}  // namespace vemo::remote

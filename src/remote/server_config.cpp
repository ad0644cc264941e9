#include "remote/server_config.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include "core/trimmed.h"

namespace vemo::remote {
namespace {

using core::trimmed;

std::optional<std::uint32_t> ipv4(std::string_view text) {
    in_addr a{};
    if (::inet_pton(AF_INET, std::string(text).c_str(), &a) != 1)
        return std::nullopt;
    return ntohl(a.s_addr);
}

std::uint32_t maskOf(int prefix) {
    return prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
}

std::optional<AllowList::Range> range(std::string_view item) {
    AllowList::Range r;
    std::string_view address = item;
    if (auto slash = item.find('/'); slash != std::string_view::npos) {
        std::string_view bits = item.substr(slash + 1);
        if (bits.empty() || bits.size() > 2 ||
            bits.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        r.prefix = std::stoi(std::string(bits));
        if (r.prefix > 32)
            return std::nullopt;
        address = item.substr(0, slash);
    }
    auto a = ipv4(address);
    if (!a)
        return std::nullopt;
    r.network = *a & maskOf(r.prefix);
    return r;
}

std::string dotted(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

// Whole seconds, 1 or more; the longest fits a poll timeout in milliseconds.
std::optional<int> seconds(std::string_view text) {
    if (text.empty() || text.size() > 7 ||
        text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int value = std::stoi(std::string(text));
    if (value < 1 || value > 2000000)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<AllowList> AllowList::parse(std::string_view text) {
    AllowList list;
    while (true) {
        const auto comma = text.find(',');
        auto r = range(trimmed(text.substr(0, comma)));
        if (!r)
            return std::nullopt;
        list.ranges_.push_back(*r);
        if (comma == std::string_view::npos)
            return list;
        text.remove_prefix(comma + 1);
    }
}

bool AllowList::allows(std::uint32_t address) const {
    if (ranges_.empty())
        return true;
    for (const Range& r : ranges_) {
        if ((address & maskOf(r.prefix)) == r.network)
            return true;
    }
    return false;
}

std::string AllowList::describe() const {
    if (ranges_.empty())
        return "anywhere";
    std::string out;
    for (const Range& r : ranges_) {
        if (!out.empty())
            out += ", ";
        out += dotted(r.network);
        if (r.prefix != 32)
            out += "/" + std::to_string(r.prefix);
    }
    return out;
}

ServerConfigResult serverConfig(const core::Settings& settings) {
    ServerConfig c;
    auto refuse = [](const std::string& why) {
        // Every reason starts with the key it is about.
        return ServerConfigResult{std::nullopt, why, why.substr(0, why.find(' '))};
    };
    if (settings.ServerPort && !core::portNumber(*settings.ServerPort))
        return refuse("ServerPort \"" + *settings.ServerPort + "\" is not a port number 1-65535");
    if (settings.serveraddressset && settings.serveraddress.empty())
        return refuse("ServerAddress is empty (leave the key out to listen on every address)");
    c.host = settings.serveraddress.empty() ? "0.0.0.0" : settings.serveraddress;
    in6_addr any6{};
    if (::inet_pton(AF_INET, c.host.c_str(), &any6) != 1 &&
        ::inet_pton(AF_INET6, c.host.c_str(), &any6) != 1) {
        return refuse("ServerAddress \"" + c.host + "\" is not a numeric IPv4 or IPv6 address");
    }
    if (settings.ServerAllow) {
        auto allow = AllowList::parse(*settings.ServerAllow);
        if (!allow) {
            return refuse("ServerAllow \"" + *settings.ServerAllow +
                          "\" is not a list of IPv4 addresses or ranges");
        }
        c.allow = *allow;
    }
    if (settings.ServerIdleTimeout) {
        auto idle = seconds(*settings.ServerIdleTimeout);
        if (!idle) {
            return refuse("ServerIdleTimeout \"" + *settings.ServerIdleTimeout +
                          "\" is not a number of seconds");
        }
        c.idleTimeoutSeconds = *idle;
    }
    return {c, {}, {}};
}

}  // namespace vemo::remote

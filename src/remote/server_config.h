#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"

namespace vemo::remote {

// IPv4 addresses and ranges a client may connect from. Empty: anyone.
class AllowList {
  public:
    struct Range {
        std::uint32_t network = 0;  // host byte order, host bits cleared
        int prefix = 32;
    };

    // "10.0.0.5, 192.168.1.0/24": items separated by commas, blanks around an item ignored.
    // Nothing when any item is not an address or range, or when there is no item at all.
    static std::optional<AllowList> parse(std::string_view text);

    bool anyone() const { return ranges_.empty(); }
    // address: an IPv4 address in host byte order.
    bool allows(std::uint32_t address) const;
    // "anywhere" or the ranges in their plain form ("10.0.0.5, 192.168.1.0/24").
    std::string describe() const;

  private:
    std::vector<Range> ranges_;
};

// How often the server asks a quiet client's machine whether it is still there: a dead
// peer is noticed within idle + interval x count seconds.
struct KeepAlive {
    int idleSeconds = 10;
    int intervalSeconds = 5;
    int count = 4;
};

// Everything the command server takes from the settings, checked.
struct ServerConfig {
    // Bytes of messages waiting for a client; a client that lets more pile up is dropped.
    static constexpr std::size_t kQueueLimit = 1 << 20;

    std::string host;  // numeric address to listen on
    AllowList allow;
    int idleTimeoutSeconds = 0;  // 0: a quiet client stays connected
    KeepAlive keepAlive;
    std::size_t queueLimit = kQueueLimit;
};

// The server's settings, or why they cannot be used, naming the key to change.
struct ServerConfigResult {
    std::optional<ServerConfig> config;
    std::string error;
    std::string key;  // the settings key the error is about
};
ServerConfigResult serverConfig(const core::Settings& settings);

}  // namespace vemo::remote

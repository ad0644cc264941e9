#pragma once

#include <optional>
#include <string>

#include "core/settings.h"
#include "remote/server_config.h"

namespace vemo::recorder {

// Everything the disk-recorder server takes from the settings, checked.
struct RecorderConfig {
    static constexpr int kDefaultClients = 4;
    static constexpr int kMaxClients = 64;

    int port = 0;  // 0: any free port (tests)
    int clients = kDefaultClients;
    bool recordAllowed = false;
    // ServerAddress and ServerAllow as the command server reads them; keepalive and the
    // outgoing queue's bound too.
    remote::ServerConfig server;
};

struct RecorderConfigResult {
    bool off = false;  // no RecorderServerPort: no server, and no error
    std::optional<RecorderConfig> config;
    std::string error;
    std::string key;  // the settings key the error is about
};
RecorderConfigResult recorderConfig(const core::Settings& settings);

}  // namespace vemo::recorder

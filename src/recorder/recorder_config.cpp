#include "recorder/recorder_config.h"

namespace vemo::recorder {

RecorderConfigResult recorderConfig(const core::Settings& settings) {
    RecorderConfigResult r;
    if (!settings.RecorderServerPort) {
        r.off = true;
        return r;
    }
    auto refuse = [&](const std::string& why) {
        r.error = why;
        r.key = why.substr(0, why.find(' '));
        return r;
    };
    auto port = core::portNumber(*settings.RecorderServerPort);
    if (!port) {
        return refuse("RecorderServerPort \"" + *settings.RecorderServerPort +
                      "\" is not a port number 1-65535");
    }
    RecorderConfig c;
    c.port = *port;
    if (settings.RecorderServerClients) {
        auto n = core::portNumber(*settings.RecorderServerClients);
        if (!n || *n > RecorderConfig::kMaxClients) {
            return refuse("RecorderServerClients \"" + *settings.RecorderServerClients +
                          "\" is not a number 1-" + std::to_string(RecorderConfig::kMaxClients));
        }
        c.clients = *n;
    }
    if (settings.RecorderServerRecord) {
        const std::string& v = *settings.RecorderServerRecord;
        if (!core::equalsIgnoreCase(v, "YES") && !core::equalsIgnoreCase(v, "NO"))
            return refuse("RecorderServerRecord \"" + v + "\" is not YES or NO");
        c.recordAllowed = core::equalsIgnoreCase(v, "YES");
    }
    remote::ServerConfigResult server = remote::serverConfig(settings);
    if (!server.config) {
        r.error = server.error;
        r.key = server.key;
        return r;
    }
    c.server = *server.config;
    r.config = c;
    return r;
}

}  // namespace vemo::recorder

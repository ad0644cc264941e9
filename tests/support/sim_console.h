#pragma once

// The real console started headless in a fresh folder against its own simulated deck, for
// the program tests.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/unique_fd.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace vemo::test {

inline std::string settingsFor(const std::string& port, const std::string& type) {
    return "COMPort=" + port + "\nVCRType=" + type +
           "\nUserNote=Simulator\nVerbose=NO\nUseClipboard=NO\nStopOnExit=YES\n"
           "Initialize=YES\nFinalize=YES\nRECMode=Title\nAutoChapter=NO\n";
}

// Sets or removes an environment variable for the programs started meanwhile.
class EnvGuard {
  public:
    EnvGuard(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvGuard() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A console started headless in a fresh folder against its own simulated deck; the extra
// settings lines are added to the usual file.
struct SimConsole {
    // extraSimArgs: more options for the simulator ("--fps", "29.97DF").
    explicit SimConsole(const std::string& type, const std::string& extraSettings = "",
                        const std::vector<std::string>& extraSimArgs = {})
        : platform("QT_QPA_PLATFORM", "offscreen"),
          link(dir.file("deck").string()),
          sim(builtProgram("tools/decksim/vemo-decksim"),
              simArgs(link, type, dir.file("frames.log").string(), extraSimArgs), dir.path()) {
        EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(link); })) << sim.output();
        dir.write("VemoSettings.txt", settingsFor(link, type) + extraSettings);
        vemo.emplace(builtProgram("app/vemo"), std::vector<std::string>{}, dir.path());
    }
    static std::vector<std::string> simArgs(const std::string& link, const std::string& type,
                                            const std::string& frames,
                                            const std::vector<std::string>& extra) {
        std::vector<std::string> args{"--link", link,  "--type", type == "LX1" ? "lx1" : "tape",
                                      "--log",  frames};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    std::string log() const { return dir.read("VemoLog.txt"); }
    bool logged(const std::string& text) {
        return waitFor([&] { return log().find(text) != std::string::npos; });
    }

    EnvGuard platform;
    TempDir dir;
    std::string link;
    ChildProcess sim;
    std::optional<ChildProcess> vemo;
};

// A port no one holds at the moment.
inline int freePort() {
    core::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return -1;
    return ntohs(a.sin_port);
}

}  // namespace vemo::test

#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vemo::test {

// Path of a program built by this project, such as "app/vemo" or "tools/decksim/vemo-decksim".
std::filesystem::path builtProgram(const std::string& relative);

// A child process started in a working folder; killed on destruction if still running.
class ChildProcess {
  public:
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& workdir,
                 const std::vector<std::string>& extraEnv = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits up to the limit; the exit code (128 + signal when killed), or nothing on timeout.
    std::optional<int> wait(std::chrono::milliseconds limit);
    bool running();
    void terminate();  // SIGTERM, then SIGKILL after 5 s
    // Text the child wrote on its standard output and error (when captured).
    std::string output() const;

  private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    std::filesystem::path outputFile_;
};

// Polls the condition every 20 ms until it holds or the limit passes.
template <typename Pred>
bool waitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline)
            return pred();
        struct timespec ts {
            0, 20'000'000
        };
        nanosleep(&ts, nullptr);
    }
    return true;
}

}  // namespace vemo::test

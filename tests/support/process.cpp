#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <stdexcept>

#include "support/temp_dir.h"

extern char** environ;

namespace vemo::test {

std::filesystem::path builtProgram(const std::string& relative) {
    return std::filesystem::path(VEMO_BINARY_DIR) / relative;
}

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& args,
                           const std::filesystem::path& workdir,
                           const std::vector<std::string>& extraEnv) {
    char templ[] = "/tmp/vemo-child-XXXXXX";
    int outFd = ::mkstemp(templ);
    if (outFd < 0)
        throw std::runtime_error("mkstemp failed");
    outputFile_ = templ;

    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());

    pid_ = ::fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::setpgid(0, 0);
        if (::chdir(workdir.c_str()) != 0)
            ::_exit(126);
        ::dup2(outFd, STDOUT_FILENO);
        ::dup2(outFd, STDERR_FILENO);
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0)
            ::dup2(devnull, STDIN_FILENO);
        std::vector<char*> cargv, cenv;
        for (auto& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        for (auto& e : env)
            cenv.push_back(e.data());
        cenv.push_back(nullptr);
        ::execve(cargv[0], cargv.data(), cenv.data());
        ::_exit(127);
    }
    ::close(outFd);
}

ChildProcess::~ChildProcess() {
    if (running())
        terminate();
    std::error_code ec;
    std::filesystem::remove(outputFile_, ec);
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!exitCode_) {
        int status = 0;
        pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        struct timespec ts {
            0, 10'000'000
        };
        nanosleep(&ts, nullptr);
    }
    return exitCode_;
}

bool ChildProcess::running() {
    if (exitCode_ || pid_ <= 0)
        return false;
    return !wait(std::chrono::milliseconds(0)).has_value();
}

void ChildProcess::terminate() {
    if (!running())
        return;
    ::kill(pid_, SIGTERM);
    if (!wait(std::chrono::seconds(5))) {
        ::kill(pid_, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

std::string ChildProcess::output() const {
    return readFile(outputFile_);
}

}  // namespace vemo::test

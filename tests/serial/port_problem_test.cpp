// Why a port did not open, told from the real open's error on real device nodes.
#include "serial/port_problem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "serial/serial_line.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace vemo::serial {
namespace {

namespace fs = std::filesystem;

// The system error of opening the port, 0 when it opened.
int openError(const std::string& name) {
    try {
        SerialLine line(name, LineSettings{});
    } catch (const SerialError& e) {
        return e.error();
    }
    return 0;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    return text;
}

// A machine with an adapter (with a stable name), a built-in UART that answers and an empty
// UART slot, under test roots.
class FakeMachine : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tty : {"ttyUSB0", "ttyS0", "ttyS1"})
            fs::create_directories(sys() / "class/tty" / tty / "device");
        fs::create_directories(sys() / "class/tty/tty0");  // a console: no device behind it
        test::writeFile(sys() / "class/tty/ttyS0/type", "4\n");
        test::writeFile(sys() / "class/tty/ttyS1/type", "0\n");
        fs::create_directories(dev() / "serial/by-id");
        test::writeFile(dev() / "ttyUSB0", "");
        fs::create_symlink("../../ttyUSB0", dev() / "serial/by-id/usb-Adapter_A1-if00-port0");
    }
    fs::path sys() const { return root.file("sys"); }
    fs::path dev() const { return root.file("dev"); }
    std::vector<std::string> explain(const std::string& name, PortFailure error) const {
        return explainPortProblem(name, error, dev().string(), sys().string());
    }

    test::TempDir root;
};

TEST_F(FakeMachine, ListsThePortsWithHardwareAndTheirStableNames) {
    auto lines = serialDeviceLines(listSerialDevices(dev().string(), sys().string()));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         (dev() / "ttyS0").string(),
                         (dev() / "ttyUSB0").string() + "  " +
                             (dev() / "serial/by-id/usb-Adapter_A1-if00-port0").string()}));
}

TEST_F(FakeMachine, EachOpenErrorGetsItsOwnExplanation) {
    struct Case {
        std::string name;
        PortFailure error;
        std::string expected;  // a part of the text
        bool listsDevices;
    };
    for (const Case& c : std::vector<Case>{
             {"/dev/vemo-none", ENOENT, "/dev/vemo-none does not exist.", true},
             {"COM9", ENOENT, "COM9 (/dev/ttyS8) does not exist.", true},
             {"COM2", EIO, "COM2 (/dev/ttyS1) exists, but no serial hardware answers", true},
             {"/etc/hostname", ENOTTY, "/etc/hostname is not a serial device.", true},
             {"ttyUSB0", EINVAL, "ttyUSB0 is not a serial port name", true},
             {"/dev/ttyUSB0", EACCES, "/dev/ttyUSB0: permission denied.", false},
             {"/dev/ttyUSB0", EBUSY, "/dev/ttyUSB0 is already in use", false},
             {"/dev/ttyUSB0", 0, "does not take the deck's line settings.", false},
             {"/dev/ttyUSB0",
              {EINVAL, true},
              "opened, but does not take the deck's line settings: Invalid argument.",
              false},
             {"/dev/ttyUSB0", EMFILE, "/dev/ttyUSB0 cannot be opened: Too many open files",
              false}}) {
        std::string text = joined(explain(c.name, c.error));
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.name << ": " << text;
        EXPECT_EQ(text.find("usb-Adapter_A1") != std::string::npos, c.listsDevices) << text;
    }
    fs::remove_all(sys() / "class/tty");
    fs::remove_all(dev() / "serial");
    EXPECT_NE(joined(explain("/dev/vemo-none", ENOENT)).find("No serial devices were found"),
              std::string::npos);
}

TEST(PortProblem, ABusyPortNamesTheProcessHoldingIt) {
    test::PtyPair pty;
    SerialLine holder(pty.slaveName(), LineSettings{});
    int error = openError(pty.slaveName());
    ASSERT_EQ(error, EBUSY);
    std::string text = joined(explainPortProblem(pty.slaveName(), error));
    EXPECT_NE(text.find("in use by process " + std::to_string(::getpid()) + " ("),
              std::string::npos)
        << text;
}

TEST(PortProblem, APortTheUserMayNotOpenSaysWhichGroupToJoin) {
    test::PtyPair pty;
    ASSERT_EQ(::chmod(pty.slaveName().c_str(), 0600), 0);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(pty.slaveName().c_str(), 0), 0);
        EXPECT_EQ(openError(pty.slaveName()), EACCES);
        return;
    }
    // Root opens anything: an unprivileged child tries instead and reports through a pipe.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        int result = ::setgid(65534) == 0 && ::setuid(65534) == 0 ? openError(pty.slaveName()) : -1;
        (void)!::write(fds[1], &result, sizeof result);
        ::_exit(0);
    }
    ::close(fds[1]);
    int result = -2;
    EXPECT_EQ(::read(fds[0], &result, sizeof result), static_cast<ssize_t>(sizeof result));
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(result, EACCES);

    struct stat st {};
    ASSERT_EQ(::stat(pty.slaveName().c_str(), &st), 0);
    std::string text = joined(explainPortProblem(pty.slaveName(), EACCES));
    EXPECT_NE(text.find("permission denied"), std::string::npos) << text;
    EXPECT_NE(text.find("sudo usermod -aG "), std::string::npos) << text;
}

}  // namespace
}  // namespace vemo::serial

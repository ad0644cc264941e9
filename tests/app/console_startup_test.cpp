// The real console against the deck simulator, without windows on screen.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/unique_fd.h"
#include "remote/tcp_client.h"
#include "support/log_text.h"
#include "support/process.h"
#include "support/sim_console.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

using namespace std::chrono_literals;

class ConsoleStartup : public ::testing::TestWithParam<const char*> {};

TEST_P(ConsoleStartup, RunsPollsAndStopsTheDeckWhenTerminated) {
    SimConsole c(GetParam());
    ASSERT_TRUE(c.logged("Ready\n")) << c.log() << c.vemo->output();
    // Polling starts a second after Ready: time-code and status frames reach the deck.
    ASSERT_TRUE(waitFor([&] {
        std::string log = readFile(c.dir.file("frames.log"));
        return countFrames(log, "61 0C 03 70") >= 3 && countFrames(log, "61 20 09 8A") >= 1;
    })) << readFile(c.dir.file("frames.log"));
    EXPECT_TRUE(c.vemo->running());
    EXPECT_EQ(countFrames(readFile(c.dir.file("frames.log")), "41 36 00 77"), 1);

    // A terminated console closes like its window: the deck is stopped twice, exit code 0.
    ::kill(c.vemo->pid(), SIGTERM);
    EXPECT_EQ(c.vemo->wait(20s), std::optional<int>(0)) << c.vemo->output();
    EXPECT_EQ(countFrames(readFile(c.dir.file("frames.log")), "20 00 20"), 2);
}

// One console per deck on one machine: each on its own port; a third asking for a port in
// use says so and names the key.
TEST(ConsolesOnOneMachine, EachServesOnItsOwnPort) {
    const int ports[] = {freePort(), freePort()};
    ASSERT_GT(ports[0], 0);
    ASSERT_NE(ports[0], ports[1]);
    SimConsole first("TAPE", "ServerPort=" + std::to_string(ports[0]) + "\n");
    SimConsole second("TAPE", "ServerPort=" + std::to_string(ports[1]) + "\n");
    for (SimConsole* c : {&first, &second})
        ASSERT_TRUE(c->logged("Command server allows clients from anywhere\n")) << c->log();
    for (int port : ports) {
        remote::test::TcpClient client(port);
        EXPECT_EQ(client.readLine(), "OK") << port;
    }
    SimConsole third("TAPE", "ServerPort=" + std::to_string(ports[0]) + "\n");
    EXPECT_TRUE(third.logged("Address already in use\n")) << third.log();
    EXPECT_TRUE(third.logged("Ready\n"));  // the console goes on without a server
}

// A controller on the recorder port and a client of the command server drive one deck
// together: the client's play reaches the controller as the asynchronous transport message,
// the controller's stop reaches the deck while the client stays connected.
TEST(ConsoleRecorderServer, AControllerAndACommandClientShareTheDeck) {
    const int ports[] = {freePort(), freePort()};
    ASSERT_NE(ports[0], ports[1]);
    SimConsole c("TAPE", "ServerPort=" + std::to_string(ports[0]) +
                             "\nRecorderServerPort=" + std::to_string(ports[1]) + "\n");
    ASSERT_TRUE(c.logged("Recorder server refuses record\n")) << c.log();
    remote::test::TcpClient controller(ports[1]);
    ASSERT_EQ(controller.readLine(), "500 connection info:");
    ASSERT_TRUE(controller.write("notify: transport: true\r\n"));
    std::optional<std::string> line;
    while ((line = controller.readLine()) && *line != "200 ok") {
    }
    ASSERT_TRUE(line);
    remote::test::TcpClient client(ports[0]);
    ASSERT_EQ(client.readLine(), "OK");
    ASSERT_TRUE(client.write("Play\r\n"));
    while ((line = controller.readLine()) && *line != "status: play") {
    }
    ASSERT_TRUE(line) << c.log();
    ASSERT_TRUE(controller.write("stop\r\n"));
    ASSERT_TRUE(
        waitFor([&] { return countFrames(readFile(c.dir.file("frames.log")), "20 00 20") >= 1; }));
    EXPECT_TRUE(client.write("GetTC\r\n"));
    EXPECT_TRUE(client.readLine().has_value());
}

TEST(ConsoleRecorderServer, ABadKeyIsNamedAndTheConsoleGoesOn) {
    SimConsole c("TAPE", "RecorderServerPort=9993\nRecorderServerClients=none\n");
    EXPECT_TRUE(c.logged("Recorder server: RecorderServerClients \"none\" is not a number 1-64\n"))
        << c.log();
    EXPECT_TRUE(c.logged("Ready\n"));
}

INSTANTIATE_TEST_SUITE_P(Decks, ConsoleStartup, ::testing::Values("TAPE", "LX1"));

TEST(ConsoleStartupNoDisplay, SaysSoAndExitsWithOne) {
    EnvGuard display("DISPLAY", nullptr);
    EnvGuard wayland("WAYLAND_DISPLAY", nullptr);
    EnvGuard platform("QT_QPA_PLATFORM", nullptr);
    TempDir dir;
    const std::string link = dir.file("deck").string();
    ChildProcess sim(builtProgram("tools/decksim/vemo-decksim"), {"--link", link}, dir.path());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(link); })) << sim.output();
    dir.write("VemoSettings.txt", settingsFor(link, "TAPE"));

    ChildProcess vemo(builtProgram("app/vemo"), {}, dir.path());
    EXPECT_EQ(vemo.wait(20s), std::optional<int>(1)) << vemo.output();
    EXPECT_NE(dir.read("VemoLog.txt")
                  .find("No display available: set DISPLAY, or "
                        "QT_QPA_PLATFORM=offscreen to run without windows"),
              std::string::npos);
    EXPECT_NE(vemo.output().find("No display available"), std::string::npos);
}

}  // namespace
}  // namespace vemo::test

#include "remote/command_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "core/settings.h"
#include "core/unique_fd.h"
#include "deck/protocol.h"
#include "fakes.h"
#include "remote/client_socket.h"
#include "support/fake_deck_display.h"
#include "support/log_text.h"
#include "support/process.h"
#include "support/stdout_capture.h"
#include "tcp_client.h"

namespace vemo::remote {
namespace {

using namespace std::chrono_literals;
using deck::LocalVCR;
using test::FakeDeck;
using test::TcpClient;
using vemo::test::waitFor;
namespace protocol = deck::protocol;

class CommandServerTest : public ::testing::Test {
  protected:
    void SetUp() override { settings_.serveraddress = "127.0.0.1"; }
    void TearDown() override {
        if (server_)
            server_->stop();
        if (vcr_) {
            vcr_->stopPolling();
            vcr_->stopCue();
        }
        server_.reset();
        vcr_.reset();
    }

    // A controller on a fake deck (at 00:01:20:00) with a server on a free port.
    void startServer(bool recon = false, int framesPerRead = 0) {
        settings_.recon = recon;
        deck_ = std::make_unique<FakeDeck>(2400, framesPerRead);
        vcr_ = std::make_unique<LocalVCR>(deck_.get(), settings_);
        vcr_->setDisplay(&display_);
        server_ = std::make_unique<CommandServer>(*vcr_);
        ASSERT_TRUE(server_->start(0));
        ASSERT_GT(server_->port(), 0);
    }

    // A client that has been greeted and is the controller's connected client.
    std::unique_ptr<TcpClient> connectClient() {
        auto c = std::make_unique<TcpClient>(server_->port());
        EXPECT_TRUE(c->connected());
        EXPECT_EQ(c->readLine(), "OK");
        EXPECT_TRUE(waitFor([&] { return vcr_->connectThread() != nullptr; }));
        return c;
    }

    bool statusShown(const std::string& text) {
        return waitFor([&] { return display_.saw(text); });
    }

    // The connection ends with the given status; the next client is then awaited.
    void expectClosedWith(TcpClient& c, const std::string& status, int enabledBefore) {
        EXPECT_TRUE(c.waitClosed());
        EXPECT_TRUE(statusShown(status)) << status;
        EXPECT_TRUE(waitFor([&] { return display_.count("connect:on") > enabledBefore; }));
        EXPECT_EQ(vcr_->connectThread(), nullptr);
    }

    vemo::test::FakeDeckDisplay display_;
    core::Settings settings_;
    std::unique_ptr<FakeDeck> deck_;
    std::unique_ptr<LocalVCR> vcr_;
    std::unique_ptr<CommandServer> server_;
};

TEST_F(CommandServerTest, GreetsWithOkAndAnswersGetTCAndStatus) {
    startServer();
    EXPECT_TRUE(display_.saw("Server Socket Opened OK at Port " + std::to_string(server_->port())));
    vcr_->CommandB8();
    vcr_->CommandStatus();
    TcpClient c(server_->port());
    EXPECT_EQ(c.readRaw(4, 20s), "OK\r\n");
    EXPECT_TRUE(statusShown("Client Connection Accepted!"));
    ASSERT_TRUE(waitFor([&] { return vcr_->connectThread() != nullptr; }));
    EXPECT_TRUE(c.write("Play\nGetTC\nStatus\n"));
    EXPECT_EQ(c.readLine(), "00:01:20:00");
    EXPECT_EQ(c.readLine(), "Stop ");
    EXPECT_EQ(deck_->countOf(protocol::bsplay), 1);
    EXPECT_TRUE(display_.saw("Client Command: Play"));
    EXPECT_TRUE(display_.saw("Client Command: GetTC"));
}

TEST_F(CommandServerTest, ReviewReportsItsProgress) {
    startServer(true, 3);
    vcr_->GetTC();
    auto c = connectClient();
    EXPECT_TRUE(c->write("tc100:01:30:00\r\ntc200:01:32:00\r\nReview\r\n"));
    for (const char* word : {"CUEING!", "CUED!", "x!x!x!", "x#x#x#"}) {
        EXPECT_EQ(c->readLine(), word);
    }
    EXPECT_GE(deck_->stopPositions().back(), 2759);
    // A review whose out point is before its in point cues and says it did not run.
    EXPECT_TRUE(c->write("tc100:01:40:00\r\ntc200:01:39:00\r\nReview\r\n"));
    for (const char* word : {"CUEING!", "CUED!", "NO REVIEW!"}) {
        EXPECT_EQ(c->readLine(), word);
    }
}

TEST_F(CommandServerTest, EachWayOfEndingAConnectionAndTheNextClientIsServed) {
    startServer();
    struct Ending {
        std::string send;
        std::string status;
    };
    const std::vector<Ending> endings = {{"\n", "Len=0 Close"},
                                         {"Close\r\n", "Client Closed Connection!"},
                                         {"KILL\r", "Client Closed Connection!"},
                                         {"", "Null Close"}};
    for (const Ending& e : endings) {
        auto c = connectClient();
        int enabled = display_.count("connect:on");
        if (e.send.empty()) {
            c->shutdownWrite();
        } else {
            EXPECT_TRUE(c->write(e.send));
        }
        expectClosedWith(*c, e.status, enabled);
    }
    EXPECT_TRUE(display_.saw("Client Command: null"));
    EXPECT_TRUE(display_.saw("Client Command: KILL"));
    EXPECT_TRUE(deck_->commands().empty());
}

TEST_F(CommandServerTest, LastLineWithoutLineEndRunsBeforeTheClose) {
    startServer();
    auto c = connectClient();
    EXPECT_TRUE(c->write("Play"));
    c->shutdownWrite();
    expectClosedWith(*c, "Null Close", 0);
    EXPECT_EQ(deck_->countOf(protocol::bsplay), 1);
}

TEST_F(CommandServerTest, LowerCaseCloseAndUnknownWordsKeepTheConnection) {
    startServer();
    vcr_->CommandB8();
    auto c = connectClient();
    EXPECT_TRUE(c->write("close\nplay\n Play\nGetTC\n"));
    EXPECT_EQ(c->readLine(), "00:01:20:00");  // nothing was answered before it
    EXPECT_TRUE(deck_->commands().empty());
}

TEST_F(CommandServerTest, LineEndsOfEveryKindEvenSplitAcrossPackets) {
    startServer();
    vcr_->CommandB8();
    auto c = connectClient();
    EXPECT_TRUE(c->write("Stop\rStop\nStop\r\n"));
    EXPECT_TRUE(c->write("Play\r"));
    std::this_thread::sleep_for(200ms);  // let the CR arrive on its own
    EXPECT_TRUE(c->write("\nGetTC\r"));
    EXPECT_EQ(c->readLine(), "00:01:20:00");
    EXPECT_TRUE(waitFor([&] { return deck_->countOf(protocol::bsplay) == 1; }));
    EXPECT_EQ(deck_->countOf(protocol::bsstop), 3);
    EXPECT_FALSE(display_.saw("Len=0 Close"));  // the split CR LF was one line end
}

TEST_F(CommandServerTest, OverlongLineClosesTheConnectionOnly) {
    startServer();
    vcr_->CommandB8();
    {
        auto c = connectClient();
        EXPECT_TRUE(c->write(std::string(4096, 'A') + "\r\nGetTC\r\n"));  // at the limit: fine
        EXPECT_EQ(c->readLine(), "00:01:20:00");
        EXPECT_TRUE(c->write(std::string(100000, 'B')));
        expectClosedWith(*c, "Line too long: connection closed", 0);
    }
    auto next = connectClient();
    EXPECT_TRUE(next->write("GetTC\n"));
    EXPECT_EQ(next->readLine(), "00:01:20:00");
}

TEST_F(CommandServerTest, BinaryGarbageIsJustAnUnmatchedLine) {
    startServer();
    vcr_->CommandB8();
    auto c = connectClient();
    std::string garbage;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            garbage.push_back(static_cast<char>(b));
    }
    EXPECT_TRUE(c->write(garbage + "\n" + garbage + "\nGetTC\n"));
    EXPECT_EQ(c->readLine(), "00:01:20:00");
    EXPECT_TRUE(deck_->commands().empty());
}

TEST_F(CommandServerTest, SilentClientStaysConnectedOthersQueueConsoleGoesOn) {
    startServer();
    vcr_->CommandB8();
    auto first = connectClient();
    TcpClient second(server_->port());
    EXPECT_TRUE(second.connected());  // in the listen queue
    EXPECT_FALSE(second.readLine(500ms).has_value());
    vcr_->play();  // the console still drives the deck meanwhile
    EXPECT_EQ(deck_->countOf(protocol::bsplay), 1);
    EXPECT_TRUE(first->write("GetTC\n"));
    EXPECT_EQ(first->readLine(), "00:01:20:00");
    first->close();
    EXPECT_EQ(second.readLine(), "OK");
    EXPECT_TRUE(second.write("GetTC\n"));
    EXPECT_EQ(second.readLine(), "00:01:20:00");
}

TEST_F(CommandServerTest, MessagesFromManyThreadsStayWholeLines) {
    startServer();
    auto c = connectClient();
    auto client = vcr_->connectThread();
    ASSERT_TRUE(client);
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> senders;
    const std::string filler(300, 'z');
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) {
                client->Send("T" + std::to_string(t) + "-" + std::to_string(i) + filler);
            }
        });
    }
    std::vector<int> next(kThreads, 0);
    for (int n = 0; n < kThreads * kLines; ++n) {
        auto line = c->readLine();
        ASSERT_TRUE(line);
        ASSERT_GE(line->size(), 4u);
        int t = (*line)[1] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads) << *line;
        EXPECT_EQ(*line, "T" + std::to_string(t) + "-" + std::to_string(next[t]++) + filler);
    }
    for (auto& s : senders)
        s.join();
}

// Whoever sends (a cue thread with its progress words) never waits for the client: with the
// client's socket full every Send still returns at once, and the client is dropped once its
// queue is full. A Send that waited for the socket would take seconds here.
TEST_F(CommandServerTest, ClientThatNeverReadsCannotBlockSendsForever) {
    startServer();
    vemo::test::StdoutCapture capture;
    TcpClient c(server_->port(), 4096);
    ASSERT_TRUE(waitFor([&] { return vcr_->connectThread() != nullptr; }));
    auto client = vcr_->connectThread();
    ASSERT_TRUE(client);
    const std::string line(1000, 'x');
    std::chrono::steady_clock::duration slowest{};
    for (int i = 0; i < 20000 && vcr_->connectThread() != nullptr; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        client->Send(line);
        slowest = std::max(slowest, std::chrono::steady_clock::now() - t0);
    }
    EXPECT_LT(slowest, 1s);
    client->Send(std::string(1 << 20, 'x'));  // more than the whole queue takes
    EXPECT_TRUE(waitFor([&] { return vcr_->connectThread() == nullptr; }));
    EXPECT_TRUE(statusShown("Client not reading: connection closed"));
    EXPECT_TRUE(waitFor(
        [&] { return capture.text().find("Server ReadLine I/O Error\n") != std::string::npos; }));
    client->Send("after");  // a closed connection takes no more and does not block
}

TEST_F(CommandServerTest, StopEndsAWaitingClientAndTheAcceptPromptly) {
    startServer();
    auto c = connectClient();
    EXPECT_TRUE(c->write("Wait1000\n"));
    EXPECT_TRUE(statusShown("Client Command: Wait1000"));
    auto t0 = std::chrono::steady_clock::now();
    server_->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 10s);
    EXPECT_TRUE(c->waitClosed());
    EXPECT_EQ(server_->port(), -1);
    EXPECT_FALSE(server_->start(0));  // a stopped server stays stopped
    server_->stop();

    // A server that is only awaiting a client stops as promptly.
    CommandServer idle(*vcr_);
    ASSERT_TRUE(idle.start(0));
    EXPECT_TRUE(statusShown("Awaiting Client Connection"));
    t0 = std::chrono::steady_clock::now();
    idle.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 10s);
}

TEST_F(CommandServerTest, PortInUseIsShownWithTheKeyToChangeAndTheFirstServerGoesOn) {
    startServer();
    const std::string port = std::to_string(server_->port());
    CommandServer second(*vcr_);
    EXPECT_FALSE(second.start(server_->port()));
    EXPECT_TRUE(display_.saw("Can't Get ServerSocket at Port " + port +
                             ": cannot listen on 127.0.0.1:" + port +
                             ": Address already in use (change ServerPort in VemoSettings.txt)"));
    EXPECT_EQ(second.port(), -1);
    EXPECT_FALSE(second.OpenServerSocket(70000));
    // Keys that cannot be used are shown the same way, and nothing listens anywhere.
    settings_.serveraddress = "not.an.address";
    LocalVCR elsewhere(deck_.get(), settings_);
    elsewhere.setDisplay(&display_);
    CommandServer refused(elsewhere);
    vemo::test::StdoutCapture capture;
    EXPECT_FALSE(refused.start(0));
    EXPECT_TRUE(
        display_.saw("Can't Get ServerSocket at Port 0: ServerAddress \"not.an.address\" "
                     "is not a numeric IPv4 or IPv6 address (change ServerAddress in "
                     "VemoSettings.txt)"));
    EXPECT_EQ(refused.port(), -1);
    EXPECT_TRUE(
        capture.hasLine("Command server: ServerAddress \"not.an.address\" is not a "
                        "numeric IPv4 or IPv6 address"));

    auto c = connectClient();  // the first server goes on serving
    EXPECT_TRUE(c->write("Play\n"));
    EXPECT_TRUE(waitFor([&] { return deck_->countOf(protocol::bsplay) == 1; }));
}

TEST_F(CommandServerTest, LogsWhereItListensAndWhoMayConnect) {
    vemo::test::StdoutCapture capture;
    settings_.ServerAllow = "127.0.0.1, 10.1.0.0/16";
    settings_.ServerIdleTimeout = "600";
    startServer();
    std::string log = capture.finish();
    EXPECT_NE(log.find("Command server listening on 127.0.0.1:" + std::to_string(server_->port()) +
                       "\nCommand server allows clients from 127.0.0.1, 10.1.0.0/16\n"
                       "Command server closes connections idle for 600 s\n"),
              std::string::npos)
        << log;
}

TEST_F(CommandServerTest, OnTheLoopbackAddressOnlyThisMachineIsSaidToReachIt) {
    vemo::test::StdoutCapture capture;
    startServer();  // 127.0.0.1, no allow list
    std::string log = capture.finish();
    EXPECT_NE(log.find("Command server allows clients from this machine only (127.0.0.1)\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("anywhere"), std::string::npos) << log;
}

TEST_F(CommandServerTest, ClientsFromOutsideTheAllowListAreClosedBeforeTheGreeting) {
    settings_.ServerAllow = "10.0.0.0/8";
    startServer();
    vemo::test::StdoutCapture capture;
    for (int i = 0; i < 3; ++i) {
        TcpClient c(server_->port());
        EXPECT_TRUE(c.waitClosed());
        EXPECT_EQ(c.readRaw(2, 100ms), "");
    }
    EXPECT_TRUE(statusShown("Refused Client at 127.0.0.1"));
    EXPECT_EQ(vcr_->connectThread(), nullptr);
    EXPECT_EQ(capture.finish(),
              "Server refused a connection from 127.0.0.1: not in ServerAllow\n"
              "last line repeated 2 times\n");
    server_->stop();

    settings_.ServerAllow = "10.0.0.0/8,127.0.0.0/30";
    startServer();
    auto c = connectClient();
}

// However a client leaves, or does not, the one connection slot comes free for the next.
TEST_F(CommandServerTest, TheSlotComesFreeAfterAHangUpDuringAWaitOrAnIdleClient) {
    settings_.ServerIdleTimeout = "3";
    startServer();
    vemo::test::StdoutCapture capture;
    struct Case {
        const char* send;
        bool fullClose;
        const char* status;
    };
    const std::vector<Case> cases = {
        {"Wait120\nPlay\n", true, "Client hung up during Wait"},
        {"Wait2147483\n", false, "Client hung up during Wait"},
        {"", false, "Idle Close"},
    };
    for (const Case& c : cases) {
        auto client = connectClient();
        const auto t0 = std::chrono::steady_clock::now();
        if (*c.send != '\0') {
            EXPECT_TRUE(client->write(c.send));
            const std::string wait(c.send, std::string_view(c.send).find('\n'));
            EXPECT_TRUE(statusShown("Client Command: " + wait));
            c.fullClose ? client->close() : client->shutdownWrite();
        }
        auto next = connectClient();  // greeted once the slot is free
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 15s);
        EXPECT_TRUE(statusShown(c.status)) << c.status;
        next->close();
        EXPECT_TRUE(waitFor([&] { return vcr_->connectThread() == nullptr; }));
    }
    EXPECT_EQ(deck_->countOf(protocol::bsplay), 0);  // lines after the wait were not for now
    EXPECT_TRUE(waitFor([&] { return capture.hasLine("Server closed an idle connection"); }));
}

// A machine that vanishes (no FIN, no reset) is found out by keepalive; here with short
// timing, where the system lets a test drop a socket silently.
TEST_F(CommandServerTest, AClientThatVanishedIsFoundOutAndTheSlotComesFree) {
    deck_ = std::make_unique<FakeDeck>(2400);
    vcr_ = std::make_unique<LocalVCR>(deck_.get(), settings_);
    vcr_->setDisplay(&display_);
    server_ = std::make_unique<CommandServer>(*vcr_, KeepAlive{1, 1, 2});
    ASSERT_TRUE(server_->start(0));
    auto gone = connectClient();
    if (!gone->vanish())
        GTEST_SKIP() << "sockets cannot be dropped silently here";
    auto next = connectClient();
    EXPECT_EQ(vcr_->connectThread() != nullptr, true);
}

// The options on a real accepted socket: a dead peer is noticed within 30 s.
// A client that arrives when the process is out of descriptors is left waiting (none for
// the accept) or refused with a line (none for its connection); the server goes on and the
// next client is served once descriptors are free again.
TEST_F(CommandServerTest, AtTheDescriptorLimitAClientIsRefusedAndTheServerGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers open a pipe of their own to check memory they are unsure of: with no
    // descriptor left they report objects that are fine. The normal build runs this test.
    GTEST_SKIP() << "not under the sanitizers, which need descriptors at the limit";
#endif
    startServer();
    vemo::test::StdoutCapture log;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    for (rlim_t spare : {0, 1, 2}) {
        TcpClient c(server_->port(), 0, false);
        // The limit at the free descriptor number that has exactly `spare` free ones below.
        rlim_t limit = 0;
        for (rlim_t freeBelow = 0;; ++limit) {
            bool isFree = ::fcntl(static_cast<int>(limit), F_GETFD) == -1;
            if (isFree && freeBelow++ == spare)
                break;
        }
        rlimit tight = saved;
        tight.rlim_cur = limit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        ASSERT_TRUE(c.connect());
        const char* outcome[] = {"I/O Open Unsuccessful", "Refused Client: Too many open files",
                                 "Client Connection Accepted!"};
        EXPECT_TRUE(statusShown(outcome[spare])) << spare;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
        // Each client is done with before the next comes: the one left waiting is served now.
        if (spare == 1) {
            EXPECT_TRUE(c.waitClosed());
        } else {
            EXPECT_EQ(c.readLine(), "OK") << spare;
        }
        // The server has given back the connection's descriptors once it awaits the next.
        c.close();
        EXPECT_TRUE(waitFor([&] { return display_.lastStatus() == "Awaiting Client Connection"; }))
            << spare;
    }
    auto next = connectClient();
    EXPECT_TRUE(next->write("Status\n"));
    EXPECT_TRUE(next->readLine());
    EXPECT_TRUE(
        vemo::test::hasLine(log.finish(), "Server refused a connection: Too many open files"));
}

TEST(ClientSocketOptions, KeepaliveOnEveryClient) {
    core::UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener.get(), 1), 0);
    socklen_t len = sizeof a;
    ASSERT_EQ(::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&a), &len), 0);
    TcpClient client(ntohs(a.sin_port));
    core::UniqueFd accepted(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    ASSERT_TRUE(accepted.valid());
    const KeepAlive k;
    ASSERT_TRUE(tuneClientSocket(accepted.get(), k));
    auto option = [&](int level, int name) {
        int value = -1;
        socklen_t size = sizeof value;
        EXPECT_EQ(::getsockopt(accepted.get(), level, name, &value, &size), 0);
        return value;
    };
    const int bound = k.idleSeconds + k.intervalSeconds * k.count;
    EXPECT_LE(bound, 30);
    EXPECT_EQ(option(SOL_SOCKET, SO_KEEPALIVE), 1);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPIDLE), k.idleSeconds);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPINTVL), k.intervalSeconds);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPCNT), k.count);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_USER_TIMEOUT), bound * 1000);
}

}  // namespace
}  // namespace vemo::remote

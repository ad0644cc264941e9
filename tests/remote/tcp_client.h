#pragma once

// A plain TCP client for the server tests: connects to 127.0.0.1, writes raw bytes, reads
// CR LF lines with a time limit and notices when the server closes the connection.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

namespace vemo::remote::test {

class TcpClient {
  public:
    // receiveBuffer: a small one makes a client that does not read fill up sooner.
    // connectNow false: the socket is made now and connect() called later.
    explicit TcpClient(int port, int receiveBuffer = 0, bool connectNow = true) : port_(port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        if (connectNow)
            connect();
    }
    bool connect() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        return connected_;
    }
    ~TcpClient() { close(); }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    bool connected() const { return connected_; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    void shutdownWrite() { ::shutdown(fd_, SHUT_WR); }
    // Goes away without a FIN or a reset, as a machine that lost power does: the server
    // hears nothing more. Needs the right to repair sockets; false without it.
    bool vanish() {
        const int on = 1;
        if (::setsockopt(fd_, IPPROTO_TCP, TCP_REPAIR, &on, sizeof on) != 0)
            return false;
        close();
        return true;
    }
    int fd() const { return fd_; }

    bool write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // As much of the bytes as the socket takes now: the count, or -1 once the connection is
    // broken.
    long writeSome(const std::string& bytes) {
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
        return n;
    }

    // The next line without its CR LF; nothing on timeout or when the server closed.
    std::optional<std::string> readLine(
        std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (true) {
            auto end = buffer_.find("\r\n");
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 2);
                return line;
            }
            if (!fill(deadline))
                return std::nullopt;
        }
    }

    // Raw bytes that arrived within the limit (up to want).
    std::string readRaw(std::size_t want, std::chrono::milliseconds limit) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (buffer_.size() < want && fill(deadline)) {
        }
        std::string out = buffer_.substr(0, want);
        buffer_.erase(0, out.size());
        return out;
    }

    // True when the server closes the connection within the limit (data before it is kept).
    bool waitClosed(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (!eof_ && fill(deadline)) {
        }
        return eof_;
    }

  private:
    bool fill(std::chrono::steady_clock::time_point deadline) {
        if (eof_)
            return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char chunk[65536];
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) {
            eof_ = true;
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    int port_;
    int fd_ = -1;
    bool connected_ = false;
    bool eof_ = false;
    std::string buffer_;
};

// A client that sends "GetTC" lines as fast as the server takes them and never reads an
// answer, on a thread of its own, until it goes or the server drops it.
class FloodingClient {
  public:
    explicit FloodingClient(int port) : client_(port, 4096), thread_([this] { flood(); }) {}
    ~FloodingClient() {
        stop_.store(true);
        thread_.join();
    }
    FloodingClient(const FloodingClient&) = delete;
    FloodingClient& operator=(const FloodingClient&) = delete;

    bool dropped() const { return dropped_.load(); }

  private:
    void flood() {
        std::string lines;
        for (int i = 0; i < 64; ++i)
            lines += "GetTC\n";
        std::size_t at = 0;
        while (!stop_.load() && client_.connected()) {
            long n = client_.writeSome(lines.substr(at));
            if (n < 0) {
                dropped_.store(true);
                return;
            }
            if (n == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            at = (at + static_cast<std::size_t>(n)) % lines.size();
        }
    }

    TcpClient client_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> dropped_{false};
    std::thread thread_;
};

}  // namespace vemo::remote::test

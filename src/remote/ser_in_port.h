#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "serial/serial_line.h"

namespace vemo::deck {
class LocalVCR;
class DeckDisplay;
}  // namespace vemo::deck

namespace vemo::remote {

// The auxiliary controller port: a thread that polls the MCS control surface's serial line
// and turns each two-byte message into a deck operation or a logger mark. Nothing is ever
// sent to the surface.
class SerInPort {
  public:
    // The surface's line: 2400 bit/s, 8 data bits, no parity, 1 stop bit.
    static constexpr serial::LineSettings kSurfaceLine{2400, 8, 1, serial::Parity::none};
    static constexpr int buffersize = 64;
    // How long a message's second byte may lag behind its first.
    static constexpr int secondByteWait = 50;

    // Opens the port at 2400 bit/s, 8 data bits, no parity, 1 stop bit. Never throws for a
    // port that will not open: it prints why and sets bad().
    explicit SerInPort(const std::string& port);
    // Stops and joins the thread.
    ~SerInPort();
    SerInPort(const SerInPort&) = delete;
    SerInPort& operator=(const SerInPort&) = delete;

    bool bad() const { return bad_.load(); }
    // Why the port did not open (error 0 when it did).
    serial::PortFailure openError() const { return openError_; }
    // 1 when opening the port failed in any step, 0 when it succeeded.
    int NoCOM() const { return NoCOM_.load(); }

    void setlocalvcr(deck::LocalVCR* svcr) { svcr_.store(svcr); }
    void setlocalgui(deck::DeckDisplay* lgui) { lgui_.store(lgui); }
    void setwait(int milliseconds) { wait_.store(milliseconds); }
    void setsleeptime(int milliseconds) { sleeptime_.store(milliseconds); }
    deck::DeckDisplay* localgui() const { return lgui_.load(); }
    int getwait() const { return wait_.load(); }
    int getsleeptime() const { return sleeptime_.load(); }

    // Starts the polling thread (once; nothing happens for a bad port).
    void start();
    // The polling loop: runs while the run flag is set (start() sets it).
    void run();
    // One poll of the port.
    void readdirect();
    // Performs the message held in serin bytes 0 and 1.
    void parse();
    // Asks the loop to end; it ends at once if resting, else after its current pass.
    void stopme();
    // stopme, then waits for the thread to end. Safe to call twice.
    void stop();
    bool running() const { return a_.load(); }
    // Polls completed so far; a poll that starts after bytes arrived has taken them.
    long polls() const { return polls_.load(); }

    static void OutLine(std::string_view text);

  private:
    void open(const std::string& port);
    // Sleeps up to the time given, ending early on stopme; false once stopped.
    bool rest(int milliseconds);
    // With one byte waiting: true once the second came within secondByteWait.
    bool awaitSecondByte();

    std::atomic<bool> bad_{false};
    serial::PortFailure openError_;  // written before the polling thread starts
    std::atomic<deck::LocalVCR*> svcr_{nullptr};
    std::atomic<deck::DeckDisplay*> lgui_{nullptr};
    std::atomic<int> wait_{50};  // kept for the caller; the poll does not use it
    std::unique_ptr<serial::SerialLine> serialPort2_;
    std::atomic<int> NoCOM_{0};
    std::array<std::uint8_t, buffersize> serin_{};  // touched by the polling thread only
    std::atomic<int> sleeptime_{50};
    std::atomic<bool> a_{false};
    std::atomic<long> polls_{0};

    std::mutex restMutex_;
    std::condition_variable restCv_;
    std::mutex threadMutex_;  // guards starting and joining
    std::jthread thread_;
};

}  // namespace vemo::remote

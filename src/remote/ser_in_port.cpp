// Opening the auxiliary controller port, and the life of its polling thread.
#include "remote/ser_in_port.h"

#include "core/utils.h"

namespace vemo::remote {

SerInPort::SerInPort(const std::string& port) {
    open(port);
    if (bad_.load()) {
        OutLine(" ");
        OutLine("Serial Port " + port + " not available");
    }
}

SerInPort::~SerInPort() {
    stop();
}

void SerInPort::open(const std::string& port) {
    // The surface wants DSR/DTR handshaking, which the terminal driver does not offer: the
    // line runs without handshake and DTR is simply held on, so the surface sees the console
    // ready.
    try {
        serialPort2_ = std::make_unique<serial::SerialLine>(port, kSurfaceLine);
    } catch (const serial::SerialError& e) {
        openError_ = serial::PortFailure(e);
        NoCOM_.store(1);
        bad_.store(true);
        return;
    }
    NoCOM_.store(0);
    OutLine("MCS Serial Port " + port +
            ": DSR/DTR handshake not available on Linux, opened without handshake");
    try {
        serialPort2_->setDTR(true);
    } catch (const serial::SerialError&) {
        OutLine("Unable to set DTR");
    }
}

void SerInPort::start() {
    std::lock_guard<std::mutex> lock(threadMutex_);
    if (bad_.load() || thread_.joinable())
        return;
    // Set before the thread exists, so a stop that comes at once is never lost.
    a_.store(true);
    thread_ = std::jthread([this](std::stop_token stop) {
        std::stop_callback end(stop, [this] { stopme(); });
        run();
    });
}

void SerInPort::stopme() {
    {
        std::lock_guard<std::mutex> lock(restMutex_);
        a_.store(false);
    }
    restCv_.notify_all();
}

void SerInPort::stop() {
    stopme();
    std::lock_guard<std::mutex> lock(threadMutex_);
    if (!thread_.joinable())
        return;
    // Asked from its own pass, the loop ends when the pass returns; the owner joins it when
    // it stops the port again or destroys it.
    if (thread_.get_id() == std::this_thread::get_id())
        return;
    thread_.request_stop();
    thread_.join();
}

bool SerInPort::rest(int milliseconds) {
    std::unique_lock<std::mutex> lock(restMutex_);
    restCv_.wait_for(lock, std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds),
                     [this] { return !a_.load(); });
    return a_.load();
}

void SerInPort::OutLine(std::string_view text) {
    core::Utils::OutLine(text);
}

}  // namespace vemo::remote

#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "core/unique_fd.h"

namespace vemo::serial {

// A failure of an operation on a serial line; what() is the reason as text, error() the
// system's error number behind it (0 when there is none), stage() whether the device did
// not open or opened and then did not take the line settings.
class SerialError : public std::runtime_error {
  public:
    enum class Stage { open, settings };
    explicit SerialError(const std::string& text, int error = 0, Stage stage = Stage::open)
        : std::runtime_error(text), error_(error), stage_(stage) {}
    int error() const { return error_; }
    Stage stage() const { return stage_; }

  private:
    int error_;
    Stage stage_;
};

// Why a port did not open, kept for the explanation an operator reads.
struct PortFailure {
    PortFailure(int number = 0, bool refused = false) : error(number), settingsRefused(refused) {}
    explicit PortFailure(const SerialError& e)
        : error(e.error()), settingsRefused(e.stage() == SerialError::Stage::settings) {}
    int error;             // the system's error number, 0 when there is none
    bool settingsRefused;  // the device opened, then did not take the line settings
};

// The device a port name stands for: "/..." is a path, "COMn" (n from 1) is /dev/ttyS<n-1>;
// nothing for any other name.
std::optional<std::string> devicePath(const std::string& name);

enum class Parity { none, odd, even };

// The framing of a line. No handshake: the drivers here have no DSR/DTR flow control, and
// neither of the program's lines wants another kind.
struct LineSettings {
    int bitRate = 9600;  // bits per second, 110 to 115200
    int dataBits = 8;    // 5 to 8
    int stopBits = 1;    // 1 or 2
    Parity parity = Parity::none;
};

// The terminal settings for a line, built on top of base: raw and 8-bit clean (no echo, no
// line editing, no signals, no translation either way, reads never block) with the given
// framing. Nothing when the driver has no such framing.
std::optional<termios> termiosFor(const LineSettings& settings, const termios& base = {});

// One serial device opened for this process alone (flock and TIOCEXCL), set to its line
// settings, and closed when the object goes. Used by one thread at a time: its owner keeps
// that discipline.
class SerialLine {
  public:
    // Opens "/dev/..." or "COMn" (the n-th port, /dev/ttyS<n-1>). A SerialError when the
    // device does not open or does not take the settings: nothing is left held then.
    SerialLine(std::string name, const LineSettings& settings);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    const std::string& name() const { return name_; }
    const LineSettings& settings() const { return settings_; }
    bool isOpen() const { return fd_.valid(); }
    // Gives the device back; the operations then fail until reopen.
    void close();
    // Closes, then opens and sets up the device again.
    void reopen();

    // Writes every byte within the deadline; a SerialError when fewer went.
    void write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds deadline);
    // Takes what is waiting, at most the buffer's size, in one read without waiting; the
    // count. A count below the buffer's size means nothing more was waiting.
    int read(std::span<std::uint8_t> buffer);
    // Bytes received and not yet read.
    int waiting();
    // Waits until a byte has come or the time is up; true when one is waiting.
    bool awaitInput(std::chrono::milliseconds limit);
    void flushInput();
    void flushOutput();
    void setDTR(bool on);
    void setRTS(bool on);

  private:
    void open(const char* failurePrefix);

    std::string name_;
    LineSettings settings_;
    core::UniqueFd fd_;
};

}  // namespace vemo::serial

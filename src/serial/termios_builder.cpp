#include "serial/termios_builder.h"

namespace vemo::serial {
namespace {

using C = SerialConfig;

bool applyFraming(const SerialConfig& config, termios& t) {
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    int bits = config.getDataBits();
    if (bits < C::LN_5BITS || bits > C::LN_8BITS)
        return false;
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    t.c_cflag |= sizes[bits];

    if (config.getStopBits() == C::ST_2BITS) {
        t.c_cflag |= CSTOPB;
    } else if (config.getStopBits() == C::ST_1BITS) {
        t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
    } else {
        return false;
    }

    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (config.getParity()) {
        case C::PY_NONE:
            break;
        case C::PY_ODD:
            t.c_cflag |= PARENB | PARODD;
            break;
        case C::PY_EVEN:
            t.c_cflag |= PARENB;
            break;
        case C::PY_MARK:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        default:
            return false;
    }
    // Parity is generated and sent, but received bytes are passed on as they come: a byte
    // with a parity fault is not replaced, the deck's checksum judges the reply.
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IGNPAR);
    return true;
}

bool applyHandshake(int code, termios& t) {
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    int simple = code & 0x0F;
    if (simple == C::HS_DSRDTR)
        return false;  // the driver has no DSR/DTR flow control
    if (simple == C::HS_XONXOFF)
        t.c_iflag |= IXON | IXOFF;
    if (simple == C::HS_CTSRTS)
        t.c_cflag |= CRTSCTS;
    // The driver cannot split hardware flow by direction: either direction turns it on.
    if ((code & (C::HS_HARD_IN | C::HS_HARD_OUT)) != 0)
        t.c_cflag |= CRTSCTS;
    if ((code & C::HS_SOFT_IN) != 0)
        t.c_iflag |= IXOFF;
    if ((code & C::HS_SOFT_OUT) != 0)
        t.c_iflag |= IXON;
    return true;
}

}  // namespace

speed_t speedFor(int bitRateCode) {
    static constexpr speed_t speeds[] = {B110,  B150,  B300,   B600,   B1200,  B2400,
                                         B4800, B9600, B19200, B38400, B57600, B115200};
    if (bitRateCode < 0 || bitRateCode > C::BR_115200)
        return B0;
    return speeds[bitRateCode];
}

std::optional<termios> buildTermios(const SerialConfig& config, const termios& base) {
    termios t = base;
    // Raw line: every byte value crosses unchanged in both directions.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST | OLCUC | ONLCR | OCRNL | ONOCR | ONLRET | OFILL |
                                        OFDEL | NLDLY | CRDLY | TABDLY | BSDLY | VTDLY | FFDLY);
    t.c_lflag &= ~static_cast<tcflag_t>(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL |
                                        ECHOPRT | ECHOKE | IEXTEN | XCASE | TOSTOP);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    speed_t speed = speedFor(config.getBitRate());
    if (speed == B0)
        return std::nullopt;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
        return std::nullopt;
    if (!applyFraming(config, t))
        return std::nullopt;
    if (!applyHandshake(config.getHandshake(), t))
        return std::nullopt;
    return t;
}

}  // namespace vemo::serial

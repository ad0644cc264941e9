#include "serial/os_info.h"

#include <sys/utsname.h>

namespace vemo::serial {

std::string osName() {
    utsname u{};
    if (::uname(&u) != 0)
        return "";
    return u.sysname;
}

std::string osArch() {
    utsname u{};
    if (::uname(&u) != 0)
        return "";
    std::string m = u.machine;
    if (m == "x86_64" || m == "amd64" || m == "i386" || m == "i486" || m == "i586" || m == "i686") {
        return "x86";
    }
    return m;
}

}  // namespace vemo::serial

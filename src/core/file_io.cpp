#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/unique_fd.h"

namespace vemo::core {
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

}  // namespace

std::error_code readWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return lastError();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code writeFileAtomically(const std::string& path, const std::string& bytes) {
    std::filesystem::path target(path);
    std::filesystem::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    std::string templ = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    UniqueFd fd(::mkstemp(templ.data()));
    if (fd.get() < 0)
        return lastError();
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    std::error_code ec;
    while (left > 0 && !ec) {
        ssize_t n = ::write(fd.get(), data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ec = lastError();
            break;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (!ec && ::fsync(fd.get()) != 0)
        ec = lastError();
    if (!ec)
        ::fchmod(fd.get(), 0644);
    if (int err = fd.close(); err != 0 && !ec)
        ec = {err, std::generic_category()};
    if (!ec && ::rename(templ.c_str(), path.c_str()) != 0)
        ec = lastError();
    if (ec)
        ::unlink(templ.c_str());
    return ec;
}

}  // namespace vemo::core

#include "core/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "core/unique_fd.h"

namespace vemo::core {
namespace fs = std::filesystem;
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

WriteResult failed(int err, WriteStage stage) {
    return {{err, std::generic_category()}, stage};
}

// The file a save really replaces: the target of a symbolic link (however many), else path.
fs::path resolveTarget(const fs::path& path) {
    fs::path target = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec)))
            return target;
        fs::path next = fs::read_symlink(target, ec);
        if (ec)
            return target;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// Temporary names carry the writer's process id, so a later save can tell the leftovers of
// a killed writer from the files of one still running.
std::string tempPrefix(const fs::path& target) {
    return "." + target.filename().string().substr(0, 100) + ".vemo-tmp-";
}

void removeLeftovers(const fs::path& dir, const std::string& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const long pid = std::strtol(rest.c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
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

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty())
        return failed(ENOENT, WriteStage::Open);
    const fs::path target = resolveTarget(path);
    if (target.filename().empty())
        return failed(EISDIR, WriteStage::Open);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            return failed(EISDIR, WriteStage::Open);
        if (!S_ISREG(old.st_mode))
            return failed(EINVAL, WriteStage::Open);  // a FIFO or a device is no list
        if ((old.st_mode & 0222) == 0)
            return failed(EACCES, WriteStage::Open);  // read-only, even for root
    }

    fs::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    const std::string prefix = tempPrefix(target);
    removeLeftovers(dir, prefix);

    // Two saves at once in one process differ by thread; O_EXCL settles any clash.
    const std::size_t thread = std::hash<std::thread::id>{}(std::this_thread::get_id()) % 100000;
    std::string temp;
    UniqueFd fd;
    for (std::size_t attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
        temp = (dir / (prefix + std::to_string(::getpid()) + "-" +
                       std::to_string(thread * 100 + attempt)))
                   .string();
        // 0666 less the umask, as any new file of the operator's.
        int raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw >= 0)
            fd.reset(raw);
        else if (errno != EEXIST)
            return failed(errno, WriteStage::Open);
    }
    if (fd.get() < 0)
        return failed(EEXIST, WriteStage::Open);

    if (exists)
        ::fchmod(fd.get(), old.st_mode & 07777);
    int err = writeAll(fd.get(), bytes);
    if (err == 0 && ::fsync(fd.get()) != 0)
        err = errno;
    if (err != 0) {
        fd.close();
        ::unlink(temp.c_str());
        return failed(err, WriteStage::Write);
    }
    if (int closeErr = fd.close(); closeErr != 0) {
        ::unlink(temp.c_str());
        return failed(closeErr, WriteStage::Close);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(temp.c_str());
        return failed(err, WriteStage::Rename);
    }
    // The rename itself must survive a power cut too.
    UniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0)
        ::fsync(dirFd.get());
    return {};
}

}  // namespace vemo::core

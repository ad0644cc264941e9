#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/edl/recorder_edl.h"
#include "core/edl/recorder_lines.h"

namespace vemo::core {

namespace {

// Closes the source file on every way out of a load.
class SourceFile {
  public:
    explicit SourceFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~SourceFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

std::error_code lastError() {
    return {errno, std::generic_category()};
}

}  // namespace

RecorderEDL::RecorderEDL(RecorderView* view, const Settings& settings)
    : initialize(settings.initialize),
      finalize(settings.finalize),
      onetitle(settings.onetitle),
      autochapter(settings.autochapter),
      verbose(settings.verbose),
      editionName(settings.name),
      skipAudioOnly(settings.skipAudioOnly),
      skipZeroLength(settings.skipZeroLength),
      reelChanges(settings.reelChanges),
      rate(settings.frameRate),
      view_(view != nullptr ? view : &fallbackView_) {
    rawedl.fill(std::string(Free));
    lxedl.fill(std::string(Free));
}

void RecorderEDL::setView(RecorderView* view) {
    view_ = view != nullptr ? view : &fallbackView_;
}

bool RecorderEDL::lineok(std::string_view line) {
    if (line.empty())
        return true;
    auto first = static_cast<unsigned char>(line.front());
    return first >= 32 && first <= 127;
}

void RecorderEDL::newrawedl() {
    rawedl.fill(std::string(Free));
}

void RecorderEDL::showrawedl() {
    rawfile.clear();
    for (const auto& line : rawedl) {
        if (line.size() >= 2) {
            rawfile += line;
            rawfile += '\n';
        }
    }
    view_->showSource(rawfile);
}

const std::string& RecorderEDL::rawAt(int i) const {
    static const std::string freeEntry(Free);
    if (i < 0 || i >= RawSize)
        return freeEntry;
    return rawedl[static_cast<std::size_t>(i)];
}

bool RecorderEDL::parseedl(const std::string& directory, const std::string& name) {
    rawlinecount = 0;
    ioerror.clear();
    omissions = {};
    sourcePath_.clear();
    setMode(onetitle ? Pause : Stop);
    newrawedl();
    showrawedl();
    if (name.empty())
        return true;

    view_->showSource(std::string(ReadingText));
    view_->setTitle(editionName + std::string(TitleText) + name);

    const std::string path = recorderPath(directory, name);
    sourcePath_ = path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        ioerror = ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory);
        view_->log(std::string(NotFoundText));
        view_->showSource(std::string(NotFoundText));
        view_->wait(MessageWait);
        view_->showFailure(std::string(NotFoundText) + " " + path);
        return false;
    }

    bool ok = true;
    {
        // Only a regular file is read: a pipe or a device could block or never end.
        SourceFile file(path);
        struct stat st {};
        if (file.fd() < 0) {
            ioerror = lastError();
        } else if (::fstat(file.fd(), &st) != 0) {
            ioerror = lastError();
        } else if (!S_ISREG(st.st_mode)) {
            ioerror = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                               : std::errc::invalid_argument);
        } else {
            filesize = static_cast<std::int64_t>(st.st_size);
            RecorderLineReader reader(file.fd());
            readSource(reader);
        }
        if (ioerror)
            ok = readFailed();
    }
    showrawedl();
    newlxedl();
    return ok;
}

void RecorderEDL::parseText(std::string_view text) {
    rawlinecount = 0;
    ioerror.clear();
    omissions = {};
    sourcePath_.clear();
    setMode(onetitle ? Pause : Stop);
    newrawedl();
    showrawedl();
    filesize = static_cast<std::int64_t>(text.size());
    RecorderLineReader reader(text);
    readSource(reader);
    showrawedl();
    newlxedl();
}

// Stores lines until the file's size is accounted for, the source list is full, or a line
// that is not text turns up (that line and the rest are not used).
void RecorderEDL::readSource(RecorderLineReader& reader) {
    readsofar = 0;
    omissions = {};
    std::string line;
    while (readsofar < filesize && rawlinecount < RawSize) {
        auto result = reader.next(line);
        if (result == RecorderLineReader::Result::End)
            break;
        if (result == RecorderLineReader::Result::Error) {
            ioerror = reader.error();
            break;
        }
        // Editing systems often start a file with a UTF-8 byte-order mark; it is no text.
        if (rawlinecount == 0 && line.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0) {
            readsofar += static_cast<std::int64_t>(ByteOrderMark.size());
            line.erase(0, ByteOrderMark.size());
        }
        data = line;
        if (verbose)
            view_->log(data);
        if (!lineok(data)) {
            omissions.stoppedAtLine = rawlinecount + 1;
            break;
        }
        readsofar += static_cast<std::int64_t>(data.size());
        rawedl[static_cast<std::size_t>(rawlinecount)] = line;
        ++rawlinecount;
    }
    if (rawlinecount == RawSize && readsofar < filesize &&
        reader.next(line) == RecorderLineReader::Result::Line)
        omissions.lineLimit = true;
}

bool RecorderEDL::readFailed() {
    view_->log(std::string(ReadLogText));
    view_->showSource(std::string(ReadAreaText));
    view_->wait(MessageWait);
    view_->showFailure(std::string(ReadAreaText) + ": " + ioerror.message());
    return false;
}

std::string recorderPath(const std::string& directory, const std::string& name) {
    if (directory.empty())
        return name;
    return (std::filesystem::path(directory) / name).string();
}

}  // namespace vemo::core

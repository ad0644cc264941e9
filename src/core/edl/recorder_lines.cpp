#include "core/edl/recorder_lines.h"

namespace vemo::core {

RecorderLineReader::RecorderLineReader(std::string_view text)
    : source_(std::make_unique<MemorySource>(text)), reader_(*source_) {}

RecorderLineReader::RecorderLineReader(int fd)
    : source_(std::make_unique<FileSource>(fd)), reader_(*source_) {}

RecorderLineReader::Result RecorderLineReader::next(std::string& line) {
    switch (reader_.next(line)) {
        case ByteSource::Status::Byte:
            return Result::Line;
        case ByteSource::Status::End:
            return Result::End;
        case ByteSource::Status::Error:
            break;
    }
    error_ = {source_->error, std::generic_category()};
    return Result::Error;
}

}  // namespace vemo::core

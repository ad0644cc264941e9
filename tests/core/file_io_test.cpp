// The one atomic file writer every save goes through.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/file_io.h"
#include "support/temp_dir.h"

namespace vemo::test {
namespace {

namespace fs = std::filesystem;
using core::writeFileAtomically;
using core::WriteStage;

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(AtomicWriter, KeepsModesAndLinksAndHonoursTheUmask) {
    TempDir dir;
    // An existing file keeps its own permissions.
    dir.write("kept.edl", "old");
    ::chmod(dir.file("kept.edl").c_str(), 0640);
    ASSERT_FALSE(writeFileAtomically(dir.file("kept.edl").string(), "new"));
    EXPECT_EQ(dir.read("kept.edl"), "new");
    EXPECT_EQ(modeOf(dir.file("kept.edl")), 0640u);

    // A new file gets 0666 less the umask.
    const mode_t previous = ::umask(027);
    ASSERT_FALSE(writeFileAtomically(dir.file("new.edl").string(), "x"));
    ::umask(previous);
    EXPECT_EQ(modeOf(dir.file("new.edl")), 0640u);

    // A link stays a link; the file it points to is replaced.
    fs::create_directory(dir.file("lists"));
    dir.write("lists/real.edl", "old");
    fs::create_symlink("lists/real.edl", dir.file("link.edl"));
    ASSERT_FALSE(writeFileAtomically(dir.file("link.edl").string(), "through"));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.edl")));
    EXPECT_EQ(dir.read("lists/real.edl"), "through");
    EXPECT_EQ(entries(dir.path()), 4u) << "no temporary file is left";
}

TEST(AtomicWriter, RefusesWhatIsNoWritableFileAndLeavesItAlone) {
    TempDir dir;
    dir.write("readonly.edl", "keep me");
    ::chmod(dir.file("readonly.edl").c_str(), 0444);
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0666), 0);
    fs::create_directory(dir.file("folder"));
    const struct {
        const char* name;
        int error;
    } cases[] = {{"readonly.edl", EACCES}, {"fifo", EINVAL}, {"folder", EISDIR}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        core::WriteResult r = writeFileAtomically(dir.file(c.name).string(), "new");
        EXPECT_EQ(r.error.value(), c.error);
        EXPECT_EQ(r.stage, WriteStage::Open);
    }
    EXPECT_EQ(dir.read("readonly.edl"), "keep me");
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo")));
    EXPECT_EQ(entries(dir.path()), 3u);
}

TEST(AtomicWriter, RemovesWhatAKilledSaveLeftButNotALiveOnesFile) {
    TempDir dir;
    // A process that has ended, and one that is still running (this one's parent).
    pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = ".list.edl.vemo-tmp-" + std::to_string(gone) + "-0";
    const std::string live = ".list.edl.vemo-tmp-" + std::to_string(::getppid()) + "-0";
    dir.write(dead, "half");
    dir.write(live, "busy");
    ASSERT_FALSE(writeFileAtomically(dir.file("list.edl").string(), "whole"));
    EXPECT_FALSE(fs::exists(dir.file(dead)));
    EXPECT_TRUE(fs::exists(dir.file(live)));
    EXPECT_EQ(dir.read("list.edl"), "whole");
}

}  // namespace
}  // namespace vemo::test

#include "support/temp_home.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

namespace vemo::test {

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vemo-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no temporary home folder: " + pattern);
    path_ = pattern;
    const std::pair<const char*, const char*> folders[] = {
        {"XDG_CONFIG_HOME", ".config"},     {"XDG_DATA_HOME", ".local/share"},
        {"XDG_STATE_HOME", ".local/state"}, {"XDG_CACHE_HOME", ".cache"},
        {"XDG_RUNTIME_DIR", "runtime"},
    };
    ::setenv("HOME", path_.c_str(), 1);
    for (auto [variable, folder] : folders) {
        std::filesystem::create_directories(path_ / folder);
        ::setenv(variable, (path_ / folder).c_str(), 1);
    }
    std::filesystem::permissions(path_ / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
}

TempHome::~TempHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace vemo::test

#pragma once

#include <filesystem>

namespace vemo::test {

// For its lifetime the process has a home folder and XDG folders of its own, under the
// temporary folder, removed afterwards: a widget test run by hand (outside CTest's
// with-temp-home) leaves no file dialog history or settings in the operator's home either.
// Made before the application object, which reads the folders once.
class TempHome {
  public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace vemo::test

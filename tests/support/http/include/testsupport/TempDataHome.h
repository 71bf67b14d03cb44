#pragma once
// Points XDG_DATA_HOME at a fresh temporary folder for the object's lifetime, so
// that the cookie store a test uses is its own and starts empty. Create it before
// any thread of the test uses the store.

#include <filesystem>
#include <optional>
#include <string>

class TempDataHome {
  public:
    TempDataHome();
    // Restores the previous XDG_DATA_HOME and removes the folder.
    ~TempDataHome();
    TempDataHome(const TempDataHome&) = delete;
    TempDataHome& operator=(const TempDataHome&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
    std::optional<std::string> previous_;
};

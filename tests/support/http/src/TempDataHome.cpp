#include "testsupport/TempDataHome.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

TempDataHome::TempDataHome() {
    if (const char* previous = std::getenv("XDG_DATA_HOME")) previous_ = previous;
    std::string pattern = (std::filesystem::temp_directory_path() / "trademark-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
    setenv("XDG_DATA_HOME", path_.c_str(), 1);
}

TempDataHome::~TempDataHome() {
    if (previous_) {
        setenv("XDG_DATA_HOME", previous_->c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

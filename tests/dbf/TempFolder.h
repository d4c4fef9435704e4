// A folder of its own for each test, removed with everything in it when the test ends.
#pragma once

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class TempFolder {
  public:
    TempFolder() {
        // Tests run in parallel processes, so the name must not depend on the test alone.
        std::random_device entropy;
        auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        folder = std::filesystem::temp_directory_path() /
                 ("marlin-dbf-" + std::to_string(entropy()) + "-" + std::to_string(ticks));
        std::filesystem::create_directories(folder);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The full name of `fileName` inside the folder.
    std::string path(const std::string& fileName) const { return (folder / fileName).string(); }

  private:
    std::filesystem::path folder;
};

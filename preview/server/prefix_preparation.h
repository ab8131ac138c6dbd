#pragma once
// Making the preview's Wine prefix (6–20 s the first time on a machine) while other work
// goes on: `serve` starts it before it loads the catalogue and builds the site, and the
// window starts it (through `tabulon prepare-preview`) as soon as it opens, so the first
// preview rarely waits for it.
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "preview/server/wine.h"

namespace tabulon::preview {

class PrefixPreparation {
public:
    // Starts making the prefix in the background unless it is ready already.
    PrefixPreparation(const WineTools& tools, std::vector<std::string> environment);
    ~PrefixPreparation();
    PrefixPreparation(const PrefixPreparation&) = delete;
    PrefixPreparation& operator=(const PrefixPreparation&) = delete;

    const std::filesystem::path& prefix() const { return prefix_; }
    // Whether the prefix was missing when this began (so it is being made).
    bool making() const { return making_; }
    // Waits until the prefix is ready, calling `progress` with the seconds spent so far
    // every `every` while it waits; then starts the lasting wineserver. Throws
    // tabulon::Error as making the prefix did.
    void wait(const std::function<void(int seconds)>& progress,
              std::chrono::milliseconds every = std::chrono::seconds(5));

private:
    WineTools tools_;
    std::vector<std::string> environment_;
    std::filesystem::path prefix_;
    bool making_ = false;
    bool waited_ = false;
    std::chrono::steady_clock::time_point started_;
    std::future<bool> made_;
};

}  // namespace tabulon::preview

#pragma once
// What the steps of one build hand each other besides files: the site database the
// database step made, kept whole for the login step so that the file is encoded and written
// once, with the default account in it. runBuild owns one per build; a step run alone gets
// none and reads the file back instead.
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "generator/site_sink.h"
#include "jet/database.h"

namespace tabulon::generator {

class BuildContext {
public:
    // Keeps the database whose file is `path` for a later step (replacing one kept before).
    void keepSiteDatabase(std::filesystem::path path, jet::Database database);
    // The database kept for `path`, handed over once; the taker stores it, changed or not.
    std::optional<jet::Database> takeSiteDatabase(const std::filesystem::path& path);
    // Stores what no step took; returns the message of each store that failed.
    std::vector<std::string> storeUntaken(SiteSink& sink);

private:
    std::mutex mutex_;
    std::optional<std::pair<std::filesystem::path, jet::Database>> kept_;
};

}  // namespace tabulon::generator

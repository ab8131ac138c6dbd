#include "generator/build/build_context.h"

#include "base/error.h"

namespace tabulon::generator {

void BuildContext::keepSiteDatabase(std::filesystem::path path, jet::Database database) {
    const std::lock_guard lock(mutex_);
    kept_.emplace(std::move(path), std::move(database));
}

std::optional<jet::Database> BuildContext::takeSiteDatabase(const std::filesystem::path& path) {
    const std::lock_guard lock(mutex_);
    if (!kept_ || kept_->first != path) return std::nullopt;
    std::optional<jet::Database> database(std::move(kept_->second));
    kept_.reset();
    return database;
}

std::vector<std::string> BuildContext::storeUntaken(SiteSink& sink) {
    std::optional<std::pair<std::filesystem::path, jet::Database>> left;
    {
        const std::lock_guard lock(mutex_);
        left.swap(kept_);
    }
    if (!left) return {};
    try {
        sink.writeDatabase(left->first, left->second);
    } catch (const Error& e) {
        return {e.what()};
    }
    return {};
}

}  // namespace tabulon::generator

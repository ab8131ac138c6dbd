#include "generator/database/kept_copy.h"

#include <cstdio>
#include <functional>
#include <unistd.h>
#include <string>

#include "base/error.h"
#include "base/file_output.h"

namespace tabulon::generator {
namespace fs = std::filesystem;

namespace {

// The first dated name `store` takes.
fs::path firstFreeName(const fs::path& folder, std::string_view stem, std::string_view extension, const std::tm& when,
                       const std::function<bool(const fs::path&)>& store) {
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                  when.tm_hour, when.tm_min, when.tm_sec);
    const std::string base = std::string(stem) + stamp;
    for (int n = 1; n < 1000; ++n) {
        const fs::path target = folder / (base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(extension));
        if (store(target)) return target;
    }
    throw Error("无法在 " + displayPath(folder) + " 中保留 " + base + std::string(extension) + " 副本");
}

}  // namespace

fs::path keepDatedCopy(const fs::path& folder, std::string_view stem, std::string_view extension,
                       std::string_view bytes, const std::tm& when, SiteSink& sink) {
    return firstFreeName(folder, stem, extension, when,
                         [&](const fs::path& target) { return sink.writeBytesIfAbsent(target, bytes); });
}

fs::path keepDatedCopyOfFile(const fs::path& file, std::string_view stem, std::string_view extension,
                             const std::tm& when) {
    const fs::path staging = file.string() + "." + std::to_string(::getpid()) + ".copy";
    std::error_code error;
    fs::copy_file(file, staging, fs::copy_options::overwrite_existing, error);
    if (error) {
        fs::remove(staging, error);
        throw Error("无法在 " + displayPath(file.parent_path()) + " 中保留 " + displayPath(file.filename()) +
                    " 的副本：" + error.message());
    }
    try {
        const fs::path kept = firstFreeName(file.parent_path(), stem, extension, when, [&](const fs::path& target) {
            std::error_code linked;
            fs::create_hard_link(staging, target, linked);
            if (linked && linked != std::errc::file_exists)
                throw Error("无法写入文件 " + displayPath(target) + "：" + linked.message());
            return !linked;
        });
        fs::remove(staging, error);
        return kept;
    } catch (...) {
        fs::remove(staging, error);
        throw;
    }
}

}  // namespace tabulon::generator

#include "generator/database/kept_copy.h"

#include <cstdio>
#include <string>

#include "base/error.h"
#include "base/file_output.h"

namespace tabulon::generator {
namespace fs = std::filesystem;

fs::path keepDatedCopy(const fs::path& folder, std::string_view stem, std::string_view extension,
                       std::string_view bytes, const std::tm& when, SiteSink& sink) {
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                  when.tm_hour, when.tm_min, when.tm_sec);
    const std::string base = std::string(stem) + stamp;
    for (int n = 1; n < 1000; ++n) {
        const fs::path target = folder / (base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(extension));
        if (sink.writeBytesIfAbsent(target, bytes)) return target;
    }
    throw Error("无法在 " + displayPath(folder) + " 中保留 " + base + std::string(extension) + " 副本");
}

}  // namespace tabulon::generator

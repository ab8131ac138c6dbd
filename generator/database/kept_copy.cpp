#include "generator/database/kept_copy.h"

#include <cstdio>
#include <string>
#include <system_error>
#include <unistd.h>

#include "base/error.h"
#include "base/file_output.h"

namespace tabulon::generator {
namespace fs = std::filesystem;

fs::path keepDatedCopy(const fs::path& folder, std::string_view stem, std::string_view extension,
                       std::string_view bytes, const std::tm& when) {
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", when.tm_year + 1900, when.tm_mon + 1,
                  when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    const std::string base = std::string(stem) + stamp;
    // The whole copy is written under a name of its own first, then linked to its final
    // name, which fails instead of replacing a copy that is already there.
    const fs::path staging = folder / (base + "." + std::to_string(::getpid()) + ".keep");
    writeFileAtomically(staging, bytes);
    for (int n = 1; n < 1000; ++n) {
        const fs::path target = folder / (base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(extension));
        std::error_code error;
        fs::create_hard_link(staging, target, error);
        if (error == std::errc::file_exists) continue;
        if (error) {
            // A folder without hard links: the name is checked, then taken.
            if (fs::exists(target)) continue;
            fs::rename(staging, target, error);
            if (error) break;
            return target;
        }
        fs::remove(staging, error);
        return target;
    }
    std::error_code ignored;
    fs::remove(staging, ignored);
    throw Error("无法在 " + displayPath(folder) + " 中保留 " + base + std::string(extension) + " 副本");
}

}  // namespace tabulon::generator

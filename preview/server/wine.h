#pragma once
// Wine, which runs the Windows ASP host: finding it, the preview's own prefix (made once,
// under a lock, so two runs never race) and its lasting wineserver.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview {

struct WineTools {
    std::filesystem::path wine, wineserver, wineboot;
};

// The tools on `searchPath`, or nothing when any is missing.
std::optional<WineTools> findWine(const std::string& searchPath);

// What to do without Wine: the Debian packages to install.
std::string missingWineMessage();

// $XDG_CACHE_HOME/tabulon/wine-preview, else ~/.cache/tabulon/wine-preview.
std::filesystem::path previewPrefix(const std::vector<std::string>& environment);

// The regional settings the host's pages run under, as `serve --locale` names them.
inline constexpr const char* kPreviewLocales[] = {"zh-CN", "en-US", "de-DE"};

// `base` with the prefix, quiet logging, no Mono or Gecko installer, no display, and the
// regional settings of `locale` (one of kPreviewLocales; Chinese by default).
std::vector<std::string> wineEnvironment(std::vector<std::string> base, const std::filesystem::path& prefix,
                                         std::string_view locale = "zh-CN");

// True once the prefix has been made (by us or adopted).
bool prefixReady(const std::filesystem::path& prefix);

// Makes the prefix with `wineboot -i` unless it is ready; a run that finds another one
// making it waits for that one. True when this call made it. Throws tabulon::Error.
bool ensurePrefix(const std::filesystem::path& prefix, const WineTools& tools,
                  const std::vector<std::string>& environment);

// Starts the prefix's wineserver apart from our terminal and pipes; it stays for a while
// after its last client, so the next start is quick.
void startWineServer(const WineTools& tools, const std::vector<std::string>& environment);

// How Wine names a Linux path: "Z:" and the path with backslashes.
std::string windowsPath(const std::filesystem::path& path);

// A name of `folder` that Wine's command line passes safely (printable ASCII, no space): the
// folder itself when its path is one, else a symbolic link to it in a folder of the user's
// own under the temporary folder. Throws tabulon::Error.
std::filesystem::path plainPathTo(const std::filesystem::path& folder);

}  // namespace tabulon::preview

#pragma once
#include <filesystem>
#include <string_view>

namespace tabulon {

// Replaces the whole content of `path` with `bytes`: the bytes go to a temporary file in
// the same folder, which is flushed and then renamed over the target, so a crash never
// leaves a half-written file. Throws tabulon::Error naming the path on any failure.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The same for the file `name` inside a folder already open as `folderFd` (an O_PATH or
// O_DIRECTORY descriptor): the temporary and the rename are made relative to it, so that
// the whole path is not walked again for each file. `path` names the file in messages.
void writeFileAtomicallyIn(int folderFd, const std::string& name, std::string_view bytes,
                           const std::filesystem::path& path);

// Text of a path for messages (UTF-8, forward slashes as the platform gives them).
std::string displayPath(const std::filesystem::path& path);

}  // namespace tabulon

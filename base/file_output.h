#pragma once
#include <filesystem>
#include <string_view>

namespace tabulon {

// Replaces the whole content of `path` with `bytes`: the bytes go to a temporary file in
// the same folder, which is flushed and then renamed over the target, so a crash never
// leaves a half-written file. Throws tabulon::Error naming the path on any failure.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Creates `path` with `bytes` when no file of that name exists; returns false, writing
// nothing, when one does. Cheaper than the atomic replacement: there is no old content a
// crash could lose, and a crash leaves at most an unfinished new file, which differs from
// what the next run writes and is therefore replaced by it. Throws tabulon::Error naming
// the path on any other failure, and then leaves no file behind.
bool writeNewFile(const std::filesystem::path& path, std::string_view bytes);

// Text of a path for messages (UTF-8, forward slashes as the platform gives them).
std::string displayPath(const std::filesystem::path& path);

}  // namespace tabulon

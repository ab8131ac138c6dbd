#include "generator/page_sink.h"

#include <fstream>
#include <system_error>

#include "base/error.h"
#include "base/file_output.h"

namespace tabulon::generator {

namespace {

// True when the file at `path` already holds exactly `bytes`.
bool holds(const std::filesystem::path& path, std::string_view bytes) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) != bytes.size() || error) return false;
    std::ifstream in(path, std::ios::binary);
    std::string existing(bytes.size(), '\0');
    return in.read(existing.data(), static_cast<std::streamsize>(existing.size())) && existing == bytes;
}

}  // namespace

void FileSink::write(const std::filesystem::path& path, std::string_view bytes) {
    // Regenerating an unchanged page leaves the file (and its time stamp) alone; comparing
    // is far cheaper than creating and renaming a new file.
    if (holds(path, bytes)) return;
    writeFileAtomically(path, bytes);
}

void FileSink::ensureFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder))
        throw Error("无法创建文件夹 " + displayPath(folder) + "：" + error.message());
}

void MemorySink::write(const std::filesystem::path& path, std::string_view bytes) {
    files_.push_back({path, std::string(bytes)});
}

}  // namespace tabulon::generator

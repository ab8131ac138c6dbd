#include "generator/page_sink.h"

#include <system_error>

#include "base/error.h"
#include "base/file_output.h"

namespace tabulon::generator {

void FileSink::write(const std::filesystem::path& path, std::string_view bytes) {
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

#pragma once
// Files that the program carries inside itself.
#include <span>
#include <string_view>

namespace tabulon::resources {

struct EmbeddedFile {
    std::string_view path;   // relative, '/'-separated, e.g. "manage/conn.asp"
    std::string_view bytes;  // exact bytes as kept in the repository
};

// The site skeleton: every file of resources/skeleton/, sorted by path.
std::span<const EmbeddedFile> skeletonFiles();

// The default page templates: resources/templates/<ID>.tpl, sorted by path.
std::span<const EmbeddedFile> defaultTemplateFiles();

}  // namespace tabulon::resources

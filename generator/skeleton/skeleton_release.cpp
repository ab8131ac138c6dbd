#include "generator/skeleton/skeleton_release.h"

#include <algorithm>
#include <array>
#include <set>
#include <system_error>

#include "base/error.h"
#include "base/file_output.h"
#include "generator/naming/naming.h"
#include "base/ascii_text.h"

namespace tabulon::generator {
namespace fs = std::filesystem;
namespace {

fs::path fromUtf8(std::string_view text) { return fs::path(std::u8string(text.begin(), text.end())); }

// Absolute, without "." or ".." steps and without a trailing separator.
fs::path normalFolder(const fs::path& folder) {
    fs::path normal = fs::absolute(folder).lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal;
}

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return lower;
}

// Each line end becomes CR LF: LF alone, CR alone and CR LF alike.
std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// A relative path of the carried files: not empty, not absolute, no "." or ".." steps.
void checkRelative(std::string_view relativePath) {
    bool bad = relativePath.empty() || relativePath.front() == '/' ||
               relativePath.find('\\') != std::string_view::npos || relativePath.find(':') != std::string_view::npos;
    std::size_t start = 0;
    while (!bad && start <= relativePath.size()) {
        const std::size_t end = std::min(relativePath.find('/', start), relativePath.size());
        const std::string_view part = relativePath.substr(start, end - start);
        bad = part.empty() || part == "." || part == "..";
        start = end + 1;
    }
    if (bad) throw Error("网站骨架中的文件名 " + std::string(relativePath) + " 不是站点内的相对路径，未释放。");
}

// Creates the folders of `relative` one level at a time below `base`, which exists.
class FolderMaker {
public:
    FolderMaker(fs::path base, SiteSink& sink) : base_(std::move(base)), sink_(sink) {}

    void make(const fs::path& relative) {
        fs::path current = base_;
        for (const fs::path& part : relative) {
            current /= part;
            if (known_.contains(current)) continue;
            if (!sink_.isFolder(current)) {
                if (sink_.exists(current)) throw Error("无法创建文件夹 " + displayPath(current) + "：已有同名的文件");
                sink_.makeFolders(current);
            }
            known_.insert(current);
        }
    }

private:
    fs::path base_;
    SiteSink& sink_;
    std::set<fs::path> known_;
};

}  // namespace

bool isSkeletonTextFile(std::string_view relativePath) {
    static constexpr std::array<std::string_view, 7> textExtensions = {".asp", ".htm", ".html", ".css",
                                                                       ".js",  ".txt", ".inc"};
    const std::size_t slash = relativePath.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string extension = lowerAscii(name.substr(dot));
    return std::find(textExtensions.begin(), textExtensions.end(), extension) != textExtensions.end();
}

std::string skeletonText(std::string_view utf8) {
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (utf8.starts_with(bom)) utf8.remove_prefix(bom.size());
    return withCrLf(utf8);
}

bool isLoginStepPage(std::string_view relativePath) {
    const std::string lower = asciiLowered(relativePath);
    return lower == "index.asp" || lower == "top.asp" || lower == "menu.asp";
}

std::vector<std::string> releaseFiles(const fs::path& runDir, const fs::path& siteFolder,
                                      std::span<const resources::EmbeddedFile> files, SiteSink& sink) {
    const fs::path run = normalFolder(runDir);
    const fs::path site = normalFolder(siteFolder);
    // As the sink sees it: a dry run counts the run folder the real run would make.
    if (!sink.isFolder(run)) throw Error("运行文件夹 " + displayPath(run) + " 不存在，无法释放网站骨架。");
    const fs::path inside = site.lexically_relative(run);
    if (inside.empty() || inside == "." || *inside.begin() == "..")
        throw Error("网站文件夹 " + displayPath(site) + " 不在运行文件夹 " + displayPath(run) +
                    " 之内，未释放网站骨架。");

    // Check every name first, so a bad one stops the release before anything is written.
    for (const auto& file : files) checkRelative(file.path);

    FolderMaker(run, sink).make(inside);
    FolderMaker folders(site, sink);
    std::vector<std::string> written;
    written.reserve(files.size());
    for (const auto& file : files) {
        const fs::path relative = fromUtf8(file.path);
        if (relative.has_parent_path()) folders.make(relative.parent_path());
        const fs::path target = site / relative;
        // The login and navigation pages of step ④ replace the skeleton's stand-ins; a
        // later release must not put the stand-ins back over them.
        if (isLoginStepPage(file.path) && sink.exists(target)) continue;
        if (isSkeletonTextFile(file.path))
            sink.writeText(target, skeletonText(file.bytes), [&](std::string_view character) {
                return "网站骨架文件 " + std::string(file.path) + " 中的字符“" + std::string(character) +
                       "”无法用 GBK 编码，未释放。";
            });
        else
            sink.writeBytes(target, file.bytes);
        written.emplace_back(file.path);
    }
    // The project database goes here (②生成数据库文件); git keeps no empty folder, so the
    // release makes it.
    folders.make("data");
    return written;
}

std::vector<std::string> releaseSkeleton(const fs::path& runDir, const fs::path& siteFolder, SiteSink& sink) {
    return releaseFiles(runDir, siteFolder, resources::skeletonFiles(), sink);
}

std::vector<std::string> releaseSkeletonForProject(const fs::path& runDir, std::string_view projectName,
                                                   SiteSink& sink) {
    return releaseSkeleton(runDir, generator::siteFolder(runDir, projectName), sink);
}

std::string SkeletonStep::missingProjectMessage(catalogue::Id) const { return "请选择一个项目"; }

StepResult SkeletonStep::run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress&) {
    StepResult result;
    try {
        const fs::path site = generator::siteFolder(input.runDir, input.project.name);
        for (const auto& relative : releaseSkeleton(input.runDir, site, sink))
            result.written.push_back(site / fromUtf8(relative));
    } catch (const Error& e) {
        // Without the site folder no later step can write anything.
        messages.show(e.what());
        result.problems = 1;
        result.madeNothing = true;
    }
    return result;
}

}  // namespace tabulon::generator

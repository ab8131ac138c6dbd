#pragma once
// "①释放原始文件": puts the static part of the management site (shared ASP includes, the
// cascade data service, the frame pages, style sheet, images, HTML editor, date picker)
// into a project's site folder. The files are carried inside the program and written
// in-process; no archive is left behind and no external program runs.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "generator/build/build_step.h"
#include "generator/site_sink.h"
#include "resources/embedded.h"

namespace tabulon::generator {

// True for the files the release converts from UTF-8 to GBK (by extension, any letter
// case): .asp .htm .html .css .js .txt .inc. Everything else is copied byte for byte.
bool isSkeletonTextFile(std::string_view relativePath);

// The text a text file gets in the site (the sink turns it into GBK): a leading UTF-8
// byte-order mark dropped, every line end CR LF (the pages are edited on Windows, like the
// generated ones): "\xEF\xBB\xBFa\nb" -> "a\r\nb".
std::string skeletonText(std::string_view utf8);

// Writes `files` through `sink` below `siteFolder`, which must lie inside the existing `runDir`: missing
// folders between the two are created (never `runDir` itself or anything above it), the
// files' own folders too, and the empty folder `data/` for the site's database. Files
// already in the tree are replaced only when `files` holds the same path, so pages
// generated earlier into manage/ stay, and so do the login step's index.asp, top.asp and
// menu.asp once they exist (the skeleton only carries stand-ins for them). Returns the
// written relative paths in order.
// Throws tabulon::Error, with the path in its message, when a folder cannot be created, a
// text holds a character GBK lacks, or a file cannot be written; files written before the
// failure stay.
std::vector<std::string> releaseFiles(const std::filesystem::path& runDir, const std::filesystem::path& siteFolder,
                                      std::span<const resources::EmbeddedFile> files, SiteSink& sink);

// index.asp, top.asp and menu.asp: written by the login step, kept by later releases.
bool isLoginStepPage(std::string_view relativePath);

// releaseFiles with the skeleton the program carries (resources/skeleton/).
std::vector<std::string> releaseSkeleton(const std::filesystem::path& runDir, const std::filesystem::path& siteFolder,
                                         SiteSink& sink);

// releaseSkeleton into `<runDir>/<projectName>`; a project name that cannot be a folder
// name throws tabulon::Error before anything is written.
std::vector<std::string> releaseSkeletonForProject(const std::filesystem::path& runDir, std::string_view projectName,
                                                   SiteSink& sink);

// Step ① of a build. A failure is reported and keeps the later steps from running: without
// the site folder nothing else can be written.
class SkeletonStep final : public BuildStep {
public:
    std::string_view title() const override { return "①释放原始文件"; }
    std::string missingProjectMessage(catalogue::Id projectId) const override;
    StepResult run(const StepInput& input, SiteSink& sink, Messages& messages, const Progress& progress) override;
    StepUse use() const override { return {{}, Product::SiteFolder}; }
};

}  // namespace tabulon::generator

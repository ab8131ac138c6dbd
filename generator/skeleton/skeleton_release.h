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

#include "resources/embedded.h"

namespace tabulon::generator {

// True for the files the release converts from UTF-8 to GBK (by extension, any letter
// case): .asp .htm .html .css .js .txt .inc. Everything else is copied byte for byte.
bool isSkeletonTextFile(std::string_view relativePath);

// The bytes a text file gets in the site: UTF-8 -> GBK, a leading UTF-8 byte-order mark
// dropped, every line end CR LF (the pages are edited on Windows, like the generated
// ones). Throws tabulon::Error naming `relativePath` and the character when GBK cannot
// hold it.
std::string skeletonTextBytes(std::string_view relativePath, std::string_view utf8);

// Writes `files` below `siteFolder`, which must lie inside the existing `runDir`: missing
// folders between the two are created (never `runDir` itself or anything above it), the
// files' own folders too, and the empty folder `data/` for the site's database. Files
// already in the tree are replaced only when `files` holds the same path, so pages
// generated earlier into manage/ stay, and so do the login step's index.asp, top.asp and
// menu.asp once they exist (the skeleton only carries stand-ins for them). Returns the
// written relative paths in order.
// Throws tabulon::Error, with the path in its message, when a folder cannot be created or
// a file cannot be written; files written before the failure stay.
// index.asp, top.asp and menu.asp: written by the login step, kept by later releases.
bool isLoginStepPage(std::string_view relativePath);

std::vector<std::string> releaseFiles(const std::filesystem::path& runDir, const std::filesystem::path& siteFolder,
                                      std::span<const resources::EmbeddedFile> files);

// releaseFiles with the skeleton the program carries (resources/skeleton/).
std::vector<std::string> releaseSkeleton(const std::filesystem::path& runDir, const std::filesystem::path& siteFolder);

// releaseSkeleton into `<runDir>/<projectName>`; a project name that cannot be a folder
// name throws tabulon::Error before anything is written.
std::vector<std::string> releaseSkeletonForProject(const std::filesystem::path& runDir, std::string_view projectName);

}  // namespace tabulon::generator

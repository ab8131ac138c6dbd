#pragma once
// The parts of a site's web.config that IIS applies to every request, read the way IIS
// reads them, so the preview answers as the real server would: custom response headers
// (system.webServer/httpProtocol/customHeaders) and request filtering (hiddenSegments and
// fileExtensions with allowed="false"). Anything else in the file is left to IIS.
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tabulon::preview {

struct WebConfig {
    std::vector<std::pair<std::string, std::string>> headers;  // in the file's order
    std::vector<std::string> hiddenSegments;                   // lower case
    std::vector<std::string> deniedExtensions;                 // lower case, with the dot

    // Whether request filtering refuses the site path ("/data/notes.txt"): a hidden segment
    // as any of its names, or a denied extension, compared without regard to case.
    bool refuses(std::string_view sitePath) const;
};

// The rules of the text of a web.config; a file that is not well-formed gives what was read
// before the fault.
WebConfig parseWebConfig(std::string_view xml);
// The rules of `<siteRoot>/web.config`; none when there is no such file.
WebConfig readWebConfig(const std::filesystem::path& siteRoot);

}  // namespace tabulon::preview

#pragma once
// `tabulon serve PROJECT`: runs the project's generated site on this machine through the
// preview's front server and the ASP host under Wine, until Ctrl+C.
#include <filesystem>
#include <string>

#include "base/messages.h"

namespace tabulon::cli {

struct ServeOptions {
    std::string project;  // name or id
    int port = 0;         // 0: any free port
    bool noBrowser = false;
    bool fresh = false;            // seed the working copy again from data/data.mdb
    bool save = false;             // on stop, write the working copy's rows back into data/data.mdb
    double pageSeconds = 10;       // the watchdog's limit for one page
    bool testHooks = false;        // lets tests read the Session through the host
    std::string locale = "zh-CN";  // the regional settings the pages run under
};

// `programFolder` holds preview/host/asphost.exe. The environment variable
// TABULON_PREVIEW_HOST names a native stand-in for the host (used by tests: no Wine then).
int serve(const std::filesystem::path& runDir, const std::filesystem::path& programFolder, const ServeOptions& options,
          Messages& messages);

// `tabulon database PROJECT --from-preview`: writes the rows of the project's preview working
// copy into its data/data.mdb, keeping a dated copy of the file first.
int databaseFromPreview(const std::filesystem::path& runDir, const std::string& project, Messages& messages);

}  // namespace tabulon::cli

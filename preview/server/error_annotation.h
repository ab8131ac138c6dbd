#pragma once
// Adds to the host's error page which page template row the failing line came from.
#include <vector>

#include "catalogue/records.h"
#include "preview/server/http_response.h"
#include "preview/server/site_folder.h"

namespace tabulon::preview {

class ErrorAnnotator {
public:
    ErrorAnnotator(const SiteFolder& site, std::vector<catalogue::TemplateRow> templates)
        : site_(site), templates_(std::move(templates)) {}

    // For a 500 naming a file and line (X-Tabulon-Error-File, X-Tabulon-Error-Line) of a
    // generated page whose line a template row holds: adds a paragraph naming the row to
    // the page, in the page's own charset, and the header X-Tabulon-Error-Template
    // ("<row id>:<line in row>", several separated by ", "). Anything else stays as it is.
    void annotate(HttpResponse& response) const;

private:
    const SiteFolder& site_;
    std::vector<catalogue::TemplateRow> templates_;
};

}  // namespace tabulon::preview

#pragma once
// The text an ACE complex column becomes in the site database, which Jet 4 has no such
// column for: per owning row, its elements in the order Access added them —
//   attachment:      the file names, "a.txt; b.txt" (the files' contents stay behind)
//   multi-value:     the values, "红, 绿" (as Access shows the column in a query)
//   version history: one line per earlier version, "2011-09-12 21:21:02 text"
#include <cstdint>
#include <string>
#include <unordered_map>

#include "importer/page_file.h"
#include "importer/source_model.h"

namespace tabulon::importer {

struct ElementTexts {
    std::unordered_map<std::int64_t, std::string> byOwner;  // the owning row's key -> its text
    std::size_t elements = 0;                               // rows of the hidden table that belong to a row
    std::size_t unreadable = 0;  // element values of a kind that has no text (left out of the text)
};

ElementTexts readElementTexts(PageFile& file, const ComplexColumn& column);

// How the report names the kind: "附件", "多值", "历史记录".
std::string complexKindName(ComplexColumn::Kind kind);

}  // namespace tabulon::importer

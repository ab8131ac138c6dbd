#pragma once
// Designs brought in from elsewhere (an Access file, an older catalogue), added whole.
#include <map>
#include <vector>

#include "catalogue/records.h"

namespace tabulon::catalogue {

// Ids inside a new design (table.id, field.id and the link and cascade columns that name
// them) are the design's own; adding gives every row a fresh id and rewrites the links.
struct NewTable {
    Table table;
    std::vector<Field> fields;
};

struct NewDesign {
    Project project;
    std::vector<NewTable> tables;
};

struct AddedDesign {
    Id projectId = 0;
    std::map<Id, Id> tableIds;  // design id -> catalogue id
    std::map<Id, Id> fieldIds;
    // Link or cascade texts that named an id the design does not have: left empty.
    std::vector<std::string> unresolvedLinks;
};

struct DesignBatch {
    std::vector<NewDesign> designs;
    std::vector<Id> replacing;           // projects removed first, with their tables and fields
    std::vector<TemplateRow> templates;  // template rows added
    bool replaceTemplates = false;       // every template row removed first
};

}  // namespace tabulon::catalogue

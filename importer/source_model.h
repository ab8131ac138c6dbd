#pragma once
// What an Access file holds, as the import sees it: its user tables with their columns,
// primary keys and descriptions, the relationships between them, and the objects that
// are not tables.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "importer/page_file.h"
#include "importer/table_shape.h"

namespace tabulon::importer {

struct ComplexColumn;

struct SourceColumn {
    jet::ColumnLayout layout;
    std::string description;                            // the column's Description property, when it has one
    std::map<std::string, std::string> textProperties;  // Format, DefaultValue, Description…
    // An ACE attachment, multi-value or version-history column: its elements live in a hidden
    // table; the row holds only the key they share. Null for every other column.
    std::shared_ptr<const ComplexColumn> complex;
    bool autoNumber() const { return layout.type == jet::JetType::Long && (layout.flags & 0x04) != 0; }
};

struct SourceTable {
    std::string name;
    std::string description;
    TableShape shape;
    std::vector<SourceColumn> columns;  // in column-number order, as Access shows them
    std::uint32_t objectId = 0;         // MSysObjects.Id
};

// The hidden table ACE keeps the elements of a complex column in (MSysComplexColumns names
// it): one row per file, value or earlier version, with the key the owning row holds.
struct ComplexColumn {
    enum class Kind { Attachment, MultiValue, VersionHistory };
    Kind kind = Kind::MultiValue;
    SourceTable elements;
    int ownerKey = -1;                // the column of `elements` holding the owning row's key
    int order = -1;                   // its autonumber, the order Access added them in; -1: page order
    std::vector<std::size_t> values;  // the columns that make an element's text
};

// One column pair of a relationship: `table`.`column` refers to `referencedTable`.`referencedColumn`.
struct SourceRelationship {
    std::string name;
    std::string table, column;
    std::string referencedTable, referencedColumn;
    int columnCount = 1;  // pairs in the relationship; only single-column ones become drop-downs
};

struct SourceDatabase {
    FileFormat format;
    std::vector<SourceTable> tables;
    std::vector<SourceRelationship> relationships;
    std::vector<std::string> linkedTables;  // tables linked from other files: not imported
    std::vector<std::string> queries;
};

}  // namespace tabulon::importer

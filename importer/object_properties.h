#pragma once
// The property blob Access keeps for a table in MSysObjects.LvProp: a pool of property
// names, then one block of values for the table and one for each column that has any.
#include <map>
#include <string>
#include <string_view>

#include "importer/page_file.h"

namespace tabulon::importer {

struct ObjectDescriptions {
    std::string table;                           // the table's Description property
    std::map<std::string, std::string> columns;  // column name -> its Description
};

// The Description properties of the blob; a blob that does not hold together gives what
// was read up to the damage (descriptions are a help, never a reason to refuse a file).
ObjectDescriptions readDescriptions(std::string_view blob, const FileFormat& format);

}  // namespace tabulon::importer

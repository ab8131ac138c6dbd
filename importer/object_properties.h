#pragma once
// The property blob Access keeps for a table in MSysObjects.LvProp: a pool of property
// names, then one block of values for the table and one for each column that has any.
#include <map>
#include <string>
#include <string_view>

#include "importer/page_file.h"

namespace tabulon::importer {

using TextProperties = std::map<std::string, std::string>;  // property name -> text value

struct ObjectProperties {
    TextProperties table;
    std::map<std::string, TextProperties> columns;  // by column name
};

// The text-valued properties of the blob (Description, Format, DefaultValue…); a blob that
// does not hold together gives what was read up to the damage (properties are a help, never
// a reason to refuse a file).
ObjectProperties readTextProperties(std::string_view blob, const FileFormat& format);

}  // namespace tabulon::importer

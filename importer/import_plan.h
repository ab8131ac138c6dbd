#pragma once
// The design an Access file becomes: a table per user table, a field per column in its
// order, types mapped so that nothing is lost, widgets proposed by type, drop-downs for
// relationships on whole-number keys, names a site cannot use made usable. Every decision
// the user should know about is a line of the report.
#include <cstdint>
#include <string>
#include <vector>

#include "importer/source_model.h"

namespace tabulon::importer {

struct PlannedField {
    std::string name;        // as the design names it
    std::string sourceName;  // the column it comes from
    std::size_t sourceColumn = 0;
    std::string type;       // 字段类型
    std::string inputType;  // 输入类型; empty: no widget (二进制, 隐藏备注)
    std::string description;
    int linkTable = -1;         // planned table whose rows the drop-down lists
    std::string linkFieldName;  // that table's field the drop-down shows; empty: its id
    int linkSourceColumn = -1;  // the referenced column of the source table
};

struct PlannedTable {
    std::string name;
    std::string sourceName;
    std::size_t sourceTable = 0;
    std::string description;
    // The source column whose values become the ids (a whole-number autonumber primary key);
    // -1: ids are numbered 1, 2, … in row order and the original key stays a field.
    int idColumn = -1;
    std::vector<PlannedField> fields;
    std::vector<std::size_t> droppedColumns;  // source columns not carried (unreadable complex columns)
};

struct ImportPlan {
    std::vector<PlannedTable> tables;
    std::vector<std::string> report;  // one line per decision: renames, added ids, drop-downs, columns left out
};

ImportPlan planImport(const SourceDatabase& source);

// A name the site and Jet accept, made from `name`: spaces removed, characters they refuse
// replaced by "_", a reserved word suffixed, at most 50 characters, and different (as Jet
// compares names) from every name in `taken`.
std::string usableName(const std::string& name, bool forTable, const std::vector<std::string>& taken);

}  // namespace tabulon::importer

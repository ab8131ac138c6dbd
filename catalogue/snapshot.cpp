#include "catalogue/snapshot.h"

#include <algorithm>

#include "catalogue/catalogue.h"

namespace tabulon::catalogue {

Snapshot Snapshot::load(const Catalogue& catalogue, unsigned readers) {
    return Snapshot(catalogue.allProjects(), catalogue.allTables(), catalogue.allFields(readers),
                    catalogue.allTemplates());
}

Snapshot::Snapshot(std::vector<Project> projects, std::vector<Table> tables, std::vector<Field> fields,
                   std::vector<TemplateRow> templates)
    : projects_(std::move(projects)),
      tables_(std::move(tables)),
      fields_(std::move(fields)),
      templates_(std::move(templates)) {
    // The catalogue reads its rows in id order already: sorting them again would move every row.
    auto byId = [](auto& rows) {
        const auto lower = [](const auto& a, const auto& b) { return a.id < b.id; };
        if (!std::is_sorted(rows.begin(), rows.end(), lower)) std::sort(rows.begin(), rows.end(), lower);
    };
    byId(projects_);
    byId(tables_);
    byId(fields_);
    tableIndex_.reserve(tables_.size());
    fieldIndex_.reserve(fields_.size());
    fieldsByTable_.reserve(tables_.size());
    for (std::size_t i = 0; i < projects_.size(); ++i) projectIndex_[projects_[i].id] = i;
    for (std::size_t i = 0; i < tables_.size(); ++i) tableIndex_[tables_[i].id] = i;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i].dataType = dataTypeOf(fields_[i].type);
        fields_[i].widget = widgetKindOf(fields_[i].inputType);
        fieldIndex_[fields_[i].id] = i;
        fieldsByTable_[fields_[i].tableId].push_back(&fields_[i]);
    }
    for (auto& [table, list] : fieldsByTable_)
        std::stable_sort(list.begin(), list.end(), [](const Field* a, const Field* b) { return a->order < b->order; });
    // Page order: ascending 排序, and at an equal 排序 the newer row first.
    std::sort(templates_.begin(), templates_.end(), [](const TemplateRow& a, const TemplateRow& b) {
        return a.order != b.order ? a.order < b.order : a.id > b.id;
    });
}

const Project* Snapshot::project(Id id) const {
    const auto it = projectIndex_.find(id);
    return it == projectIndex_.end() ? nullptr : &projects_[it->second];
}

const Project* Snapshot::projectByName(std::string_view name) const {
    for (const auto& project : projects_)
        if (project.name == name) return &project;
    return nullptr;
}

const Table* Snapshot::table(Id id) const {
    const auto it = tableIndex_.find(id);
    return it == tableIndex_.end() ? nullptr : &tables_[it->second];
}

const Field* Snapshot::field(Id id) const {
    const auto it = fieldIndex_.find(id);
    return it == fieldIndex_.end() ? nullptr : &fields_[it->second];
}

const Table* Snapshot::tableByIdText(std::string_view idText) const {
    const auto id = parseId(idText);
    return id ? table(*id) : nullptr;
}

const Field* Snapshot::fieldByIdText(std::string_view idText) const {
    const auto id = parseId(idText);
    return id ? field(*id) : nullptr;
}

std::vector<const Table*> Snapshot::tablesOf(Id projectId) const {
    std::vector<const Table*> result;
    for (const auto& table : tables_)
        if (table.projectId == projectId) result.push_back(&table);
    return result;
}

const std::vector<const Field*>& Snapshot::fieldsOf(Id tableId) const {
    static const std::vector<const Field*> kNone;
    const auto it = fieldsByTable_.find(tableId);
    return it == fieldsByTable_.end() ? kNone : it->second;
}

std::vector<const Field*> Snapshot::fieldsInAddedOrder(Id tableId) const {
    std::vector<const Field*> result = fieldsOf(tableId);
    std::sort(result.begin(), result.end(), [](const Field* a, const Field* b) { return a->id < b->id; });
    return result;
}

std::vector<const TemplateRow*> Snapshot::templateRecords(std::string_view kind) const {
    std::vector<const TemplateRow*> rows;
    for (const auto& row : templates_)
        if (row.kind == kind) rows.push_back(&row);
    return rows;
}

std::vector<std::string_view> Snapshot::templateRows(std::string_view kind) const {
    std::vector<std::string_view> rows;
    for (const auto& row : templates_)
        if (row.kind == kind) rows.emplace_back(row.content);
    return rows;
}

}  // namespace tabulon::catalogue

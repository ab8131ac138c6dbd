#pragma once
// A read-only copy of the whole catalogue, taken once before a generation run, so the
// generators work on a typed model and never query the database themselves.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/records.h"

namespace tabulon::catalogue {

class Catalogue;

class Snapshot {
public:
    // `readers`: how many threads may read the catalogue (see Catalogue::allFields).
    static Snapshot load(const Catalogue& catalogue, unsigned readers = 1);
    Snapshot(std::vector<Project> projects, std::vector<Table> tables, std::vector<Field> fields,
             std::vector<TemplateRow> templates);
    // The look-ups point into the rows: a copy would point into the original. Moving keeps
    // the rows where they are.
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    Snapshot(Snapshot&&) noexcept = default;
    Snapshot& operator=(Snapshot&&) noexcept = default;

    const Project* project(Id id) const;
    const Project* projectByName(std::string_view name) const;
    const Table* table(Id id) const;
    const Field* field(Id id) const;
    // Look-ups by a link column's text ("26"); empty or non-numeric text finds nothing.
    const Table* tableByIdText(std::string_view idText) const;
    const Field* fieldByIdText(std::string_view idText) const;

    // Tables of a project in the order they were added.
    std::vector<const Table*> tablesOf(Id projectId) const;
    // Fields of a table by ascending 排序 (equal values in the order they were added).
    const std::vector<const Field*>& fieldsOf(Id tableId) const;
    // Fields of a table in the order they were added.
    std::vector<const Field*> fieldsInAddedOrder(Id tableId) const;
    // Contents of the page template rows of a kind, in page order.
    std::vector<std::string_view> templateRows(std::string_view kind) const;
    // The same rows as records, to name them (ID) in messages.
    std::vector<const TemplateRow*> templateRecords(std::string_view kind) const;
    const std::vector<TemplateRow>& templates() const { return templates_; }

private:
    std::vector<Project> projects_;
    std::vector<Table> tables_;
    std::vector<Field> fields_;
    std::vector<TemplateRow> templates_;
    std::unordered_map<Id, std::size_t> projectIndex_, tableIndex_, fieldIndex_;
    std::unordered_map<Id, std::vector<const Field*>> fieldsByTable_;
};

}  // namespace tabulon::catalogue

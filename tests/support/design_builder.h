#pragma once
// Builds small designs for generator tests: the default catalogue's template rows plus
// whatever projects, tables and fields a test adds, as a catalogue Snapshot.
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/snapshot.h"

namespace tabulon::testing {

class DesignBuilder {
public:
    // Starts with the default catalogue's content (sample project 记账 and its templates).
    DesignBuilder() : catalogue_(catalogue::Catalogue::inMemory()) {}

    catalogue::Id project(const std::string& name) { return catalogue_.addProject({0, name, ""}); }
    catalogue::Id table(catalogue::Id project, const std::string& name) {
        return catalogue_.addTable({0, project, name, ""});
    }
    // A field with the next 排序 (3, 6, 9, …) unless the caller sets one.
    catalogue::Id field(catalogue::Id table, catalogue::Field field) {
        field.tableId = table;
        if (field.order == 0)
            field.order =
                3 * (static_cast<std::int64_t>(catalogue_.fields(table, catalogue::FieldOrder::ById).size()) + 1);
        if (field.type.empty()) field.type = "文本";
        return catalogue_.addField(field);
    }
    catalogue::Catalogue& catalogue() { return catalogue_; }
    catalogue::Snapshot snapshot() const { return catalogue::Snapshot::load(catalogue_); }

private:
    catalogue::Catalogue catalogue_;
};

// A field of the given name, type and input type; the other columns empty.
inline catalogue::Field makeField(std::string name, std::string type = "文本", std::string inputType = "文本框") {
    catalogue::Field field;
    field.name = std::move(name);
    field.type = std::move(type);
    field.inputType = std::move(inputType);
    return field;
}

}  // namespace tabulon::testing

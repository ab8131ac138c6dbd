#pragma once
// Designs several tests share. `addWidgetProject` adds the project 组件, whose tables use
// every widget rule: text boxes, numeric inputs, 文本域, 时间框, drop-downs by name and by key,
// a drop-down without a table, a cascade, a broken link, a table without fields, a Latin
// table name and a search over fields whose names begin alike.
#include <cstdint>
#include <string>

#include "catalogue/catalogue.h"

namespace tabulon::testing {

// Adds tables and fields to a catalogue, numbering the fields' 排序 1, 2, 3, … in order.
class CatalogueDesign {
public:
    explicit CatalogueDesign(catalogue::Catalogue& catalogue) : catalogue_(catalogue) {}

    catalogue::Id table(catalogue::Id project, const std::string& name);
    catalogue::Id field(catalogue::Id table, const std::string& name, const std::string& type, const std::string& input,
                        const std::string& linkTable = "", const std::string& linkField = "");
    // Makes `fieldId` drive a cascade: `table`'s `listed` field, filtered by `condition`,
    // shown in the field `display` of the same form.
    void cascade(catalogue::Id fieldId, catalogue::Id table, catalogue::Id listed, catalogue::Id condition,
                 catalogue::Id display);
    void describe(catalogue::Id fieldId, const std::string& description);

private:
    catalogue::Catalogue& catalogue_;
    std::int64_t order_ = 0;
};

// Adds the project 组件 and returns its id.
catalogue::Id addWidgetProject(catalogue::Catalogue& catalogue);

}  // namespace tabulon::testing

#include "designer/deletion_questions.h"

#include <vector>

#include "catalogue/widget_kind.h"
#include "designer/text_rules.h"

namespace tabulon::designer {
namespace {

constexpr std::string_view kDropDown = catalogue::widgetWord(catalogue::WidgetKind::DropDown);
constexpr std::size_t kShownPlaces = 8;  // longer lists end in "等 N 处"

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShownPlaces; ++i) {
        if (i > 0) text += "、";
        text += names[i];
    }
    if (names.size() > kShownPlaces) text += " 等 " + std::to_string(names.size()) + " 处";
    return text;
}

bool pointsAt(std::string_view stored, catalogue::Id id) {
    const auto parsed = catalogue::parseId(stored);
    return parsed && *parsed == id;
}

// "表.字段" of every field of the project that links to, or cascades from, `table`
// (and, when `field` is given, only those that name that field of it).
std::vector<std::string> dependents(const catalogue::Catalogue& catalogue, catalogue::Id projectId, catalogue::Id table,
                                    std::optional<catalogue::Id> field) {
    std::vector<std::string> names;
    for (const auto& other : catalogue.tables(projectId)) {
        if (!field && other.id == table) continue;  // its own fields go with it
        for (const auto& candidate : catalogue.fields(other.id, catalogue::FieldOrder::ByOrderAscending)) {
            if (field && candidate.id == *field) continue;
            const bool link = candidate.inputType == kDropDown && pointsAt(candidate.linkTable, table) &&
                              (!field || pointsAt(candidate.linkField, *field));
            const bool cascade =
                namesCascade(candidate.cascadeTable) && pointsAt(candidate.cascadeTable, table) &&
                (!field || pointsAt(candidate.cascadeField, *field) || pointsAt(candidate.cascadeCondition, *field));
            const bool shows =
                field && namesCascade(candidate.cascadeTable) && pointsAt(candidate.cascadeDisplay, *field);
            if (link || cascade || shows) names.push_back(other.name + "." + candidate.name);
        }
    }
    return names;
}

std::string quoted(const std::string& name) { return "“" + name + "”"; }

}  // namespace

std::string projectDeletionQuestion(const catalogue::Catalogue& catalogue, catalogue::Id projectId) {
    const auto project = catalogue.project(projectId);
    std::string text = "删除项目" + quoted(project ? project->name : std::string()) + "？";
    const auto tables = catalogue.tables(projectId);
    if (tables.empty()) return text + "\n它没有表。";
    std::vector<std::string> names;
    std::size_t fieldCount = 0;
    for (const auto& table : tables) {
        names.push_back(table.name);
        fieldCount += catalogue.fields(table.id, catalogue::FieldOrder::ById).size();
    }
    return text + "\n它的 " + std::to_string(tables.size()) + " 个表（" + joined(names) + "）和这些表的 " +
           std::to_string(fieldCount) + " 个字段将一并删除。";
}

std::string tableDeletionQuestion(const catalogue::Catalogue& catalogue, catalogue::Id tableId) {
    const auto table = catalogue.table(tableId);
    if (!table) return "删除表？";
    std::string text = "删除表" + quoted(table->name) + "？";
    const auto fields = catalogue.fields(tableId, catalogue::FieldOrder::ByOrderAscending);
    if (!fields.empty()) {
        std::vector<std::string> names;
        for (const auto& field : fields) names.push_back(field.name);
        text += "\n它的 " + std::to_string(fields.size()) + " 个字段（" + joined(names) + "）将一并删除。";
    }
    const auto linked = dependents(catalogue, table->projectId, tableId, std::nullopt);
    if (!linked.empty()) text += "\n以下字段的下拉框或联动关联到它，将失去来源：" + joined(linked) + "。";
    return text;
}

std::string fieldDeletionQuestion(const catalogue::Catalogue& catalogue, catalogue::Id fieldId) {
    const auto field = catalogue.field(fieldId);
    if (!field) return "删除字段？";
    const auto table = catalogue.table(field->tableId);
    std::string text = "删除字段" + quoted((table ? table->name + "." : std::string()) + field->name) + "？";
    if (!table) return text;
    const auto linked = dependents(catalogue, table->projectId, table->id, fieldId);
    if (!linked.empty()) text += "\n以下字段的下拉框或联动用到它，将失去来源：" + joined(linked) + "。";
    return text;
}

std::string templateDeletionQuestion(const catalogue::TemplateRow& row, int place) {
    std::string firstLine = row.content.substr(0, row.content.find_first_of("\r\n"));
    constexpr std::size_t kShownBytes = 60;
    if (firstLine.size() > kShownBytes) {
        std::size_t cut = kShownBytes;
        while (cut > 0 && (static_cast<unsigned char>(firstLine[cut]) & 0xC0) == 0x80) --cut;  // whole characters
        firstLine = firstLine.substr(0, cut) + "……";
    }
    return "删除" + quoted(row.kind) + "模板的第 " + std::to_string(place) + " 行？\n" + firstLine;
}

}  // namespace tabulon::designer

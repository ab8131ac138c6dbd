#include "importer/data_copy.h"

#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

#include "generator/database/database_generator.h"
#include "generator/database/value_conversion.h"
#include "importer/complex_values.h"
#include "importer/source_reader.h"
#include "jet/error.h"
#include "jet/values.h"

namespace tabulon::importer {
namespace {

using Ids = std::unordered_map<std::int64_t, std::int32_t>;

std::optional<std::int64_t> wholeValue(const jet::Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    return std::nullopt;
}

// The ids the rows of a table get: the autonumber key's values, or 1, 2, … in row order.
class RowNumbering {
public:
    explicit RowNumbering(int idColumn) : idColumn_(idColumn) {}
    std::optional<std::int32_t> next(const SourceRow& row) {
        if (idColumn_ < 0) return ++counter_;
        const auto id = wholeValue(row.values[static_cast<std::size_t>(idColumn_)]);
        if (!id || *id <= 0 || *id > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
        return static_cast<std::int32_t>(*id);
    }

private:
    int idColumn_;
    std::int32_t counter_ = 0;
};

struct Loss {
    std::size_t values = 0;
    std::string example;
};

class TableCopy {
public:
    TableCopy(PageFile& file, const SourceDatabase& source, const ImportPlan& plan, std::size_t index,
              const std::map<std::pair<int, int>, Ids>& translations, DataCopy& out)
        : file_(file),
          source_(source),
          plan_(plan),
          table_(plan.tables[index]),
          translations_(translations),
          out_(out) {}

    void run() {
        const SourceTable& from = source_.tables[table_.sourceTable];
        std::string statement = "create Table " + table_.name + "([id] Counter PRIMARY KEY";
        for (const PlannedField& field : table_.fields) {
            const auto word = generator::typeWord(field.type);
            if (!word) {
                out_.report.push_back("表 " + table_.name + " 字段 " + field.name + "：类型“" + field.type +
                                      "”还不能写进网站数据库，其值没有带入");
                continue;
            }
            statement += ",[" + field.name + "]  " + std::string(*word);
            kept_.push_back(&field);
        }
        statement += ")";
        try {
            out_.database.execute(statement);
        } catch (const jet::Error& e) {
            out_.report.push_back("表 " + table_.name + "：不能建表，其行没有带入（" + e.what() + "）");
            return;
        }
        const jet::TableLayout layout = jet::userTableLayout(out_.database.table(table_.name));
        for (std::size_t i = 0; i < kept_.size(); ++i) {
            const jet::ColumnLayout& to = layout.columns[i + 1];
            const jet::ColumnLayout& fromColumn = from.columns[kept_[i]->sourceColumn].layout;
            checked_.push_back(!generator::holdsEveryValue(fromColumn, to));
            targets_.push_back(to);
            const auto link = translations_.find({kept_[i]->linkTable, kept_[i]->linkSourceColumn});
            translate_.push_back(kept_[i]->linkTable >= 0 && link != translations_.end() ? &link->second : nullptr);
            elements_.push_back(complexTexts(from.columns[kept_[i]->sourceColumn], *kept_[i]));
        }
        losses_.resize(kept_.size());
        copyRows(from);
        for (std::size_t i = 0; i < kept_.size(); ++i) {
            if (losses_[i].values == 0) continue;
            out_.report.push_back("表 " + table_.name + " 字段 " + kept_[i]->name + "：" +
                                  std::to_string(losses_[i].values) + " 个值没有带入（例如 " + losses_[i].example +
                                  "）");
        }
    }

private:
    void copyRows(const SourceTable& from) {
        RowNumbering numbering(table_.idColumn);
        std::vector<jet::Value> values(kept_.size());
        std::int64_t highest = 0;
        std::size_t notCarried = 0;
        std::string firstReason;
        forEachSourceRow(file_, from, [&](const SourceRow& row) {
            const auto id = numbering.next(row);
            if (!id) {
                if (notCarried++ == 0) firstReason = "有一行的 id 不是正整数";
                return;
            }
            const std::string label = "id=" + std::to_string(*id);
            for (const std::string& problem : row.problems)
                out_.report.push_back("表 " + table_.name + " " + label + " " + problem + "，该值没有带入");
            for (std::size_t i = 0; i < kept_.size(); ++i) {
                values[i] = row.values[kept_[i]->sourceColumn];
                if (std::holds_alternative<std::monostate>(values[i])) continue;
                if (elements_[i]) {
                    // The row holds the key of its elements; the field holds their text.
                    const auto key = wholeValue(values[i]);
                    const auto found = key ? elements_[i]->byOwner.find(*key) : elements_[i]->byOwner.end();
                    values[i] = found == elements_[i]->byOwner.end() ? jet::Value{} : jet::Value{found->second};
                    if (std::holds_alternative<std::monostate>(values[i])) continue;
                }
                if (translate_[i]) {
                    const auto key = wholeValue(values[i]);
                    const auto found = key ? translate_[i]->find(*key) : translate_[i]->end();
                    if (found == translate_[i]->end()) {
                        lose(i, label + "：关联的行不存在");
                        values[i] = {};
                        continue;
                    }
                    values[i] = static_cast<std::int64_t>(found->second);
                }
                if (!checked_[i]) continue;
                try {
                    jet::encodeValue(targets_[i], values[i]);
                } catch (const jet::Error& e) {
                    lose(i, label + "：" + e.what());
                    values[i] = {};
                }
            }
            try {
                out_.database.insertWithId(table_.name, *id, values);
                highest = std::max<std::int64_t>(highest, *id);
                ++out_.rows;
            } catch (const jet::Error& e) {
                if (notCarried++ == 0) firstReason = label + "：" + e.what();
            }
        });
        if (notCarried > 0)
            out_.report.push_back("表 " + table_.name + "：" + std::to_string(notCarried) + " 行没有带入（例如 " +
                                  firstReason + "）");
        // Ids Access handed out before are not handed out again.
        if (table_.idColumn >= 0) highest = std::max<std::int64_t>(highest, from.shape.lastAutoNumber);
        if (highest > 0 && highest <= std::numeric_limits<std::int32_t>::max())
            out_.database.raiseLastId(table_.name, static_cast<std::int32_t>(highest));
    }

    // The texts of a complex column's elements, read from its hidden table; null for any
    // other column.
    std::unique_ptr<ElementTexts> complexTexts(const SourceColumn& column, const PlannedField& field) {
        if (!column.complex) return nullptr;
        const std::string where = "表 " + table_.name + " 字段 " + field.name + "：";
        try {
            auto texts = std::make_unique<ElementTexts>(readElementTexts(file_, *column.complex));
            if (texts->unreadable > 0)
                out_.report.push_back(where + std::to_string(texts->unreadable) + " 个" +
                                      complexKindName(column.complex->kind) + "元素的值没有文字形式，没有带入");
            return texts;
        } catch (const jet::Error& e) {
            out_.report.push_back(where + "隐藏表 " + column.complex->elements.name + " 读不出，其值没有带入（" +
                                  e.what() + "）");
            return std::make_unique<ElementTexts>();
        }
    }

    void lose(std::size_t column, const std::string& example) {
        if (losses_[column].values++ == 0) losses_[column].example = example;
    }

    PageFile& file_;
    const SourceDatabase& source_;
    const ImportPlan& plan_;
    const PlannedTable& table_;
    const std::map<std::pair<int, int>, Ids>& translations_;
    DataCopy& out_;
    std::vector<const PlannedField*> kept_;
    std::vector<bool> checked_;
    std::vector<jet::ColumnLayout> targets_;
    std::vector<const Ids*> translate_;
    std::vector<std::unique_ptr<ElementTexts>> elements_;
    std::vector<Loss> losses_;
};

// Drop-downs store the listed row's id: where a relationship names another column than
// the one that became the id, its values are looked up to the ids their rows get.
std::map<std::pair<int, int>, Ids> keyTranslations(PageFile& file, const SourceDatabase& source,
                                                   const ImportPlan& plan) {
    std::map<std::pair<int, int>, Ids> translations;
    for (const PlannedTable& table : plan.tables) {
        for (const PlannedField& field : table.fields) {
            if (field.linkTable < 0) continue;
            const PlannedTable& linked = plan.tables[static_cast<std::size_t>(field.linkTable)];
            if (field.linkSourceColumn == linked.idColumn) continue;
            auto [entry, added] = translations.try_emplace({field.linkTable, field.linkSourceColumn});
            if (!added) continue;
            RowNumbering numbering(linked.idColumn);
            forEachSourceRow(file, source.tables[linked.sourceTable], [&](const SourceRow& row) {
                const auto id = numbering.next(row);
                const auto key = wholeValue(row.values[static_cast<std::size_t>(field.linkSourceColumn)]);
                if (id && key) entry->second.emplace(*key, *id);
            });
        }
    }
    return translations;
}

}  // namespace

DataCopy copyRows(PageFile& file, const SourceDatabase& source, const ImportPlan& plan,
                  const std::optional<std::filesystem::path>& scratch) {
    DataCopy out;
    if (scratch) out.database.spillRowsTo(*scratch);
    const auto translations = keyTranslations(file, source, plan);
    for (std::size_t t = 0; t < plan.tables.size(); ++t) TableCopy(file, source, plan, t, translations, out).run();
    return out;
}

}  // namespace tabulon::importer

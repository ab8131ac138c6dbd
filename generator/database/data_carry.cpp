#include "generator/database/data_carry.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <optional>

#include "generator/database/value_conversion.h"
#include "jet/names.h"

namespace tabulon::generator {
namespace {

using jet::ColumnLayout;
using jet::Value;

bool isNull(const Value& value) { return std::holds_alternative<std::monostate>(value); }

// The rows of one old table, decoded already or read from the file one at a time.
struct OldRows {
    std::size_t count = 0;
    std::function<std::vector<Value>(std::size_t row)> row;  // values by column number
    std::function<Value(std::size_t row, int column)> value;
};

struct ColumnPlan {
    const ColumnLayout* from = nullptr;  // nullptr: a new column
    ColumnLayout to;
    bool passThrough = false;
};

class TableCarrier {
public:
    TableCarrier(const jet::DataTable& old, OldRows rows, jet::Database& fresh, const std::string& table)
        : old_(old), rows_(std::move(rows)), fresh_(fresh), layout_(jet::userTableLayout(fresh.table(table))) {
        report_.table = table;
        const int counter = old.counterColumn();
        std::map<std::string, const ColumnLayout*> oldByKey;
        for (const ColumnLayout& column : old.columns) {
            if (column.number == counter || jet::nameFoldKey(column.name) == "id") {
                if (idColumn_ < 0 || column.number == counter) idColumn_ = column.number;
                continue;
            }
            oldByKey.emplace(jet::nameFoldKey(column.name), &column);
        }
        for (std::size_t c = 1; c < layout_.columns.size(); ++c) {
            ColumnPlan plan;
            plan.to = layout_.columns[c];
            if (auto found = oldByKey.find(jet::nameFoldKey(plan.to.name)); found != oldByKey.end()) {
                plan.from = found->second;
                plan.passThrough = holdsEveryValue(*plan.from, plan.to);
                oldByKey.erase(found);
            } else {
                report_.newColumns.push_back(plan.to.name);
            }
            plans_.push_back(plan);
        }
        for (const auto& [key, column] : oldByKey) removed_.push_back(column);
        std::sort(removed_.begin(), removed_.end(), [](auto* a, auto* b) { return a->number < b->number; });
        for (const ColumnLayout* column : removed_) report_.removedColumns.push_back({column->name, 0, {}});
        report_.unfitValues.resize(plans_.size());
        for (std::size_t i = 0; i < plans_.size(); ++i) report_.unfitValues[i].column = plans_[i].to.name;
    }

    TableCarry run() {
        // Rows keep their ids, in id order; rows without one are numbered after them. Only
        // the ids are held; each row is decoded when its turn comes.
        std::vector<std::pair<std::optional<std::int32_t>, std::size_t>> rows;
        rows.reserve(rows_.count);
        for (std::size_t i = 0; i < rows_.count; ++i)
            rows.emplace_back(idColumn_ < 0 ? std::nullopt : idOf(rows_.value(i, idColumn_)), i);
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            if (a.first.has_value() != b.first.has_value()) return a.first.has_value();
            return a.first.has_value() && *a.first < *b.first;
        });
        std::int32_t highest = 0;
        std::optional<std::int32_t> previous;
        for (const auto& [id, index] : rows) {
            const std::string label = id ? "id=" + std::to_string(*id) : "无 id 的一行";
            // In id order a repeated id follows the first row that has it.
            const bool repeated = id && previous == id;
            previous = id;
            if (repeated) {
                report_.rowsNotCarried.push_back(label + "：id 重复");
                continue;
            }
            const std::vector<Value> row = rows_.row(index);
            noteRemovedValues(row, label);
            const std::vector<Value> values = convertRow(row, label);
            try {
                if (id) {
                    fresh_.insertWithId(report_.table, *id, values);
                    highest = std::max(highest, *id);
                } else {
                    fresh_.insertValues(report_.table, values);
                }
                ++report_.rowsCarried;
            } catch (const jet::Error& e) {
                report_.rowsNotCarried.push_back(label + "：" + e.what());
            }
        }
        // Jet does not hand out the ids of deleted rows again; neither does the new file.
        if (idColumn_ >= 0 && idColumn_ == old_.counterColumn() &&
            old_.lastAutoNumber <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
            highest = std::max(highest, static_cast<std::int32_t>(old_.lastAutoNumber));
        fresh_.raiseLastId(report_.table, highest);
        std::erase_if(report_.unfitValues, [](const ColumnLoss& loss) { return loss.values == 0; });
        return std::move(report_);
    }

private:
    static std::optional<std::int32_t> idOf(const Value& value) {
        const auto* id = std::get_if<std::int64_t>(&value);
        if (!id || *id < std::numeric_limits<std::int32_t>::min() || *id > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
        return static_cast<std::int32_t>(*id);
    }

    void noteRemovedValues(const std::vector<Value>& row, const std::string& label) {
        for (std::size_t i = 0; i < removed_.size(); ++i) {
            if (isNull(row[removed_[i]->number])) continue;
            ColumnLoss& loss = report_.removedColumns[i];
            if (loss.values++ == 0) loss.example = label;
        }
    }

    std::vector<Value> convertRow(const std::vector<Value>& row, const std::string& label) {
        std::vector<Value> values(plans_.size());
        for (std::size_t i = 0; i < plans_.size(); ++i) {
            const ColumnPlan& plan = plans_[i];
            if (!plan.from) continue;
            const Value& value = row[plan.from->number];
            if (plan.passThrough || isNull(value)) {
                values[i] = value;
                continue;
            }
            Conversion converted = convertValue(*plan.from, value, plan.to);
            if (converted.problem) {
                ColumnLoss& loss = report_.unfitValues[i];
                if (loss.values++ == 0) loss.example = label + "：" + *converted.problem;
                continue;
            }
            values[i] = std::move(converted.value);
        }
        return values;
    }

    const jet::DataTable& old_;
    OldRows rows_;
    jet::Database& fresh_;
    jet::TableLayout layout_;
    int idColumn_ = -1;
    std::vector<ColumnPlan> plans_;
    std::vector<const ColumnLayout*> removed_;
    TableCarry report_;
};

}  // namespace

std::size_t CarryReport::rowsCarried() const {
    std::size_t rows = 0;
    for (const TableCarry& table : tables) rows += table.rowsCarried;
    return rows;
}

bool CarryReport::leftSomethingBehind() const {
    if (!droppedTables.empty() || !otherObjects.empty()) return true;
    return std::any_of(tables.begin(), tables.end(), [](const TableCarry& t) {
        return !t.rowsNotCarried.empty() || !t.unfitValues.empty() ||
               std::any_of(t.removedColumns.begin(), t.removedColumns.end(),
                           [](const ColumnLoss& c) { return c.values > 0; });
    });
}

std::vector<std::string> CarryReport::lines() const {
    std::vector<std::string> out;
    for (const TableCarry& t : tables) {
        out.push_back("表 " + t.table + "：带入 " + std::to_string(t.rowsCarried) + " 行。");
        for (const ColumnLoss& c : t.removedColumns)
            out.push_back("表 " + t.table + " / 字段 " + c.column + "：设计中已没有此字段，" +
                          (c.values == 0 ? std::string("它没有值。")
                                         : std::to_string(c.values) + " 个值未带入（例如 " + c.example + "）。"));
        for (const ColumnLoss& c : t.unfitValues)
            out.push_back("表 " + t.table + " / 字段 " + c.column + "：" + std::to_string(c.values) +
                          " 个值不能准确转换为新类型，在新文件中为空（例如 " + c.example + "）。");
        for (const std::string& c : t.newColumns)
            out.push_back("表 " + t.table + " / 字段 " + c + "：新字段，带入的行在此为空。");
        for (const std::string& row : t.rowsNotCarried) out.push_back("表 " + t.table + "：" + row + "，该行未带入。");
    }
    for (const DroppedTable& t : droppedTables)
        out.push_back("表 " + t.table + "：设计中已没有此表，其 " + std::to_string(t.rows) + " 行未带入。");
    for (const std::string& name : otherObjects) out.push_back("查询或链接 " + name + "：不会带入新文件。");
    return out;
}

namespace {

// Old tables matched to the new design's by name as Jet matches them.
CarryReport carryTables(const std::vector<jet::DataTable>& old, const std::function<OldRows(std::size_t)>& rowsOf,
                        jet::Database& fresh) {
    CarryReport report;
    std::vector<bool> used(old.size(), false);
    for (const std::string& table : fresh.tableNames()) {
        const std::string key = jet::nameFoldKey(table);
        for (std::size_t i = 0; i < old.size(); ++i) {
            if (used[i] || jet::nameFoldKey(old[i].name) != key) continue;
            used[i] = true;
            report.tables.push_back(TableCarrier(old[i], rowsOf(i), fresh, table).run());
            break;
        }
    }
    for (std::size_t i = 0; i < old.size(); ++i)
        if (!used[i]) report.droppedTables.push_back({old[i].name, rowsOf(i).count});
    return report;
}

}  // namespace

CarryReport carryRows(const jet::FileData& old, jet::Database& fresh) {
    CarryReport report = carryTables(
        old.tables,
        [&old](std::size_t t) {
            const auto& rows = old.tables[t].rows;
            return OldRows{rows.size(), [&rows](std::size_t i) { return rows[i]; },
                           [&rows](std::size_t i, int column) { return rows[i][static_cast<std::size_t>(column)]; }};
        },
        fresh);
    report.otherObjects = old.otherObjects;
    return report;
}

CarryReport carryRows(const jet::FileRows& old, jet::Database& fresh) {
    CarryReport report = carryTables(
        old.tables,
        [&old](std::size_t t) {
            return OldRows{old.rowCount(t), [&old, t](std::size_t i) { return old.row(t, i); },
                           [&old, t](std::size_t i, int column) { return old.value(t, i, column); }};
        },
        fresh);
    report.otherObjects = old.otherObjects;
    return report;
}

}  // namespace tabulon::generator

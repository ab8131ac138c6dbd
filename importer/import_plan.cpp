#include "importer/import_plan.h"

#include <algorithm>
#include <optional>

#include "catalogue/data_type.h"
#include "catalogue/records.h"
#include "catalogue/widget_kind.h"
#include "generator/check/design_check.h"
#include "importer/complex_values.h"
#include "jet/names.h"
#include "jet/text_codec.h"

namespace tabulon::importer {
namespace {

using jet::JetType;

struct TypeChoice {
    catalogue::DataType type;
    catalogue::WidgetKind widget = catalogue::WidgetKind::TextBox;  // Other: no widget
    std::string note;                                               // said in the report when not empty
    bool carried = true;
};

std::string word(catalogue::DataType type) { return std::string(catalogue::dataTypeRow(type)->word); }

bool wholeNumber(JetType type) { return type == JetType::Byte || type == JetType::Integer || type == JetType::Long; }

// A complex column whose elements could be read becomes text kept in the database only.
TypeChoice complexChoice(const ComplexColumn& complex) {
    const std::string kind = complexKindName(complex.kind);
    std::string what;
    switch (complex.kind) {
    case ComplexColumn::Kind::Attachment:
        what = "文件名以“; ”分隔存为" + word(catalogue::DataType::HiddenMemo) + "，文件内容没有带入";
        break;
    case ComplexColumn::Kind::MultiValue: what = "各值以“, ”分隔存为" + word(catalogue::DataType::HiddenMemo); break;
    case ComplexColumn::Kind::VersionHistory:
        what = "每个旧版本一行（“日期 时间 内容”）存为" + word(catalogue::DataType::HiddenMemo);
        break;
    }
    return {catalogue::DataType::HiddenMemo, catalogue::WidgetKind::Other,
            kind + "字段：" + what + "，留在数据库中，网页上不显示（没有输入控件）"};
}

// The one place where Access column types meet the design's type names.
TypeChoice chooseType(const jet::ColumnLayout& c, const FileFormat& format) {
    const auto code = static_cast<std::uint8_t>(c.type);
    switch (c.type) {
    case JetType::Boolean: return {catalogue::DataType::Boolean};
    case JetType::Byte: return {catalogue::DataType::Byte};
    case JetType::Integer: return {catalogue::DataType::Short};
    case JetType::Long: return {catalogue::DataType::Long};
    case JetType::Currency: return {catalogue::DataType::Currency};
    case JetType::Single: return {catalogue::DataType::Single};
    case JetType::Double: return {catalogue::DataType::Double};
    case JetType::DateTime: return {catalogue::DataType::DateTime, catalogue::WidgetKind::DateBox};
    case JetType::Memo: return {catalogue::DataType::Memo, catalogue::WidgetKind::RichText};
    case JetType::Text: {
        const int characters = format.jet3() ? c.length : c.length / 2;
        if (characters <= 50) return {catalogue::DataType::Text};
        return {catalogue::DataType::LongText, catalogue::WidgetKind::TextBox,
                "文本(" + std::to_string(characters) + ") 长于 50 个字符，用" + word(catalogue::DataType::LongText)};
    }
    case JetType::Numeric:
        if (c.scale <= 2 && c.precision - c.scale <= 4) return {catalogue::DataType::Decimal};
        return {catalogue::DataType::Text, catalogue::WidgetKind::TextBox,
                "小数(" + std::to_string(c.precision) + "," + std::to_string(c.scale) +
                    ") 超出“小数”的精度，存为文本，数值一位不差"};
    case JetType::Guid: return {catalogue::DataType::Text, catalogue::WidgetKind::TextBox, "GUID 存为文本“{…}”"};
    case JetType::Binary:
    case JetType::Ole:
        return {catalogue::DataType::Binary, catalogue::WidgetKind::Other,
                std::string(c.type == JetType::Ole ? "OLE 对象" : "二进制") +
                    "数据留在数据库中，网页上不显示（没有输入控件）"};
    }
    if (code == kComplexType)
        return {catalogue::DataType::Unknown, catalogue::WidgetKind::Other,
                "附件、多值或历史记录字段，存放其数据的 Access 隐藏表读不出，没有带入", false};
    if (code == kBigIntType)
        return {catalogue::DataType::Text, catalogue::WidgetKind::TextBox, "大整数存为文本，数值一位不差"};
    return {catalogue::DataType::Binary, catalogue::WidgetKind::Other,
            "类型代码 " + std::to_string(code) + " 未知，原始字节留在数据库中，网页上不显示"};
}

bool acceptable(const std::string& name, bool forTable) {
    if (name.empty() || name.size() > 3 * catalogue::kNameLength) return false;
    const auto length = jet::utf16Length(name);
    if (!length || *length > catalogue::kNameLength) return false;
    if (jet::nameProblem(name, forTable ? jet::NameKind::Table : jet::NameKind::Column)) return false;
    return !generator::siteNameProblem(name, forTable ? generator::NameUse::Table : generator::NameUse::Field);
}

bool takenBy(const std::string& name, const std::vector<std::string>& taken) {
    const std::string key = jet::nameFoldKey(name);
    return std::any_of(taken.begin(), taken.end(), [&](const std::string& t) { return jet::nameFoldKey(t) == key; });
}

// Keeps letters, digits, '_' and CJK ideographs; anything else becomes '_'.
std::string cleaned(const std::string& name) {
    std::string out;
    const auto text = jet::tryUtf8ToUtf16(name).value_or(u"");
    std::u16string kept;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\u3000') continue;
        const bool ascii =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
        const bool ideograph = c >= 0x4E00 && c <= 0x9FFF;
        kept += ascii || ideograph ? c : u'_';
    }
    if (kept.size() > catalogue::kNameLength - 4) kept.resize(catalogue::kNameLength - 4);
    return jet::utf16ToUtf8(kept);
}

// The first `limit` characters of a UTF-8 text, and whether anything was cut.
std::pair<std::string, bool> firstCharacters(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (characters++ == limit) return {text.substr(0, i), true};
    }
    return {text, false};
}

// Descriptions go into 字段说明 and 表说明, which hold 50 characters.
std::string description(const std::string& text, const std::string& where, std::vector<std::string>& report) {
    auto [kept, cut] = firstCharacters(text, catalogue::kNameLength);
    if (cut) report.push_back(where + "的说明长于 50 个字符，只保留了前 50 个");
    return kept;
}

}  // namespace

std::string usableName(const std::string& name, bool forTable, const std::vector<std::string>& taken) {
    std::string base = name;
    if (!acceptable(base, forTable)) {
        base = cleaned(name);
        if (!base.empty() && base[0] >= '0' && base[0] <= '9') base.insert(0, forTable ? "表" : "字段");
        if (!base.empty() && !acceptable(base, forTable)) base += "_1";  // a reserved word
        if (!acceptable(base, forTable)) base = forTable ? "表" : "字段";
    }
    if (!takenBy(base, taken)) return base;
    for (int n = 2;; ++n) {
        const std::string candidate = base + "_" + std::to_string(n);
        if (acceptable(candidate, forTable) && !takenBy(candidate, taken)) return candidate;
    }
}

ImportPlan planImport(const SourceDatabase& source) {
    ImportPlan plan;
    std::vector<std::string> tableNames;
    for (std::size_t t = 0; t < source.tables.size(); ++t) {
        const SourceTable& from = source.tables[t];
        PlannedTable table;
        table.sourceName = from.name;
        table.sourceTable = t;
        table.name = usableName(from.name, true, tableNames);
        tableNames.push_back(table.name);
        if (table.name != from.name)
            plan.report.push_back("表 " + from.name + " 改名为 " + table.name + "（原名网站不能用，或与别的名称相同）");
        table.description = description(from.description, "表 " + table.name, plan.report);
        if (from.shape.primaryKey.size() == 1) {
            for (std::size_t c = 0; c < from.columns.size(); ++c) {
                if (from.columns[c].layout.number == from.shape.primaryKey[0] && from.columns[c].autoNumber())
                    table.idColumn = static_cast<int>(c);
            }
        }
        std::vector<std::string> fieldNames{"id"};
        if (table.idColumn < 0) {
            plan.report.push_back("表 " + table.name + "：主键不是整数自动编号，加上自动编号字段 id（按行的顺序编号）" +
                                  (from.shape.primaryKey.empty() ? std::string() : "，原来的主键保留为普通字段"));
        } else if (from.columns[static_cast<std::size_t>(table.idColumn)].layout.name != "id") {
            plan.report.push_back("表 " + table.name + "：自动编号主键 " +
                                  from.columns[static_cast<std::size_t>(table.idColumn)].layout.name +
                                  " 成为 id 字段，编号不变");
        }
        for (std::size_t c = 0; c < from.columns.size(); ++c) {
            if (static_cast<int>(c) == table.idColumn) continue;
            const SourceColumn& column = from.columns[c];
            const TypeChoice choice =
                column.complex ? complexChoice(*column.complex) : chooseType(column.layout, source.format);
            const std::string where = "表 " + table.name + " 字段 " + column.layout.name + "：";
            if (!choice.carried) {
                table.droppedColumns.push_back(c);
                plan.report.push_back(where + choice.note);
                continue;
            }
            PlannedField field;
            field.sourceName = column.layout.name;
            field.sourceColumn = c;
            field.name = usableName(column.layout.name, false, fieldNames);
            fieldNames.push_back(field.name);
            field.type = word(choice.type);
            field.inputType = std::string(catalogue::widgetWord(choice.widget));
            field.description =
                description(column.description, "表 " + table.name + " 字段 " + field.name, plan.report);
            if (field.name != column.layout.name)
                plan.report.push_back("表 " + table.name + " 字段 " + column.layout.name + " 改名为 " + field.name +
                                      "（原名网站不能用，或与别的名称相同）");
            if (!choice.note.empty())
                plan.report.push_back("表 " + table.name + " 字段 " + field.name + "：" + choice.note);
            table.fields.push_back(std::move(field));
        }
        plan.tables.push_back(std::move(table));
    }

    // Relationships on whole-number keys become drop-downs listing the related table.
    auto tableIndex = [&](const std::string& name) -> int {
        for (std::size_t t = 0; t < plan.tables.size(); ++t)
            if (plan.tables[t].sourceName == name) return static_cast<int>(t);
        return -1;
    };
    auto columnIndex = [&](const SourceTable& table, const std::string& name) -> int {
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            if (table.columns[c].layout.name == name) return static_cast<int>(c);
        return -1;
    };
    for (const SourceRelationship& r : source.relationships) {
        const int from = tableIndex(r.table), to = tableIndex(r.referencedTable);
        if (from < 0 || to < 0) continue;  // relationships of system tables
        const std::string what =
            "关系 " + r.table + "." + r.column + " → " + r.referencedTable + "." + r.referencedColumn;
        if (r.columnCount != 1) {
            plan.report.push_back(what + "：由多个字段组成，没有做成组合框");
            continue;
        }
        const SourceTable& fromTable = source.tables[plan.tables[static_cast<std::size_t>(from)].sourceTable];
        const SourceTable& toTable = source.tables[plan.tables[static_cast<std::size_t>(to)].sourceTable];
        const int fromColumn = columnIndex(fromTable, r.column), toColumn = columnIndex(toTable, r.referencedColumn);
        if (fromColumn < 0 || toColumn < 0) continue;
        if (!wholeNumber(fromTable.columns[static_cast<std::size_t>(fromColumn)].layout.type) ||
            !wholeNumber(toTable.columns[static_cast<std::size_t>(toColumn)].layout.type)) {
            plan.report.push_back(what + "：键不是整数，没有做成组合框");
            continue;
        }
        PlannedTable& table = plan.tables[static_cast<std::size_t>(from)];
        const auto field = std::find_if(table.fields.begin(), table.fields.end(), [&](const PlannedField& f) {
            return f.sourceColumn == static_cast<std::size_t>(fromColumn);
        });
        if (field == table.fields.end() || field->linkTable >= 0) continue;
        const PlannedTable& linked = plan.tables[static_cast<std::size_t>(to)];
        field->inputType = std::string(catalogue::widgetWord(catalogue::WidgetKind::DropDown));
        field->linkTable = to;
        field->linkSourceColumn = toColumn;
        for (const PlannedField& candidate : linked.fields) {
            const catalogue::DataType type = catalogue::dataTypeOf(candidate.type);
            if (type == catalogue::DataType::Text || type == catalogue::DataType::LongText) {
                field->linkFieldName = candidate.name;
                break;
            }
        }
        plan.report.push_back("表 " + table.name + " 字段 " + field->name + "：组合框，列出表 " + linked.name + " 的" +
                              (field->linkFieldName.empty() ? std::string(" id") : " " + field->linkFieldName));
    }
    return plan;
}

}  // namespace tabulon::importer

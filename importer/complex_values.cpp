#include "importer/complex_values.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <tuple>
#include <vector>

#include "importer/source_reader.h"

namespace tabulon::importer {
namespace {

using jet::JetType;

bool hasText(const jet::ColumnLayout& column) {
    if (static_cast<std::uint8_t>(column.type) == kBigIntType) return true;
    return jet::knownType(column.type) && column.type != JetType::Binary && column.type != JetType::Ole;
}

std::string textOf(const jet::Value& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, *d).ptr;
        return std::string(buffer, end);
    }
    if (const auto* b = std::get_if<bool>(&value)) return *b ? "是" : "否";
    if (const auto* t = std::get_if<jet::DateTime>(&value)) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t->year, t->month, t->day, t->hour,
                      t->minute, t->second);
        return buffer;
    }
    return {};
}

std::optional<std::int64_t> whole(const jet::Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    return std::nullopt;
}

std::string_view separator(ComplexColumn::Kind kind) {
    switch (kind) {
    case ComplexColumn::Kind::Attachment: return "; ";
    case ComplexColumn::Kind::MultiValue: return ", ";
    case ComplexColumn::Kind::VersionHistory: return "\r\n";
    }
    return ", ";
}

}  // namespace

std::string complexKindName(ComplexColumn::Kind kind) {
    switch (kind) {
    case ComplexColumn::Kind::Attachment: return "附件";
    case ComplexColumn::Kind::MultiValue: return "多值";
    case ComplexColumn::Kind::VersionHistory: return "历史记录";
    }
    return "多值";
}

ElementTexts readElementTexts(PageFile& file, const ComplexColumn& column) {
    // (owner, order, page position, text): sorted, then joined per owner.
    std::vector<std::tuple<std::int64_t, std::int64_t, std::size_t, std::string>> elements;
    ElementTexts out;
    forEachSourceRow(file, column.elements, [&](const SourceRow& row) {
        const auto owner = whole(row.values[static_cast<std::size_t>(column.ownerKey)]);
        if (!owner) return;
        const auto order = column.order < 0 ? std::nullopt : whole(row.values[static_cast<std::size_t>(column.order)]);
        std::string text;
        for (std::size_t c : column.values) {
            const jet::Value& value = row.values[c];
            if (std::holds_alternative<std::monostate>(value)) continue;
            if (!hasText(column.elements.columns[c].layout)) {
                ++out.unreadable;
                continue;
            }
            if (!text.empty()) text += ' ';
            text += textOf(value);
        }
        ++out.elements;
        if (!text.empty()) elements.emplace_back(*owner, order.value_or(0), out.elements, std::move(text));
    });
    std::sort(elements.begin(), elements.end());
    const std::string_view between = separator(column.kind);
    for (auto& [owner, order, position, text] : elements) {
        auto [entry, added] = out.byOwner.try_emplace(owner, std::move(text));
        if (!added) entry->second.append(between).append(text);
    }
    return out;
}

}  // namespace tabulon::importer

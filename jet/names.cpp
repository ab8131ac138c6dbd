#include "jet/names.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

#include "jet/error.h"
#include "jet/row.h"
#include "jet/sort_key.h"
#include "jet/table_layout.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

constexpr std::string_view kForbidden = ".!`[]";
constexpr int kMaxTextLength = 255;
constexpr int kMaxPrecision = 28;
constexpr std::size_t kMaxColumns = 255;

std::string quoted(char16_t c) { return "“" + utf16ToUtf8(std::u16string(1, c)) + "”"; }

std::string columnContext(const TableDefinition& definition, const Column& column) {
    return "表 " + definition.name + " / 字段 " + column.name + ": ";
}

}  // namespace

std::optional<std::string> nameProblem(std::string_view name, NameKind kind) {
    // Names are checked for every table and field: their UTF-16 form stays off the heap.
    std::array<char16_t, kMaxNameLength> units;
    const auto length = writeUtf16(name, units.data(), units.size());
    if (!length) return "名称不是有效的 UTF-8 文本";
    if (*length == 0) return "名称不能为空";
    if (*length > kMaxNameLength) return "名称超过 64 个字符";
    const std::u16string_view text(units.data(), *length);
    if (text.front() == u' ') return "名称不能以空格开头";
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F) return "名称含有控制字符";
        if (c < 0x80 && kForbidden.find(static_cast<char>(c)) != std::string_view::npos) {
            return "名称含有 Jet 不允许的字符" + quoted(c);
        }
    }
    if (kind == NameKind::Table) {
        for (char16_t c : text) {
            if (c == u' ' || c == 0x3000) return "表名不能含有空格";
            if (!hasGeneralSortCode(c)) {
                return "表名含有不支持的字符" + quoted(c) + "（表名只能由汉字、英文字母、数字和下划线组成）";
            }
        }
    }
    return std::nullopt;
}

// Works on the UTF-8 bytes (names are folded for every lookup): full-width forms become
// ASCII, ASCII letters lower case; text that is not valid UTF-8 folds to "". The key is
// never longer than the name.
std::string nameFoldKey(std::string_view name) {
    std::string key(name.size(), '\0');
    char* out = key.data();
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            *out++ = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte);
            ++i;
            continue;
        }
        const auto c = decodeUtf8At(name, i);
        if (!c) return std::string();
        char32_t cp = c->codePoint;
        if (cp >= 0xFF01 && cp <= 0xFF5E) {  // full-width forms
            cp = cp - 0xFF01 + 0x21;
            *out++ = static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp - 'A' + 'a' : cp);
        } else {
            out = std::copy_n(name.data() + i, c->length, out);
        }
        i += c->length;
    }
    key.resize(static_cast<std::size_t>(out - key.data()));
    return key;
}

// Open addressing over the key indexes: no allocation per key.
std::vector<std::size_t> firstEqualKeys(const std::vector<std::string>& keys) {
    constexpr std::size_t kEmpty = SIZE_MAX;
    std::size_t slots = 8;
    while (slots < 2 * keys.size()) slots *= 2;
    std::vector<std::size_t> table(slots, kEmpty);
    std::vector<std::size_t> first(keys.size());
    const std::hash<std::string> hash;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::size_t at = hash(keys[i]) & (slots - 1);
        while (table[at] != kEmpty && keys[table[at]] != keys[i]) at = (at + 1) & (slots - 1);
        if (table[at] == kEmpty) table[at] = i;
        first[i] = table[at];
    }
    return first;
}

CheckedDesign checkedDesign(const TableDefinition& definition) {
    if (auto problem = nameProblem(definition.name, NameKind::Table)) {
        throw Error("表 " + definition.name + ": " + *problem);
    }
    if (definition.columns.size() + 1 > kMaxColumns) {
        throw Error("表 " + definition.name + ": 字段超过 254 个（Jet 每表最多 255 个字段，含 id）");
    }
    // Checked column by column, so a repeat counts once every column before it passed.
    std::vector<std::string> keys;
    keys.reserve(definition.columns.size());
    for (const Column& column : definition.columns) keys.push_back(nameFoldKey(column.name));
    const std::vector<std::size_t> firstEqual = firstEqualKeys(keys);
    for (std::size_t i = 0; i < definition.columns.size(); ++i) {
        const Column& column = definition.columns[i];
        auto context = [&] { return columnContext(definition, column); };
        if (auto problem = nameProblem(column.name, NameKind::Column)) throw Error(context() + *problem);
        if (keys[i] == "id") throw Error(context() + "字段名与自动编号主键 id 重复");
        if (firstEqual[i] != i) throw Error(context() + "字段名重复");
        if (column.type == ColumnType::Text && (column.length < 1 || column.length > kMaxTextLength)) {
            throw Error(context() + "文本长度 " + std::to_string(column.length) + " 超出 1 到 255");
        }
        if (column.type == ColumnType::Numeric) {
            if (column.precision < 1 || column.precision > kMaxPrecision) {
                throw Error(context() + "NUMERIC 精度 " + std::to_string(column.precision) + " 超出 1 到 28");
            }
            if (column.scale < 0 || column.scale > column.precision) {
                throw Error(context() + "NUMERIC 小数位数 " + std::to_string(column.scale) + " 超出 0 到精度 " +
                            std::to_string(column.precision));
            }
        }
    }
    // Even an all-null row holds the whole fixed area.
    CheckedDesign checked{userTableLayout(definition), 0};
    checked.emptyRowSize = assembleRow(checked.layout, std::vector<Cell>(checked.layout.columns.size())).size();
    if (checked.emptyRowSize > kMaxRowSize) {
        throw Error("表 " + definition.name + ": 定长字段太多，一行超过 Jet 的 4060 字节上限");
    }
    return checked;
}

void checkDefinition(const TableDefinition& definition) { checkedDesign(definition); }

}  // namespace tabulon::jet

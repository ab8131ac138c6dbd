#include "tests/jet/sample_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>
#include <type_traits>

namespace tabulon::jet::testing {
namespace {

std::string utf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(engine_); }
    char32_t ideograph() { return static_cast<char32_t>(between(0x4E00, 0x9FA5)); }
    char latinLetter() {
        const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        return letters[between(0, 51)];
    }

    std::string name(bool table) {
        const int length = chance(0.1) ? 64 : between(1, 10);
        std::string out;
        const bool chinese = chance(0.5);
        for (int i = 0; i < length; ++i) {
            if (chinese) {
                out += utf8(ideograph());
            } else if (i == 0) {
                out += latinLetter();
            } else {
                const int kind = between(0, 9);
                out += kind < 7 ? latinLetter() : kind < 9 ? static_cast<char>('0' + between(0, 9)) : '_';
            }
            // Column names may hold inner spaces; table names may not.
            if (!table && i + 1 < length && chance(0.03)) {
                out += ' ';
                ++i;
            }
        }
        return out;
    }

    std::string text(int maxCharacters) {
        const int length = between(0, maxCharacters);
        std::string out;
        const int style = between(0, 2);  // ASCII only, Chinese only, mixed
        for (int i = 0; i < length; ++i) {
            const bool chinese = style == 1 || (style == 2 && chance(0.5));
            if (chinese) {
                out += utf8(ideograph());
            } else {
                const char* pool = "abcXYZ 0123456789,\"'-_.!?";
                out += pool[between(0, 24)];
            }
        }
        return out;
    }

    // `textBudget` keeps rows of many text columns under Jet's row size.
    Value value(const Column& column, int textBudget) {
        if (column.type != ColumnType::Boolean && chance(0.15)) return std::monostate{};
        switch (column.type) {
        case ColumnType::Text: return text(std::min(column.length, textBudget));
        case ColumnType::Memo: {
            const int size = chance(0.1) ? between(2100, 3000) : chance(0.2) ? between(60, 1500) : 40;
            return text(size);
        }
        case ColumnType::Long: return static_cast<std::int64_t>(between(INT32_MIN, INT32_MAX));
        case ColumnType::Short: return static_cast<std::int64_t>(between(-32768, 32767));
        case ColumnType::Byte: return static_cast<std::int64_t>(between(0, 255));
        case ColumnType::Boolean: return chance(0.5);
        case ColumnType::Double: return std::ldexp(between(-1000000, 1000000), between(-40, 40));
        case ColumnType::Single: return static_cast<double>(static_cast<float>(between(-100000, 100000)) / 64.0f);
        case ColumnType::Numeric: {
            // Written the way readers print it: no leading zeros, all scale digits.
            std::string whole;
            for (int i = 0, n = between(0, column.precision - column.scale); i < n; ++i) {
                whole += static_cast<char>('0' + between(i == 0 ? 1 : 0, 9));
            }
            std::string fraction;
            for (int i = 0; i < column.scale; ++i) fraction += static_cast<char>('0' + between(0, 9));
            std::string text = (whole.empty() ? "0" : whole) + (fraction.empty() ? "" : "." + fraction);
            const bool zero = text.find_first_not_of("0.") == std::string::npos;
            return (!zero && chance(0.3) ? "-" : "") + text;
        }
        case ColumnType::DateTime:
            return DateTime{between(1900, 2099), between(1, 12), between(1, 28),
                            between(0, 23),      between(0, 59), between(0, 59)};
        case ColumnType::Currency:
            return std::to_string(between(-1000000, 1000000)) + "." + std::to_string(between(1000, 9999));
        case ColumnType::LongBinary: {
            std::string bytes;
            for (int i = 0, n = between(0, 3000); i < n; ++i) bytes += static_cast<char>(between(0, 255));
            return bytes;
        }
        }
        return std::monostate{};
    }

private:
    std::mt19937 engine_;
};

constexpr ColumnType kAllTypes[] = {ColumnType::Text,   ColumnType::Long,   ColumnType::Short,   ColumnType::Double,
                                    ColumnType::Single, ColumnType::Byte,   ColumnType::Numeric, ColumnType::DateTime,
                                    ColumnType::Memo,   ColumnType::Boolean};

}  // namespace

std::vector<SampleTable> handWrittenSample() {
    SampleTable products;
    products.definition = {"产品信息",
                           {{"名称", ColumnType::Text},
                            {"数量", ColumnType::Long},
                            {"序号", ColumnType::Short},
                            {"价格", ColumnType::Double},
                            {"比率", ColumnType::Single},
                            {"等级", ColumnType::Byte},
                            {"金额", ColumnType::Numeric, 50, 6, 2},
                            {"日期", ColumnType::DateTime},
                            {"备注", ColumnType::Memo},
                            {"启用", ColumnType::Boolean},
                            {"Code", ColumnType::Text, 10}}};
    std::string longMemo;
    for (int i = 0; longMemo.size() < 9000; ++i) longMemo += "第" + std::to_string(i) + "行备注，";
    products.rows = {
        {std::string("苹果"), std::int64_t{12}, std::int64_t{-3}, 3.25, 0.5, std::int64_t{255}, std::string("1234.56"),
         DateTime{2023, 1, 2, 3, 4, 5}, std::string("short memo"), true, std::string("A-1")},
        {std::string("Banana"), std::int64_t{-2147483647 - 1}, std::int64_t{32767}, -1e-9, -2.5, std::int64_t{0},
         std::string("-0.05"), DateTime{1999, 12, 31, 23, 59, 59}, longMemo, false, std::string("")},
        {std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{},
         std::monostate{}, std::monostate{}, std::monostate{}, false, std::monostate{}},
        {std::string("中文和English混合"), std::int64_t{2147483647}, std::int64_t{-32768}, 1e300, 3.0, std::int64_t{7},
         std::string("9999.99"), DateTime{2024, 2, 29, 12, 0, 0}, std::string(3000, 'x'), true,
         std::string("\"q\",z")}};
    SampleTable users{{"Users", {{"UserName", ColumnType::Text, 20}, {"Password", ColumnType::Text, 32}}},
                      {{std::string("admin"), std::string("e10adc3949ba59abbe56e057f20f883e")}}};
    SampleTable empty{{"空表", {}}, {}};
    return {products, users, empty};
}

std::vector<SampleTable> randomDesign(std::uint32_t seed) {
    Random random(seed);
    std::vector<SampleTable> tables(
        static_cast<std::size_t>(random.chance(0.2) ? random.between(30, 60) : random.between(1, 8)));
    std::set<std::string> tableNames;
    for (SampleTable& table : tables) {
        do {
            table.definition.name = random.name(true);
        } while (!tableNames.insert(nameFoldKey(table.definition.name)).second ||
                 table.definition.name.starts_with("MSys"));
        std::set<std::string> columnNames{"id"};
        const int columns = random.chance(0.2) ? random.between(40, 60) : random.between(0, 12);
        for (int c = 0; c < columns; ++c) {
            Column column;
            do {
                column.name = random.name(false);
            } while (!columnNames.insert(nameFoldKey(column.name)).second);
            column.type = kAllTypes[random.between(0, 9)];
            if (column.type == ColumnType::Text && random.chance(0.5)) column.length = random.between(1, 255);
            if (column.type == ColumnType::Numeric) {
                column.precision = random.between(1, 28);
                column.scale = random.between(0, column.precision);
            }
            table.definition.columns.push_back(column);
        }
        const int rows = random.between(0, 4);
        for (int r = 0; r < rows; ++r) {
            std::vector<Value> row;
            const auto textColumns = std::count_if(table.definition.columns.begin(), table.definition.columns.end(),
                                                   [](const Column& c) { return c.type == ColumnType::Text; });
            const int textBudget = 1200 / static_cast<int>(std::max<std::ptrdiff_t>(1, textColumns));
            for (const Column& column : table.definition.columns) row.push_back(random.value(column, textBudget));
            table.rows.push_back(std::move(row));
        }
    }
    return tables;
}

Database buildDatabase(const std::vector<SampleTable>& tables) {
    Database db = Database::createEmpty();
    db.setCreationTime({2024, 5, 6, 7, 8, 9});
    for (const SampleTable& table : tables) db.createTable(table.definition);
    for (const SampleTable& table : tables) {
        for (const auto& values : table.rows) {
            std::vector<std::pair<std::string, Value>> row;
            for (std::size_t c = 0; c < values.size(); ++c)
                row.emplace_back(table.definition.columns[c].name, values[c]);
            db.insert(table.definition.name, row);
        }
    }
    return db;
}

std::string exportedText(const Column& column, const Value& value) {
    if (column.type == ColumnType::Boolean) return std::get<bool>(value) ? "1" : "0";
    if (std::holds_alternative<std::monostate>(value)) return "NULL";
    char buffer[64];
    switch (column.type) {
    case ColumnType::Text:
    case ColumnType::Memo: {
        const std::string& text = std::get<std::string>(value);
        if (text.empty()) return "NULL";  // mdb-export prints empty text like NULL
        std::string quoted = "\"";
        for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    }
    case ColumnType::Double: std::snprintf(buffer, sizeof buffer, "%.16g", std::get<double>(value)); return buffer;
    case ColumnType::Single:
        std::snprintf(buffer, sizeof buffer, "%.8g", static_cast<double>(static_cast<float>(std::get<double>(value))));
        return buffer;
    case ColumnType::Numeric: {
        // The column's scale, always shown.
        std::string text = std::get<std::string>(value);
        const std::size_t dot = text.find('.');
        const std::size_t decimals = dot == std::string::npos ? 0 : text.size() - dot - 1;
        if (column.scale > 0 && dot == std::string::npos) text += '.';
        text.append(static_cast<std::size_t>(column.scale) - decimals, '0');
        return text;
    }
    case ColumnType::DateTime: {
        const DateTime& d = std::get<DateTime>(value);
        std::snprintf(buffer, sizeof buffer, "\"%04d-%02d-%02d %02d:%02d:%02d\"", d.year, d.month, d.day, d.hour,
                      d.minute, d.second);
        return buffer;
    }
    default: return std::to_string(std::get<std::int64_t>(value));
    }
}

ScratchFolder::ScratchFolder() {
    std::random_device device;
    path_ =
        std::filesystem::temp_directory_path() / ("tabulon-jet-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace tabulon::jet::testing

namespace tabulon::jet {

void PrintTo(const DateTime& d, std::ostream* out) {
    *out << d.year << "-" << d.month << "-" << d.day << " " << d.hour << ":" << d.minute << ":" << d.second;
}

void PrintTo(const Value& v, std::ostream* out) {
    std::visit(
        [out](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                *out << "NULL";
            } else if constexpr (std::is_same_v<T, std::string>) {
                *out << '"' << (x.size() > 80 ? x.substr(0, 80) + "...(" + std::to_string(x.size()) + " bytes)" : x)
                     << '"';
            } else if constexpr (std::is_same_v<T, DateTime>) {
                PrintTo(x, out);
            } else {
                *out << x;
            }
        },
        v);
}

void PrintTo(const Column& c, std::ostream* out) {
    *out << "[" << c.name << "] type " << static_cast<int>(c.type) << " length " << c.length << " numeric("
         << c.precision << "," << c.scale << ")";
}

void PrintTo(const TableDefinition& d, std::ostream* out) {
    *out << d.name << "(";
    for (const Column& c : d.columns) {
        PrintTo(c, out);
        *out << "; ";
    }
    *out << ")";
}

}  // namespace tabulon::jet

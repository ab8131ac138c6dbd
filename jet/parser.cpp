#include "jet/parser.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "jet/error.h"

namespace tabulon::jet {
namespace {

struct TypeWord {
    std::string_view word;
    ColumnType type;
};
constexpr TypeWord kTypeWords[] = {
    {"integer", ColumnType::Long},      {"short", ColumnType::Short},
    {"double", ColumnType::Double},     {"real", ColumnType::Single},
    {"byte", ColumnType::Byte},         {"datetime", ColumnType::DateTime},
    {"memo", ColumnType::Memo},         {"bit", ColumnType::Boolean},
    {"Currency", ColumnType::Currency}, {"LongBinary", ColumnType::LongBinary},
    {"image", ColumnType::LongBinary},  // the first word is the one written
};

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    TableDefinition parse() {
        TableDefinition definition;
        keyword("create");
        keyword("table");
        definition.name = tableName();
        symbol('(');
        symbol('[');
        expectWord("id", "id 字段");
        symbol(']');
        keyword("counter");
        keyword("primary");
        keyword("key");
        while (accept(',')) definition.columns.push_back(column());
        symbol(')');
        skipSpace();
        accept(';');
        skipSpace();
        if (at_ != text_.size()) fail("语句在“)”之后还有多余内容");
        return definition;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        auto continuation = [this](std::size_t i) { return (static_cast<unsigned char>(text_[i]) & 0xC0) == 0x80; };
        std::size_t characters = 0;
        for (std::size_t i = 0; i < at_ && i < text_.size(); ++i) characters += continuation(i) ? 0 : 1;
        // Quote the text around the failure without splitting a UTF-8 character.
        std::size_t from = std::min(at_, text_.size());
        for (int back = 0; from > 0 && (back < 12 || continuation(from));) {
            --from;
            if (!continuation(from)) ++back;
        }
        std::size_t to = std::min(text_.size(), std::max(at_, from) + 24);
        while (to < text_.size() && continuation(to)) ++to;
        throw Error("建表语句无法解析: " + what + "（第 " + std::to_string(characters + 1) + " 个字符处：“" +
                    std::string(text_.substr(from, to - from)) + "”）");
    }

    void skipSpace() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }

    bool accept(char c) {
        skipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void symbol(char c) {
        if (!accept(c)) fail(std::string("此处应为“") + c + "”");
    }

    std::string_view word() {
        skipSpace();
        const std::size_t start = at_;
        while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_]))) ++at_;
        return text_.substr(start, at_ - start);
    }

    void expectWord(std::string_view expected, std::string_view what) {
        const std::size_t start = at_;
        if (!equalsNoCase(word(), expected)) {
            at_ = start;
            skipSpace();
            fail("此处应为" + std::string(what));
        }
    }

    void keyword(std::string_view expected) { expectWord(expected, "关键字 " + std::string(expected)); }

    std::string tableName() {
        skipSpace();
        if (accept('[')) {
            const std::size_t close = text_.find(']', at_);
            if (close == std::string_view::npos) fail("表名的“[”没有对应的“]”");
            std::string name(text_.substr(at_, close - at_));
            at_ = close + 1;
            if (name.empty()) fail("缺少表名");
            return name;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != '(' && !std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
        if (at_ == start) fail("缺少表名");
        return std::string(text_.substr(start, at_ - start));
    }

    int number() {
        skipSpace();
        int value = 0;
        const auto [end, ec] = std::from_chars(text_.data() + at_, text_.data() + text_.size(), value);
        if (ec != std::errc()) fail("此处应为数字");
        at_ = static_cast<std::size_t>(end - text_.data());
        return value;
    }

    Column column() {
        Column column;
        symbol('[');
        const std::size_t close = text_.find(']', at_);
        if (close == std::string_view::npos) fail("字段名的“[”没有对应的“]”");
        column.name = std::string(text_.substr(at_, close - at_));
        at_ = close + 1;
        const std::size_t typeStart = (skipSpace(), at_);
        const std::string_view type = word();
        if (equalsNoCase(type, "varchar")) {
            column.type = ColumnType::Text;
            symbol('(');
            column.length = number();
            symbol(')');
            return column;
        }
        if (equalsNoCase(type, "numeric")) {
            column.type = ColumnType::Numeric;
            symbol('(');
            column.precision = number();
            symbol(',');
            column.scale = number();
            symbol(')');
            return column;
        }
        for (const TypeWord& candidate : kTypeWords) {
            if (equalsNoCase(type, candidate.word)) {
                column.type = candidate.type;
                return column;
            }
        }
        at_ = typeStart;
        fail("字段 " + column.name + " 的类型“" + std::string(type) +
             "”不受支持（可用 "
             "VarChar(n)、integer、short、double、real、byte、NUMERIC(p,s)"
             "、datetime、memo、bit、Currency、LongBinary）");
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

void appendTypeWord(std::string& out, const Column& column) {
    switch (column.type) {
    case ColumnType::Text:
        out += "VarChar(";
        out += std::to_string(column.length);
        out += ')';
        return;
    case ColumnType::Numeric:
        out += "NUMERIC(";
        out += std::to_string(column.precision);
        out += ',';
        out += std::to_string(column.scale);
        out += ')';
        return;
    default:
        for (const TypeWord& candidate : kTypeWords) {
            if (candidate.type == column.type) {
                out += candidate.word;
                return;
            }
        }
    }
}

}  // namespace

TableDefinition parseCreateTable(std::string_view statement) { return Parser(statement).parse(); }

std::string createTableStatement(const TableDefinition& definition) {
    constexpr std::string_view kHead = "create Table ", kKey = "([id] Counter PRIMARY KEY";
    std::size_t size = kHead.size() + definition.name.size() + kKey.size() + 1;
    for (const Column& column : definition.columns) size += column.name.size() + 20;
    std::string out;
    out.reserve(size);
    out += kHead;
    out += definition.name;
    out += kKey;
    for (const Column& column : definition.columns) {
        out += ",[";
        out += column.name;
        out += "]  ";
        appendTypeWord(out, column);
    }
    out += ')';
    return out;
}

}  // namespace tabulon::jet

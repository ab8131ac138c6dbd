#include "preview/ado/recordset_criteria.h"

#include <cmath>

#include "preview/ado/errors.h"
#include "preview/ado/jet_values.h"
#include "preview/ado/like_pattern.h"
#include "preview/ado/sql_lexer.h"

namespace tabulon::preview::ado {
namespace {

using sql::Token;

std::optional<double> numberOf(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Boolean: return v.boolean ? -1.0 : 0.0;
    case Value::Kind::Byte:
    case Value::Kind::Integer:
    case Value::Kind::Long: return static_cast<double>(v.integer);
    case Value::Kind::Single:
    case Value::Kind::Double:
    case Value::Kind::Date: return v.number;
    case Value::Kind::Decimal:
    case Value::Kind::Text: return parseNumberText(v.text);
    default: return std::nullopt;
    }
}

std::string folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

class Test : public Criteria {
public:
    Test(int field, std::string op, Value value) : field_(field), op_(std::move(op)), value_(std::move(value)) {
        if (op_ == "like") {
            // ADO's wildcards are * and %, at the end or at both ends only.
            std::string pattern;
            for (char c : value_.text) pattern += c == '*' ? '%' : c;
            like_ = LikePattern::parse(pattern);
            if (!like_) throw errors::argumentOutOfRange();
        }
    }
    bool matches(const RowValue& row) const override {
        const Value actual = row(field_);
        const bool isNull = actual.kind == Value::Kind::Null || actual.kind == Value::Kind::Empty;
        if (value_.kind == Value::Kind::Null) return op_ == "=" ? isNull : (op_ == "<>" && !isNull);
        if (isNull) return false;
        if (op_ == "like") {
            return like_->matches(actual.kind == Value::Kind::Text ? actual.text : std::string());
        }
        const int order = compareValues(actual, value_);
        if (op_ == "=") return order == 0;
        if (op_ == "<>") return order != 0;
        if (op_ == "<") return order < 0;
        if (op_ == ">") return order > 0;
        if (op_ == "<=") return order <= 0;
        return order >= 0;
    }

private:
    int field_;
    std::string op_;
    Value value_;
    std::optional<LikePattern> like_;
};

class Junction : public Criteria {
public:
    Junction(std::unique_ptr<Criteria> a, std::unique_ptr<Criteria> b, bool both)
        : a_(std::move(a)), b_(std::move(b)), both_(both) {}
    bool matches(const RowValue& row) const override {
        return both_ ? a_->matches(row) && b_->matches(row) : a_->matches(row) || b_->matches(row);
    }

private:
    std::unique_ptr<Criteria> a_, b_;
    bool both_;
};

class Reader {
public:
    Reader(std::string_view text, const FieldLookup& lookup) : tokens_(sql::tokenize(text)), lookup_(lookup) {}

    std::unique_ptr<Criteria> all() {
        auto result = orList();
        if (peek().type != Token::Type::End) throw errors::argumentOutOfRange();
        return result;
    }

    std::vector<SortKey> sortKeys() {
        std::vector<SortKey> keys;
        if (peek().type == Token::Type::End) return keys;
        do {
            SortKey key;
            key.field = field();
            if (peek().is("desc")) {
                key.descending = true;
                ++at_;
            } else if (peek().is("asc")) {
                ++at_;
            }
            keys.push_back(key);
        } while (symbol(","));
        if (peek().type != Token::Type::End) throw errors::argumentOutOfRange();
        return keys;
    }

private:
    const Token& peek() const { return tokens_[std::min(at_, tokens_.size() - 1)]; }
    bool symbol(std::string_view s) {
        if (!peek().isSymbol(s)) return false;
        ++at_;
        return true;
    }
    int field() {
        const Token& token = peek();
        if (token.type != Token::Type::Name && token.type != Token::Type::Bracketed) throw errors::argumentOutOfRange();
        ++at_;
        const int index = lookup_(token.text);
        if (index < 0) throw errors::argumentOutOfRange();
        return index;
    }
    std::unique_ptr<Criteria> orList() {
        auto left = andList();
        while (peek().is("or")) {
            ++at_;
            left = std::make_unique<Junction>(std::move(left), andList(), false);
        }
        return left;
    }
    std::unique_ptr<Criteria> andList() {
        auto left = clause();
        while (peek().is("and")) {
            ++at_;
            left = std::make_unique<Junction>(std::move(left), clause(), true);
        }
        return left;
    }
    std::unique_ptr<Criteria> clause() {
        if (symbol("(")) {
            auto inner = orList();
            if (!symbol(")")) throw errors::argumentOutOfRange();
            return inner;
        }
        const int index = field();
        std::string op;
        if (peek().is("like")) {
            op = "like";
            ++at_;
        } else if (peek().type == Token::Type::Symbol) {
            op = peek().text;
            if (op != "=" && op != "<>" && op != "<" && op != ">" && op != "<=" && op != ">=") {
                throw errors::argumentOutOfRange();
            }
            ++at_;
        } else {
            throw errors::argumentOutOfRange();
        }
        Value value;
        const Token& token = peek();
        bool negative = false;
        if (token.isSymbol("-")) {
            negative = true;
            ++at_;
        }
        const Token& literal = peek();
        ++at_;
        switch (literal.type) {
        case Token::Type::Text:
            value.kind = Value::Kind::Text;
            value.text = literal.text;
            break;
        case Token::Type::Number:
            value.kind = Value::Kind::Double;
            value.number = std::stod(literal.text) * (negative ? -1 : 1);
            break;
        case Token::Type::Date: {
            auto ole = parseDateText(literal.text, true);
            if (!ole) throw errors::argumentOutOfRange();
            value.kind = Value::Kind::Date;
            value.number = *ole;
            break;
        }
        case Token::Type::Name:
            if (literal.is("null")) {
                value.kind = Value::Kind::Null;
                if (op != "=" && op != "<>") throw errors::argumentOutOfRange();
                break;
            }
            if (literal.is("true") || literal.is("false")) {
                value.kind = Value::Kind::Boolean;
                value.boolean = literal.is("true");
                break;
            }
            [[fallthrough]];
        default:
            // A bare word is text to ADO ("名称 = abc" finds abc).
            if (literal.type != Token::Type::Name) throw errors::argumentOutOfRange();
            value.kind = Value::Kind::Text;
            value.text = literal.text;
            break;
        }
        if (op == "like" && value.kind != Value::Kind::Text) throw errors::argumentOutOfRange();
        return std::make_unique<Test>(index, op, value);
    }

    std::vector<Token> tokens_;
    const FieldLookup& lookup_;
    std::size_t at_ = 0;
};

}  // namespace

int compareValues(const Value& a, const Value& b) {
    const bool aNull = a.kind == Value::Kind::Null || a.kind == Value::Kind::Empty;
    const bool bNull = b.kind == Value::Kind::Null || b.kind == Value::Kind::Empty;
    if (aNull || bNull) return aNull == bNull ? 0 : (aNull ? -1 : 1);
    if (a.kind == Value::Kind::Text && b.kind == Value::Kind::Text) {
        const std::string x = folded(a.text), y = folded(b.text);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    auto x = numberOf(a), y = numberOf(b);
    if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
    if (a.kind == Value::Kind::Text || b.kind == Value::Kind::Text) {
        const std::string x2 = a.kind == Value::Kind::Text ? folded(a.text) : "";
        const std::string y2 = b.kind == Value::Kind::Text ? folded(b.text) : "";
        return x2 < y2 ? -1 : (x2 > y2 ? 1 : 0);
    }
    return 0;
}

std::unique_ptr<Criteria> parseCriteria(std::string_view text, const FieldLookup& lookup) {
    try {
        return Reader(text, lookup).all();
    } catch (const AdoError& error) {
        if (static_cast<std::uint32_t>(error.hresult()) == 0x800A0BB9u) throw;
        throw errors::argumentOutOfRange();  // a text the lexer refused
    }
}

std::vector<SortKey> parseSort(std::string_view text, const FieldLookup& lookup) {
    try {
        return Reader(text, lookup).sortKeys();
    } catch (const AdoError& error) {
        if (static_cast<std::uint32_t>(error.hresult()) == 0x800A0BB9u) throw;
        throw errors::argumentOutOfRange();
    }
}

}  // namespace tabulon::preview::ado

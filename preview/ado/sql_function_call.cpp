// Jet's functions in queries, written as SQLite: aggregates, text, dates, IIf, IsNull.
#include "preview/ado/sql_expression.h"

#include <optional>

#include "preview/ado/errors.h"
#include "preview/ado/sql_translate.h"

namespace tabulon::preview::ado::sql {

std::vector<Expr> ExpressionParser::arguments(std::string_view function, std::size_t least, std::size_t most) {
    std::vector<Expr> args;
    expectSymbol("(");
    if (!peek().isSymbol(")")) {
        do {
            args.push_back(expression());
        } while (acceptSymbol(","));
    }
    expectSymbol(")");
    if (args.size() < least || args.size() > most) {
        throw errors::syntax("Wrong number of arguments used with function in query expression '" +
                             std::string(function) + "'.");
    }
    return args;
}

Expr ExpressionParser::function() {
    const std::string functionName = next().text;
    std::string lower = foldName(functionName);
    if (!lower.empty() && lower.back() == '$') lower.pop_back();  // Left$, Mid$, Format$: the text forms
    Expr expr;
    if (lower == "count" && peek(1).isSymbol("*")) {
        next();
        next();
        expectSymbol(")");
        expr.sql = "count(*)";
        expr.cls = Cls::Number;
        expr.aggregate = true;
        expr.jetType = JetType::Long;
        return expr;
    }
    if (lower == "count" || lower == "sum" || lower == "avg" || lower == "min" || lower == "max") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = lower + "(" + args[0].sql + ")";
        expr.aggregate = true;
        expr.cls = Cls::Number;
        if (lower == "count") expr.jetType = JetType::Long;
        if (lower == "min" || lower == "max") {
            expr.cls = args[0].cls;
            expr.jetType = args[0].jetType;
            expr.scale = args[0].scale;
        }
        return expr;
    }
    auto unaryText = [&](const char* sqliteName) {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = std::string(sqliteName) + "(" + args[0].sql + ")";
        expr.cls = Cls::Text;
        expr.aggregate = args[0].aggregate;
        return expr;
    };
    if (lower == "ucase") return unaryText("upper");
    if (lower == "lcase") return unaryText("lower");
    if (lower == "trim") return unaryText("trim");
    if (lower == "ltrim") return unaryText("ltrim");
    if (lower == "rtrim") return unaryText("rtrim");
    if (lower == "len") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = "length(" + asText(args[0]) + ")";
        expr.cls = Cls::Number;
        return expr;
    }
    if (lower == "left" || lower == "right") {
        std::vector<Expr> args = arguments(functionName, 2, 2);
        expr.sql = lower == "left" ? "substr(" + args[0].sql + ", 1, " + args[1].sql + ")"
                                   : "(CASE WHEN " + args[1].sql + " <= 0 THEN '' ELSE substr(" + args[0].sql + ", -(" +
                                         args[1].sql + ")) END)";
        expr.cls = Cls::Text;
        return expr;
    }
    if (lower == "mid") {
        std::vector<Expr> args = arguments(functionName, 2, 3);
        expr.sql = "substr(" + args[0].sql + ", " + args[1].sql + (args.size() == 3 ? ", " + args[2].sql : "") + ")";
        expr.cls = Cls::Text;
        return expr;
    }
    if (lower == "instr") {
        std::vector<Expr> args = arguments(functionName, 2, 4);
        expr.cls = Cls::Number;
        if (args.size() == 2) {
            expr.sql = "instr(lower(" + args[0].sql + "), lower(" + args[1].sql + "))";
        } else {
            expr.sql = "tabulon_instr(" + args[0].sql + ", " + asText(args[1]) + ", " + asText(args[2]) + ", " +
                       (args.size() == 4 ? args[3].sql : "NULL") + ")";
        }
        return expr;
    }
    if (lower == "abs") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = "abs(" + args[0].sql + ")";
        expr.cls = Cls::Number;
        return expr;
    }
    if (lower == "now" || lower == "date") {
        arguments(functionName, 0, 0);
        expr.sql = lower == "now" ? "(round((julianday('now', 'localtime') - 2415018.5) * 86400) / 86400.0)"
                                  : "(julianday('now', 'localtime', 'start of day') - 2415018.5)";
        expr.cls = Cls::Date;
        return expr;
    }
    static const std::pair<const char*, const char*> parts[] = {{"year", "%Y"}, {"month", "%m"},  {"day", "%d"},
                                                                {"hour", "%H"}, {"minute", "%M"}, {"second", "%S"}};
    for (const auto& [part, format] : parts) {
        if (lower == part) {
            std::vector<Expr> args = arguments(functionName, 1, 1);
            expr.sql = std::string("CAST(strftime('") + format + "', " + args[0].sql +
                       " + 2415018.5 + 0.000000005) AS INTEGER)";
            expr.cls = Cls::Number;
            return expr;
        }
    }
    if (lower == "iif") {
        std::vector<Expr> args = arguments(functionName, 3, 3);
        expr.sql = "(CASE WHEN " + args[0].sql + " THEN " + args[1].sql + " ELSE " + args[2].sql + " END)";
        expr.cls = args[1].cls == args[2].cls ? args[1].cls : Cls::Unknown;
        return expr;
    }
    if (lower == "isnull") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        return boolean("(" + args[0].sql + " IS NULL)", args[0].aggregate);
    }
    if (vbaFunction(lower, functionName, expr)) return expr;
    if (moreFunction(lower, functionName, expr)) return expr;
    throw errors::undefinedFunction(functionName);
}

namespace {

// How the SQLite functions should read a value that has lost its type on the way.
std::string kindOf(const Expr& expr) {
    if (expr.cls == Cls::Date) return "2";
    if (expr.jetType == JetType::Single) return "1";
    if (expr.jetType == JetType::Boolean || expr.cls == Cls::Boolean) return "3";
    return "0";
}

}  // namespace

bool ExpressionParser::vbaFunction(const std::string& lower, const std::string& functionName, Expr& expr) {
    if (lower == "format") {
        std::vector<Expr> args = arguments(functionName, 1, 4);
        const std::string value =
            args[0].cls == Cls::Boolean && !args[0].schema ? "-(" + args[0].sql + ")" : args[0].sql;
        expr.sql =
            "tabulon_format(" + value + ", " + (args.size() > 1 ? args[1].sql : "NULL") + ", " + kindOf(args[0]) + ")";
        expr.cls = Cls::Text;
        return true;
    }
    if (lower == "dateadd") {
        std::vector<Expr> args = arguments(functionName, 3, 3);
        expr.sql = "tabulon_dateadd(" + args[0].sql + ", " + args[1].sql + ", " + args[2].sql + ")";
        expr.cls = Cls::Date;
        return true;
    }
    if (lower == "datediff" || lower == "datepart") {
        const bool diff = lower == "datediff";
        std::vector<Expr> args = arguments(functionName, diff ? 3 : 2, diff ? 5 : 4);
        const std::size_t firstDay = diff ? 3 : 2;
        expr.sql = "tabulon_" + lower + "(" + args[0].sql + ", " + args[1].sql + ", " +
                   (diff ? args[2].sql + ", " : "") + (args.size() > firstDay ? args[firstDay].sql : "NULL") + ")";
        expr.cls = Cls::Number;
        expr.jetType = diff ? JetType::Long : JetType::Short;
        return true;
    }
    if (lower == "weekday") {
        std::vector<Expr> args = arguments(functionName, 1, 2);
        expr.sql = "tabulon_weekday(" + args[0].sql + ", " + (args.size() > 1 ? args[1].sql : "NULL") + ")";
        expr.cls = Cls::Number;
        expr.jetType = JetType::Short;
        return true;
    }
    if (lower == "val") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        const std::string text = args[0].cls == Cls::Text ? args[0].sql
                                                          : "CASE WHEN (" + args[0].sql + ") IS NULL THEN NULL ELSE " +
                                                                asText(args[0]) + " END";
        expr.sql = "tabulon_val(" + text + ")";
        expr.cls = Cls::Number;
        expr.jetType = JetType::Double;
        return true;
    }
    static const struct {
        const char* name;
        const char* target;
        Cls cls;
        std::optional<JetType> type;
    } conversions[] = {
        {"cstr", "str", Cls::Text, std::nullopt},       {"clng", "lng", Cls::Number, JetType::Long},
        {"cint", "int16", Cls::Number, JetType::Short}, {"cdbl", "dbl", Cls::Number, JetType::Double},
        {"int", "int", Cls::Number, std::nullopt},      {"fix", "fix", Cls::Number, std::nullopt},
        {"cdate", "date", Cls::Date, std::nullopt},     {"cvdate", "date", Cls::Date, std::nullopt},
        {"csng", "sng", Cls::Number, JetType::Single},  {"cbyte", "byte", Cls::Number, JetType::Byte},
        {"ccur", "cur", Cls::Number, std::nullopt},     {"cbool", "bool", Cls::Number, JetType::Boolean},
        {"datevalue", "day", Cls::Date, std::nullopt},  {"timevalue", "time", Cls::Date, std::nullopt},
    };
    for (const auto& conversion : conversions) {
        if (lower != conversion.name) continue;
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql =
            std::string("tabulon_convert(") + args[0].sql + ", '" + conversion.target + "', " + kindOf(args[0]) + ")";
        expr.cls = conversion.cls;
        expr.jetType = conversion.type;
        if ((lower == "int" || lower == "fix") && args[0].jetType) {
            expr.jetType = args[0].jetType == JetType::Counter ? JetType::Long : args[0].jetType;
            if (expr.jetType == JetType::Text || expr.jetType == JetType::Memo) expr.jetType = JetType::Double;
        }
        return true;
    }
    return false;
}

}  // namespace tabulon::preview::ado::sql

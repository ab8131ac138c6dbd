// Jet's functions in queries, written as SQLite: aggregates, text, dates, IIf, IsNull.
#include "preview/ado/sql_expression.h"

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
    const std::string lower = foldName(functionName);
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
        std::vector<Expr> args = arguments(functionName, 2, 2);
        expr.sql = "instr(lower(" + args[0].sql + "), lower(" + args[1].sql + "))";
        expr.cls = Cls::Number;
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
    throw errors::undefinedFunction(functionName);
}

}  // namespace tabulon::preview::ado::sql

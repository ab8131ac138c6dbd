// More of Jet's functions in queries: Round, Sgn, Sqr, Space, String, Chr, DateSerial, Time,
// IsNumeric, Choose, Switch; and the ones Jet has that the preview does not run, refused as such.
#include "preview/ado/errors.h"
#include "preview/ado/sql_expression.h"
#include "preview/ado/sql_translate.h"

namespace tabulon::preview::ado::sql {

bool ExpressionParser::moreFunction(const std::string& lower, const std::string& functionName, Expr& expr) {
    if (lower == "round") {
        std::vector<Expr> args = arguments(functionName, 1, 2);
        expr.sql = "tabulon_round(" + args[0].sql + ", " + (args.size() > 1 ? args[1].sql : "NULL") + ")";
        expr.cls = Cls::Number;
        return true;
    }
    if (lower == "sgn") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        const std::string& x = args[0].sql;
        expr.sql = "(CASE WHEN " + x + " > 0 THEN 1 WHEN " + x + " < 0 THEN -1 WHEN " + x + " = 0 THEN 0 END)";
        expr.cls = Cls::Number;
        expr.jetType = JetType::Short;
        return true;
    }
    if (lower == "sqr") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = std::string(kPowerFunction) + "(" + args[0].sql + ", 0.5)";
        expr.cls = Cls::Number;
        return true;
    }
    if (lower == "space" || lower == "string") {
        std::vector<Expr> args = arguments(functionName, lower == "space" ? 1 : 2, lower == "space" ? 1 : 2);
        const std::string character = lower == "space" ? "' '" : "substr(" + asText(args[1]) + ", 1, 1)";
        expr.sql = "printf('%.*c', max(0, min(" + args[0].sql + ", 65535)), " + character + ")";
        expr.cls = Cls::Text;
        return true;
    }
    if (lower == "chr" || lower == "chrw") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = "char(" + args[0].sql + ")";
        expr.cls = Cls::Text;
        return true;
    }
    if (lower == "dateserial") {
        std::vector<Expr> args = arguments(functionName, 3, 3);
        expr.sql = "tabulon_dateserial(" + args[0].sql + ", " + args[1].sql + ", " + args[2].sql + ")";
        expr.cls = Cls::Date;
        return true;
    }
    if (lower == "time") {
        arguments(functionName, 0, 0);
        expr.sql =
            "(round((julianday('now', 'localtime') - julianday('now', 'localtime', 'start of day')) * 86400) / "
            "86400.0)";
        expr.cls = Cls::Date;
        return true;
    }
    if (lower == "isnumeric") {
        std::vector<Expr> args = arguments(functionName, 1, 1);
        expr.sql = "tabulon_isnumeric(" + args[0].sql + ")";
        expr.cls = Cls::Number;
        expr.jetType = JetType::Boolean;
        return true;
    }
    if (lower == "choose" || lower == "switch") {
        std::vector<Expr> args = arguments(functionName, 2, 64);
        if (lower == "switch" && args.size() % 2 != 0) {
            throw errors::syntax("Wrong number of arguments used with function in query expression '" + functionName +
                                 "'.");
        }
        expr.sql = "(CASE";
        if (lower == "choose") {
            expr.sql += " CAST(" + args[0].sql + " AS INTEGER)";
            for (std::size_t i = 1; i < args.size(); ++i) {
                expr.sql += " WHEN " + std::to_string(i) + " THEN " + args[i].sql;
            }
        } else {
            for (std::size_t i = 0; i < args.size(); i += 2) {
                expr.sql += " WHEN " + args[i].sql + " THEN " + args[i + 1].sql;
            }
        }
        expr.sql += " END)";
        const std::size_t first = lower == "choose" ? 1 : 1;
        expr.cls = args[first].cls;
        return true;
    }
    // Jet has these; the preview does not run them.
    static const char* const known[] = {"exp",
                                        "log",
                                        "sin",
                                        "cos",
                                        "tan",
                                        "atn",
                                        "rnd",
                                        "asc",
                                        "ascw",
                                        "hex",
                                        "oct",
                                        "strcomp",
                                        "instrrev",
                                        "strconv",
                                        "strreverse",
                                        "monthname",
                                        "weekdayname",
                                        "formatnumber",
                                        "formatdatetime",
                                        "formatcurrency",
                                        "formatpercent",
                                        "cvar",
                                        "timer",
                                        "timeserial",
                                        "partition",
                                        "first",
                                        "last",
                                        "stdev",
                                        "stdevp",
                                        "var",
                                        "varp",
                                        "isdate",
                                        "iserror",
                                        "isempty"};
    for (const char* name : known) {
        if (lower == name) throw errors::notSupported("the function " + functionName);
    }
    return false;
}

}  // namespace tabulon::preview::ado::sql

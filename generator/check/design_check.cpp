#include "generator/check/design_check.h"

#include <array>
#include <set>

#include "jet/names.h"

namespace tabulon::generator {
namespace {

// Jet's reserved words (and the words of its SQL): an unbracketed name that is one of
// them ends or changes the query it stands in.
const std::set<std::string>& reservedWords() {
    static const std::set<std::string> words = {"ADD",
                                                "ALL",
                                                "ALPHANUMERIC",
                                                "ALTER",
                                                "AND",
                                                "ANY",
                                                "APPLICATION",
                                                "AS",
                                                "ASC",
                                                "ASSISTANT",
                                                "AUTOINCREMENT",
                                                "AVG",
                                                "BETWEEN",
                                                "BINARY",
                                                "BIT",
                                                "BOOLEAN",
                                                "BY",
                                                "BYTE",
                                                "CHAR",
                                                "CHARACTER",
                                                "COLUMN",
                                                "COMPACTDATABASE",
                                                "CONSTRAINT",
                                                "CONTAINER",
                                                "COUNT",
                                                "COUNTER",
                                                "CREATE",
                                                "CREATEDATABASE",
                                                "CREATEFIELD",
                                                "CREATEGROUP",
                                                "CREATEINDEX",
                                                "CREATEOBJECT",
                                                "CREATEPROPERTY",
                                                "CREATERELATION",
                                                "CREATETABLEDEF",
                                                "CREATEUSER",
                                                "CREATEWORKSPACE",
                                                "CURRENCY",
                                                "CURRENTUSER",
                                                "DATABASE",
                                                "DATE",
                                                "DATETIME",
                                                "DELETE",
                                                "DESC",
                                                "DESCRIPTION",
                                                "DISALLOW",
                                                "DISTINCT",
                                                "DISTINCTROW",
                                                "DOCUMENT",
                                                "DOUBLE",
                                                "DROP",
                                                "ECHO",
                                                "ELSE",
                                                "END",
                                                "EQV",
                                                "ERROR",
                                                "EXISTS",
                                                "EXIT",
                                                "FALSE",
                                                "FIELD",
                                                "FIELDS",
                                                "FILLCACHE",
                                                "FLOAT",
                                                "FLOAT4",
                                                "FLOAT8",
                                                "FOREIGN",
                                                "FORM",
                                                "FORMS",
                                                "FROM",
                                                "FULL",
                                                "FUNCTION",
                                                "GENERAL",
                                                "GETOBJECT",
                                                "GETOPTION",
                                                "GOTOPAGE",
                                                "GROUP",
                                                "GUID",
                                                "HAVING",
                                                "IDLE",
                                                "IEEEDOUBLE",
                                                "IEEESINGLE",
                                                "IF",
                                                "IGNORE",
                                                "IMP",
                                                "IN",
                                                "INDEX",
                                                "INDEXES",
                                                "INNER",
                                                "INSERT",
                                                "INSERTTEXT",
                                                "INT",
                                                "INTEGER",
                                                "INTEGER1",
                                                "INTEGER2",
                                                "INTEGER4",
                                                "INTO",
                                                "IS",
                                                "JOIN",
                                                "KEY",
                                                "LASTMODIFIED",
                                                "LEFT",
                                                "LEVEL",
                                                "LIKE",
                                                "LOGICAL",
                                                "LOGICAL1",
                                                "LONG",
                                                "LONGBINARY",
                                                "LONGTEXT",
                                                "MACRO",
                                                "MATCH",
                                                "MAX",
                                                "MEMO",
                                                "MIN",
                                                "MOD",
                                                "MODULE",
                                                "MONEY",
                                                "MOVE",
                                                "NAME",
                                                "NEWPASSWORD",
                                                "NO",
                                                "NOT",
                                                "NOTE",
                                                "NULL",
                                                "NUMBER",
                                                "NUMERIC",
                                                "OBJECT",
                                                "OFF",
                                                "OLEOBJECT",
                                                "ON",
                                                "OPENRECORDSET",
                                                "OPTION",
                                                "OR",
                                                "ORDER",
                                                "OUTER",
                                                "OWNERACCESS",
                                                "PARAMETER",
                                                "PARAMETERS",
                                                "PARTIAL",
                                                "PASSWORD",
                                                "PERCENT",
                                                "PIVOT",
                                                "PRIMARY",
                                                "PROCEDURE",
                                                "PROPERTY",
                                                "QUERIES",
                                                "QUERY",
                                                "QUIT",
                                                "REAL",
                                                "RECALC",
                                                "RECORDSET",
                                                "REFERENCES",
                                                "REFRESH",
                                                "REFRESHLINK",
                                                "REGISTERDATABASE",
                                                "RELATION",
                                                "REPAINT",
                                                "REPAIRDATABASE",
                                                "REPORT",
                                                "REPORTS",
                                                "REQUERY",
                                                "RIGHT",
                                                "SCREEN",
                                                "SECTION",
                                                "SELECT",
                                                "SET",
                                                "SETFOCUS",
                                                "SETOPTION",
                                                "SHORT",
                                                "SINGLE",
                                                "SMALLINT",
                                                "SOME",
                                                "SQL",
                                                "STDEV",
                                                "STDEVP",
                                                "STRING",
                                                "SUM",
                                                "TABLE",
                                                "TABLEDEF",
                                                "TABLEDEFS",
                                                "TABLEID",
                                                "TEXT",
                                                "TIME",
                                                "TIMESTAMP",
                                                "TOP",
                                                "TRANSFORM",
                                                "TRUE",
                                                "TYPE",
                                                "UNION",
                                                "UNIQUE",
                                                "UPDATE",
                                                "USER",
                                                "VALUE",
                                                "VALUES",
                                                "VAR",
                                                "VARBINARY",
                                                "VARCHAR",
                                                "VARP",
                                                "VERSION",
                                                "WHERE",
                                                "WITH",
                                                "WORKSPACE",
                                                "XOR",
                                                "YEAR",
                                                "YES",
                                                "YESNO"};
    return words;
}

std::string upperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// What a character breaks: quotes end the VBScript and HTML strings a name is written
// into, "<" and "%>" end markup and script blocks, brackets and "." change the SQL,
// slashes, "?", "&", "#" and "%" change the data service's URL, "," and "；" split the
// list page's field list and search conditions.
constexpr std::array<std::string_view, 21> kBadCharacters = {
    "\"", "'", "<", ">", "[", "]", "/", "\\", " ", "\u3000", "\t", "%", "&", "?", "#", ",", "；", ".", "!", "`", "|"};

// The first character of `name` that is one of kBadCharacters, or an empty view. One pass
// over the name: every table and field name is checked on every build.
std::string_view firstBadCharacter(std::string_view name) {
    // Which first bytes may start a bad character: most bytes of a name start none.
    static const auto starts = [] {
        std::array<bool, 256> first{};
        for (const std::string_view character : kBadCharacters) first[static_cast<unsigned char>(character[0])] = true;
        return first;
    }();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!starts[static_cast<unsigned char>(name[i])]) continue;
        for (const std::string_view character : kBadCharacters)
            if (name.substr(i).starts_with(character)) return character;
    }
    return {};
}

}  // namespace

std::optional<std::string> siteNameProblem(std::string_view name, NameUse use) {
    if (name.empty()) return std::string("名称不能为空");
    // The first offending character of the name is the one named.
    const std::string_view found = firstBadCharacter(name);
    if (!found.empty()) {
        const std::string shown = found == " "        ? "空格"
                                  : found == "\u3000" ? "全角空格"
                                  : found == "\t"     ? "制表符"
                                                      : std::string(found);
        return "名称含有不能用的字符“" + shown + "”";
    }
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::string("名称含有控制字符");
    const std::string upper = upperAscii(name);
    if (reservedWords().count(upper)) return "“" + std::string(name) + "”是数据库的保留字";
    if (name.front() >= '0' && name.front() <= '9') return std::string("名称不能以数字开头");
    // The database file keeps its own rules for names (length, characters its index sorts).
    return jet::nameProblem(name, use == NameUse::Table ? jet::NameKind::Table : jet::NameKind::Column);
}

}  // namespace tabulon::generator

// Table design through SQL: CREATE TABLE with Jet's type words, DROP TABLE, and CREATE /
// DROP INDEX. The working copy's description of the tables changes with them.
#include "preview/ado/errors.h"
#include "preview/ado/sql_statement.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview::ado::sql {
namespace {

struct TypeWord {
    const char* word;
    JetType type;
};

// Jet's names for its column types, the ANSI ones and the synonyms Jet takes.
constexpr TypeWord kTypeWords[] = {
    {"counter", JetType::Counter},    {"autoincrement", JetType::Counter},
    {"identity", JetType::Counter},   {"text", JetType::Text},
    {"varchar", JetType::Text},       {"char", JetType::Text},
    {"string", JetType::Text},        {"alphanumeric", JetType::Text},
    {"nvarchar", JetType::Text},      {"nchar", JetType::Text},
    {"memo", JetType::Memo},          {"longtext", JetType::Memo},
    {"longchar", JetType::Memo},      {"note", JetType::Memo},
    {"ntext", JetType::Memo},         {"long", JetType::Long},
    {"int", JetType::Long},           {"integer", JetType::Long},
    {"integer4", JetType::Long},      {"short", JetType::Short},
    {"smallint", JetType::Short},     {"integer2", JetType::Short},
    {"byte", JetType::Byte},          {"tinyint", JetType::Byte},
    {"integer1", JetType::Byte},      {"single", JetType::Single},
    {"real", JetType::Single},        {"float4", JetType::Single},
    {"ieeesingle", JetType::Single},  {"double", JetType::Double},
    {"float", JetType::Double},       {"float8", JetType::Double},
    {"ieeedouble", JetType::Double},  {"number", JetType::Double},
    {"numeric", JetType::Numeric},    {"decimal", JetType::Numeric},
    {"dec", JetType::Numeric},        {"currency", JetType::Numeric},
    {"money", JetType::Numeric},      {"datetime", JetType::DateTime},
    {"date", JetType::DateTime},      {"time", JetType::DateTime},
    {"timestamp", JetType::DateTime}, {"yesno", JetType::Boolean},
    {"bit", JetType::Boolean},        {"logical", JetType::Boolean},
    {"logical1", JetType::Boolean},   {"boolean", JetType::Boolean},
};

AdoError createError() { return errors::syntax("Syntax error in CREATE TABLE statement."); }

bool validTableName(std::string_view name) {
    if (name.empty() || name.front() == ' ') return false;
    return name.find_first_of(".!`[]") == std::string_view::npos;
}

std::string sqliteNameFor(const std::string& name) {
    return foldName(name).rfind("sqlite_", 0) == 0 ? "tabulon_" + name : name;
}

}  // namespace

std::vector<std::string> StatementTranslator::createTable() {
    next();  // CREATE
    bool unique = accept("unique");
    if (accept("index")) {
        // CREATE [UNIQUE] INDEX name ON table (columns): kept for uniqueness; speed needs none.
        const std::string indexName = name();
        if (!accept("on")) throw errors::syntax("Syntax error in CREATE INDEX statement.");
        const TableSchema& table = targetTable();
        expectSymbol("(");
        std::string columns;
        do {
            const std::string column = name();
            if (table.columnIndex(column) < 0) {
                throw errors::engine("Field '" + column + "' doesn't exist in destination table '" + table.name + "'.");
            }
            accept("asc") || accept("desc");
            columns += (columns.empty() ? "" : ", ") + schema::quotedName(column);
        } while (acceptSymbol(","));
        expectSymbol(")");
        if (accept("with")) {
            while (accept("primary") || accept("disallow") || accept("ignore") || accept("null")) {}
        }
        expectEnd();
        return {std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " +
                schema::quotedName("tabulon.index." + table.sqliteName + "." + indexName) + " ON " +
                schema::quotedName(table.sqliteName) + " (" + columns + ")"};
    }
    if (unique || !accept("table")) throw errors::syntax("Syntax error in CREATE TABLE statement.");
    if (!isName(peek())) throw createError();
    const std::string tableName = next().text;
    if (!validTableName(tableName)) throw createError();
    if (catalog_.find(tableName)) throw errors::syntax("Table '" + tableName + "' already exists.");
    expectSymbol("(");

    std::vector<ColumnSchema> columns;
    std::vector<std::string> declarations, uniques;
    bool counterIsKey = false;
    auto keyColumns = [&]() {
        expectSymbol("(");
        std::string list;
        do {
            const std::string column = name();
            bool known = false;
            for (const ColumnSchema& c : columns) known = known || sameName(c.name, column);
            if (!known) throw createError();
            list += (list.empty() ? "" : ", ") + schema::quotedName(column);
        } while (acceptSymbol(","));
        expectSymbol(")");
        return list;
    };
    do {
        if (accept("constraint")) {
            name();
            if (accept("primary") || accept("unique")) {
                if (tokens_[position_ - 1].is("primary") && !accept("key")) throw createError();
                uniques.push_back(keyColumns());
            } else if (accept("foreign")) {
                if (!accept("key")) throw createError();
                keyColumns();
                if (!accept("references")) throw createError();
                name();
                if (peek().isSymbol("(")) {
                    next();
                    while (!peek().isSymbol(")") && peek().type != Token::Type::End) next();
                    expectSymbol(")");
                }
            } else {
                throw createError();
            }
            continue;
        }
        if (peek().is("primary")) {
            next();
            if (!accept("key")) throw createError();
            uniques.push_back(keyColumns());
            continue;
        }
        ColumnSchema column;
        column.name = name();
        for (const ColumnSchema& other : columns) {
            if (sameName(other.name, column.name)) {
                throw errors::engine("Field '" + column.name + "' already exists in table '" + tableName + "'.");
            }
        }
        if (peek().type != Token::Type::Name) throw createError();
        const std::string word = foldName(next().text);
        const TypeWord* type = nullptr;
        for (const TypeWord& candidate : kTypeWords) {
            if (word == candidate.word) type = &candidate;
        }
        if (!type) throw createError();
        column.type = type->type;
        if (column.type == JetType::Text) column.size = 255;
        if (column.type == JetType::Numeric) {
            column.precision = word == "currency" || word == "money" ? 19 : 18;
            column.scale = word == "currency" || word == "money" ? 4 : 0;
        }
        if (acceptSymbol("(")) {
            auto number = [&] {
                if (peek().type != Token::Type::Number || peek().text.size() > 9 ||
                    peek().text.find_first_not_of("0123456789") != std::string::npos) {
                    throw createError();
                }
                return std::stoi(next().text);
            };
            const int first = number();
            const int second = acceptSymbol(",") ? number() : -1;
            expectSymbol(")");
            if (column.type == JetType::Text) {
                if (first < 1 || first > 255) throw errors::engine("Size of field '" + column.name + "' is too long.");
                column.size = first;
            } else if (column.type == JetType::Numeric) {
                if (first < 1 || first > 28 || second > first) throw createError();
                column.precision = first;
                column.scale = second < 0 ? 0 : second;
            }  // Counter(seed, step) and other sizes are taken and not kept
        }
        std::string extra;
        while (true) {
            if (accept("not")) {
                if (!accept("null")) throw createError();
                column.required = true;
            } else if (accept("null")) {
            } else if (accept("primary")) {
                if (!accept("key")) throw createError();
                if (column.type == JetType::Counter)
                    counterIsKey = true;
                else
                    uniques.push_back(schema::quotedName(column.name));
            } else if (accept("unique")) {
                uniques.push_back(schema::quotedName(column.name));
            } else if (accept("constraint")) {
                name();
            } else if (accept("with")) {
                if (!accept("compression") && !accept("comp")) throw createError();
            } else if (accept("default")) {
                const Token& value = next();
                if (value.type == Token::Type::Number)
                    extra = " DEFAULT " + value.text;
                else if (value.type == Token::Type::Text)
                    extra = " DEFAULT " + quoteText(value.text);
                else if (value.is("null"))
                    extra = "";
                else
                    throw createError();
            } else {
                break;
            }
        }
        if (column.type == JetType::Counter) column.required = false;
        if (column.required && !extra.empty()) {
            // Left out, such a column takes its default: SQLite keeps it from being Null instead.
            column.required = false;
            extra += " NOT NULL";
        }
        std::string declaration = schema::quotedName(column.name) + " ";
        if (column.type == JetType::Counter) {
            bool hasCounter = false;
            for (const ColumnSchema& c : columns) hasCounter = hasCounter || c.type == JetType::Counter;
            declaration += hasCounter ? "INTEGER" : schema::storageDeclaration(JetType::Counter);
        } else {
            declaration += schema::storageDeclaration(column.type);
        }
        declarations.push_back(declaration + extra);
        columns.push_back(column);
    } while (acceptSymbol(","));
    expectSymbol(")");
    expectEnd();
    (void)counterIsKey;

    return tableStatements(tableName, columns, declarations, uniques);
}

std::vector<std::string> tableStatements(const std::string& tableName, const std::vector<ColumnSchema>& columns,
                                         const std::vector<std::string>& declarations,
                                         const std::vector<std::string>& uniques) {
    const std::string sqliteName = sqliteNameFor(tableName);
    std::string create = "CREATE TABLE " + schema::quotedName(sqliteName) + " (";
    for (std::size_t i = 0; i < declarations.size(); ++i) create += (i ? ", " : "") + declarations[i];
    for (const std::string& key : uniques) create += ", UNIQUE (" + key + ")";
    create += ")";
    std::vector<std::string> statements{create};
    statements.push_back(
        "INSERT INTO \"tabulon.tables\" (position, name, sqlite_name) SELECT coalesce(max(position), 0) "
        "+ 1, " +
        quoteText(tableName) + ", " + quoteText(sqliteName) + " FROM \"tabulon.tables\"");
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnSchema& c = columns[i];
        statements.push_back(
            "INSERT INTO \"tabulon.columns\" (table_position, position, name, jet_type, size, precision, scale, "
            "required) SELECT position, " +
            std::to_string(i) + ", " + quoteText(c.name) + ", '" + schema::typeName(c.type) + "', " +
            std::to_string(c.size) + ", " + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ", " +
            (c.required ? "1" : "0") + " FROM \"tabulon.tables\" WHERE name = " + quoteText(tableName));
    }
    return statements;
}

// SELECT … INTO: a new table with the query's columns (no key, no Counter) and its rows.
std::vector<std::string> StatementTranslator::selectInto(std::size_t into) {
    const std::size_t nameAt = into + 1;
    if (!isName(tokens_[nameAt])) throw errors::syntax("Syntax error in SELECT INTO statement.");
    const std::string tableName = tokens_[nameAt].text;
    if (tokens_[nameAt + 1].is("in")) throw errors::notSupported("SELECT … INTO another database");
    if (!validTableName(tableName)) throw errors::syntax("Syntax error in SELECT INTO statement.");
    if (catalog_.find(tableName)) throw errors::syntax("Table '" + tableName + "' already exists.");
    tokens_.erase(tokens_.begin() + static_cast<std::ptrdiff_t>(into),
                  tokens_.begin() + static_cast<std::ptrdiff_t>(nameAt + 1));
    QuerySql query = subquery();
    expectEnd();
    std::vector<ColumnSchema> columns = query.columns;
    std::vector<std::string> declarations;
    std::string names, values;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        ColumnSchema& column = columns[i];
        for (std::size_t j = 0; j < i; ++j) {
            if (sameName(columns[j].name, column.name)) {
                throw errors::engine("Duplicate output destination '" + column.name + "'.");
            }
        }
        if (column.type == JetType::Counter) column.type = JetType::Long;
        if (column.type == JetType::Text && (column.size < 1 || column.size > 255)) column.size = 255;
        column.required = false;
        declarations.push_back(schema::quotedName(column.name) + " " + schema::storageDeclaration(column.type));
        names += (i ? ", " : "") + schema::quotedName(column.name);
        values += (i ? ", " : "") + std::string("\"tabulon.") + std::to_string(i) + "\"";
    }
    std::vector<std::string> statements = tableStatements(tableName, columns, declarations, {});
    statements.push_back("INSERT INTO " + schema::quotedName(sqliteNameFor(tableName)) + " (" + names + ") SELECT " +
                         values + " FROM (" + query.sql + ")");
    return statements;
}

std::vector<std::string> StatementTranslator::dropTable() {
    next();  // DROP
    if (accept("index")) {
        const std::string indexName = name();
        if (!accept("on")) throw errors::syntax("Syntax error in DROP TABLE or DROP INDEX.");
        const TableSchema& table = targetTable();
        expectEnd();
        return {"DROP INDEX IF EXISTS " + schema::quotedName("tabulon.index." + table.sqliteName + "." + indexName)};
    }
    if (!accept("table")) throw errors::syntax("Syntax error in DROP TABLE or DROP INDEX.");
    if (!isName(peek())) throw errors::syntax("Syntax error in DROP TABLE or DROP INDEX.");
    const Token& token = next();
    expectEnd();
    const TableSchema* table = catalog_.find(token.text);
    if (!table) {
        throw AdoError(static_cast<std::int32_t>(0x80040E37), errors::kJet,
                       "Table '" + token.text + "' does not exist.");
    }
    const std::string name = quoteText(table->name);
    return {"DROP TABLE " + schema::quotedName(table->sqliteName),
            "DELETE FROM \"tabulon.columns\" WHERE table_position = (SELECT position FROM \"tabulon.tables\" WHERE "
            "name = " +
                name + ")",
            "DELETE FROM \"tabulon.tables\" WHERE name = " + name};
}

}  // namespace tabulon::preview::ado::sql

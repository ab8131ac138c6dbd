#include "preview/workcopy/seed.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <charconv>
#include <random>
#include <string>
#include <system_error>
#include <variant>

#include "base/error.h"
#include "catalogue/data_type.h"
#include "jet/database.h"
#include "jet/ole_date.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;
using ado::JetType;

// The working copy's type of a column, from the data type it stands for.
JetType jetTypeOf(const jet::Column& column) {
    const catalogue::DataTypeRow* row = catalogue::dataTypeOfColumn(column);
    return row ? ado::schema::typeFromName(row->adoType).value_or(JetType::Text) : JetType::Text;
}

// SQLite keeps names starting with sqlite_ for itself; a dot cannot occur in a Jet name.
std::string sqliteNameOf(const std::string& jetName) {
    std::string folded = jetName.substr(0, 7);
    for (char& c : folded) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return folded == "sqlite_" ? "jet." + jetName : jetName;
}

void bindCell(SQLite::Statement& insert, int index, JetType type, const jet::Value& value) {
    if (std::holds_alternative<std::monostate>(value)) {
        insert.bind(index);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        if (type == JetType::Numeric || type == JetType::Currency) {
            double number = 0;
            std::from_chars(text->data(), text->data() + text->size(), number);
            insert.bind(index, number);
        } else if (type == JetType::Binary) {
            insert.bind(index, text->data(), static_cast<int>(text->size()));
        } else {
            insert.bind(index, *text);
        }
    } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        insert.bind(index, static_cast<std::int64_t>(*integer));
    } else if (const auto* number = std::get_if<double>(&value)) {
        insert.bind(index, *number);
    } else if (const auto* flag = std::get_if<bool>(&value)) {
        insert.bind(index, *flag ? -1 : 0);
    } else if (const auto* when = std::get_if<jet::DateTime>(&value)) {
        insert.bind(index, jet::toOleDate(*when));
    }
}

void copyTable(const jet::Database& source, const std::string& name, int position, SQLite::Database& target) {
    const jet::TableDefinition& definition = source.table(name);
    const std::string sqliteName = sqliteNameOf(name);

    SQLite::Statement table(target, "INSERT INTO \"tabulon.tables\" (position, name, sqlite_name) VALUES (?, ?, ?)");
    table.bind(1, position);
    table.bind(2, name);
    table.bind(3, sqliteName);
    table.exec();

    SQLite::Statement column(target,
                             "INSERT INTO \"tabulon.columns\" (table_position, position, name, jet_type, size, "
                             "precision, scale, required) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    auto addColumn = [&](int at, const std::string& columnName, JetType type, int size, int precision, int scale,
                         bool required) {
        column.reset();
        column.bind(1, position);
        column.bind(2, at);
        column.bind(3, columnName);
        column.bind(4, ado::schema::typeName(type));
        column.bind(5, size);
        column.bind(6, precision);
        column.bind(7, scale);
        column.bind(8, required ? 1 : 0);
        column.exec();
    };
    std::string create = "CREATE TABLE " + ado::schema::quotedName(sqliteName) + " (\"id\" " +
                         ado::schema::storageDeclaration(JetType::Counter);
    std::string insertColumns = "\"id\"", placeholders = "?";
    addColumn(0, "id", JetType::Counter, 0, 0, 0, true);
    int at = 1;
    for (const jet::Column& c : definition.columns) {
        const JetType type = jetTypeOf(c);
        addColumn(at++, c.name, type, type == JetType::Text ? c.length : 0, type == JetType::Numeric ? c.precision : 0,
                  type == JetType::Numeric ? c.scale : 0, false);
        create += ", " + ado::schema::quotedName(c.name) + " " + ado::schema::storageDeclaration(type);
        insertColumns += ", " + ado::schema::quotedName(c.name);
        placeholders += ", ?";
    }
    target.exec(create + ")");

    SQLite::Statement insert(target, "INSERT INTO " + ado::schema::quotedName(sqliteName) + " (" + insertColumns +
                                         ") VALUES (" + placeholders + ")");
    for (const jet::Row& row : source.rows(name)) {
        insert.reset();
        insert.clearBindings();
        insert.bind(1, row.id);
        for (std::size_t i = 0; i < definition.columns.size() && i < row.values.size(); ++i) {
            bindCell(insert, static_cast<int>(i) + 2, jetTypeOf(definition.columns[i]), row.values[i]);
        }
        insert.exec();
    }
}

}  // namespace

void seedWorkingCopy(const fs::path& mdb, const fs::path& workingCopy) {
    const auto source = [&] {
        try {
            return jet::Database::open(mdb);
        } catch (const std::exception& error) {
            throw Error("无法读取数据库文件 " + mdb.string() + "：" + error.what());
        }
    }();
    seedWorkingCopy(source, mdb.string(), workingCopy);
}

void seedWorkingCopy(const jet::Database& source, const std::string& sourceName, const fs::path& workingCopy) {
    std::error_code ignored;
    if (workingCopy.has_parent_path()) fs::create_directories(workingCopy.parent_path(), ignored);
    fs::path temporary = workingCopy;
    temporary += ".seeding-" + std::to_string(std::random_device{}());
    try {
        {
            SQLite::Database target(temporary.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            target.exec("PRAGMA journal_mode = OFF");  // a file nobody sees until it is complete
            SQLite::Transaction transaction(target);
            target.exec(ado::schema::kCreateStatements);
            SQLite::Statement info(target, "INSERT INTO \"tabulon.info\" (key, value) VALUES (?, ?)");
            info.bind(1, "format");
            info.bind(2, ado::schema::kFormat);
            info.exec();
            info.reset();
            info.bind(1, "source");
            info.bind(2, sourceName);
            info.exec();
            int position = 0;
            for (const std::string& name : source.tableNames()) copyTable(source, name, position++, target);
            transaction.commit();
        }
        // A log or journal left beside the old copy (the host stopped mid-page) would be
        // replayed into the new one: they go with it.
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            fs::path stale = workingCopy;
            stale += suffix;
            fs::remove(stale, ignored);
        }
        fs::rename(temporary, workingCopy);
    } catch (const std::exception& error) {
        fs::remove(temporary, ignored);
        throw Error("无法写入预览的工作副本 " + workingCopy.string() + "：" + error.what());
    }
}

}  // namespace tabulon::preview

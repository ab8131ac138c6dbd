#include "catalogue/catalogue.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <array>
#include <charconv>
#include <future>
#include <iterator>
#include <limits>
#include <optional>
#include <system_error>
#include <unistd.h>

#include "base/error.h"
#include "catalogue/default_content.h"
#include "catalogue/schema.h"

namespace tabulon::catalogue {
namespace fs = std::filesystem;
namespace {

// Number of characters of a UTF-8 text (continuation bytes are not counted).
std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const unsigned char byte : text)
        if ((byte & 0xC0) != 0x80) ++count;
    return count;
}

void checkLength(std::string_view column, std::string_view value, std::size_t limit) {
    if (characterCount(value) > limit)
        throw Error(std::string(column) + " 最多 " + std::to_string(limit) + " 个字符：" + std::string(value));
}

std::string text(const SQLite::Statement& row, const char* column) {
    const SQLite::Column value = row.getColumn(column);
    return value.isNull() ? std::string() : value.getString();
}

std::int64_t integer(const SQLite::Statement& row, const char* column) {
    const SQLite::Column value = row.getColumn(column);
    return value.isNull() ? 0 : value.getInt64();
}

Project readProject(const SQLite::Statement& row) {
    return {integer(row, "id"), text(row, "项目名称"), text(row, "项目备注")};
}

Table readTable(const SQLite::Statement& row) {
    return {integer(row, "id"), integer(row, "项目编号"), text(row, "表名称"), text(row, "表说明")};
}

// Reads field rows; the positions of the columns are looked up by name once per statement,
// not once per value: a large catalogue holds tens of thousands of fields.
class FieldReader {
public:
    explicit FieldReader(const SQLite::Statement& query) {
        for (std::size_t i = 0; i < kColumns.size(); ++i) at_[i] = query.getColumnIndex(kColumns[i]);
    }
    Field operator()(const SQLite::Statement& row) const {
        Field field;
        field.id = integer(row, 0);
        field.tableId = integer(row, 1);
        field.name = text(row, 2);
        field.type = text(row, 3);
        field.description = text(row, 4);
        field.order = integer(row, 5);
        field.inputType = text(row, 6);
        field.linkTable = text(row, 7);
        field.linkField = text(row, 8);
        field.cascadeTable = text(row, 9);
        field.cascadeField = text(row, 10);
        field.cascadeCondition = text(row, 11);
        field.cascadeDisplay = text(row, 12);
        return field;
    }

private:
    static constexpr std::array<const char*, 13> kColumns = {"id",       "表编号",   "字段名称", "字段类型", "字段说明",
                                                             "排序",     "输入类型", "关联表",   "关联字段", "联动表",
                                                             "联动字段", "联动条件", "联显字段"};
    std::string text(const SQLite::Statement& row, std::size_t column) const {
        const SQLite::Column value = row.getColumn(at_[column]);
        return value.isNull() ? std::string() : value.getString();
    }
    std::int64_t integer(const SQLite::Statement& row, std::size_t column) const {
        const SQLite::Column value = row.getColumn(at_[column]);
        return value.isNull() ? 0 : value.getInt64();
    }
    std::array<int, kColumns.size()> at_{};
};

TemplateRow readTemplate(const SQLite::Statement& row) {
    return {integer(row, "ID"), text(row, "类型"), text(row, "内容"), integer(row, "排序")};
}

template <typename Row, typename Reader>
std::vector<Row> readAll(SQLite::Statement& query, Reader reader) {
    std::vector<Row> rows;
    while (query.executeStep()) rows.push_back(reader(query));
    return rows;
}

template <typename Row, typename Reader>
std::optional<Row> readFirst(SQLite::Statement& query, Reader reader) {
    if (!query.executeStep()) return std::nullopt;
    return reader(query);
}

void bindField(SQLite::Statement& statement, const Field& field) {
    checkLength("字段名称", field.name, kNameLength);
    checkLength("字段类型", field.type, kNameLength);
    checkLength("字段说明", field.description, kNameLength);
    checkLength("输入类型", field.inputType, kLinkLength);
    for (const auto* link : {&field.linkTable, &field.linkField, &field.cascadeTable, &field.cascadeField,
                             &field.cascadeCondition, &field.cascadeDisplay})
        checkLength("关联设置", *link, kLinkLength);
    statement.bind(":table", field.tableId);
    statement.bind(":name", field.name);
    statement.bind(":type", field.type);
    statement.bind(":description", field.description);
    statement.bind(":order", field.order);
    statement.bind(":input", field.inputType);
    statement.bind(":linkTable", field.linkTable);
    statement.bind(":linkField", field.linkField);
    statement.bind(":cascadeTable", field.cascadeTable);
    statement.bind(":cascadeField", field.cascadeField);
    statement.bind(":cascadeCondition", field.cascadeCondition);
    statement.bind(":cascadeDisplay", field.cascadeDisplay);
}

// Turns SQLite's failures into messages for the user; the catalogue stays as it was.
template <typename Action>
auto guarded(std::string_view what, Action action) {
    try {
        return action();
    } catch (const SQLite::Exception& e) {
        throw Error("目录数据库操作失败（" + std::string(what) + "）：" + e.what());
    }
}

}  // namespace

Catalogue::Catalogue(std::unique_ptr<SQLite::Database> db, fs::path path)
    : db_(std::move(db)), path_(std::move(path)) {}
Catalogue::Catalogue(Catalogue&&) noexcept = default;
Catalogue& Catalogue::operator=(Catalogue&&) noexcept = default;
Catalogue::~Catalogue() = default;

Catalogue Catalogue::openInRunFolder(const fs::path& runDir) { return open(runDir / kFileName); }

Catalogue Catalogue::open(const fs::path& file) {
    const std::string name = file.string();
    std::error_code error;
    if (fs::exists(file, error)) {
        if (!fs::is_regular_file(file, error)) throw Error("目录数据库 " + name + " 不是一个文件。");
        try {
            // One thread at a time uses a catalogue: SQLite need not lock around every value read.
            auto db = std::make_unique<SQLite::Database>(name, SQLite::OPEN_READWRITE | SQLite::OPEN_NOMUTEX);
            schema::verify(*db, name);
            db->exec("PRAGMA foreign_keys = OFF");
            return Catalogue(std::move(db), file);
        } catch (const SQLite::Exception& e) {
            throw Error("无法打开目录数据库 " + name + "：" + e.what() + "。文件未做任何改动。");
        }
    }

    // Build the new catalogue beside its final place and move it in only when complete.
    const fs::path temporary = file.string() + ".new";
    try {
        fs::remove(temporary, error);
        {
            SQLite::Database db(temporary.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            SQLite::Transaction transaction(db);
            schema::create(db);
            writeDefaultContent(db);
            transaction.commit();
        }
        fs::rename(temporary, file);
    } catch (const std::exception& e) {
        fs::remove(temporary, error);
        throw Error("无法在 " + file.parent_path().string() + " 创建目录数据库：" + e.what());
    }
    return open(file);
}

Catalogue Catalogue::inMemory() {
    auto db = std::make_unique<SQLite::Database>(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    SQLite::Transaction transaction(*db);
    schema::create(*db);
    writeDefaultContent(*db);
    transaction.commit();
    return Catalogue(std::move(db), ":memory:");
}

// ---- projects ----

std::vector<Project> Catalogue::projects() const {
    return guarded("读取项目", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 项目 ORDER BY id DESC");
        return readAll<Project>(query, readProject);
    });
}

std::vector<Project> Catalogue::allProjects() const {
    return guarded("读取项目", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 项目 ORDER BY id");
        return readAll<Project>(query, readProject);
    });
}

std::optional<Project> Catalogue::project(Id id) const {
    return guarded("读取项目", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 项目 WHERE id = ?");
        query.bind(1, id);
        return readFirst<Project>(query, readProject);
    });
}

std::optional<Project> Catalogue::projectByName(std::string_view name) const {
    return guarded("读取项目", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 项目 WHERE 项目名称 = ? ORDER BY id");
        query.bind(1, std::string(name));
        return readFirst<Project>(query, readProject);
    });
}

Id Catalogue::addProject(const Project& project) {
    checkLength("项目名称", project.name, kNameLength);
    return guarded("添加项目", [&] {
        SQLite::Statement insert(*db_, "INSERT INTO 项目 (项目名称, 项目备注) VALUES (?, ?)");
        insert.bind(1, project.name);
        insert.bind(2, project.note);
        insert.exec();
        return db_->getLastInsertRowid();
    });
}

void Catalogue::updateProject(const Project& project) {
    checkLength("项目名称", project.name, kNameLength);
    guarded("修改项目", [&] {
        SQLite::Statement update(*db_, "UPDATE 项目 SET 项目名称 = ?, 项目备注 = ? WHERE id = ?");
        update.bind(1, project.name);
        update.bind(2, project.note);
        update.bind(3, project.id);
        update.exec();
    });
}

void Catalogue::deleteProject(Id id) {
    guarded("删除项目", [&] {
        SQLite::Transaction transaction(*db_);
        SQLite::Statement fields(*db_, "DELETE FROM 字段 WHERE 表编号 IN (SELECT id FROM 表 WHERE 项目编号 = ?)");
        fields.bind(1, id);
        fields.exec();
        SQLite::Statement tables(*db_, "DELETE FROM 表 WHERE 项目编号 = ?");
        tables.bind(1, id);
        tables.exec();
        SQLite::Statement project(*db_, "DELETE FROM 项目 WHERE id = ?");
        project.bind(1, id);
        project.exec();
        transaction.commit();
    });
}

// ---- tables ----

std::vector<Table> Catalogue::tables(Id projectId) const {
    return guarded("读取表", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 表 WHERE 项目编号 = ? ORDER BY id");
        query.bind(1, projectId);
        return readAll<Table>(query, readTable);
    });
}

std::vector<Table> Catalogue::allTables() const {
    return guarded("读取表", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 表 ORDER BY id");
        return readAll<Table>(query, readTable);
    });
}

std::optional<Table> Catalogue::table(Id id) const {
    return guarded("读取表", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 表 WHERE id = ?");
        query.bind(1, id);
        return readFirst<Table>(query, readTable);
    });
}

std::optional<Table> Catalogue::tableByName(Id projectId, std::string_view name) const {
    return guarded("读取表", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 表 WHERE 项目编号 = ? AND 表名称 = ? ORDER BY id");
        query.bind(1, projectId);
        query.bind(2, std::string(name));
        return readFirst<Table>(query, readTable);
    });
}

Id Catalogue::addTable(const Table& table) {
    checkLength("表名称", table.name, kNameLength);
    checkLength("表说明", table.description, kNameLength);
    return guarded("添加表", [&] {
        SQLite::Statement insert(*db_, "INSERT INTO 表 (项目编号, 表名称, 表说明) VALUES (?, ?, ?)");
        insert.bind(1, table.projectId);
        insert.bind(2, table.name);
        insert.bind(3, table.description);
        insert.exec();
        return db_->getLastInsertRowid();
    });
}

void Catalogue::updateTable(const Table& table) {
    checkLength("表名称", table.name, kNameLength);
    checkLength("表说明", table.description, kNameLength);
    guarded("修改表", [&] {
        SQLite::Statement update(*db_, "UPDATE 表 SET 项目编号 = ?, 表名称 = ?, 表说明 = ? WHERE id = ?");
        update.bind(1, table.projectId);
        update.bind(2, table.name);
        update.bind(3, table.description);
        update.bind(4, table.id);
        update.exec();
    });
}

void Catalogue::deleteTable(Id id) {
    guarded("删除表", [&] {
        SQLite::Transaction transaction(*db_);
        SQLite::Statement fields(*db_, "DELETE FROM 字段 WHERE 表编号 = ?");
        fields.bind(1, id);
        fields.exec();
        SQLite::Statement table(*db_, "DELETE FROM 表 WHERE id = ?");
        table.bind(1, id);
        table.exec();
        transaction.commit();
    });
}

// ---- fields ----

std::vector<Field> Catalogue::fields(Id tableId, FieldOrder order) const {
    // Equal 排序 values keep the order in which the fields were added.
    const char* sql = order == FieldOrder::ById ? "SELECT * FROM 字段 WHERE 表编号 = ? ORDER BY id"
                      : order == FieldOrder::ByOrderAscending
                          ? "SELECT * FROM 字段 WHERE 表编号 = ? ORDER BY 排序 ASC, id ASC"
                          : "SELECT * FROM 字段 WHERE 表编号 = ? ORDER BY 排序 DESC, id ASC";
    return guarded("读取字段", [&] {
        SQLite::Statement query(*db_, sql);
        query.bind(1, tableId);
        return readAll<Field>(query, FieldReader(query));
    });
}

namespace {

// Fields with ids in [from, to), in id order, appended to `fields`.
void readFieldRange(SQLite::Database& db, Id from, Id to, std::vector<Field>& fields) {
    SQLite::Statement query(db, "SELECT * FROM 字段 WHERE id >= ? AND id < ? ORDER BY id");
    query.bind(1, from);
    query.bind(2, to);
    const FieldReader read(query);
    while (query.executeStep()) fields.push_back(read(query));
}

// Below this many fields a second connection costs more than it saves.
constexpr std::int64_t kFieldsWorthSplitting = 4000;

}  // namespace

std::vector<Field> Catalogue::allFields(unsigned readers) const {
    return guarded("读取字段", [&] {
        constexpr Id kAll = std::numeric_limits<Id>::max();
        std::vector<Field> fields;
        const bool onFile = path_ != ":memory:" && readers > 1 && sqlite3_get_autocommit(db_->getHandle()) != 0;
        // The read transaction keeps the file's shared lock until both halves are read, so no
        // writer can commit between them and the two connections see the same rows.
        std::optional<SQLite::Transaction> reading;
        if (onFile) reading.emplace(*db_);
        SQLite::Statement count(*db_, "SELECT count(*) FROM 字段");
        const std::int64_t total = count.executeStep() ? count.getColumn(0).getInt64() : 0;
        fields.reserve(static_cast<std::size_t>(total));
        Id middle = kAll;
        if (onFile && total >= kFieldsWorthSplitting) {
            SQLite::Statement split(*db_, "SELECT id FROM 字段 ORDER BY id LIMIT 1 OFFSET ?");
            split.bind(1, total / 2);
            if (split.executeStep()) middle = split.getColumn(0).getInt64();
        }
        if (middle == kAll) {
            readFieldRange(*db_, std::numeric_limits<Id>::min(), kAll, fields);
            return fields;
        }
        // The upper half on a second, read-only connection in its own thread.
        auto upper = std::async(std::launch::async, [&] {
            SQLite::Database second(path_.string(), SQLite::OPEN_READONLY | SQLite::OPEN_NOMUTEX);
            std::vector<Field> rows;
            rows.reserve(static_cast<std::size_t>(total / 2 + 1));
            readFieldRange(second, middle, kAll, rows);
            return rows;
        });
        readFieldRange(*db_, std::numeric_limits<Id>::min(), middle, fields);
        auto rows = upper.get();
        std::move(rows.begin(), rows.end(), std::back_inserter(fields));
        return fields;
    });
}

std::optional<Field> Catalogue::field(Id id) const {
    return guarded("读取字段", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 字段 WHERE id = ?");
        query.bind(1, id);
        return readFirst<Field>(query, FieldReader(query));
    });
}

std::optional<Field> Catalogue::fieldByName(Id tableId, std::string_view name) const {
    return guarded("读取字段", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 字段 WHERE 表编号 = ? AND 字段名称 = ? ORDER BY id");
        query.bind(1, tableId);
        query.bind(2, std::string(name));
        return readFirst<Field>(query, FieldReader(query));
    });
}

Id Catalogue::addField(const Field& field) {
    return guarded("添加字段", [&] {
        SQLite::Statement insert(
            *db_,
            "INSERT INTO 字段 (表编号, 字段名称, 字段类型, 字段说明, 排序, 输入类型, 关联表, 关联字段, "
            "联动表, 联动字段, 联动条件, 联显字段) VALUES (:table, :name, :type, :description, "
            ":order, :input, :linkTable, :linkField, :cascadeTable, :cascadeField, "
            ":cascadeCondition, :cascadeDisplay)");
        bindField(insert, field);
        insert.exec();
        return db_->getLastInsertRowid();
    });
}

void Catalogue::updateField(const Field& field) {
    guarded("修改字段", [&] {
        SQLite::Statement update(*db_,
                                 "UPDATE 字段 SET 表编号 = :table, 字段名称 = :name, 字段类型 = :type, "
                                 "字段说明 = :description, 排序 = :order, 输入类型 = :input, 关联表 = :linkTable, "
                                 "关联字段 = :linkField, 联动表 = :cascadeTable, 联动字段 = :cascadeField, "
                                 "联动条件 = :cascadeCondition, 联显字段 = :cascadeDisplay WHERE id = :id");
        bindField(update, field);
        update.bind(":id", field.id);
        update.exec();
    });
}

void Catalogue::deleteField(Id id) {
    guarded("删除字段", [&] {
        SQLite::Statement remove(*db_, "DELETE FROM 字段 WHERE id = ?");
        remove.bind(1, id);
        remove.exec();
    });
}

// ---- templates ----

std::vector<TemplateRow> Catalogue::templates(std::string_view kind) const {
    return guarded("读取模板", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 模板定义 WHERE 类型 = ? ORDER BY 排序 ASC, ID DESC");
        query.bind(1, std::string(kind));
        return readAll<TemplateRow>(query, readTemplate);
    });
}

std::vector<TemplateRow> Catalogue::allTemplates() const {
    return guarded("读取模板", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 模板定义 ORDER BY ID");
        return readAll<TemplateRow>(query, readTemplate);
    });
}

std::optional<TemplateRow> Catalogue::templateRow(Id id) const {
    return guarded("读取模板", [&] {
        SQLite::Statement query(*db_, "SELECT * FROM 模板定义 WHERE ID = ?");
        query.bind(1, id);
        return readFirst<TemplateRow>(query, readTemplate);
    });
}

Id Catalogue::addTemplate(const TemplateRow& row) {
    checkLength("类型", row.kind, kLinkLength);
    return guarded("添加模板", [&] {
        SQLite::Statement insert(*db_, "INSERT INTO 模板定义 (类型, 内容, 排序) VALUES (?, ?, ?)");
        insert.bind(1, row.kind);
        insert.bind(2, row.content);
        insert.bind(3, row.order);
        insert.exec();
        return db_->getLastInsertRowid();
    });
}

void Catalogue::updateTemplate(const TemplateRow& row) {
    guarded("修改模板", [&] {
        SQLite::Statement update(*db_, "UPDATE 模板定义 SET 内容 = ?, 排序 = ? WHERE ID = ?");
        update.bind(1, row.content);
        update.bind(2, row.order);
        update.bind(3, row.id);
        update.exec();
    });
}

void Catalogue::deleteTemplate(Id id) {
    guarded("删除模板", [&] {
        SQLite::Statement remove(*db_, "DELETE FROM 模板定义 WHERE ID = ?");
        remove.bind(1, id);
        remove.exec();
    });
}

}  // namespace tabulon::catalogue

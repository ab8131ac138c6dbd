#include "jet/database.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <limits>
#include <optional>
#include <system_error>
#include <unordered_map>

#include "base/file_output.h"
#include "jet/file_reader.h"
#include "jet/file_writer.h"
#include "jet/ole_date.h"
#include "jet/sort_key.h"
#include "jet/system_tables.h"
#include "jet/table_store.h"
#include "jet/text_codec.h"

namespace tabulon::jet {
namespace {

DateTime localNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
#ifdef _WIN32
    localtime_s(&parts, &now);
#else
    localtime_r(&now, &parts);
#endif
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

// Table names are unique under Jet's sort order, so lookups use its key.
std::optional<std::string> tableKey(std::string_view name) {
    const auto text = tryUtf8ToUtf16(name);
    if (!text) return std::nullopt;
    return generalTextKey(*text);
}

// The sort keys and names of Jet's own tables, which user tables may not take.
const std::vector<std::pair<std::string, std::string>>& systemTableKeys() {
    static const auto keys = [] {
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& object : catalog::systemObjects())
            if (object.parentId == catalog::kTablesId) found.emplace_back(*tableKey(object.name), object.name);
        return found;
    }();
    return keys;
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

struct Database::State {
    std::vector<StoredTable> tables;
    std::unordered_map<std::string, std::size_t> byKey;   // by sort key: how Jet matches names
    std::unordered_map<std::string, std::size_t> byName;  // as spelled when created
    std::optional<DateTime> creationTime;
    std::optional<std::filesystem::path> spillFolder;
    mutable std::string bytes;
    mutable bool stale = true;

    void index(std::size_t i, std::optional<std::string> key) {
        if (key) byKey.emplace(std::move(*key), i);
        byName.emplace(tables[i].definition().name, i);
    }
    void index(std::size_t i) { index(i, tableKey(tables[i].definition().name)); }

    std::optional<std::size_t> position(std::string_view name) const {
        // Callers nearly always spell the name as created; skip the sort key then.
        if (const auto exact = byName.find(std::string(name)); exact != byName.end()) return exact->second;
        const auto key = tableKey(name);
        if (!key) return std::nullopt;
        return positionByKey(*key);
    }

    // With the name's sort key already at hand.
    std::optional<std::size_t> position(std::string_view name, const std::string& key) const {
        if (const auto exact = byName.find(std::string(name)); exact != byName.end()) return exact->second;
        return positionByKey(key);
    }

    std::optional<std::size_t> positionByKey(const std::string& key) const {
        const auto found = byKey.find(key);
        if (found == byKey.end()) return std::nullopt;
        return found->second;
    }

    const StoredTable* find(std::string_view name) const {
        const auto at = position(name);
        return at ? &tables[*at] : nullptr;
    }

    std::size_t indexOf(std::string_view name) const {
        if (const auto at = position(name)) return *at;
        throw Error("表 " + std::string(name) + ": 数据库中没有这个表");
    }

    StoredTable& get(std::string_view name) { return tables[indexOf(name)]; }
    const StoredTable& get(std::string_view name) const { return tables[indexOf(name)]; }
};

Database::Database(std::unique_ptr<State> state) : state_(std::move(state)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Database Database::createEmpty() { return Database(std::make_unique<State>()); }

Database Database::fromBytes(std::string bytes) {
    auto state = std::make_unique<State>();
    state->tables = readDatabaseFile(bytes);
    for (std::size_t i = 0; i < state->tables.size(); ++i) state->index(i);
    // Until something changes, the file stays exactly as it was read.
    state->bytes = std::move(bytes);
    state->stale = false;
    return Database(std::move(state));
}

Database Database::open(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("无法打开数据库文件 " + pathText(path));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Error("读取数据库文件失败: " + pathText(path));
    return fromBytes(std::move(bytes));
}

void Database::createTable(const TableDefinition& definition) {
    CheckedDesign checked = checkedDesign(definition);
    std::string key = *tableKey(definition.name);
    for (const auto& [systemKey, systemName] : systemTableKeys()) {
        if (systemKey == key) throw Error("表 " + definition.name + ": 与 Jet 的系统表 " + systemName + " 重名");
    }
    if (const auto existing = state_->position(definition.name, key)) {
        throw Error("表 " + definition.name + ": 数据库中已有表 " + state_->tables[*existing].definition().name);
    }
    const DateTime when = state_->creationTime.value_or(localNow());
    state_->tables.emplace_back(definition, std::move(checked.layout), checked.emptyRowSize, toOleDate(when));
    if (state_->spillFolder) state_->tables.back().spillTo(*state_->spillFolder);
    state_->index(state_->tables.size() - 1, std::move(key));
    state_->stale = true;
}

void Database::execute(std::string_view createStatement) { createTable(parseCreateTable(createStatement)); }

std::int32_t Database::insert(std::string_view table, const std::vector<std::pair<std::string, Value>>& row) {
    const std::int32_t id = state_->get(table).insert(row);
    state_->stale = true;
    return id;
}

void Database::insertWithId(std::string_view table, std::int32_t id, const std::vector<Value>& values) {
    state_->get(table).restore(id, values);
    state_->stale = true;
}

std::int32_t Database::insertValues(std::string_view table, const std::vector<Value>& values) {
    StoredTable& stored = state_->get(table);
    if (stored.lastId() == std::numeric_limits<std::int32_t>::max())
        throw Error("表 " + std::string(table) + ": 自动编号已用尽");
    const std::int32_t id = stored.lastId() + 1;
    stored.restore(id, values);
    state_->stale = true;
    return id;
}

void Database::raiseLastId(std::string_view table, std::int32_t id) {
    state_->get(table).raiseLastId(id);
    state_->stale = true;
}

std::vector<std::string> Database::tableNames() const {
    std::vector<std::string> names;
    for (const StoredTable& table : state_->tables) names.push_back(table.definition().name);
    return names;
}

bool Database::hasTable(std::string_view name) const { return state_->find(name) != nullptr; }

const TableDefinition& Database::table(std::string_view name) const { return state_->get(name).definition(); }

std::size_t Database::rowCount(std::string_view table) const { return state_->get(table).rowCount(); }

std::vector<Row> Database::rows(std::string_view table) const { return state_->get(table).rows(); }

void Database::spillRowsTo(const std::filesystem::path& folder) {
    state_->spillFolder = folder;
    for (StoredTable& table : state_->tables) table.spillTo(folder);
}

void Database::setCreationTime(const DateTime& when) {
    if (auto problem = dateProblem(when)) throw Error("创建时间无效: " + *problem);
    state_->creationTime = when;
}

const std::string& Database::bytes() const {
    if (state_->stale) {
        state_->bytes = writeDatabaseFile(state_->tables);
        state_->stale = false;
    }
    return state_->bytes;
}

void Database::save(const std::filesystem::path& path) const {
    // Written straight to the file unless the bytes are already at hand: holding them would
    // take the file's size in memory.
    if (state_->stale) return writeDatabaseFile(state_->tables, path);
    try {
        writeFileAtomically(path, state_->bytes);
    } catch (const tabulon::Error& e) {
        throw Error(e.what());  // callers of the Jet writer catch jet::Error
    }
}

}  // namespace tabulon::jet

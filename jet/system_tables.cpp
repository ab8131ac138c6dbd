#include "jet/system_tables.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include "jet/byte_io.h"
#include "jet/error.h"
#include "jet/index_tree.h"
#include "jet/row.h"
#include "jet/sort_key.h"
#include "jet/text_codec.h"
#include "base/ascii_text.h"

namespace tabulon::jet::catalog {
namespace {

constexpr std::uint8_t kFixedFlags = column_flag::kSystem | column_flag::kUpdatable | column_flag::kFixed;
constexpr std::uint8_t kVariableFlags = column_flag::kSystem | column_flag::kUpdatable;
constexpr std::uint8_t kSidFlags = column_flag::kSid | column_flag::kSystem | column_flag::kUpdatable;
constexpr std::uint16_t kSystemTextLength = 510;

// Security ids and dates of the reference set the header belongs to.
const std::string kCreatorSid("\x64\x8B", 2);
const std::string kUsersSid("\x65\x8B", 2);
const std::string kCreatorPlaceholderSid("\x65\x8E", 2);
const std::string kEngineSid("\x65\x89", 2);
constexpr std::uint8_t kSystemDateBytes[8] = {0x4E, 0xFB, 0xD3, 0x3B, 0x3E, 0xAB, 0xE4, 0x40};

constexpr std::uint32_t kFullRights = 0xFFFFF;
constexpr std::uint32_t kTableRights = 1048319;

double systemDate() {
    double d;
    std::memcpy(&d, kSystemDateBytes, sizeof d);
    return d;
}

struct SystemColumn {
    const char* name;
    JetType type;
    std::uint8_t flags;
};

std::uint16_t lengthOf(const SystemColumn& column) {
    switch (column.type) {
    case JetType::Text:
    case JetType::Binary: return kSystemTextLength;
    case JetType::Memo:
    case JetType::Ole: return 0;
    case JetType::Boolean: return 1;
    default: return fixedSize(column.type);
    }
}

bool lessNoCase(const std::string& a, const std::string& b) { return lessIgnoringCase(a, b); }

// Jet lists its own tables' columns (and long-value maps) by name.
TableLayout systemLayout(std::initializer_list<SystemColumn> columns, std::uint8_t ownedRow) {
    TableLayout layout;
    layout.system = true;
    for (const SystemColumn& column : columns) {
        ColumnLayout c;
        c.name = column.name;
        c.type = column.type;
        c.flags = column.flags;
        c.length = lengthOf(column);
        layout.columns.push_back(c);
    }
    assignRowPositions(layout);
    std::sort(layout.blockOrder.begin(), layout.blockOrder.end(), [&](std::uint16_t a, std::uint16_t b) {
        return lessNoCase(layout.columns[a].name, layout.columns[b].name);
    });
    layout.ownedPages = rowPointer(kSystemMapsPage, ownedRow);
    layout.freeSpacePages = rowPointer(kSystemMapsPage, ownedRow + 1u);
    std::uint8_t nextMapRow = static_cast<std::uint8_t>(ownedRow + 2);
    std::vector<std::uint16_t> longValueColumns;
    for (const ColumnLayout& c : layout.columns) {
        if (c.isLongValue()) longValueColumns.push_back(c.number);
    }
    // Map rows follow column numbers; the TDEF lists them by name.
    std::vector<LongValueMaps> maps;
    for (std::uint16_t number : longValueColumns) {
        maps.push_back({number, rowPointer(kSystemMapsPage, nextMapRow), rowPointer(kSystemMapsPage, nextMapRow + 1u)});
        nextMapRow = static_cast<std::uint8_t>(nextMapRow + 2);
    }
    for (std::uint16_t number : layout.blockOrder) {
        for (const LongValueMaps& m : maps) {
            if (m.column == number) layout.longValueMaps.push_back(m);
        }
    }
    return layout;
}

RealIndexLayout realIndex(std::vector<std::uint16_t> columns, std::uint8_t mapRow, std::uint32_t root,
                          std::uint8_t flags) {
    RealIndexLayout index;
    index.columns = std::move(columns);
    index.usageMap = rowPointer(kSystemMapsPage, mapRow);
    index.rootPage = root;
    index.flags = flags;
    return index;
}

}  // namespace

TableLayout objectsLayout() {
    TableLayout layout = systemLayout({{"Id", JetType::Long, kFixedFlags},
                                       {"ParentId", JetType::Long, kFixedFlags},
                                       {"Name", JetType::Text, kVariableFlags},
                                       {"Type", JetType::Integer, kFixedFlags},
                                       {"DateCreate", JetType::DateTime, kFixedFlags},
                                       {"DateUpdate", JetType::DateTime, kFixedFlags},
                                       {"Owner", JetType::Binary, kSidFlags},
                                       {"Flags", JetType::Long, kFixedFlags},
                                       {"Database", JetType::Memo, kVariableFlags},
                                       {"Connect", JetType::Memo, kVariableFlags},
                                       {"ForeignName", JetType::Text, kVariableFlags},
                                       {"RmtInfoShort", JetType::Binary, kVariableFlags},
                                       {"RmtInfoLong", JetType::Ole, kVariableFlags},
                                       {"Lv", JetType::Ole, kVariableFlags},
                                       {"LvProp", JetType::Ole, kVariableFlags},
                                       {"LvModule", JetType::Ole, kVariableFlags},
                                       {"LvExtra", JetType::Ole, kVariableFlags}},
                                      kObjectsOwnedRow);
    const std::uint8_t flags = index_flag::kJet4 | index_flag::kUnique;
    layout.realIndexes.push_back(realIndex({objects_column::kParentId, objects_column::kName}, kObjectsNameIndexRow,
                                           kObjectsNameIndexRoot, flags));
    layout.realIndexes.push_back(realIndex({objects_column::kId}, kObjectsIdIndexRow, kObjectsIdIndexRoot, flags));
    layout.logicalIndexes = {{1, 1, LogicalIndexKind::PrimaryKey, "Id"},
                             {0, 0, LogicalIndexKind::Plain, "ParentIdName"}};
    return layout;
}

TableLayout acesLayout() {
    TableLayout layout = systemLayout({{"ObjectId", JetType::Long, kFixedFlags},
                                       {"SID", JetType::Binary, kSidFlags},
                                       {"ACM", JetType::Long, kFixedFlags},
                                       {"FInheritable", JetType::Boolean, kFixedFlags}},
                                      kAcesOwnedRow);
    layout.realIndexes.push_back(
        realIndex({0}, kAcesIndexRow, kAcesIndexRoot, index_flag::kJet4 | index_flag::kRequired));
    layout.logicalIndexes = {{0, 0, LogicalIndexKind::Plain, "ObjectId"}};
    return layout;
}

TableLayout queriesLayout() {
    TableLayout layout = systemLayout({{"ObjectId", JetType::Long, kFixedFlags},
                                       {"Attribute", JetType::Byte, kFixedFlags},
                                       {"Order", JetType::Binary, kVariableFlags},
                                       {"Name1", JetType::Text, kVariableFlags},
                                       {"Name2", JetType::Text, kVariableFlags},
                                       {"Expression", JetType::Memo, kVariableFlags},
                                       {"Flag", JetType::Integer, kFixedFlags},
                                       {"LvExtra", JetType::Long, kFixedFlags}},
                                      21);
    layout.realIndexes.push_back(
        realIndex({0, 1, 2}, kQueriesIndexRow, kQueriesIndexRoot, index_flag::kJet4 | index_flag::kUnique));
    layout.logicalIndexes = {{0, 0, LogicalIndexKind::PrimaryKey, "ObjectIdAttribute"}};
    return layout;
}

TableLayout relationshipsLayout() {
    TableLayout layout = systemLayout({{"szRelationship", JetType::Text, kVariableFlags},
                                       {"grbit", JetType::Long, kFixedFlags},
                                       {"ccolumn", JetType::Long, kFixedFlags},
                                       {"icolumn", JetType::Long, kFixedFlags},
                                       {"szObject", JetType::Text, kVariableFlags},
                                       {"szColumn", JetType::Text, kVariableFlags},
                                       {"szReferencedObject", JetType::Text, kVariableFlags},
                                       {"szReferencedColumn", JetType::Text, kVariableFlags}},
                                      26);
    const std::uint8_t flags = index_flag::kJet4 | index_flag::kIgnoreNulls;
    const std::uint16_t indexed[3] = {0, 4, 6};
    for (int i = 0; i < 3; ++i) {
        layout.realIndexes.push_back(
            realIndex({indexed[i]}, kRelationshipsIndexRows[i], kRelationshipsIndexRoots[i], flags));
    }
    layout.logicalIndexes = {{1, 1, LogicalIndexKind::Plain, "szObject"},
                             {2, 2, LogicalIndexKind::Plain, "szReferencedObject"},
                             {0, 0, LogicalIndexKind::Plain, "szRelationship"}};
    return layout;
}

std::vector<CatalogObject> systemObjects() {
    const double date = systemDate();
    return {
        {kTablesId, kRootId, "Tables", kTypeContainer, date, kEngineSid, kSystemFlag},
        {kDatabasesId, kRootId, "Databases", kTypeContainer, date, kEngineSid, kSystemFlag},
        {kRelationshipsId, kRootId, "Relationships", kTypeContainer, date, kEngineSid, kSystemFlag},
        {kMSysDbId, kDatabasesId, "MSysDb", kTypeDatabase, date, kCreatorSid, kSystemFlag},
        {kObjectsTdef, kTablesId, "MSysObjects", kTypeTable, date, kEngineSid, kSystemFlag},
        {kAcesTdef, kTablesId, "MSysACEs", kTypeTable, date, kEngineSid, kSystemFlag},
        {kQueriesTdef, kTablesId, "MSysQueries", kTypeTable, date, kEngineSid, kSystemFlag},
        {kRelationshipsTdef, kTablesId, "MSysRelationships", kTypeTable, date, kEngineSid, kSystemFlag},
    };
}

CatalogObject userTableObject(std::uint32_t tdefPage, const std::string& name, double created) {
    // A user table belongs to the owner of MSysDb.
    return {tdefPage, kTablesId, name, kTypeTable, created, kCreatorSid, 0};
}

std::vector<AccessEntry> systemAccessEntries() {
    return {
        {kObjectsTdef, kCreatorSid, 393216, false},
        {kAcesTdef, kCreatorSid, 393216, false},
        {kQueriesTdef, kCreatorSid, 393216, false},
        {kRelationshipsTdef, kCreatorSid, 917504, false},
        {kTablesId, kCreatorPlaceholderSid, 983294, true},
        {kTablesId, kCreatorSid, 393217, false},
        {kRelationshipsId, kCreatorPlaceholderSid, 983294, true},
        {kRelationshipsId, kCreatorSid, 393217, false},
        {kDatabasesId, kCreatorSid, 393216, false},
        {kMSysDbId, kCreatorSid, 393230, false},
        {kMSysDbId, kUsersSid, 14, false},
        {kQueriesTdef, kUsersSid, 20, false},
        {kRelationshipsTdef, kUsersSid, 20, false},
        {kObjectsTdef, kUsersSid, 20, false},
        {kTablesId, kUsersSid, 1048319, true},
        {kRelationshipsId, kUsersSid, kFullRights, true},
    };
}

std::vector<AccessEntry> userTableAccessEntries(std::uint32_t tdefPage) {
    return {{tdefPage, kCreatorSid, kTableRights, false}, {tdefPage, kUsersSid, kTableRights, false}};
}

std::string objectRow(const TableLayout& objects, const CatalogObject& object) {
    std::vector<Cell> cells(objects.columns.size());
    auto set = [&](std::uint16_t column, std::string bytes) {
        cells[column].present = true;
        cells[column].bytes = std::move(bytes);
    };
    std::string v;
    putU32(v, object.id);
    set(objects_column::kId, std::exchange(v, {}));
    putU32(v, object.parentId);
    set(objects_column::kParentId, std::exchange(v, {}));
    set(objects_column::kName, utf16leBytes(utf8ToUtf16(object.name, "名称")));
    putU16(v, static_cast<std::uint16_t>(object.type));
    set(objects_column::kType, std::exchange(v, {}));
    putDouble(v, object.created);
    set(objects_column::kDateCreate, v);
    set(objects_column::kDateUpdate, std::exchange(v, {}));
    set(objects_column::kOwner, object.owner);
    putU32(v, object.flags);
    set(objects_column::kFlags, std::exchange(v, {}));
    return assembleRow(objects, cells);
}

std::string accessEntryRow(const TableLayout& aces, const AccessEntry& entry) {
    std::vector<Cell> cells(aces.columns.size());
    std::string v;
    putU32(v, entry.objectId);
    cells[0] = {true, std::exchange(v, {})};
    cells[1] = {true, entry.sid};
    putU32(v, entry.rights);
    cells[2] = {true, std::exchange(v, {})};
    cells[3] = {entry.inheritable, {}};
    return assembleRow(aces, cells);
}

std::string objectNameKey(std::uint32_t parentId, const std::string& name) {
    auto text = generalTextKey(utf8ToUtf16(name, "表名"));
    if (!text) throw Error("表名 " + name + " 含有 Jet 目录索引不支持的字符");
    return longIndexKey(static_cast<std::int32_t>(parentId)) + *text;
}

}  // namespace tabulon::jet::catalog

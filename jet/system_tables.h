#pragma once
// The system catalogue Jet creates in every database: MSysObjects,
// MSysACEs, MSysQueries, MSysRelationships, their rows and where they live.

#include <cstdint>
#include <string>
#include <vector>

#include "jet/table_layout.h"

namespace tabulon::jet::catalog {

// Fixed pages of a fresh Jet database.
inline constexpr std::uint32_t kGlobalMapPage = 1;
inline constexpr std::uint32_t kObjectsTdef = 2;
inline constexpr std::uint32_t kAcesTdef = 3;
inline constexpr std::uint32_t kQueriesTdef = 4;
inline constexpr std::uint32_t kRelationshipsTdef = 5;
inline constexpr std::uint32_t kSystemMapsPage = 6;
inline constexpr std::uint32_t kObjectsNameIndexRoot = 7;
inline constexpr std::uint32_t kObjectsIdIndexRoot = 8;
inline constexpr std::uint32_t kAcesIndexRoot = 9;
inline constexpr std::uint32_t kQueriesIndexRoot = 10;
inline constexpr std::uint32_t kRelationshipsIndexRoots[3] = {11, 12, 13};
inline constexpr std::uint32_t kObjectsData = 14;
inline constexpr std::uint32_t kAcesData = 15;
inline constexpr std::uint32_t kSystemPageCount = 16;

// Rows of page 6 holding the system tables' usage maps.
inline constexpr std::uint8_t kSystemMapRows = 31;
inline constexpr std::uint8_t kObjectsOwnedRow = 0;
inline constexpr std::uint8_t kObjectsFreeRow = 1;
inline constexpr std::uint8_t kObjectsNameIndexRow = 16;
inline constexpr std::uint8_t kObjectsIdIndexRow = 17;
inline constexpr std::uint8_t kAcesOwnedRow = 18;
inline constexpr std::uint8_t kAcesFreeRow = 19;
inline constexpr std::uint8_t kAcesIndexRow = 20;
inline constexpr std::uint8_t kQueriesIndexRow = 25;
inline constexpr std::uint8_t kRelationshipsIndexRows[3] = {28, 29, 30};

// Catalogue ids and parents.
inline constexpr std::uint32_t kRootId = 0x0F000000;
inline constexpr std::uint32_t kTablesId = 0x0F000001;
inline constexpr std::uint32_t kDatabasesId = 0x0F000002;
inline constexpr std::uint32_t kRelationshipsId = 0x0F000003;
inline constexpr std::uint32_t kMSysDbId = 0x10000000;
inline constexpr std::uint32_t kSystemFlag = 0x80000000;
inline constexpr std::uint32_t kHiddenFlags = 0x80000002;  // Jet or Access system object
inline constexpr std::int16_t kTypeTable = 1;
inline constexpr std::int16_t kTypeDatabase = 2;
inline constexpr std::int16_t kTypeContainer = 3;

// Column numbers of MSysObjects that this writer fills.
namespace objects_column {
inline constexpr std::uint16_t kId = 0, kParentId = 1, kName = 2, kType = 3, kDateCreate = 4, kDateUpdate = 5,
                               kOwner = 6, kFlags = 7, kLvProp = 14;
}

TableLayout objectsLayout();
TableLayout acesLayout();
TableLayout queriesLayout();
TableLayout relationshipsLayout();

struct CatalogObject {
    std::uint32_t id = 0;
    std::uint32_t parentId = 0;
    std::string name;  // UTF-8
    std::int16_t type = 0;
    double created = 0;  // OLE date
    std::string owner;   // security id bytes
    std::uint32_t flags = 0;
};

struct AccessEntry {
    std::uint32_t objectId = 0;
    std::string sid;
    std::uint32_t rights = 0;
    bool inheritable = false;
};

// The eight objects of every Jet database, in Jet's order.
std::vector<CatalogObject> systemObjects();
CatalogObject userTableObject(std::uint32_t tdefPage, const std::string& name, double created);

// The sixteen permission rows of the system objects, in Jet's order.
std::vector<AccessEntry> systemAccessEntries();
// Full rights for the creator and the Users group, as Access grants them.
std::vector<AccessEntry> userTableAccessEntries(std::uint32_t tdefPage);

std::string objectRow(const TableLayout& objects, const CatalogObject& object);
std::string accessEntryRow(const TableLayout& aces, const AccessEntry& entry);

// Index key of (ParentId, Name) in MSysObjects; throws Error when the name
// has characters without an implemented sort code.
std::string objectNameKey(std::uint32_t parentId, const std::string& name);

}  // namespace tabulon::jet::catalog

#include "jet/file_writer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <set>

#include "base/atomic_file.h"
#include "base/error.h"
#include "base/file_output.h"
#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/header_page.h"
#include "jet/index_tree.h"
#include "jet/long_value.h"
#include "jet/page_store.h"
#include "jet/row.h"
#include "jet/row_sink.h"
#include "jet/system_tables.h"
#include "jet/tdef.h"
#include "jet/usage_map.h"

namespace tabulon::jet {
namespace {

constexpr std::uint32_t kMapHolderOwner = 0;
constexpr std::uint32_t kGlobalMapOwner = 1;
constexpr std::uint32_t kRememberedPagesAtMost = 2048;
// Pages the writer holds when it writes straight to a file.
constexpr std::size_t kCachedPages = 1024;

// Pages handed out from a list reserved earlier, in order.
class Reserved {
public:
    Reserved(PageStore& store, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) pages_.push_back(store.allocate());
    }
    std::uint32_t next() {
        if (pages_.empty()) throw Error("内部错误：预留的目录页不够");
        const std::uint32_t page = pages_.front();
        pages_.pop_front();
        return page;
    }
    bool exhausted() const { return pages_.empty(); }

private:
    std::deque<std::uint32_t> pages_;
};

std::size_t pagesForRows(const std::vector<std::string>& rows) {
    std::size_t pages = 0, free = 0, count = 0;
    for (const std::string& row : rows) {
        if (pages == 0 || count == data_page::kMaxRows || row.size() + 2 > free) {
            ++pages;
            free = kPageSize - data_page::kHeader;
            count = 0;
        }
        free -= row.size() + 2;
        ++count;
    }
    return std::max<std::size_t>(pages, 1);
}

std::vector<std::uint32_t> sorted(std::vector<std::uint32_t> pages) {
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Rows of one page written at once (page 1 and page 6 have fixed places).
void writeRows(PageStore& store, std::uint32_t page, std::uint32_t owner, const std::vector<std::string>& rows) {
    data_page::init(store.page(page), owner);
    for (const std::string& row : rows) data_page::addRow(store.page(page), row);
}

void writeMapRows(PageStore& store, std::uint32_t page, const std::vector<std::vector<std::uint32_t>>& pageSets) {
    std::vector<std::string> rows;
    for (const auto& pages : pageSets) rows.push_back(buildPageMap(pages, store));
    writeRows(store, page, kMapHolderOwner, rows);
}

// Catalogue content whose size does not depend on page numbers, so that its
// pages can be reserved before the user tables take theirs.
struct CataloguePlan {
    std::vector<catalog::CatalogObject> objects;
    std::vector<catalog::AccessEntry> aces;
    std::size_t objectPages = 0, acePages = 0;
    std::size_t nameIndexPages = 0, idIndexPages = 0, aceIndexPages = 0;
};

std::vector<std::string> objectNameEntries(const std::vector<catalog::CatalogObject>& objects,
                                           const std::vector<std::uint32_t>& pointers) {
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        entries.push_back(leafEntry(catalog::objectNameKey(objects[i].parentId, objects[i].name),
                                    pointerPage(pointers[i]), static_cast<std::uint8_t>(pointerRow(pointers[i]))));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::string> idEntries(const std::vector<std::uint32_t>& ids, const std::vector<std::uint32_t>& pointers) {
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        entries.push_back(leafEntry(longIndexKey(static_cast<std::int32_t>(ids[i])), pointerPage(pointers[i]),
                                    static_cast<std::uint8_t>(pointerRow(pointers[i]))));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

CataloguePlan planCatalogue(const std::vector<StoredTable>& tables, const TableLayout& objectsLayout,
                            const TableLayout& acesLayout) {
    CataloguePlan plan;
    plan.objects = catalog::systemObjects();
    plan.aces = catalog::systemAccessEntries();
    for (const StoredTable& table : tables) {
        plan.objects.push_back(catalog::userTableObject(0, table.definition().name, table.created()));
        for (const auto& ace : catalog::userTableAccessEntries(0)) plan.aces.push_back(ace);
    }
    std::vector<std::string> objectRows, aceRows;
    for (const auto& object : plan.objects) objectRows.push_back(catalog::objectRow(objectsLayout, object));
    for (const auto& ace : plan.aces) aceRows.push_back(catalog::accessEntryRow(acesLayout, ace));
    plan.objectPages = pagesForRows(objectRows);
    plan.acePages = pagesForRows(aceRows);
    // Index shapes depend on entry sizes only, so placeholder pointers give the real shape.
    const std::vector<std::uint32_t> noPointers(std::max(plan.objects.size(), plan.aces.size()), 0);
    std::vector<std::uint32_t> objectIds(plan.objects.size(), 0), aceIds(plan.aces.size(), 0);
    plan.nameIndexPages = planIndexTree(objectNameEntries(plan.objects, noPointers)).pageCount();
    plan.idIndexPages = planIndexTree(idEntries(objectIds, noPointers)).pageCount();
    plan.aceIndexPages = planIndexTree(idEntries(aceIds, noPointers)).pageCount();
    return plan;
}

// One user table: TDEF, usage-map rows, key index, long values, data pages.
// Returns the TDEF page, which is the table's catalogue id.
std::uint32_t writeUserTable(PageStore& store, const StoredTable& table) {
    auto allocate = [&store] { return store.allocate(); };
    TableLayout layout = table.layout();
    const std::size_t definitionLength = table.definitionLength();
    std::vector<std::uint32_t> tdefPages;
    for (std::size_t i = 0; i < tdefPageCount(definitionLength); ++i) tdefPages.push_back(store.allocate());
    const std::uint32_t tdefPage = tdefPages.front();

    const std::size_t mapRows = 3 + 2 * layout.longValueColumnCount();
    const std::size_t mapsPerPage = (kPageSize - data_page::kHeader) / (kMapRowSize + 2);
    std::vector<std::uint32_t> mapPages;
    for (std::size_t i = 0; i < (mapRows + mapsPerPage - 1) / mapsPerPage; ++i) mapPages.push_back(store.allocate());
    const std::uint32_t rootPage = store.allocate();

    // Long values first, so rows can carry their pointers.
    std::map<std::uint16_t, LongValueWriter> longWriters;
    for (const LongValueMaps& maps : layout.longValueMaps)
        longWriters.emplace(maps.column, LongValueWriter(store, allocate));
    std::vector<std::uint32_t> longPointers;
    longPointers.reserve(table.longValues().size());
    for (const PendingLongValue& value : table.longValues()) {
        longPointers.push_back(longWriters.at(value.column).write(table.longValueData(value)));
    }

    RowSink data(store, tdefPage, allocate);
    std::vector<LongKeyEntry> keyEntries;
    keyEntries.reserve(table.rowCount());
    std::string image;
    std::size_t nextLong = 0;
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        image.assign(table.rowImage(i));
        for (; nextLong < table.longValues().size() && table.longValues()[nextLong].row == i; ++nextLong) {
            setU32(&image[table.longValues()[nextLong].headerOffset + 4], longPointers[nextLong]);
        }
        const std::uint32_t at = data.add(image);
        keyEntries.push_back(longKeyEntry(table.rowId(i), pointerPage(at), static_cast<std::uint8_t>(pointerRow(at))));
    }
    std::sort(keyEntries.begin(), keyEntries.end(), [](const LongKeyEntry& a, const LongKeyEntry& b) {
        return std::memcmp(a.data(), b.data(), a.size()) < 0;
    });
    const std::vector<std::uint32_t> indexPages = writeIndexTree(store, rootPage, tdefPage, keyEntries, allocate);

    // Map rows: owned data pages, data pages with room, key index pages, then
    // owned and free long-value pages per memo column.
    std::vector<std::string> maps;
    maps.push_back(buildPageMap(data.pages(), store));
    maps.push_back(buildPageMap(data.pagesWithSpace(table.minimumRowSize()), store));
    maps.push_back(buildPageMap(sorted(indexPages), store));
    for (const LongValueMaps& lv : layout.longValueMaps) {
        const LongValueWriter& writer = longWriters.at(lv.column);
        maps.push_back(buildPageMap(writer.pages(), store));
        maps.push_back(buildPageMap(writer.pagesWithSpace(), store));
    }
    std::size_t nextMapPage = 0;
    RowSink mapSink(store, kMapHolderOwner, [&] { return mapPages.at(nextMapPage++); });
    std::vector<std::uint32_t> mapPointers;
    for (const std::string& map : maps) mapPointers.push_back(mapSink.add(map));

    layout.rowCount = static_cast<std::uint32_t>(table.rowCount());
    layout.lastAutoNumber = static_cast<std::uint32_t>(table.lastId());
    layout.ownedPages = mapPointers[0];
    layout.freeSpacePages = mapPointers[1];
    RealIndexLayout& primaryKey = layout.realIndexes.at(0);
    primaryKey.usageMap = mapPointers[2];
    primaryKey.rootPage = rootPage;
    primaryKey.uniqueEntries = static_cast<std::uint32_t>(table.rowCount());
    for (std::size_t i = 0; i < layout.longValueMaps.size(); ++i) {
        layout.longValueMaps[i].ownedPages = mapPointers[3 + 2 * i];
        layout.longValueMaps[i].freeSpacePages = mapPointers[4 + 2 * i];
    }
    const std::string definition = encodeTdef(layout);
    if (definition.size() != definitionLength) throw Error("内部错误：表定义长度与预计不符");
    writeTdefPages(store, tdefPages, definition);
    return tdefPage;
}

// A table only ever writes to the pages it allocates, one run from the end of the file,
// and their bytes depend only on the table and where the run starts.
std::uint32_t writeOrReuseUserTable(PageStore& store, const StoredTable& table) {
    const std::uint32_t first = store.count();
    if (const auto& written = table.writtenPages(); written && written->firstPage == first) {
        store.append(written->bytes);
        return written->tdefPage;
    }
    const std::uint32_t tdefPage = writeUserTable(store, table);
    // Kept only while small: a copy of a large table would hold its whole size in memory.
    if (store.count() - first <= kRememberedPagesAtMost)
        table.rememberWrittenPages({first, tdefPage, store.copyFrom(first)});
    return tdefPage;
}

}  // namespace

namespace {

void writeDatabase(PageStore& store, const std::vector<StoredTable>& tables) {
    for (std::uint32_t i = 0; i < catalog::kSystemPageCount; ++i) store.allocate();
    const std::string header = buildHeaderPage();
    std::copy(header.begin(), header.end(), store.page(0));

    TableLayout objects = catalog::objectsLayout();
    TableLayout aces = catalog::acesLayout();
    CataloguePlan plan = planCatalogue(tables, objects, aces);
    Reserved objectPages(store, plan.objectPages - 1);
    Reserved acePages(store, plan.acePages - 1);
    Reserved nameIndexPages(store, plan.nameIndexPages - 1);
    Reserved idIndexPages(store, plan.idIndexPages - 1);
    Reserved aceIndexPages(store, plan.aceIndexPages - 1);

    // Room for the user tables up front: growing page by page copies the file again and again.
    std::size_t pages = store.count();
    for (const StoredTable& table : tables) pages += table.pagesAtLeast();
    store.reserve(pages);

    const std::size_t systemObjectCount = catalog::systemObjects().size();
    const std::size_t systemAceCount = catalog::systemAccessEntries().size();
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const std::uint32_t tdefPage = writeOrReuseUserTable(store, tables[t]);
        plan.objects[systemObjectCount + t].id = tdefPage;
        plan.aces[systemAceCount + 2 * t].objectId = tdefPage;
        plan.aces[systemAceCount + 2 * t + 1].objectId = tdefPage;
    }

    // Catalogue rows on page 14 / 15 and their reserved continuations.
    bool firstObjectPage = true, firstAcePage = true;
    RowSink objectSink(store, catalog::kObjectsTdef, [&] {
        return std::exchange(firstObjectPage, false) ? catalog::kObjectsData : objectPages.next();
    });
    RowSink aceSink(store, catalog::kAcesTdef,
                    [&] { return std::exchange(firstAcePage, false) ? catalog::kAcesData : acePages.next(); });
    std::vector<std::uint32_t> objectPointers, acePointers, objectIds, aceObjectIds;
    std::size_t smallestObjectRow = SIZE_MAX, smallestAceRow = SIZE_MAX;
    for (const auto& object : plan.objects) {
        const std::string row = catalog::objectRow(objects, object);
        smallestObjectRow = std::min(smallestObjectRow, row.size());
        objectPointers.push_back(objectSink.add(row));
        objectIds.push_back(object.id);
    }
    for (const auto& ace : plan.aces) {
        const std::string row = catalog::accessEntryRow(aces, ace);
        smallestAceRow = std::min(smallestAceRow, row.size());
        acePointers.push_back(aceSink.add(row));
        aceObjectIds.push_back(ace.objectId);
    }

    auto indexPagesOf = [&store](std::uint32_t root, std::uint32_t tdef, const std::vector<std::string>& entries,
                                 Reserved& pool) {
        auto pages = writeIndexTree(store, root, tdef, entries, [&pool] { return pool.next(); });
        if (!pool.exhausted()) throw Error("内部错误：目录索引页数与预计不符");
        return sorted(pages);
    };
    const auto namePages = indexPagesOf(catalog::kObjectsNameIndexRoot, catalog::kObjectsTdef,
                                        objectNameEntries(plan.objects, objectPointers), nameIndexPages);
    const auto idPages = indexPagesOf(catalog::kObjectsIdIndexRoot, catalog::kObjectsTdef,
                                      idEntries(objectIds, objectPointers), idIndexPages);
    const auto acePagesUsed =
        indexPagesOf(catalog::kAcesIndexRoot, catalog::kAcesTdef, idEntries(aceObjectIds, acePointers), aceIndexPages);
    if (!objectPages.exhausted() || !acePages.exhausted()) throw Error("内部错误：目录数据页数与预计不符");

    // Empty roots of the MSysQueries and MSysRelationships indexes.
    writeIndexTree(store, catalog::kQueriesIndexRoot, catalog::kQueriesTdef, std::vector<std::string>{},
                   [] { return 0u; });
    for (std::uint32_t root : catalog::kRelationshipsIndexRoots) {
        writeIndexTree(store, root, catalog::kRelationshipsTdef, std::vector<std::string>{}, [] { return 0u; });
    }

    // Page 6: the usage maps of the system tables.
    std::vector<std::vector<std::uint32_t>> systemMaps(catalog::kSystemMapRows);
    systemMaps[catalog::kObjectsOwnedRow] = sorted(objectSink.pages());
    systemMaps[catalog::kObjectsFreeRow] = objectSink.pagesWithSpace(smallestObjectRow);
    systemMaps[catalog::kObjectsNameIndexRow] = namePages;
    systemMaps[catalog::kObjectsIdIndexRow] = idPages;
    systemMaps[catalog::kAcesOwnedRow] = sorted(aceSink.pages());
    systemMaps[catalog::kAcesFreeRow] = aceSink.pagesWithSpace(smallestAceRow);
    systemMaps[catalog::kAcesIndexRow] = acePagesUsed;
    systemMaps[catalog::kQueriesIndexRow] = {catalog::kQueriesIndexRoot};
    for (int i = 0; i < 3; ++i)
        systemMaps[catalog::kRelationshipsIndexRows[i]] = {catalog::kRelationshipsIndexRoots[i]};
    writeMapRows(store, catalog::kSystemMapsPage, systemMaps);

    // System TDEFs with the final counts.
    objects.rowCount = static_cast<std::uint32_t>(plan.objects.size());
    for (RealIndexLayout& index : objects.realIndexes) index.uniqueEntries = objects.rowCount;
    aces.rowCount = static_cast<std::uint32_t>(plan.aces.size());
    aces.realIndexes[0].uniqueEntries =
        static_cast<std::uint32_t>(std::set<std::uint32_t>(aceObjectIds.begin(), aceObjectIds.end()).size());
    writeTdefPages(store, {catalog::kObjectsTdef}, encodeTdef(objects));
    writeTdefPages(store, {catalog::kAcesTdef}, encodeTdef(aces));
    writeTdefPages(store, {catalog::kQueriesTdef}, encodeTdef(catalog::queriesLayout()));
    writeTdefPages(store, {catalog::kRelationshipsTdef}, encodeTdef(catalog::relationshipsLayout()));

    // Page 1 last: it may add bitmap pages, and must see the final size.
    const std::string freeMap = buildFreePageMap(store);
    writeRows(store, catalog::kGlobalMapPage, kGlobalMapOwner, {freeMap, buildPageMap({}, store)});
}

}  // namespace

std::string writeDatabaseFile(const std::vector<StoredTable>& tables) {
    PageStore store;
    writeDatabase(store, tables);
    return std::move(store).release();
}

void writeDatabaseFile(const std::vector<StoredTable>& tables, const std::filesystem::path& path) {
    try {
        AtomicFile file(path);
        PageStore store(file.descriptor(), kCachedPages, displayPath(path));
        writeDatabase(store, tables);
        store.flush();
        file.commit();
    } catch (const tabulon::Error& e) {
        throw Error(e.what());  // callers of the Jet writer catch jet::Error
    }
}

}  // namespace tabulon::jet

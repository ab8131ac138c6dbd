#include "tests/jet/jet_edits.h"

#include <stdexcept>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/names.h"
#include "jet/page_size.h"
#include "jet/table_scan.h"
#include "jet/tdef.h"
#include "jet/usage_map.h"

namespace tabulon::jet::testing {
namespace {

constexpr std::uint16_t kDeletedFlag = 0x8000;
constexpr std::uint16_t kMovedFlag = 0x4000;

std::string_view pageOf(const std::string& file, std::uint32_t page) {
    return std::string_view(file).substr(page * kPageSize, kPageSize);
}

}  // namespace

std::uint32_t JetEdits::tdefPage(const std::string& table) const {
    for (const CatalogueEntry& entry : catalogueEntries(file_)) {
        if (entry.parentId == 0x0F000001 && nameFoldKey(entry.name) == nameFoldKey(table)) return entry.id & 0xFFFFFF;
    }
    throw std::runtime_error("no table " + table);
}

std::size_t JetEdits::ownedMapRow(std::uint32_t tdef, std::size_t& length) const {
    const TableLayout layout = readTableLayout(file_, tdef);
    const std::string_view page = pageOf(file_, pointerPage(layout.ownedPages));
    const unsigned row = pointerRow(layout.ownedPages);
    const std::size_t start = data_page::rowStart(page, row);
    length = (row == 0 ? kPageSize : data_page::rowStart(page, row - 1)) - start;
    return pointerPage(layout.ownedPages) * kPageSize + start;
}

std::vector<std::uint32_t> JetEdits::dataPages(const std::string& table) const {
    std::size_t length = 0;
    const std::size_t at = ownedMapRow(tdefPage(table), length);
    return readPageMap(std::string_view(file_).substr(at, length), file_);
}

JetEdits::Slot JetEdits::findRow(const std::string& table, std::int32_t id) const {
    const std::uint32_t tdef = tdefPage(table);
    for (std::uint32_t page : dataPages(table)) {
        const std::string_view bytes = pageOf(file_, page);
        if (data_page::owner(bytes) != tdef) continue;
        for (unsigned n = 0; n < data_page::rowCount(bytes); ++n) {
            if (data_page::slotState(bytes, n) != data_page::SlotState::Live) continue;
            const std::string_view row = data_page::rowBytes(bytes, n);
            // Column 0, the `id` counter, sits first in the fixed area.
            if (static_cast<std::int32_t>(getU32(row, 2)) == id) {
                return {page * kPageSize + data_page::kHeader + 2 * n,
                        static_cast<std::size_t>(row.data() - file_.data()), row.size()};
            }
        }
    }
    throw std::runtime_error("no row " + std::to_string(id) + " in " + table);
}

void JetEdits::deleteRow(const std::string& table, std::int32_t id) {
    const Slot slot = findRow(table, id);
    setU16(&file_[slot.slotAt], static_cast<std::uint16_t>(getU16(file_, slot.slotAt) | kDeletedFlag));
    const std::size_t rowCountAt = tdefPage(table) * kPageSize + 16;
    setU32(&file_[rowCountAt], getU32(file_, rowCountAt) - 1);
}

std::uint32_t JetEdits::appendPage() {
    const auto page = static_cast<std::uint32_t>(file_.size() / kPageSize);
    file_.append(kPageSize, '\0');
    return page;
}

void JetEdits::addOwnedPage(std::uint32_t tdef, std::uint32_t page) {
    std::size_t length = 0;
    const std::size_t at = ownedMapRow(tdef, length);
    if (getU8(file_, at) == 0) {
        const std::uint32_t start = getU32(file_, at + 1);
        if (page < start || page - start >= (length - 5) * 8) throw std::runtime_error("page outside the inline map");
        file_[at + 5 + (page - start) / 8] |= static_cast<char>(1 << ((page - start) % 8));
    } else {
        const std::uint32_t bitmap = getU32(file_, at + 1);  // first slot: pages 0 .. 32735
        const std::size_t bit = page;
        file_[bitmap * kPageSize + 4 + bit / 8] |= static_cast<char>(1 << (bit % 8));
    }
}

void JetEdits::moveRow(const std::string& table, std::int32_t id) {
    const std::uint32_t tdef = tdefPage(table);
    const Slot slot = findRow(table, id);
    const std::string row = file_.substr(slot.rowAt, slot.length);
    const std::uint32_t page = appendPage();
    char* target = &file_[page * kPageSize];
    data_page::init(target, tdef);
    data_page::addRow(target, row);
    setU16(target + data_page::kHeader,
           static_cast<std::uint16_t>(getU16(file_, page * kPageSize + data_page::kHeader) | kDeletedFlag));
    setU32(&file_[slot.rowAt], rowPointer(page, 0));
    setU16(&file_[slot.slotAt], static_cast<std::uint16_t>(getU16(file_, slot.slotAt) | kMovedFlag));
    addOwnedPage(tdef, page);
}

void JetEdits::addRow(std::uint32_t tdef, const std::string& row) {
    const std::uint32_t page = appendPage();
    char* target = &file_[page * kPageSize];
    data_page::init(target, tdef);
    data_page::addRow(target, row);
    addOwnedPage(tdef, page);
    const std::size_t rowCount = tdef * kPageSize + 16;
    setU32(&file_[rowCount], getU32(file_, rowCount) + 1);
}

void JetEdits::useReferenceMap(const std::string& table) {
    const std::uint32_t tdef = tdefPage(table);
    const std::vector<std::uint32_t> pages = dataPages(table);
    const std::uint32_t bitmap = appendPage();
    file_[bitmap * kPageSize] = 0x05;
    file_[bitmap * kPageSize + 1] = 0x01;
    std::size_t length = 0;
    const std::size_t at = ownedMapRow(tdef, length);
    file_.replace(at, length, std::string(length, '\0'));
    file_[at] = 0x01;
    setU32(&file_[at + 1], bitmap);
    for (std::uint32_t page : pages) addOwnedPage(tdef, page);
}

}  // namespace tabulon::jet::testing

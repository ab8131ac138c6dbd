#include "jet/table_scan.h"

#include <algorithm>

#include "jet/byte_io.h"
#include "jet/data_page.h"
#include "jet/error.h"
#include "jet/header_page.h"
#include "jet/page_size.h"
#include "jet/row.h"
#include "jet/system_tables.h"
#include "jet/tdef.h"
#include "jet/text_codec.h"
#include "jet/usage_map.h"

namespace tabulon::jet {
namespace {

std::string pageName(std::uint32_t page) { return "第 " + std::to_string(page) + " 页"; }

// A moved row keeps a 4-byte pointer to its new place, a row of the same table.
std::string_view movedRow(std::string_view file, std::uint32_t tdefPage, std::string_view stub) {
    if (stub.size() < 4) throw Error("移动行的指针不完整");
    const std::uint32_t pointer = getU32(stub, 0);
    const std::string_view target = filePage(file, pointerPage(pointer));
    if (getU8(target, 0) != data_page::kType || data_page::owner(target) != tdefPage) {
        throw Error("移动行指向的" + pageName(pointerPage(pointer)) + "不属于同一个表");
    }
    return data_page::rowAt(file, pointer);
}

}  // namespace

std::string_view filePage(std::string_view file, std::uint32_t n) {
    if (static_cast<std::size_t>(n) >= file.size() / kPageSize) throw Error(pageName(n) + "超出文件末尾");
    return file.substr(static_cast<std::size_t>(n) * kPageSize, kPageSize);
}

void forEachRow(std::string_view file, std::uint32_t tdefPage, const TableLayout& layout,
                const std::function<void(std::string_view row)>& visit) {
    std::vector<std::uint32_t> pages;
    try {
        pages = readPageMap(data_page::rowAt(file, layout.ownedPages), file);
    } catch (const Error& e) {
        throw Error("表（定义在" + pageName(tdefPage) + "）的数据页映射已损坏：" + e.what());
    }
    for (std::uint32_t page : pages) {
        std::string_view bytes;
        try {
            bytes = filePage(file, page);
        } catch (const Error& e) {
            throw Error("表（定义在" + pageName(tdefPage) + "）的数据页映射列出了" + e.what());
        }
        // Like the other readers, skip pages that are not this table's data pages.
        if (getU8(bytes, 0) != data_page::kType || data_page::owner(bytes) != tdefPage) continue;
        unsigned n = 0;
        try {
            const unsigned count = data_page::checkedRowCount(bytes);
            for (; n < count; ++n) {
                switch (data_page::slotState(bytes, n)) {
                case data_page::SlotState::Live: visit(data_page::rowBytes(bytes, n)); break;
                case data_page::SlotState::Moved: visit(movedRow(file, tdefPage, data_page::rowBytes(bytes, n))); break;
                case data_page::SlotState::Deleted: break;
                }
            }
        } catch (const Error& e) {
            throw Error("数据" + pageName(page) + "第 " + std::to_string(n) + " 行已损坏：" + e.what());
        }
    }
}

std::vector<CatalogueEntry> catalogueEntries(std::string_view file) {
    namespace col = catalog::objects_column;
    const TableLayout objects = readTableLayout(file, catalog::kObjectsTdef);
    const auto column = [&](std::uint16_t number, JetType type) {
        const auto found = std::find_if(objects.columns.begin(), objects.columns.end(),
                                        [&](const ColumnLayout& c) { return c.number == number; });
        if (found == objects.columns.end() || found->type != type) {
            throw Error("系统表 MSysObjects 的结构不符（" + pageName(catalog::kObjectsTdef) + "）");
        }
    };
    column(col::kId, JetType::Long);
    column(col::kParentId, JetType::Long);
    column(col::kName, JetType::Text);
    column(col::kType, JetType::Integer);
    column(col::kDateCreate, JetType::DateTime);
    column(col::kFlags, JetType::Long);
    std::vector<CatalogueEntry> entries;
    forEachRow(file, catalog::kObjectsTdef, objects, [&](std::string_view row) {
        const auto fields = splitRow(objects, row);
        if (!fields[col::kId] || !fields[col::kParentId] || !fields[col::kName] || !fields[col::kType]) {
            throw Error("系统表 MSysObjects 有一行不完整");
        }
        CatalogueEntry entry;
        entry.id = getU32(*fields[col::kId], 0);
        entry.parentId = getU32(*fields[col::kParentId], 0);
        entry.name = utf16ToUtf8(decodeJetText(*fields[col::kName]));
        entry.type = static_cast<std::int16_t>(getU16(*fields[col::kType], 0));
        entry.flags = fields[col::kFlags] ? getU32(*fields[col::kFlags], 0) : 0;
        entry.created = fields[col::kDateCreate] ? getDouble(*fields[col::kDateCreate], 0) : 0.0;
        entry.hasProperties = col::kLvProp < fields.size() && fields[col::kLvProp].has_value();
        entries.push_back(std::move(entry));
    });
    return entries;
}

void checkJetFile(std::string_view file) {
    if (file.size() < catalog::kSystemPageCount * kPageSize || file.size() % kPageSize != 0) {
        throw Error("文件长度不是 Jet 数据库的页长的整数倍，或文件过短");
    }
    checkHeaderPage(file.substr(0, kPageSize));
}

}  // namespace tabulon::jet

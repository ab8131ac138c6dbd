#pragma once
// One generator per page kind, all behind this interface and listed in registry.cpp.
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "catalogue/records.h"
#include "catalogue/snapshot.h"

namespace tabulon::generator {

enum class PageKindId { Add, Modify, Delete, List, Display };

struct PageKind {
    PageKindId id;
    std::string_view name;          // command-line name: "add"
    std::string_view templateKind;  // 模板定义.类型: "添加"
    std::string_view suffix;        // file name suffix: "_Add.asp"
    std::string_view doneMessage;   // shown after the page is written in single-table mode
    std::size_t templateRowsUsed;   // rows T1…Tn the page is built from
};

// What a page generator reads: the whole catalogue model, the table, its fields in page
// order (ascending 排序) and the template rows T1…Tn of its kind (at least templateRowsUsed).
struct PageInput {
    const catalogue::Snapshot& model;
    const catalogue::Table& table;
    const std::vector<const catalogue::Field*>& fields;
    const std::vector<std::string_view>& rows;
};

class PageGenerator {
public:
    virtual ~PageGenerator() = default;
    virtual const PageKind& kind() const = 0;
    // Builds the page text (UTF-8). Problems found in the design are shown through
    // `messages` in the order they are met; the page is still built from what is usable.
    virtual std::string build(const PageInput& input, Messages& messages) const = 0;
};

// The five per-table page kinds in the order a table's pages are generated.
const std::vector<PageKind>& pageKinds();
const PageKind* pageKindByName(std::string_view name);
// The entry of a kind in pageKinds().
const PageKind& pageKind(PageKindId id);
// The generator of a kind.
const PageGenerator& pageGenerator(PageKindId kind);

}  // namespace tabulon::generator

#include "generator/pages/add_page.h"
#include "generator/pages/delete_page.h"
#include "generator/pages/display_page.h"
#include "generator/pages/list_page.h"
#include "generator/pages/modify_page.h"
#include "generator/pages/page_generator.h"

#include <stdexcept>

namespace tabulon::generator {

const std::vector<PageKind>& pageKinds() {
    static const std::vector<PageKind> kinds = {
        {PageKindId::Add, "add", "添加", "_Add.asp", "Create add ok", 6},
        {PageKindId::Modify, "modify", "修改", "_Modify.asp", "Create Modify Ok", 7},
        {PageKindId::Delete, "delete", "删除", "_Delete.asp", "Create Delete ok", 3},
        {PageKindId::List, "list", "列表", "_List.asp", "Create List ok", 16},
        {PageKindId::Display, "display", "显示", "_Display.asp", "Create Display Ok", 7},
    };
    return kinds;
}

const PageKind* pageKindByName(std::string_view name) {
    for (const auto& kind : pageKinds())
        if (kind.name == name) return &kind;
    return nullptr;
}

const PageKind& pageKind(PageKindId id) {
    for (const auto& kind : pageKinds())
        if (kind.id == id) return kind;
    throw std::logic_error("page kind missing from the list");
}

const PageGenerator& pageGenerator(PageKindId kind) {
    static const AddPageGenerator add;
    static const ModifyPageGenerator modify;
    static const DeletePageGenerator remove;
    static const ListPageGenerator list;
    static const DisplayPageGenerator display;
    switch (kind) {
    case PageKindId::Add: return add;
    case PageKindId::Modify: return modify;
    case PageKindId::Delete: return remove;
    case PageKindId::List: return list;
    case PageKindId::Display: return display;
    }
    return add;  // unreachable: the switch names every kind
}

}  // namespace tabulon::generator

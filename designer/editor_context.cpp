#include "designer/editor_context.h"

#include "designer/entries.h"

namespace tabulon::designer {

catalogue::Id Selection::project() const { return selectedValue(projects_); }
catalogue::Id Selection::table() const { return selectedValue(tables_); }
QString Selection::projectName() const { return selectedText(projects_); }
QString Selection::tableName() const { return selectedText(tables_); }

std::vector<catalogue::Id> Selection::listedTables() const {
    std::vector<catalogue::Id> ids;
    ids.reserve(static_cast<std::size_t>(tables_->count()));
    for (int i = 0; i < tables_->count(); ++i) ids.push_back(tables_->item(i)->data(kItemValueRole).toLongLong());
    return ids;
}

catalogue::Catalogue& EditorContext::db() const {
    if (!catalogue_) throw Error(std::string(kNoCatalogue));
    return *catalogue_;
}

}  // namespace tabulon::designer

#pragma once
// The questions asked before a delete: what goes, and what else goes with it or loses its
// link. No Qt here.
#include <string>

#include "catalogue/catalogue.h"

namespace tabulon::designer {

// "删除项目“记账”？" and its tables with their field counts.
std::string projectDeletionQuestion(const catalogue::Catalogue& catalogue, catalogue::Id projectId);
// The table's fields, and the drop-downs and cascades of other tables that point at it,
// by table and field name.
std::string tableDeletionQuestion(const catalogue::Catalogue& catalogue, catalogue::Id tableId);
// The drop-downs and cascades of the project that name the field.
std::string fieldDeletionQuestion(const catalogue::Catalogue& catalogue, catalogue::Id fieldId);
// "删除“列表”模板的第 3 行？" with the row's first line.
std::string templateDeletionQuestion(const catalogue::TemplateRow& row, int place);

}  // namespace tabulon::designer

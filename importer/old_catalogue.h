#pragma once
// A catalogue of the Access format the program once kept (tables 项目, 表, 字段, 模板定义):
// its projects come in as designs, ids remapped, and its template rows as added rows.
#include "catalogue/catalogue.h"
#include "importer/import_run.h"
#include "importer/page_file.h"
#include "importer/source_model.h"

namespace tabulon::importer {

bool isOldCatalogue(const SourceDatabase& source);

// The names of the older catalogue's projects.
std::vector<std::string> oldCatalogueProjects(PageFile& file, const SourceDatabase& source);
// The rows of its 模板定义.
std::size_t oldCatalogueTemplateRows(PageFile& file, const SourceDatabase& source);

ImportResult importOldCatalogue(PageFile& file, const SourceDatabase& source, catalogue::Catalogue& catalogue,
                                const ImportOptions& options);

}  // namespace tabulon::importer

// Writes small designs into the catalogue of a run folder, for the checks that build
// whole sites with the command line, and prints template rows.
//
//   site_design RUN_DIR < design        adds the design read from standard input
//   site_design RUN_DIR template ID     prints the content of one template row
//
// A design is one item a line, fields separated by TAB:
//   project NAME
//   table   NAME                                  (of the last project)
//   field   NAME TYPE DESCRIPTION INPUT-TYPE [LINK]  (of the last table; 排序 3, 6, 9, …)
//   link    FIELD TABLE COLUMN                    (the last table's FIELD lists COLUMN of TABLE,
//                                                  a table of the same project)
// where LINK is up to six more columns naming, by name, what the field's link columns
// hold: 关联表 关联字段 联动表 联动字段 联动条件 联显字段. Tables are of the same project;
// 关联字段 is a field of 关联表 ("id" for its key), 联动字段 and 联动条件 are fields of 联动表,
// 联显字段 is a field of the field's own table. Names are resolved once every line is read,
// so a field may name a table that comes later.
// Each added project and table is printed as "project|table TAB id TAB name".
#include <array>
#include <cstdlib>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace {

using tabulon::catalogue::Catalogue;
using tabulon::catalogue::Field;
using tabulon::catalogue::Id;

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

struct PendingLinks {
    Id fieldId = 0;
    Id tableId = 0;
    Id projectId = 0;
    std::array<std::string, 6> names;  // 关联表 关联字段 联动表 联动字段 联动条件 联显字段
};

Id tableNamed(const Catalogue& catalogue, Id project, const std::string& name) {
    const auto table = catalogue.tableByName(project, name);
    if (!table) throw std::runtime_error("no table named " + name);
    return table->id;
}

std::string fieldNamed(const Catalogue& catalogue, Id table, const std::string& name) {
    if (name == "id") return "0";
    const auto field = catalogue.fieldByName(table, name);
    if (!field) throw std::runtime_error("no field named " + name + " in table " + std::to_string(table));
    return std::to_string(field->id);
}

void resolve(Catalogue& catalogue, const PendingLinks& links) {
    auto field = *catalogue.field(links.fieldId);
    const auto& n = links.names;
    if (!n[0].empty()) {
        const Id linked = tableNamed(catalogue, links.projectId, n[0]);
        field.linkTable = std::to_string(linked);
        field.linkField = fieldNamed(catalogue, linked, n[1]);
    }
    if (!n[2].empty()) {
        const Id cascade = tableNamed(catalogue, links.projectId, n[2]);
        field.cascadeTable = std::to_string(cascade);
        field.cascadeField = fieldNamed(catalogue, cascade, n[3]);
        field.cascadeCondition = fieldNamed(catalogue, cascade, n[4]);
        field.cascadeDisplay = fieldNamed(catalogue, links.tableId, n[5]);
    }
    catalogue.updateField(field);
}

int addDesign(Catalogue& catalogue) {
    Id project = 0;
    Id table = 0;
    std::int64_t order = 0;
    std::vector<PendingLinks> pending;
    std::string line;
    int lineNumber = 0;
    while (std::getline(std::cin, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto parts = splitTabs(line);
        const std::string& kind = parts[0];
        if (kind == "project" && parts.size() == 2) {
            project = catalogue.addProject({0, parts[1], ""});
            std::cout << "project\t" << project << '\t' << parts[1] << '\n';
        } else if (kind == "table" && parts.size() == 2 && project != 0) {
            table = catalogue.addTable({0, project, parts[1], ""});
            order = 0;
            std::cout << "table\t" << table << '\t' << parts[1] << '\n';
        } else if (kind == "field" && parts.size() >= 5 && parts.size() <= 11 && table != 0) {
            Field field;
            field.tableId = table;
            field.name = parts[1];
            field.type = parts[2];
            field.description = parts[3];
            field.inputType = parts[4];
            field.order = order += 3;
            PendingLinks links{catalogue.addField(field), table, project, {}};
            for (std::size_t i = 5; i < parts.size(); ++i) links.names[i - 5] = parts[i];
            if (parts.size() > 5) pending.push_back(links);
        } else if (kind == "link" && parts.size() == 4 && table != 0) {
            auto field = catalogue.fieldByName(table, parts[1]);
            const auto linked = catalogue.tableByName(project, parts[2]);
            const auto column = linked ? catalogue.fieldByName(linked->id, parts[3]) : std::nullopt;
            if (!field || !column) {
                std::cerr << "site_design: line " << lineNumber << " links what does not exist: " << line << '\n';
                return 2;
            }
            field->linkTable = std::to_string(linked->id);
            field->linkField = std::to_string(column->id);
            catalogue.updateField(*field);
        } else {
            std::cerr << "site_design: line " << lineNumber << " is not a design item: " << line << '\n';
            return 2;
        }
    }
    for (const auto& links : pending) resolve(catalogue, links);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "template")) {
        std::cerr << "usage: site_design RUN_DIR < design | site_design RUN_DIR template ID\n";
        return 2;
    }
    try {
        auto catalogue = Catalogue::openInRunFolder(argv[1]);
        if (argc == 2) return addDesign(catalogue);
        const auto row = catalogue.templateRow(std::strtoll(argv[3], nullptr, 10));
        if (!row) {
            std::cerr << "site_design: no template row " << argv[3] << '\n';
            return 1;
        }
        std::cout << row->content;
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "site_design: " << e.what() << '\n';
        return 1;
    }
}

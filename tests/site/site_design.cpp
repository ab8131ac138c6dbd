// Writes small designs into the catalogue of a run folder, for the checks that build
// whole sites with the command line, and prints template rows.
//
//   site_design RUN_DIR < design        adds the design read from standard input
//   site_design RUN_DIR template ID     prints the content of one template row
//
// A design is one item a line, fields separated by TAB:
//   project NAME
//   table   NAME                                  (of the last project)
//   field   NAME TYPE DESCRIPTION INPUT-TYPE      (of the last table; 排序 3, 6, 9, …)
//   link    FIELD TABLE COLUMN                    (the last table's FIELD lists COLUMN of TABLE,
//                                                  a table of the same project)
// Each added project and table is printed as "project|table TAB id TAB name".
#include <cstdlib>
#include <iostream>
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

int addDesign(Catalogue& catalogue) {
    Id project = 0;
    Id table = 0;
    std::int64_t order = 0;
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
        } else if (kind == "field" && parts.size() == 5 && table != 0) {
            Field field;
            field.tableId = table;
            field.name = parts[1];
            field.type = parts[2];
            field.description = parts[3];
            field.inputType = parts[4];
            field.order = order += 3;
            catalogue.addField(field);
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

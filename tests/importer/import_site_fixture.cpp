// Prepares a run folder for the end-to-end suite: writes the staff database (see
// staff_database.h), runs `tabulon import` on it as the program does, and marks the
// 用户 table's fields as the login's user name and password, as a user does in the field
// editor before building. Prints "table<TAB>id<TAB>name" per imported table.
//   import_site_fixture RUN_DIR
// With ACCESS_FILE, that file is imported instead and a 用户 table with the two login
// fields is added to its project, as a user adds it in the window.
//   import_site_fixture RUN_DIR ACCESS_FILE
#include <iostream>

#include "catalogue/catalogue.h"
#include "importer/import_run.h"
#include "tests/importer/staff_database.h"

int main(int argc, char** argv) {
    using namespace tabulon;
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: import_site_fixture RUN_DIR [ACCESS_FILE]\n";
        return 2;
    }
    try {
        const std::filesystem::path runDir = argv[1];
        auto catalogue = catalogue::Catalogue::openInRunFolder(runDir);
        const auto file = argc == 3 ? std::filesystem::path(argv[2]) : importer::samples::writeStaffDatabase(runDir);
        const auto result = importer::importFile(file, catalogue, runDir, {});
        const auto project = catalogue.projectByName(result.projectNames.front());
        if (argc == 3) {
            const auto users = catalogue.addTable({0, project->id, "用户", ""});
            catalogue.addField({0, users, "帐号", "文本", "username", 1, "文本框"});
            catalogue.addField({0, users, "密码", "文本", "password", 2, "文本框"});
        }
        std::cout << "project\t" << project->id << '\t' << project->name << '\n';
        for (const auto& table : catalogue.tables(project->id)) {
            std::cout << "table\t" << table.id << '\t' << table.name << '\n';
            if (table.name != "用户") continue;
            for (auto field : catalogue.fields(table.id, catalogue::FieldOrder::ById)) {
                field.description = field.name == "帐号" ? "username" : "password";
                catalogue.updateField(field);
            }
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}

// Prints what the import reads from an Access file, one line per fact, for the tests that
// compare it with mdbtools:
//   table<TAB>name<TAB>rows
//   column<TAB>table<TAB>name<TAB>type code<TAB>length
//   row<TAB>table<TAB>value<TAB>value…   (values as text; null as \N)
#include <cstdio>
#include <iostream>

#include "importer/page_file.h"
#include "importer/source_reader.h"
#include "jet/error.h"

namespace {

std::string show(const tabulon::jet::Value& value) {
    using namespace tabulon::jet;
    if (std::holds_alternative<std::monostate>(value)) return "\\N";
    if (const auto* s = std::get_if<std::string>(&value)) {
        std::string out;
        for (char c : *s) out += c == '\t' ? std::string("\\t") : c == '\n' ? std::string("\\n") : std::string(1, c);
        return out;
    }
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", *d);
        return text;
    }
    if (const auto* b = std::get_if<bool>(&value)) return *b ? "1" : "0";
    const auto& t = std::get<DateTime>(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tabulon::importer;
    if (argc != 2) {
        std::cerr << "usage: source_dump FILE\n";
        return 2;
    }
    try {
        auto file = PageFile::open(argv[1]);
        const SourceDatabase source = readSource(file);
        std::cout << "version\t" << versionName(source.format.version) << '\n';
        for (const auto& table : source.tables) {
            std::size_t rows = 0;
            std::string lines;
            forEachSourceRow(file, table, [&](const SourceRow& row) {
                ++rows;
                lines += "row\t" + table.name;
                for (const auto& value : row.values) lines += "\t" + show(value);
                for (const auto& problem : row.problems) lines += "\tproblem:" + problem;
                lines += '\n';
            });
            std::cout << "table\t" << table.name << '\t' << rows << '\t' << table.shape.lastAutoNumber << '\n';
            for (const auto& column : table.columns) {
                std::cout << "column\t" << table.name << '\t' << column.layout.name << '\t'
                          << static_cast<int>(column.layout.type) << '\t' << column.layout.length << '\t'
                          << column.description << '\n';
                for (const auto& [name, value] : column.textProperties)
                    std::cout << "property\t" << table.name << '\t' << column.layout.name << '\t' << name << '\t'
                              << value << '\n';
            }
            std::cout << lines;
        }
        for (const auto& r : source.relationships)
            std::cout << "relationship\t" << r.table << '.' << r.column << "\t" << r.referencedTable << '.'
                      << r.referencedColumn << '\n';
        for (const auto& name : source.linkedTables) std::cout << "linked\t" << name << '\n';
        for (const auto& name : source.queries) std::cout << "query\t" << name << '\n';
    } catch (const tabulon::jet::Error& e) {
        std::cout << "refused\t" << e.what() << '\n';
        return 1;
    }
    return 0;
}

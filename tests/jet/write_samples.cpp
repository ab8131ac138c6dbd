// Writes the files the mdb-reader check reads, and manifest.json saying what
// each file must hold.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "generator/database/data_carry.h"
#include "jet/table_data.h"
#include "tests/jet/jet_edits.h"
#include "tests/jet/sample_data.h"

using namespace tabulon::jet;
using tabulon::jet::testing::SampleTable;

namespace {

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const char* readerType(ColumnType type) {
    switch (type) {
    case ColumnType::Text: return "text";
    case ColumnType::Long: return "long";
    case ColumnType::Short: return "integer";
    case ColumnType::Double: return "double";
    case ColumnType::Single: return "float";
    case ColumnType::Byte: return "byte";
    case ColumnType::Numeric: return "numeric";
    case ColumnType::DateTime: return "datetime";
    case ColumnType::Memo: return "memo";
    case ColumnType::Boolean: return "boolean";
    }
    return "";
}

std::string jsonValue(const Column& column, const Value& value) {
    char buffer[64];
    if (std::holds_alternative<std::monostate>(value)) return "null";
    if (const auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* s = std::get_if<std::string>(&value)) return jsonString(*s);
    if (const auto* d = std::get_if<double>(&value)) {
        const double stored = column.type == ColumnType::Single ? static_cast<float>(*d) : *d;
        std::snprintf(buffer, sizeof buffer, "%.17g", stored);
        return buffer;
    }
    const auto& t = std::get<DateTime>(value);
    std::snprintf(buffer, sizeof buffer, "\"%04d-%02d-%02dT%02d:%02d:%02d.000Z\"", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buffer;
}

// `ids`: per table, the id of each row when they are not 1..n.
std::string manifestEntry(const std::string& file, const std::vector<SampleTable>& tables,
                          const std::vector<std::vector<std::int32_t>>& ids = {}) {
    std::string out = "{\"file\":" + jsonString(file) + ",\"tables\":[";
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const auto& table = tables[t];
        out += (t ? "," : "") + std::string("{\"name\":") + jsonString(table.definition.name) + ",\"columns\":[";
        for (std::size_t c = 0; c < table.definition.columns.size(); ++c) {
            const Column& col = table.definition.columns[c];
            out += (c ? "," : "") + std::string("{\"name\":") + jsonString(col.name) + ",\"type\":\"" +
                   readerType(col.type) + "\",\"length\":" + std::to_string(col.length) +
                   ",\"precision\":" + std::to_string(col.precision) + ",\"scale\":" + std::to_string(col.scale) + "}";
        }
        out += "]";
        if (t < ids.size()) {
            out += ",\"ids\":[";
            for (std::size_t r = 0; r < ids[t].size(); ++r) out += (r ? "," : "") + std::to_string(ids[t][r]);
            out += "]";
        }
        out += ",\"rows\":[";
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            out += (r ? ",[" : "[");
            for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
                out += (c ? "," : "") + jsonValue(table.definition.columns[c], table.rows[r][c]);
            }
            out += "]";
        }
        out += "]}";
    }
    return out + "]}";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: jet_write_samples <folder>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::vector<std::string> entries;
    try {
        const auto sample = testing::handWrittenSample();
        testing::buildDatabase(sample).save(folder / "sample.mdb");
        entries.push_back(manifestEntry("sample.mdb", sample));

        for (std::uint32_t seed = 1; seed <= 30; ++seed) {
            const auto design = testing::randomDesign(seed);
            const std::string name = "random" + std::to_string(seed) + ".mdb";
            testing::buildDatabase(design).save(folder / name);
            entries.push_back(manifestEntry(name, design));
        }

        // A login table created first, then given one account per later run.
        std::vector<SampleTable> login = {{{"用户", {{"帐号", ColumnType::Text}, {"密码", ColumnType::Text}}}, {}}};
        testing::buildDatabase(login).save(folder / "login.mdb");
        for (const char* account : {"admin", "admin2"}) {
            Database db = Database::open(folder / "login.mdb");
            db.insert("用户",
                      {{"帐号", std::string(account)}, {"密码", std::string("21232f297a57a5a743894a0e4a801fc3")}});
            db.save(folder / "login.mdb");
            login[0].rows.push_back({std::string(account), std::string("21232f297a57a5a743894a0e4a801fc3")});
        }
        entries.push_back(manifestEntry("login.mdb", login));

        // The sample after Jet deleted and moved rows, carried into a new file of the same design.
        testing::JetEdits edits(testing::buildDatabase(sample).bytes());
        std::vector<SampleTable> carried = sample;
        std::vector<std::vector<std::int32_t>> carriedIds;
        for (auto& table : carried) {
            std::vector<std::int32_t> ids;
            for (std::size_t r = 0; r < table.rows.size(); ++r) ids.push_back(static_cast<std::int32_t>(r + 1));
            if (table.rows.size() >= 2) {
                edits.deleteRow(table.definition.name, 1);
                edits.moveRow(table.definition.name, static_cast<std::int32_t>(table.rows.size()));
                table.rows.erase(table.rows.begin());
                ids.erase(ids.begin());
            }
            carriedIds.push_back(ids);
        }
        Database fresh = Database::createEmpty();
        for (const auto& table : sample) fresh.createTable(table.definition);
        tabulon::generator::carryRows(readFileData(edits.bytes()), fresh);
        fresh.save(folder / "carried.mdb");
        entries.push_back(manifestEntry("carried.mdb", carried, carriedIds));
    } catch (const Error& e) {
        std::cerr << "jet_write_samples: " << e.what() << "\n";
        return 1;
    }
    std::ofstream manifest(folder / "manifest.json", std::ios::binary);
    manifest << "[\n";
    for (std::size_t i = 0; i < entries.size(); ++i) manifest << entries[i] << (i + 1 < entries.size() ? ",\n" : "\n");
    manifest << "]\n";
    return manifest ? 0 : 1;
}

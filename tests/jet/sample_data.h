#pragma once
// Designs and rows for the Jet tests: one hand-written sample with every
// column type, and seeded random designs for the property tests.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <random>
#include <string>
#include <vector>

#include "jet/database.h"

namespace tabulon::jet::testing {

struct SampleTable {
    TableDefinition definition;
    std::vector<std::vector<Value>> rows;  // one value per design column
};

// Every column type, Chinese and Latin names, a memo over 4 KB, NULLs.
std::vector<SampleTable> handWrittenSample();

// 1..60 tables with 0..60 columns of random types and names (Chinese or
// Latin, up to 64 characters) and a few random rows each; reproducible by seed.
std::vector<SampleTable> randomDesign(std::uint32_t seed);

// A database holding the tables and rows, ids 1..n per table.
Database buildDatabase(const std::vector<SampleTable>& tables);

// What `mdb-export -0 NULL -T '%Y-%m-%d %H:%M:%S'` prints for a value.
std::string exportedText(const Column& column, const Value& value);

// A fresh folder under the temporary folder, removed with its content.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tabulon::jet::testing

namespace tabulon::jet {
// Readable GoogleTest output for the model types.
void PrintTo(const DateTime& d, std::ostream* out);
void PrintTo(const Value& v, std::ostream* out);
void PrintTo(const Column& c, std::ostream* out);
void PrintTo(const TableDefinition& d, std::ostream* out);
}  // namespace tabulon::jet

#pragma once
// Changes a file our writer made the way the Jet engine changes a database in
// use: rows deleted (slot flag, row count lowered), rows moved to a page of
// their own when they grow (a pointer left behind, the new place flagged so
// that scans skip it), a table's page map turned into a reference map.

#include <cstdint>
#include <string>
#include <vector>

namespace tabulon::jet::testing {

class JetEdits {
public:
    explicit JetEdits(std::string file) : file_(std::move(file)) {}
    const std::string& bytes() const { return file_; }

    void deleteRow(const std::string& table, std::int32_t id);
    void moveRow(const std::string& table, std::int32_t id);
    // The owned-pages map of the table as a type 1 map with its bitmap page at the end.
    void useReferenceMap(const std::string& table);

    // Adds a row image to the table whose definition is at `tdef` (a system table too), on
    // a page of its own, and counts it in the definition.
    void addRow(std::uint32_t tdef, const std::string& row);

    // Data pages of the table, from its owned-pages map.
    std::vector<std::uint32_t> dataPages(const std::string& table) const;
    std::uint32_t tdefPage(const std::string& table) const;
    // File offset of the table's owned-pages map row.
    std::size_t ownedMapOffset(const std::string& table) const {
        std::size_t length = 0;
        return ownedMapRow(tdefPage(table), length);
    }

private:
    struct Slot {
        std::size_t slotAt;  // file offset of the slot entry
        std::size_t rowAt;   // file offset of the row
        std::size_t length;
    };
    Slot findRow(const std::string& table, std::int32_t id) const;
    std::size_t ownedMapRow(std::uint32_t tdef, std::size_t& length) const;
    std::uint32_t appendPage();
    void addOwnedPage(std::uint32_t tdef, std::uint32_t page);

    std::string file_;
};

}  // namespace tabulon::jet::testing

#pragma once
// An Access file as an office keeps it, made by our writer and then changed the way Access
// changes one: departments (部门) and staff (员工) with two relationships, a deleted
// department, counters past the last row, and a login table (用户) of its own.
#include <filesystem>

namespace tabulon::importer::samples {

// Writes the file into `folder` as 人事.mdb and returns its path.
std::filesystem::path writeStaffDatabase(const std::filesystem::path& folder);

}  // namespace tabulon::importer::samples

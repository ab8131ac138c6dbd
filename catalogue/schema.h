#pragma once
#include <string_view>

namespace SQLite {
class Database;
}

namespace tabulon::catalogue::schema {

// Marks a SQLite file as a Tabulon catalogue ("TBLN"), so a foreign database is refused.
inline constexpr int kApplicationId = 0x54424C4E;
inline constexpr int kVersion = 1;

// Creates the four tables in an empty database.
void create(SQLite::Database& db);

// Throws tabulon::Error unless the database is a catalogue this program can use.
void verify(SQLite::Database& db, std::string_view displayName);

}  // namespace tabulon::catalogue::schema

#pragma once
// Access (Jet) SQL translated to SQLite over the working copy, refused where Jet refuses.
#include <string>
#include <string_view>
#include <vector>

#include "preview/ado/ado.h"
#include "preview/ado/catalog.h"

namespace tabulon::preview::ado::sql {

// How a result column's SQLite value becomes a Value.
enum class ResultKind { Column, Date, Boolean, Storage };

struct OutputColumn {
    FieldInfo info;
    ResultKind kind = ResultKind::Storage;
    int scale = 0;         // Numeric columns
    int tableColumn = -1;  // a plain column of the table: writable through the recordset
};

struct SelectPlan {
    const TableSchema* table = nullptr;  // keyed: the one table the rows belong to
    std::vector<OutputColumn> columns;
    bool keyed = false;    // one row per table row: found again by its id
    std::string keySql;    // keyed: the ids of the rows, in order
    std::string fetchSql;  // keyed: the output columns of the row whose id is ?1
    std::string rowsSql;   // otherwise: every row (its first columns.size() columns)
};

struct Translation {
    bool isSelect = false;
    SelectPlan select;
    std::string writeSql;  // INSERT, UPDATE or DELETE
    // CREATE TABLE / DROP TABLE: the statements that change the tables and their description,
    // run together; the catalog is read again after them.
    std::vector<std::string> designSql;
    bool designCountsRows = false;  // SELECT … INTO: its last statement's rows are the count
};

// Throws AdoError as Jet would: syntax (0x80040E14), unknown name (0x80040E10), unknown
// table (0x80040E37), mismatched literal (0x80040E07). `parameters` are the values of a
// command's `?` marks and of the names no table has, in order.
Translation translate(std::string_view accessSql, const Catalog& catalog,
                      const std::vector<Value>* parameters = nullptr);

// The SQLite functions translated statements call; set up on every connection.
inline constexpr const char* kStoreFunction = "tabulon_store";
inline constexpr const char* kTextFunction = "tabulon_text";
inline constexpr const char* kLikeFunction = "tabulon_like";
inline constexpr const char* kPowerFunction = "tabulon_power";

}  // namespace tabulon::preview::ado::sql

#include "preview/workcopy/read_back.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdio>

#include "base/error.h"
#include "jet/ole_date.h"
#include "preview/ado/working_copy_schema.h"

namespace tabulon::preview {
namespace {

using ado::JetType;

jet::JetType fileTypeOf(JetType type) {
    switch (type) {
    case JetType::Counter:
    case JetType::Long: return jet::JetType::Long;
    case JetType::Text: return jet::JetType::Text;
    case JetType::Memo: return jet::JetType::Memo;
    case JetType::Short: return jet::JetType::Integer;
    case JetType::Byte: return jet::JetType::Byte;
    case JetType::Single: return jet::JetType::Single;
    case JetType::Double: return jet::JetType::Double;
    case JetType::Numeric: return jet::JetType::Numeric;
    case JetType::DateTime: return jet::JetType::DateTime;
    case JetType::Boolean: return jet::JetType::Boolean;
    }
    return jet::JetType::Text;
}

struct ColumnInfo {
    jet::ColumnLayout layout;
    JetType type = JetType::Text;
};

// A cell as the Jet reader would give it for the column's type.
jet::Value cellValue(const SQLite::Column& cell, const ColumnInfo& column) {
    if (cell.isNull()) return std::monostate{};
    switch (column.type) {
    case JetType::Counter:
    case JetType::Long:
    case JetType::Short:
    case JetType::Byte: return static_cast<std::int64_t>(cell.getInt64());
    case JetType::Boolean: return cell.getInt64() != 0;
    case JetType::Single:
    case JetType::Double: return cell.getDouble();
    case JetType::DateTime: return jet::fromOleDate(cell.getDouble());
    case JetType::Numeric: {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", static_cast<int>(column.layout.scale), cell.getDouble());
        return std::string(text);
    }
    case JetType::Text:
    case JetType::Memo: return cell.getString();
    }
    return cell.getString();
}

}  // namespace

jet::FileData readWorkingCopy(const std::filesystem::path& workingCopy) {
    try {
        SQLite::Database db(workingCopy.string(), SQLite::OPEN_READONLY);
        jet::FileData data;
        SQLite::Statement tables(db, "SELECT position, name, sqlite_name FROM \"tabulon.tables\" ORDER BY position");
        while (tables.executeStep()) {
            jet::DataTable& table = data.tables.emplace_back();
            const int position = tables.getColumn(0).getInt();
            table.name = tables.getColumn(1).getString();
            const std::string sqliteName = tables.getColumn(2).getString();

            std::vector<ColumnInfo> columns;
            SQLite::Statement described(db,
                                        "SELECT name, jet_type, size, precision, scale FROM \"tabulon.columns\" "
                                        "WHERE table_position = ? ORDER BY position");
            described.bind(1, position);
            std::string selected;
            while (described.executeStep()) {
                ColumnInfo column;
                column.layout.name = described.getColumn(0).getString();
                const auto type = ado::schema::typeFromName(described.getColumn(1).getString());
                if (!type) throw Error("列 " + column.layout.name + " 的类型未知");
                column.type = *type;
                column.layout.type = fileTypeOf(*type);
                column.layout.number = static_cast<std::uint16_t>(columns.size());
                column.layout.length = static_cast<std::uint16_t>(described.getColumn(2).getInt() * 2);
                column.layout.precision = static_cast<std::uint8_t>(described.getColumn(3).getInt());
                column.layout.scale = static_cast<std::uint8_t>(described.getColumn(4).getInt());
                if (*type == JetType::Counter) column.layout.flags |= jet::column_flag::kAutoNumber;
                selected += (selected.empty() ? "" : ", ") + ado::schema::quotedName(column.layout.name);
                columns.push_back(column);
                table.columns.push_back(column.layout);
            }
            if (columns.empty()) continue;
            SQLite::Statement rows(
                db, "SELECT " + selected + " FROM " + ado::schema::quotedName(sqliteName) + " ORDER BY 1");
            while (rows.executeStep()) {
                auto& row = table.rows.emplace_back();
                for (int i = 0; i < static_cast<int>(columns.size()); ++i)
                    row.push_back(cellValue(rows.getColumn(i), columns[static_cast<std::size_t>(i)]));
            }
            // The counter goes on after the highest id ever handed out, as Jet's does.
            SQLite::Statement sequence(db, "SELECT seq FROM sqlite_sequence WHERE name = ?");
            sequence.bind(1, sqliteName);
            if (sequence.executeStep())
                table.lastAutoNumber = static_cast<std::uint32_t>(sequence.getColumn(0).getInt64());
        }
        return data;
    } catch (const std::exception& e) {
        throw Error("无法读取预览的工作副本 " + workingCopy.string() + "：" + e.what());
    }
}

}  // namespace tabulon::preview

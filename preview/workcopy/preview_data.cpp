#include "preview/workcopy/preview_data.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <ctime>
#include <fstream>
#include <system_error>

#include "base/error.h"
#include "base/file_output.h"
#include "generator/database/data_carry.h"
#include "generator/database/kept_copy.h"
#include "generator/site_sink.h"
#include "jet/database.h"
#include "preview/workcopy/read_back.h"
#include "preview/workcopy/seed.h"

namespace tabulon::preview {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSourceKey = "source_stamp";

// Touched when the working copy matches its source: a later write by a page is newer.
fs::path markerOf(const fs::path& workingCopy) {
    fs::path marker = workingCopy;
    marker += ".synced";
    return marker;
}

void markSynced(const fs::path& workingCopy, const fs::path& mdb) {
    {
        SQLite::Database db(workingCopy.string(), SQLite::OPEN_READWRITE);
        SQLite::Statement record(db, "INSERT OR REPLACE INTO \"tabulon.info\" (key, value) VALUES (?, ?)");
        record.bind(1, kSourceKey);
        record.bind(2, fileStamp(mdb));
        record.exec();
    }
    std::ofstream(markerOf(workingCopy), std::ios::trunc) << fileStamp(mdb) << '\n';
    // The marker is at least as new as the copy's last write.
    std::error_code ignored;
    fs::last_write_time(markerOf(workingCopy), fs::last_write_time(workingCopy, ignored), ignored);
}

jet::Database openDesign(const fs::path& mdb) {
    try {
        return jet::Database::open(mdb);
    } catch (const std::exception& e) {
        throw Error("无法读取数据库文件 " + displayPath(mdb) + "：" + e.what());
    }
}

// An empty database with the design of `design`, and the rows of `rows` carried into it.
jet::Database carried(const jet::Database& design, const jet::FileData& rows, generator::CarryReport& report) {
    auto fresh = jet::Database::createEmpty();
    for (const auto& name : design.tableNames()) fresh.createTable(design.table(name));
    report = generator::carryRows(rows, fresh);
    return fresh;
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

}  // namespace

fs::path workingCopyPath(const fs::path& runDir, catalogue::Id projectId) {
    return runDir / ".preview" / std::to_string(projectId) / "data.sqlite";
}

std::string fileStamp(const fs::path& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error) return {};
    const auto time = fs::last_write_time(file, error);
    if (error) return {};
    return std::to_string(size) + ":" + std::to_string(time.time_since_epoch().count());
}

std::string recordedSource(const fs::path& workingCopy) {
    try {
        SQLite::Database db(workingCopy.string(), SQLite::OPEN_READONLY);
        SQLite::Statement read(db, "SELECT value FROM \"tabulon.info\" WHERE key = ?");
        read.bind(1, kSourceKey);
        return read.executeStep() ? read.getColumn(0).getString() : std::string();
    } catch (const std::exception&) {
        return {};
    }
}

bool designChanged(const fs::path& mdb, const fs::path& workingCopy) {
    const std::string now = fileStamp(mdb);
    return !now.empty() && now != recordedSource(workingCopy);
}

bool holdsNewerData(const fs::path& workingCopy) {
    std::error_code error;
    const auto copy = fs::last_write_time(workingCopy, error);
    if (error) return false;
    const auto marker = fs::last_write_time(markerOf(workingCopy), error);
    return error || copy > marker;
}

void reloadWorkingCopy(const fs::path& mdb, const fs::path& workingCopy) {
    seedWorkingCopy(mdb, workingCopy);
    markSynced(workingCopy, mdb);
}

std::vector<std::string> followDesign(const fs::path& mdb, const fs::path& workingCopy) {
    const auto design = openDesign(mdb);
    const auto rows = readWorkingCopy(workingCopy);
    const bool newer = holdsNewerData(workingCopy);
    generator::CarryReport report;
    const auto fresh = carried(design, rows, report);
    seedWorkingCopy(fresh, mdb.string(), workingCopy);
    markSynced(workingCopy, mdb);
    // Rows the preview wrote stay newer than the file until they are written back.
    if (newer) {
        std::error_code ignored;
        fs::last_write_time(markerOf(workingCopy), fs::last_write_time(workingCopy, ignored) - std::chrono::seconds(1),
                            ignored);
    }
    return report.lines();
}

WriteBackResult writeBack(const fs::path& mdb, const fs::path& workingCopy) {
    std::error_code error;
    if (!fs::exists(workingCopy, error))
        throw Error("没有预览的工作副本 " + displayPath(workingCopy) + "：请先用 ⑤ 预览网站。");
    const auto design = openDesign(mdb);
    const auto rows = readWorkingCopy(workingCopy);
    generator::CarryReport report;
    auto fresh = carried(design, rows, report);

    WriteBackResult result;
    generator::FileSink sink;
    std::string old;
    {
        std::ifstream in(mdb, std::ios::binary);
        old.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    result.keptCopy = generator::keepDatedCopy(mdb.parent_path(), "data", ".mdb", old, localNow(), sink);
    sink.writeBytes(mdb, fresh.bytes());
    markSynced(workingCopy, mdb);
    result.rows = report.rowsCarried();
    result.lines = report.lines();
    return result;
}

}  // namespace tabulon::preview

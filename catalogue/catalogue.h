#pragma once
// The catalogue database: projects, their tables, the tables' fields and the page
// templates, kept in one SQLite file in the run folder. Every statement binds its values,
// so any text (a quote in a name included) is stored and found like any other.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ids.h"
#include "catalogue/new_design.h"
#include "catalogue/records.h"

namespace SQLite {
class Database;
}

namespace tabulon::catalogue {

// File name of the catalogue inside the run folder.
inline constexpr std::string_view kFileName = "tabulon-catalogue.db";

enum class FieldOrder { ById, ByOrderAscending, ByOrderDescending };

// Used by one thread at a time (it may be handed from one thread to another).
class Catalogue {
public:
    // Opens `<runDir>/tabulon-catalogue.db`. A missing file is created with the default
    // content (written to a temporary file first, so a failed start leaves nothing behind);
    // an existing file is opened as it is and never overwritten. Throws tabulon::Error
    // when the folder is not writable or the file is not a catalogue.
    static Catalogue openInRunFolder(const std::filesystem::path& runDir);
    static Catalogue open(const std::filesystem::path& file);
    // A catalogue in memory holding the default content (tests, dry runs).
    static Catalogue inMemory();

    Catalogue(Catalogue&&) noexcept;
    Catalogue& operator=(Catalogue&&) noexcept;
    ~Catalogue();

    const std::filesystem::path& path() const { return path_; }

    // Projects, newest first.
    std::vector<Project> projects() const;
    std::optional<Project> project(Id id) const;
    std::optional<Project> projectByName(std::string_view name) const;
    Id addProject(const Project& project);
    void updateProject(const Project& project);
    // Removes the project with its tables and their fields, in one transaction.
    void deleteProject(Id id);

    // Tables of a project, in the order they were added.
    std::vector<Table> tables(Id projectId) const;
    std::optional<Table> table(Id id) const;
    std::optional<Table> tableByName(Id projectId, std::string_view name) const;
    Id addTable(const Table& table);
    void updateTable(const Table& table);
    // Removes the table and its fields, in one transaction.
    void deleteTable(Id id);

    std::vector<Field> fields(Id tableId, FieldOrder order) const;
    std::optional<Field> field(Id id) const;
    std::optional<Field> fieldByName(Id tableId, std::string_view name) const;
    Id addField(const Field& field);
    void updateField(const Field& field);
    void deleteField(Id id);

    // The rows of one kind in page order: ascending 排序; a row added at a position that is
    // already taken goes in front of the row that was there (newer ID first).
    std::vector<TemplateRow> templates(std::string_view kind) const;
    std::vector<TemplateRow> allTemplates() const;
    std::optional<TemplateRow> templateRow(Id id) const;
    Id addTemplate(const TemplateRow& row);
    void updateTemplate(const TemplateRow& row);
    void deleteTemplate(Id id);

    // Adds whole designs and template rows in one transaction (see new_design.h); either
    // all of it is stored or nothing changes.
    std::vector<AddedDesign> addDesigns(const DesignBatch& batch);

    // Whole-table reads for building a generation snapshot.
    std::vector<Project> allProjects() const;
    std::vector<Table> allTables() const;
    // With `readers` above one, a large catalogue file's fields are read by two connections
    // at once.
    std::vector<Field> allFields(unsigned readers = 1) const;

private:
    friend class ChangeHistory;  // records and replays changes on the same connection
    explicit Catalogue(std::unique_ptr<SQLite::Database> db, std::filesystem::path path);
    std::unique_ptr<SQLite::Database> db_;
    std::filesystem::path path_;
};

}  // namespace tabulon::catalogue

#pragma once
// The table editor: picking a table in the table list, and the name, description and
// add/modify/delete controls of the "表" page.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>

#include <optional>
#include <string>

#include "designer/editor_context.h"

namespace tabulon::designer {

struct TableControls {
    QListWidget* tables;     // 列表框1
    QLineEdit* name;         // 编辑框1
    QLineEdit* description;  // 编辑框2
    QLabel* projectLabel;    // 标签4
    QPushButton* add;        // 按钮3
    QPushButton* modify;     // 按钮1
    QPushButton* remove;     // 按钮2
};

inline constexpr const char* kEmptyTableName = "表名称不能为空。";

// Ten spaces stand between the project name and the table name in the field form's title.
inline constexpr const char* kTitleGap = "          ";

class TableEditor final : public QObject {
    Q_OBJECT
public:
    TableEditor(EditorContext& context, const TableControls& controls, QObject* parent = nullptr);

    // After the table list was refilled: chooses `tableId` again, quietly, and names its
    // project in the "表" page. False (and the label cleared) when the table is gone.
    bool restore(catalogue::Id tableId);
    // "项目          表" of the chosen table, the field form's title.
    QString title() const;
    // Empties the name, description and project label of the "表" page.
    void clearForm();

signals:
    // The table list must be refilled (a table was added, renamed or deleted).
    void tablesChanged();
    // A table was added to the current project: the list is refilled and it is chosen.
    void tableAdded(catalogue::Id tableId);
    // The user picked a table: its fields are to be shown under `title`.
    void tableChosen(catalogue::Id tableId, const QString& title);

private:
    void choose(catalogue::Catalogue& db);
    void add(catalogue::Catalogue& db);
    void modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);
    // Why a typed name and description cannot be stored, or nothing.
    static std::optional<std::string> refusedInput(const std::string& name, const std::string& description);
    // Another table of the project with the same name to the database (any letter case).
    static bool clashingTable(catalogue::Catalogue& db, catalogue::Id projectId, const std::string& name,
                              catalogue::Id self);

    EditorContext& context_;
    TableControls controls_;
};

}  // namespace tabulon::designer

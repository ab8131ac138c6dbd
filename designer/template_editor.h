#pragma once
// The page template editor: lists the template rows of one page kind, loads one into the
// form, and adds, modifies and deletes rows.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>

#include "designer/editor_context.h"
#include "designer/exact_text_edit.h"

namespace tabulon::designer {

struct TemplateControls {
    QListWidget* rows;       // 列表框2
    QComboBox* kind;         // 组合框6
    QLineEdit* order;        // 编辑框9
    ExactTextEdit* content;  // 编辑框8
    QPushButton* add;        // 按钮12
    QPushButton* modify;     // 按钮13
    QPushButton* remove;     // 按钮14
    QLabel* unsaved;         // shown while the form holds typing not yet stored
};

inline constexpr const char* kUnsavedTemplateQuestion = "模板内容有未保存的改动，要保存吗？";

// The exact row text of a list entry; the entry's own text shows line ends as marks so
// that every row takes one line of the list.
inline constexpr int kTemplateContentRole = Qt::UserRole + 1;

class TemplateEditor final : public QObject {
    Q_OBJECT
public:
    TemplateEditor(EditorContext& context, const TemplateControls& controls, QObject* parent = nullptr);

    // Lists the kind the kind box shows (the start-up fill).
    void fillShownKind(catalogue::Catalogue& db);
    // The catalogue changed under the editor (undo, redo): relists the kind on show and
    // shows the loaded row's text as it now is.
    void reload(catalogue::Catalogue& db);
    // Shows template row `rowId` (of kind `kind` when it is gone): its kind listed, the row
    // chosen and loaded.
    void showRow(catalogue::Catalogue& db, catalogue::Id rowId, const QString& kind);
    // The content box differs from the row loaded last (or from empty, with none loaded),
    // or the position box from the loaded row's position.
    bool hasUnsavedText() const;
    // Before the form is replaced or the window closes: true when nothing typed is lost,
    // i.e. there was nothing unsaved, or the user saved it (and it was stored) or
    // discarded it; false when the user cancelled or the save was refused.
    bool settle(catalogue::Catalogue& db);

private:
    // Lists the rows of a kind; add, modify and delete list the kind again, keeping the
    // loaded row chosen.
    void fill(catalogue::Catalogue& db, const QString& kind);
    void refill(catalogue::Catalogue& db);
    void markLoaded(catalogue::Id rowId);
    void choose(catalogue::Catalogue& db);
    bool add(catalogue::Catalogue& db);
    bool modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);
    // 修改 for a loaded row, 添加 otherwise (Ctrl+S, and 保存 in the question).
    bool save(catalogue::Catalogue& db);
    void chooseKind(catalogue::Catalogue& db, const QString& kind);
    void load(const std::optional<catalogue::TemplateRow>& row);
    void showUnsaved();

    EditorContext& context_;
    TemplateControls controls_;
    QString listedKind_;             // null until a kind is chosen
    catalogue::Id loadedRowId_ = 0;  // the row the form shows; 修改 and 删除 act on it
    QString loadedText_;
    QString loadedOrder_;
};

// "3|<内容>" with each line end shown as "⏎": one list line per template row.
QString templateEntryText(int number, const QString& content);

}  // namespace tabulon::designer

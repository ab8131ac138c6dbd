#pragma once
// The page template editor: lists the template rows of one page kind, loads one into the
// form, and adds, modifies and deletes rows.
#include <QComboBox>
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
};

// The exact row text of a list entry; the entry's own text shows line ends as marks so
// that every row takes one line of the list.
inline constexpr int kTemplateContentRole = Qt::UserRole + 1;

class TemplateEditor final : public QObject {
    Q_OBJECT
public:
    TemplateEditor(EditorContext& context, const TemplateControls& controls, QObject* parent = nullptr);

    // The catalogue changed under the editor (undo, redo): relists the kind on show.
    void reload(catalogue::Catalogue& db);
    // The content box differs from the row loaded last (or from empty, with none loaded).
    bool hasUnsavedText() const;

private:
    // Lists the rows of a kind; add, modify and delete list the kind again, keeping the
    // loaded row chosen.
    void fill(catalogue::Catalogue& db, const QString& kind);
    void refill(catalogue::Catalogue& db);
    void markLoaded(catalogue::Id rowId);
    void choose(catalogue::Catalogue& db);
    void add(catalogue::Catalogue& db);
    void modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);

    EditorContext& context_;
    TemplateControls controls_;
    QString listedKind_;             // null until a kind is chosen
    catalogue::Id loadedRowId_ = 0;  // the row the form shows; 修改 and 删除 act on it
    QString loadedText_;
};

// "3|<内容>" with each line end shown as "⏎": one list line per template row.
QString templateEntryText(int number, const QString& content);

}  // namespace tabulon::designer

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
    QListWidget* rows;        // 列表框2
    QComboBox* kind;          // 组合框6
    QLineEdit* order;         // 编辑框9
    ExactTextEdit* content;   // 编辑框8
    QPushButton* add;         // 按钮12
    QPushButton* modify;      // 按钮13
    QPushButton* remove;      // 按钮14
};

// The exact row text of a list entry; the entry's own text shows line ends as marks so
// that every row takes one line of the list.
inline constexpr int kTemplateContentRole = Qt::UserRole + 1;

class TemplateEditor final : public QObject {
    Q_OBJECT
public:
    TemplateEditor(EditorContext& context, const TemplateControls& controls, QObject* parent = nullptr);

private:
    // The list shows the rows as they were when a kind was last chosen: add, modify and
    // delete do not refill it.
    void fill(catalogue::Catalogue& db, const QString& kind);
    void choose(catalogue::Catalogue& db);
    void add(catalogue::Catalogue& db);
    void modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);

    EditorContext& context_;
    TemplateControls controls_;
};

// "3|<内容>" with each line end shown as "⏎": one list line per template row.
QString templateEntryText(int number, const QString& content);

}  // namespace tabulon::designer

#pragma once
// The field editor: the field list of the current table and the form below it that adds,
// modifies and deletes fields.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPushButton>
#include <QTreeWidget>

#include "designer/editor_context.h"
#include "designer/field_links.h"

namespace tabulon::designer {

struct FieldControls {
    QTreeWidget* list;          // 超级列表框1
    QLabel* title;              // 标签1
    QLineEdit* name;            // 编辑框5
    QComboBox* type;            // 组合框2
    QLineEdit* description;     // 编辑框6
    QLineEdit* order;           // 编辑框7
    QPushButton* add;           // 按钮9
    QPushButton* modify;        // 按钮8
    QPushButton* remove;        // 按钮7
    FieldLinkControls links;
};

class FieldEditor final : public QObject {
    Q_OBJECT
public:
    FieldEditor(EditorContext& context, const FieldControls& controls, QObject* parent = nullptr);

    // Lists the fields of a table by ascending 排序 and proposes the next order.
    void refresh(catalogue::Id tableId);
    // A table was picked: list its fields under `title`, switch the cascade off and put
    // the cursor into the name box.
    void openTable(catalogue::Id tableId, const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseRow(catalogue::Catalogue& db);
    void add(catalogue::Catalogue& db);
    void modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);
    void nameChanged(const QString& text);
    // Fills a field from the form as add and modify store it.
    void readForm(catalogue::Field& field) const;
    catalogue::Id selectedFieldId() const;
    void clearForm(const QString& order);

    EditorContext& context_;
    FieldControls controls_;
    FieldLinks links_;
};

}  // namespace tabulon::designer

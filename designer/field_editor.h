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

inline constexpr const char* kEmptyFieldName = "字段名称不能为空。";
// The login page finds its account fields by their descriptions.
inline constexpr const char* kDescriptionHint =
    "字段说明：页面上显示的标题。\n"
    "登录表的账号字段的说明须为 username，密码字段的说明须为 password，"
    "“④生成登录代码”靠这两个说明找到登录表。";

struct FieldControls {
    QTreeWidget* list;       // 超级列表框1
    QLabel* title;           // 标签1
    QLineEdit* name;         // 编辑框5
    QComboBox* type;         // 组合框2
    QLineEdit* description;  // 编辑框6
    QLineEdit* order;        // 编辑框7
    QPushButton* add;        // 按钮9
    QPushButton* modify;     // 按钮8
    QPushButton* remove;     // 按钮7
    FieldLinkControls links;
};

class FieldEditor final : public QObject {
    Q_OBJECT
public:
    FieldEditor(EditorContext& context, const FieldControls& controls, QObject* parent = nullptr);

    // Lists the fields of a table by ascending 排序 and proposes the next order.
    void refresh(catalogue::Id tableId);
    // A table was picked: list its fields under `title`, put the form back to its
    // defaults (type 文本, input 文本框, no links, cascade off) and the cursor into the
    // name box.
    void openTable(catalogue::Id tableId, const QString& title);
    // The chosen table changed under the form (renamed, a field changed elsewhere, undo):
    // relist it under `title`, leaving the form as it is.
    void showTable(catalogue::Id tableId, const QString& title);
    // No table is chosen any more: empty list, title and form.
    void closeTable();
    // The field the form shows (0: none); 修改 and 删除 act on it.
    catalogue::Id loadedField() const { return loadedFieldId_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseRow(catalogue::Catalogue& db);
    void add(catalogue::Catalogue& db);
    void modify(catalogue::Catalogue& db);
    void remove(catalogue::Catalogue& db);
    void nameChanged(const QString& text);
    // Fills a field from the form as add and modify store it; returns the message that
    // refuses the form ("" when it may be stored).
    std::string readForm(catalogue::Catalogue& db, catalogue::Field& field) const;
    catalogue::Id selectedFieldId() const;
    void clearForm(const QString& order);
    void resetForm();

    EditorContext& context_;
    FieldControls controls_;
    FieldLinks links_;
    catalogue::Id loadedFieldId_ = 0;
    bool mouseDown_ = false;
};

}  // namespace tabulon::designer

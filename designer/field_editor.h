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

inline constexpr const char* kUnsavedFieldQuestion = "字段表单有未保存的改动，要保存吗？";

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
    // A table was picked: list its fields under `title`; a field of another table loaded
    // in the form goes (defaults: type 文本, input 文本框, no links, cascade off).
    void openTable(catalogue::Id tableId, const QString& title);
    // The chosen table changed under the form (renamed, a field changed elsewhere, undo):
    // relist it under `title`, leaving the form as it is.
    void showTable(catalogue::Id tableId, const QString& title);
    // No table is chosen any more: empty list, title and form.
    void closeTable();
    // The field the form shows (0: none); 修改 and 删除 act on it.
    catalogue::Id loadedField() const { return loadedFieldId_; }
    // The form differs from the field it loaded, or holds a typed name not yet added.
    bool hasUnsavedEdits() const;
    // Before the form is replaced or the window closes: true when nothing typed is lost
    // (nothing unsaved, saved as 修改 or 添加 would, or discarded); false when the user
    // cancelled or the save was refused.
    bool settle(catalogue::Catalogue& db);
    // Shows field `fieldId` of the listed table: its row chosen and loaded into the form.
    void showField(catalogue::Catalogue& db, catalogue::Id fieldId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseRow(catalogue::Catalogue& db);
    bool add(catalogue::Catalogue& db);
    bool modify(catalogue::Catalogue& db);
    void load(const catalogue::Field& field);
    void markLoaded();
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
    catalogue::Field loaded_;  // as loaded, to tell the typing from it
    QString loadedLinks_;      // the link and cascade picks as loaded, likewise
    bool mouseDown_ = false;
};

}  // namespace tabulon::designer

#pragma once
// The two optional groups of the field form: the link group, which names the table and
// field that feed a drop-down input, and the cascade group, which ties one drop-down to
// another. They only fill and show lists; the field editor reads them when it stores.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QObject>

#include <string>

#include "catalogue/widget_kind.h"
#include "designer/editor_context.h"

namespace tabulon::designer {

struct FieldLinkControls {
    QComboBox* inputType;         // 组合框3
    QGroupBox* linkGroup;         // 分组框6
    QComboBox* linkTable;         // 组合框4
    QComboBox* linkField;         // 组合框5
    QCheckBox* cascadeSwitch;     // 选择框8
    QGroupBox* cascadeGroup;      // 分组框8
    QComboBox* cascadeTable;      // 组合框12
    QComboBox* cascadeField;      // 组合框11
    QComboBox* cascadeCondition;  // 组合框14
    QComboBox* cascadeDisplay;    // 组合框13: filled with the current table's fields by the field list
};

inline constexpr const char* kDropDownInput = catalogue::widgetWord(catalogue::WidgetKind::DropDown).data();
inline constexpr const char* kNoLinkTable = "请在“关联表”中选择本项目的一个表。";
inline constexpr const char* kNoLinkField = "请在“关联字段”中选择关联表的一个字段。";
inline constexpr const char* kNoCascadeTable = "请在“联动表”中选择本项目的一个表。";
inline constexpr const char* kNoCascadeField = "请在“联动字段”和“联动条件”中选择联动表的字段。";

class FieldLinks final : public QObject {
    Q_OBJECT
public:
    FieldLinks(EditorContext& context, const FieldLinkControls& controls, QObject* parent = nullptr);

    // Shows a loaded field's link and cascade settings, or hides the groups for a field
    // that has none (or for no field at all).
    void load(const catalogue::Field& field);
    // Writes the link columns when the chosen input type is a drop-down (other fields keep
    // whatever link texts they had) and the cascade columns: the picked ids while the
    // cascade switch is on, "0" in all four when it is off. Returns the message that
    // refuses a pick outside the current project or linked table ("" when all is well);
    // then the field is left half written and must not be stored.
    std::string storeLinks(catalogue::Catalogue& db, catalogue::Field& field) const;
    // A field form with no links: both groups hidden, their lists empty, cascade off.
    void reset();
    // What the groups would store, as the user sees it: the picks that count for the
    // chosen input type and cascade switch. Equal before and after means nothing changed.
    QString picks() const;

private:
    void chooseInputType(catalogue::Catalogue& db);
    void chooseLinkTable(catalogue::Catalogue& db);
    void switchCascade(catalogue::Catalogue& db, bool on);
    void chooseCascadeTable(catalogue::Catalogue& db);
    void fillProjectTables(catalogue::Catalogue& db, QComboBox* combo);
    void loadLink(catalogue::Catalogue& db, const catalogue::Field& field);
    void loadCascade(catalogue::Catalogue& db, const catalogue::Field& field);

    EditorContext& context_;
    FieldLinkControls controls_;
};

}  // namespace tabulon::designer

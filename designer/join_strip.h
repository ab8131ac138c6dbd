#pragma once
// The join query strip: two tables of the current project and one field of each, laid out
// like the skeleton of a join. It only fills and links its lists; it builds no query.
#include <QComboBox>
#include <QObject>

#include "designer/editor_context.h"

namespace tabulon::designer {

struct JoinControls {
    QComboBox* firstTable;   // 组合框7
    QComboBox* secondTable;  // 组合框8
    QComboBox* firstField;   // 组合框9
    QComboBox* secondField;  // 组合框10
};

class JoinStrip final : public QObject {
    Q_OBJECT
public:
    JoinStrip(EditorContext& context, const JoinControls& controls, QObject* parent = nullptr);

    // Lists the current project's tables in both table lists and selects the first; the
    // field lists stay as they are until the user picks a table.
    void fillTables();

private:
    void fillFields(catalogue::Catalogue& db, QComboBox* table, QComboBox* fields);

    EditorContext& context_;
    JoinControls controls_;
};

}  // namespace tabulon::designer

#pragma once
// The dockable 问题 list: what the design rules find in the chosen project, one line per
// problem; choosing a line shows its project, table or field in the editors.
#include <QDockWidget>
#include <QListWidget>

#include <functional>
#include <vector>

#include "generator/check/design_rules.h"

namespace tabulon::window {

class ProblemsPanel final : public QDockWidget {
    Q_OBJECT
public:
    explicit ProblemsPanel(QWidget* parent = nullptr);

    // Lists `problems` of project `projectName`, or a line saying there are none.
    void show(const std::string& projectName, const std::vector<generator::DesignProblem>& problems);
    QListWidget* list() const { return list_; }

signals:
    // The user chose a line: bring this place into view.
    void placeChosen(catalogue::Id projectId, catalogue::Id tableId, catalogue::Id fieldId);

private:
    QListWidget* list_;
};

}  // namespace tabulon::window

#pragma once
// The dockable 问题 list: what the design rules find in the chosen project, one line per
// problem; choosing a line shows its project, table or field in the editors. An import's
// report is listed here too, its lines leading to the imported project.
#include <QDockWidget>
#include <QListWidget>

#include <functional>
#include <string>
#include <vector>

#include "generator/check/design_rules.h"

namespace tabulon::window {

class ProblemsPanel final : public QDockWidget {
    Q_OBJECT
public:
    explicit ProblemsPanel(QWidget* parent = nullptr);

    // Lists `problems` of project `projectName`, or a line saying there are none.
    void show(const std::string& projectName, const std::vector<generator::DesignProblem>& problems);
    // Lists an import's report; choosing a line shows project `projectId` (none when < 0).
    void showReport(const std::vector<std::string>& lines, catalogue::Id projectId);
    QListWidget* list() const { return list_; }

signals:
    // The user chose a line: bring this place into view.
    void placeChosen(catalogue::Id projectId, catalogue::Id tableId, catalogue::Id fieldId);

private:
    QListWidget* list_;
};

}  // namespace tabulon::window

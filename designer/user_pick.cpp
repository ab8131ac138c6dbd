#include "designer/user_pick.h"

#include <QEvent>
#include <QMouseEvent>

namespace tabulon::designer {
namespace {

int selectedRow(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

// Remembers the chosen row as a mouse press begins: a click that leaves it unchanged
// raises no selection change, so it is reported as a pick of its own.
class PressWatcher final : public QObject {
public:
    explicit PressWatcher(QListWidget* list) : QObject(list), list_(list) {}
    int rowBeforePress = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) rowBeforePress = selectedRow(list_);
        return false;
    }

private:
    QListWidget* list_;
};

}  // namespace

void onUserPick(QListWidget* list, std::function<void()> handler) {
    auto* watcher = new PressWatcher(list);
    list->viewport()->installEventFilter(watcher);
    // The selection, not the current row: Qt moves the current row before it selects, and
    // handlers read the selection.
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [list, handler] {
        if (selectedRow(list) >= 0) handler();
    });
    QObject::connect(list, &QListWidget::itemClicked, list, [list, watcher, handler](QListWidgetItem* item) {
        if (list->row(item) == watcher->rowBeforePress && item->isSelected()) handler();
    });
}

}  // namespace tabulon::designer

#pragma once
// Ctrl+Z and Ctrl+Y belong to the text box being typed in while it has typing to undo or
// redo; once it has none they reach the window's undo and redo of catalogue changes.
#include <QObject>

namespace tabulon::window {

class UndoKeys final : public QObject {
public:
    explicit UndoKeys(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tabulon::window

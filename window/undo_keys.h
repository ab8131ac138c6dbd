#pragma once
// Ctrl+Z and Ctrl+Y belong to the text box being typed in while it has typing to undo or
// redo; once it has none they reach the window's undo and redo of catalogue changes. The
// box typed in last keeps that claim while a menu is open or the menu bar holds the focus
// (a menu closed with Esc), and gets the focus back when the menu closes.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tabulon::window {

class UndoKeys final : public QObject {
public:
    explicit UndoKeys(QWidget* window);

    // Undoes (or redoes) the typing of the box that has the claim; false when it has none
    // to undo (or redo), so the catalogue's turn comes.
    bool undoTyping(bool redo);
    // Gives the focus back to the box typed in last when a menu left it nowhere.
    void restoreFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* claimingBox() const;

    QWidget* window_;
    QPointer<QWidget> lastBox_;
};

}  // namespace tabulon::window

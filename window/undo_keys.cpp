#include "window/undo_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace tabulon::window {
namespace {

bool isTextBox(const QObject* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

bool hasTyping(const QObject* widget, bool redo) {
    if (auto* line = qobject_cast<const QLineEdit*>(widget))
        return redo ? line->isRedoAvailable() : line->isUndoAvailable();
    if (auto* text = qobject_cast<const QPlainTextEdit*>(widget))
        return redo ? text->document()->isRedoAvailable() : text->document()->isUndoAvailable();
    return false;
}

// Whether the key is an undo or redo key, and which.
bool isUndoKey(const QKeyEvent* key, bool& redo) {
    redo = key->matches(QKeySequence::Redo) || (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier);
    return redo || key->matches(QKeySequence::Undo);
}

}  // namespace

UndoKeys::UndoKeys(QWidget* window) : QObject(window), window_(window) {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (isTextBox(now) && window_->isAncestorOf(now)) lastBox_ = now;
    });
}

QWidget* UndoKeys::claimingBox() const {
    QWidget* focus = QApplication::focusWidget();
    if (isTextBox(focus)) return focus;
    // A menu open or just closed with Esc: the typing stays with the box it came from.
    if (!focus || qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus)) return lastBox_;
    return nullptr;
}

bool UndoKeys::undoTyping(bool redo) {
    QWidget* box = claimingBox();
    if (!box || !hasTyping(box, redo)) return false;
    box->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box))
        redo ? line->redo() : line->undo();
    else if (auto* text = qobject_cast<QPlainTextEdit*>(box))
        redo ? text->redo() : text->undo();
    return true;
}

void UndoKeys::restoreFocus() {
    QWidget* focus = QApplication::focusWidget();
    if (!lastBox_ || !lastBox_->isVisible()) return;
    if (auto* bar = qobject_cast<QMenuBar*>(focus)) {
        // The bar holds the keys after Esc: a second Esc is how it lets them go.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(bar, &escape);
        focus = QApplication::focusWidget();
    }
    if (!focus || qobject_cast<QMenuBar*>(focus) || qobject_cast<QMenu*>(focus))
        lastBox_->setFocus(Qt::OtherFocusReason);
}

bool UndoKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) return QObject::eventFilter(watched, event);
    bool redo = false;
    if (!isUndoKey(static_cast<QKeyEvent*>(event), redo)) return false;
    // A box with typing to take back keeps the key; otherwise the window's action takes it
    // and decides itself (a box may still claim it through a menu).
    if (isTextBox(watched) && hasTyping(watched, redo)) return false;
    event->ignore();
    return true;
}

}  // namespace tabulon::window

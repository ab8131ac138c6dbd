#include "window/undo_keys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace tabulon::window {
namespace {

// Whether the widget has its own typing to undo (or redo) for this key.
bool textBoxWants(QObject* widget, const QKeyEvent* key) {
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo =
        key->matches(QKeySequence::Redo) || (key->key() == Qt::Key_Y && key->modifiers() == Qt::ControlModifier);
    if (!undo && !redo) return true;  // not ours to judge
    if (auto* line = qobject_cast<QLineEdit*>(widget)) return undo ? line->isUndoAvailable() : line->isRedoAvailable();
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget))
        return undo ? text->document()->isUndoAvailable() : text->document()->isRedoAvailable();
    return true;
}

}  // namespace

bool UndoKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !textBoxWants(watched, static_cast<QKeyEvent*>(event))) {
        event->ignore();  // the window's shortcut takes the key
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tabulon::window

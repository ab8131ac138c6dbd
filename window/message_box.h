#pragma once
// Messages of the designer window: each is a modal box captioned "信息" with one OK
// button, shown over the window, as wide as its caption and text need within the screen.
// Questions before destructive steps are boxes with 是 / 否.
#include <QPointer>
#include <QString>
#include <QWidget>

#include "base/messages.h"
#include "designer/editor_context.h"

namespace tabulon::window {

class BoxMessages final : public Messages {
public:
    void setParentWindow(QWidget* window) { window_ = window; }
    void show(std::string_view text) override;

private:
    QPointer<QWidget> window_;
};

// Asks a yes/no question over `window`; true for 是.
bool askYesNo(QWidget* window, const QString& question);

// Asks 保存 / 不保存 / 取消 over `window` before typed changes would be replaced; Esc
// and the frame's ✕ cancel.
designer::UnsavedAnswer askSaveDiscardCancel(QWidget* window, const QString& question);

// A text with a break opportunity (zero-width space) in every run of more than
// `longestRun` characters without one, so that a long name wraps instead of widening the
// box past the screen.
QString breakableText(const QString& text, int longestRun = 40);

}  // namespace tabulon::window

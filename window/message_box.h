#pragma once
// Messages of the designer window: each is a modal box captioned "信息：" with one OK
// button, shown over the window.
#include <QPointer>
#include <QWidget>

#include "base/messages.h"

namespace tabulon::window {

class BoxMessages final : public Messages {
public:
    void setParentWindow(QWidget* window) { window_ = window; }
    void show(std::string_view text) override;

private:
    QPointer<QWidget> window_;
};

}  // namespace tabulon::window

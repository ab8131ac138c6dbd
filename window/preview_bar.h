#pragma once
// The preview's address bar: the running preview's address, always on show and selectable,
// with 在浏览器中打开 and 复制地址, the port the next preview listens on, and the working
// copy's two actions, 重新载入数据库 and 预览数据写回 data.mdb.
#include <QLabel>
#include <QSettings>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolBar>

#include "window/preview_launcher.h"

namespace tabulon::window {

class PreviewBar final : public QToolBar {
    Q_OBJECT
public:
    // `settings` keeps the port between runs.
    PreviewBar(PreviewLauncher& launcher, QSettings& settings, QWidget* parent = nullptr);

    // The port chosen for the next preview; 0: any free one.
    int port() const { return port_->value(); }

private:
    void show(const QString& address, const QString& project);

    PreviewLauncher& launcher_;
    QLabel* project_;
    QLineEdit* address_;
    QPushButton* open_;
    QPushButton* copy_;
    QSpinBox* port_;
};

}  // namespace tabulon::window

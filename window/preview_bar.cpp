#include "window/preview_bar.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSettings>

namespace tabulon::window {
namespace {

template <typename Widget, typename... Args>
Widget* named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

}  // namespace

PreviewBar::PreviewBar(PreviewLauncher& launcher, QSettings& settings, QWidget* parent)
    : QToolBar(QStringLiteral("预览"), parent), launcher_(launcher) {
    setObjectName(QStringLiteral("previewBar"));
    project_ = named<QLabel>("previewProject", QStringLiteral("预览："));
    address_ = named<QLineEdit>("previewAddress");
    address_->setReadOnly(true);
    address_->setPlaceholderText(QStringLiteral("预览未运行：按 ⑤预览网站 启动"));
    address_->setMinimumWidth(160);
    open_ = named<QPushButton>("previewOpen", QStringLiteral("在浏览器中打开"));
    copy_ = named<QPushButton>("previewCopy", QStringLiteral("复制地址"));
    port_ = named<QSpinBox>("previewPort");
    port_->setRange(0, 65535);
    port_->setSpecialValueText(QStringLiteral("自动"));
    port_->setToolTip(QStringLiteral("下次启动预览时使用的端口；“自动”选一个空闲端口"));
    port_->setValue(settings.value(QStringLiteral("preview/port"), 0).toInt());
    auto* reload = named<QPushButton>("previewReload", QStringLiteral("重新载入数据库"));
    reload->setToolTip(QStringLiteral("丢弃预览中的数据，从网站的 data/data.mdb 重新建立工作副本"));
    auto* writeBack = named<QPushButton>("previewWriteBack", QStringLiteral("预览数据写回 data.mdb"));
    writeBack->setToolTip(QStringLiteral("把预览中输入的数据写回网站的 data/data.mdb（先保留一份带日期的副本）"));

    addWidget(project_);
    addWidget(address_);
    addWidget(open_);
    addWidget(copy_);
    addSeparator();
    addWidget(new QLabel(QStringLiteral("端口")));
    addWidget(port_);
    addSeparator();
    addWidget(reload);
    addWidget(writeBack);

    connect(open_, &QPushButton::clicked, &launcher_, &PreviewLauncher::openInBrowser);
    connect(copy_, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(address_->text()); });
    connect(port_, &QSpinBox::valueChanged, this,
            [&settings](int value) { settings.setValue(QStringLiteral("preview/port"), value); });
    connect(reload, &QPushButton::clicked, &launcher_, &PreviewLauncher::reloadDatabase);
    connect(writeBack, &QPushButton::clicked, &launcher_, &PreviewLauncher::writeBack);
    connect(&launcher_, &PreviewLauncher::addressChanged, this, &PreviewBar::show);
    show(QString(), QString());
}

void PreviewBar::show(const QString& address, const QString& project) {
    address_->setText(address);
    project_->setText(project.isEmpty() ? QStringLiteral("预览：") : QStringLiteral("预览 %1：").arg(project));
    open_->setEnabled(!address.isEmpty());
    copy_->setEnabled(!address.isEmpty());
}

}  // namespace tabulon::window

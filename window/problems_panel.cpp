#include "window/problems_panel.h"

namespace tabulon::window {
namespace {

constexpr int kProjectRole = Qt::UserRole;
constexpr int kTableRole = Qt::UserRole + 1;
constexpr int kFieldRole = Qt::UserRole + 2;

}  // namespace

ProblemsPanel::ProblemsPanel(QWidget* parent) : QDockWidget(QStringLiteral("问题"), parent) {
    setObjectName(QStringLiteral("problemsDock"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("problemsList"));
    list_->setWordWrap(true);
    list_->setTextElideMode(Qt::ElideNone);
    list_->setMinimumHeight(60);
    setWidget(list_);
    // A click, Enter or the arrow keys: the line chosen is the place shown.
    connect(list_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item || item->data(kProjectRole).isNull()) return;
        emit placeChosen(item->data(kProjectRole).toLongLong(), item->data(kTableRole).toLongLong(),
                         item->data(kFieldRole).toLongLong());
    });
}

void ProblemsPanel::show(const std::string& projectName, const std::vector<generator::DesignProblem>& problems) {
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    setWindowTitle(problems.empty() ? QStringLiteral("问题")
                                    : QStringLiteral("问题（%1）").arg(static_cast<qsizetype>(problems.size())));
    if (problems.empty()) {
        list_->addItem(QStringLiteral("设计检查通过：项目 ") + QString::fromStdString(projectName) +
                       QStringLiteral(" 的设计都能用于生成网站。"));
    }
    for (const auto& problem : problems) {
        auto* item = new QListWidgetItem(QString::fromStdString(problem.text), list_);
        item->setData(kProjectRole, QVariant::fromValue<qlonglong>(problem.projectId));
        item->setData(kTableRole, QVariant::fromValue<qlonglong>(problem.tableId));
        item->setData(kFieldRole, QVariant::fromValue<qlonglong>(problem.fieldId));
        item->setToolTip(problem.refusesPages ? QStringLiteral("③ 不为该表生成页面")
                                              : QStringLiteral("生成时照此处理并提示"));
    }
    QDockWidget::show();
    raise();
}

void ProblemsPanel::showReport(const std::vector<std::string>& lines, catalogue::Id projectId) {
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
    }
    setWindowTitle(QStringLiteral("问题 · 导入报告（%1 行）").arg(static_cast<qsizetype>(lines.size())));
    for (const auto& line : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), list_);
        if (projectId < 0) continue;
        item->setData(kProjectRole, QVariant::fromValue<qlonglong>(projectId));
        item->setData(kTableRole, QVariant::fromValue<qlonglong>(-1));
        item->setData(kFieldRole, QVariant::fromValue<qlonglong>(-1));
    }
    QDockWidget::show();
    raise();
}

}  // namespace tabulon::window

#include "window/message_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

namespace tabulon::window {
namespace {

// Window titles end without punctuation.
const QString kCaption = QStringLiteral("信息");

// Window managers cut a caption that is wider than its box: reserve the caption's width
// plus room for the frame's buttons, within the screen.
void fitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const QFontMetrics metrics(box.font());
    int width = metrics.horizontalAdvance(box.windowTitle()) + 160;
    if (const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen())
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

}  // namespace

QString breakableText(const QString& text, int longestRun) {
    QString result;
    result.reserve(text.size() + text.size() / longestRun);
    int run = 0;
    for (const QChar ch : text) {
        if (ch.isSpace() || ch == QChar(0x200B)) {
            run = 0;
        } else if (++run > longestRun) {
            result += QChar(0x200B);
            run = 1;
        }
        result += ch;
    }
    return result;
}

void BoxMessages::show(std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, kCaption,
                    breakableText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))), QMessageBox::Ok,
                    window_.data());
    fitCaption(box);
    box.exec();
}

bool askYesNo(QWidget* window, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("请确认"), breakableText(question), QMessageBox::NoButton,
                    window);
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.setDefaultButton(no);  // a stray Enter keeps the data
    box.setEscapeButton(no);
    fitCaption(box);
    box.exec();
    return box.clickedButton() == yes;
}

designer::UnsavedAnswer askSaveDiscardCancel(QWidget* window, const QString& question) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("未保存的改动"), breakableText(question),
                    QMessageBox::NoButton, window);
    QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    fitCaption(box);
    box.exec();
    if (box.clickedButton() == save) return designer::UnsavedAnswer::Save;
    if (box.clickedButton() == discard) return designer::UnsavedAnswer::Discard;
    return designer::UnsavedAnswer::Cancel;
}

}  // namespace tabulon::window

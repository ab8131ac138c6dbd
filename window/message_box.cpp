#include "window/message_box.h"

#include <QMessageBox>

namespace tabulon::window {

void BoxMessages::show(std::string_view text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
                    window_.data());
    box.exec();
}

}  // namespace tabulon::window

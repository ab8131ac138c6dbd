#include "designer/exact_text_edit.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QTextDocument>
#include <QTextOption>

namespace tabulon::designer {

QString lineEndOf(const QString& text) {
    if (text.contains(QLatin1String("\r\n"))) return QStringLiteral("\r\n");
    if (text.contains(QLatin1Char('\n'))) return QStringLiteral("\n");
    if (text.contains(QLatin1Char('\r'))) return QStringLiteral("\r");
    return QStringLiteral("\r\n");
}

ExactTextEdit::ExactTextEdit(QWidget* parent) : QPlainTextEdit(parent), lineEnd_(QStringLiteral("\r\n")) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    QTextOption option = document()->defaultTextOption();
    option.setFlags(option.flags() | QTextOption::ShowTabsAndSpaces);
    document()->setDefaultTextOption(option);
    // Tab moves on to the next control, as everywhere in the window; Ctrl+Tab types a tab.
    setTabChangesFocus(true);
    setToolTip(QStringLiteral("Tab 转到下一个控件；Ctrl+Tab 输入制表符；Ctrl+S 保存"));
}

void ExactTextEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        insertPlainText(QStringLiteral("\t"));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ExactTextEdit::setExactText(const QString& text) {
    loaded_ = text;
    lineEnd_ = lineEndOf(text);
    setPlainText(text);
    loadedAsShown_ = document()->toRawText();
}

QString ExactTextEdit::exactText() const {
    // The raw text keeps characters toPlainText would change (a no-break space becomes a
    // space there); only the paragraph and line separators are turned into line ends.
    QString text = document()->toRawText();
    if (text == loadedAsShown_) return loaded_;
    text.replace(QChar::ParagraphSeparator, lineEnd_);
    text.replace(QChar::LineSeparator, lineEnd_);
    return text;
}

}  // namespace tabulon::designer

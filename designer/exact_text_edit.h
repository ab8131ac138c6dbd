#pragma once
// A plain-text editor for page templates. Templates go into generated pages byte for
// byte, but Qt keeps lines as paragraphs and forgets their line ends; this editor hands
// back the loaded text unchanged while the document still shows it (untouched, or every
// edit undone), and otherwise writes every line end in the style the loaded text used
// (CR LF when it had none). Tabs are kept and shown.
#include <QPlainTextEdit>
#include <QString>

namespace tabulon::designer {

class ExactTextEdit final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ExactTextEdit(QWidget* parent = nullptr);

    void setExactText(const QString& text);
    QString exactText() const;
    // The line end used for lines the user writes: "\r\n", "\n" or "\r".
    QString lineEnd() const { return lineEnd_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString loaded_;
    QString loadedAsShown_;  // the document's own text right after loading
    QString lineEnd_;
};

// The line end a text uses: its first CR LF, LF or CR in that preference; CR LF for a text
// without line ends, as the generated pages use it.
QString lineEndOf(const QString& text);

}  // namespace tabulon::designer

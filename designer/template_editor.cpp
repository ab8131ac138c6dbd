#include "designer/template_editor.h"

#include <QRegularExpression>

#include "designer/entries.h"
#include "designer/text_rules.h"
#include "designer/user_pick.h"

namespace tabulon::designer {

QString templateEntryText(int number, const QString& content) {
    static const QRegularExpression lineEnds(QStringLiteral("\r\n|\n|\r"));
    QString shown = content;
    shown.replace(lineEnds, QStringLiteral("⏎"));
    return QString::number(number) + QLatin1Char('|') + shown;
}

TemplateEditor::TemplateEditor(EditorContext& context, const TemplateControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls) {
    connect(controls_.kind, &QComboBox::activated, this, [this](int index) {
        const QString kind = controls_.kind->itemText(index);
        context_.handle([this, kind](auto& db) { fill(db, kind); });
    });
    onUserPick(controls_.rows, [this] { context_.handle([this](auto& db) { choose(db); }); });
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
}

void TemplateEditor::fill(catalogue::Catalogue& db, const QString& kind) {
    const auto rows = db.templates(toUtf8(kind));
    clearEntries(controls_.rows);
    int number = 0;
    for (const auto& row : rows) {
        const QString content = toQt(row.content);
        addEntry(controls_.rows, templateEntryText(++number, content), row.id);
        controls_.rows->item(controls_.rows->count() - 1)->setData(kTemplateContentRole, content);
    }
}

void TemplateEditor::choose(catalogue::Catalogue& db) {
    const auto row = db.templateRow(selectedValue(controls_.rows));
    // A row deleted since the list was filled loads as an empty row at position 0.
    controls_.content->setExactText(row ? toQt(row->content) : QString());
    controls_.order->setText(QString::number(row ? row->order : 0));
    if (row) selectByPrefix(controls_.kind, toQt(row->kind));
}

void TemplateEditor::add(catalogue::Catalogue& db) {
    const QString kind = selectedText(controls_.kind);
    catalogue::TemplateRow row;
    row.kind = toUtf8(kind);
    row.content = toUtf8(controls_.content->exactText());
    row.order = leadingInteger(toUtf8(controls_.order->text()));
    try {
        db.addTemplate(row);
    } catch (const Error&) {
        // The typed row stays in the form so that it is not lost.
        context_.messages().show(toUtf8(kind + QStringLiteral("失败")));
        return;
    }
    context_.messages().show(toUtf8(kind + QStringLiteral("成功")));
    controls_.content->setExactText(QString());
    // Consecutive adds get consecutive positions.
    controls_.order->setText(QString::number(addClamped(row.order, 1)));
}

void TemplateEditor::modify(catalogue::Catalogue& db) {
    auto row = db.templateRow(selectedValue(controls_.rows));
    if (!row) {
        context_.messages().show("记录不存在");
        return;
    }
    row->content = toUtf8(controls_.content->exactText());
    row->order = leadingInteger(toUtf8(controls_.order->text()));
    db.updateTemplate(*row);  // a row keeps its kind for good
    context_.messages().show(toUtf8(selectedText(controls_.kind) + QStringLiteral("_____修改成功")));
}

void TemplateEditor::remove(catalogue::Catalogue& db) {
    const catalogue::Id rowId = selectedValue(controls_.rows);
    if (!db.templateRow(rowId)) {
        context_.messages().show("记录不存在");
        return;
    }
    db.deleteTemplate(rowId);
    context_.messages().show(toUtf8(selectedText(controls_.kind) + QStringLiteral("___删除成功")));
}

}  // namespace tabulon::designer

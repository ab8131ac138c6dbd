#include "designer/template_editor.h"

#include <QRegularExpression>
#include <QShortcut>
#include <QSignalBlocker>

#include "designer/deletion_questions.h"
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
    auto* deleteKey = new QShortcut(QKeySequence::Delete, controls_.rows, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, controls_.remove, &QPushButton::click);
}

bool TemplateEditor::hasUnsavedText() const { return controls_.content->exactText() != loadedText_; }

void TemplateEditor::fill(catalogue::Catalogue& db, const QString& kind) {
    listedKind_ = kind;
    const auto rows = db.templates(toUtf8(kind));
    clearEntries(controls_.rows);
    int number = 0;
    for (const auto& row : rows) {
        const QString content = toQt(row.content);
        addEntry(controls_.rows, templateEntryText(++number, content), row.id);
        controls_.rows->item(controls_.rows->count() - 1)->setData(kTemplateContentRole, content);
    }
}

void TemplateEditor::refill(catalogue::Catalogue& db) {
    if (listedKind_.isNull()) return;  // nothing listed yet
    fill(db, listedKind_);
    markLoaded(loadedRowId_);
}

void TemplateEditor::markLoaded(catalogue::Id rowId) {
    const QSignalBlocker quiet(controls_.rows);
    controls_.rows->clearSelection();
    for (int i = 0; i < controls_.rows->count(); ++i) {
        if (controls_.rows->item(i)->data(kItemValueRole).toLongLong() == rowId) {
            controls_.rows->setCurrentRow(i);
            return;
        }
    }
}

void TemplateEditor::choose(catalogue::Catalogue& db) {
    const catalogue::Id wanted = selectedValue(controls_.rows);
    if (wanted != loadedRowId_ && hasUnsavedText() && !context_.confirm("模板内容有未保存的改动，放弃这些改动吗？")) {
        markLoaded(loadedRowId_);  // stay on the row being edited
        return;
    }
    const auto row = db.templateRow(wanted);
    // A row deleted since the list was filled loads as an empty row at position 0.
    loadedRowId_ = row ? row->id : 0;
    loadedText_ = row ? toQt(row->content) : QString();
    controls_.content->setExactText(loadedText_);
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
    loadedRowId_ = 0;
    loadedText_.clear();
    controls_.content->setExactText(QString());
    // Consecutive adds get consecutive positions.
    controls_.order->setText(QString::number(addClamped(row.order, 1)));
    refill(db);
}

void TemplateEditor::modify(catalogue::Catalogue& db) {
    auto row = db.templateRow(loadedRowId_);
    if (!row) {
        context_.messages().show("记录不存在");
        return;
    }
    row->content = toUtf8(controls_.content->exactText());
    row->order = leadingInteger(toUtf8(controls_.order->text()));
    db.updateTemplate(*row);  // a row keeps its kind for good
    loadedText_ = controls_.content->exactText();
    context_.messages().show(toUtf8(selectedText(controls_.kind) + QStringLiteral("_____修改成功")));
    refill(db);
}

void TemplateEditor::remove(catalogue::Catalogue& db) {
    const auto row = db.templateRow(loadedRowId_);
    if (!row) {
        context_.messages().show("记录不存在");
        return;
    }
    const int place = controls_.rows->currentRow() + 1;
    if (!context_.confirm(templateDeletionQuestion(*row, place))) return;
    db.deleteTemplate(row->id);
    context_.messages().show(toUtf8(selectedText(controls_.kind) + QStringLiteral("___删除成功")));
    refill(db);
}

void TemplateEditor::reload(catalogue::Catalogue& db) {
    if (loadedRowId_ != 0 && !db.templateRow(loadedRowId_)) loadedRowId_ = 0;
    refill(db);
}

}  // namespace tabulon::designer

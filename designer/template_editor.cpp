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
        context_.handle([this, kind](auto& db) { chooseKind(db, kind); });
    });
    onUserPick(controls_.rows, [this] { context_.handle([this](auto& db) { choose(db); }); });
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
    auto* deleteKey = new QShortcut(QKeySequence::Delete, controls_.rows, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, controls_.remove, &QPushButton::click);
    // Ctrl+S stores the row being edited, from the text or the position box.
    for (QWidget* box : std::initializer_list<QWidget*>{controls_.content, controls_.order}) {
        auto* saveKey = new QShortcut(QKeySequence::Save, box, nullptr, nullptr, Qt::WidgetShortcut);
        connect(saveKey, &QShortcut::activated, this, [this] { context_.handle([this](auto& db) { save(db); }); });
    }
    connect(controls_.content, &QPlainTextEdit::textChanged, this, &TemplateEditor::showUnsaved);
    connect(controls_.order, &QLineEdit::textChanged, this, &TemplateEditor::showUnsaved);
    showUnsaved();
}

bool TemplateEditor::hasUnsavedText() const {
    if (controls_.content->exactText() != loadedText_) return true;
    return loadedRowId_ != 0 && controls_.order->text() != loadedOrder_;
}

void TemplateEditor::showUnsaved() {
    if (controls_.unsaved) controls_.unsaved->setVisible(hasUnsavedText());
}

bool TemplateEditor::settle(catalogue::Catalogue& db) {
    if (!hasUnsavedText()) return true;
    switch (context_.askUnsaved(kUnsavedTemplateQuestion)) {
    case UnsavedAnswer::Save: return save(db);
    case UnsavedAnswer::Discard:
        // The box shows what is stored again, so nothing unsaved is left behind.
        controls_.content->setExactText(loadedText_);
        if (loadedRowId_ != 0) controls_.order->setText(loadedOrder_);
        showUnsaved();
        return true;
    case UnsavedAnswer::Cancel: break;
    }
    return false;
}

bool TemplateEditor::save(catalogue::Catalogue& db) {
    if (loadedRowId_ != 0 && db.templateRow(loadedRowId_)) return modify(db);
    return add(db);
}

void TemplateEditor::fillShownKind(catalogue::Catalogue& db) { fill(db, selectedText(controls_.kind)); }

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

void TemplateEditor::chooseKind(catalogue::Catalogue& db, const QString& kind) {
    if (!settle(db)) {
        // Stay with the kind whose row is being edited.
        const QSignalBlocker quiet(controls_.kind);
        selectByPrefix(controls_.kind, listedKind_);
        return;
    }
    fill(db, kind);
    // A row of another kind must not stay in the form: 修改 would store it into a row the
    // list no longer shows.
    const auto loaded = loadedRowId_ != 0 ? db.templateRow(loadedRowId_) : std::nullopt;
    if (loaded && toQt(loaded->kind) != kind) {
        load(std::nullopt);
        controls_.order->clear();
    } else {
        markLoaded(loadedRowId_);
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

void TemplateEditor::load(const std::optional<catalogue::TemplateRow>& row) {
    // A row deleted since the list was filled loads as an empty row at position 0.
    loadedRowId_ = row ? row->id : 0;
    loadedText_ = row ? toQt(row->content) : QString();
    loadedOrder_ = QString::number(row ? row->order : 0);
    controls_.content->setExactText(loadedText_);
    controls_.order->setText(loadedOrder_);
    if (row) {
        const QSignalBlocker quiet(controls_.kind);
        selectByPrefix(controls_.kind, toQt(row->kind));
    }
    showUnsaved();
}

void TemplateEditor::choose(catalogue::Catalogue& db) {
    const catalogue::Id wanted = selectedValue(controls_.rows);
    // Also when the row being edited is clicked again: loading it would throw the typing away.
    if (!settle(db)) {
        markLoaded(loadedRowId_);  // stay on the row being edited
        return;
    }
    load(db.templateRow(wanted));
    markLoaded(loadedRowId_ != 0 ? loadedRowId_ : wanted);
}

bool TemplateEditor::add(catalogue::Catalogue& db) {
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
        return false;
    }
    context_.messages().show(toUtf8(kind + QStringLiteral("成功")));
    loadedRowId_ = 0;
    loadedText_.clear();
    controls_.content->setExactText(QString());
    // Consecutive adds get consecutive positions.
    controls_.order->setText(QString::number(addClamped(row.order, 1)));
    loadedOrder_ = controls_.order->text();
    // The list shows the kind the row went to.
    if (listedKind_ != kind) listedKind_ = kind;
    refill(db);
    showUnsaved();
    return true;
}

bool TemplateEditor::modify(catalogue::Catalogue& db) {
    auto row = db.templateRow(loadedRowId_);
    if (!row) {
        context_.messages().show("记录不存在");
        return false;
    }
    row->content = toUtf8(controls_.content->exactText());
    row->order = leadingInteger(toUtf8(controls_.order->text()));
    db.updateTemplate(*row);  // a row keeps its kind for good
    loadedText_ = controls_.content->exactText();
    loadedOrder_ = QString::number(row->order);
    controls_.order->setText(loadedOrder_);
    context_.messages().show(toUtf8(toQt(row->kind) + QStringLiteral("_____修改成功")));
    refill(db);
    showUnsaved();
    return true;
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
    context_.messages().show(toUtf8(toQt(row->kind) + QStringLiteral("___删除成功")));
    refill(db);
    showUnsaved();
}

void TemplateEditor::reload(catalogue::Catalogue& db) {
    const auto row = loadedRowId_ != 0 ? db.templateRow(loadedRowId_) : std::nullopt;
    if (loadedRowId_ != 0 && !row) loadedRowId_ = 0;
    // Undo and redo are refused while the form holds typing, so the stored text may show.
    if (row && !hasUnsavedText()) load(row);
    refill(db);
    showUnsaved();
}

void TemplateEditor::showRow(catalogue::Catalogue& db, catalogue::Id rowId, const QString& kind) {
    const auto row = db.templateRow(rowId);
    const QString shownKind = row ? toQt(row->kind) : kind;
    if (!shownKind.isEmpty()) {
        const QSignalBlocker quiet(controls_.kind);
        selectByPrefix(controls_.kind, shownKind);
        fill(db, shownKind);
    }
    if (row && !hasUnsavedText()) load(row);
    markLoaded(loadedRowId_);
}

}  // namespace tabulon::designer

#include "designer/field_editor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QWidget>

#include "catalogue/data_type.h"
#include "catalogue/widget_kind.h"
#include "designer/deletion_questions.h"
#include "designer/entries.h"
#include "designer/field_list_rows.h"
#include "designer/text_rules.h"
#include "generator/check/design_rules.h"

namespace tabulon::designer {
namespace {

// The words come from the type and widget tables; each is a literal, so .data() ends in NUL.
constexpr std::string_view typeWord(catalogue::DataType type) {
    for (const auto& row : catalogue::kDataTypeRows)
        if (row.type == type) return row.word;
    return {};
}
constexpr const char* kKeyFieldType = typeWord(catalogue::DataType::AutoNumber).data();
constexpr const char* kDefaultType = typeWord(catalogue::DataType::Text).data();
constexpr const char* kDefaultInput = catalogue::widgetWord(catalogue::WidgetKind::TextBox).data();

}  // namespace

FieldEditor::FieldEditor(EditorContext& context, const FieldControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls), links_(context, controls.links) {
    // A click loads the row when the button comes up; keys load the row they move to.
    controls_.list->viewport()->installEventFilter(this);
    connect(controls_.list, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (mouseDown_ || controls_.list->selectedItems().isEmpty()) return;
        context_.handle([this](auto& db) { chooseRow(db); });
    });
    // Enter on the add button or in the name box adds, like a click.
    controls_.add->installEventFilter(this);
    connect(controls_.name, &QLineEdit::returnPressed, this,
            [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
    auto* deleteKey = new QShortcut(QKeySequence::Delete, controls_.list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, controls_.remove, &QPushButton::click);
    // Also for text the program puts there: loading a field named "id" applies the rule.
    connect(controls_.name, &QLineEdit::textChanged, this, &FieldEditor::nameChanged);
    controls_.description->setToolTip(QString::fromUtf8(kDescriptionHint));
}

bool FieldEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == controls_.list->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            mouseDown_ = true;
            // A click beside the rows leaves no row selected, as in a report list.
            if (mouse->button() == Qt::LeftButton && !controls_.list->itemAt(mouse->position().toPoint()))
                controls_.list->clearSelection();
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            mouseDown_ = false;
            context_.handle([this](auto& db) { chooseRow(db); });
        } else if (event->type() == QEvent::MouseButtonRelease) {
            mouseDown_ = false;
        }
    } else if (watched == controls_.add && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            context_.handle([this](auto& db) { add(db); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FieldEditor::refresh(catalogue::Id tableId) {
    const FieldList fields = fieldList(context_.db(), tableId);
    // The relist keeps the 联显字段 pick: the form may be showing a field being edited.
    const catalogue::Id display = selectedValue(controls_.links.cascadeDisplay);
    {
        const QSignalBlocker quiet(controls_.list);
        controls_.list->clear();
    }
    clearEntries(controls_.links.cascadeDisplay);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(fields.rows.size()));
    for (const auto& row : fields.rows) {
        addEntry(controls_.links.cascadeDisplay, toQt(row.name), row.fieldId);
        auto* item = new QTreeWidgetItem;
        for (int column = 0; column < kFieldListColumnCount; ++column)
            item->setText(column, toQt(row.columns[static_cast<std::size_t>(column)]));
        item->setData(0, kItemValueRole, QVariant::fromValue<qlonglong>(row.fieldId));
        items.append(item);
    }
    if (display >= 0) {
        const int index =
            controls_.links.cascadeDisplay->findData(QVariant::fromValue<qlonglong>(display), kItemValueRole);
        if (index >= 0) controls_.links.cascadeDisplay->setCurrentIndex(index);
    }
    const QSignalBlocker quiet(controls_.list);
    controls_.list->addTopLevelItems(items);
    controls_.order->setText(QString::number(fields.proposedOrder));
}

void FieldEditor::openTable(catalogue::Id tableId, const QString& title) {
    // A field of the table shown before leaves the form; a name typed for a new field
    // stays for the table now chosen. The focus stays where the user has it.
    if (loadedFieldId_ != 0) resetForm();
    refresh(tableId);
    controls_.title->setText(title);
}

void FieldEditor::showTable(catalogue::Id tableId, const QString& title) {
    // The relist proposes a new 排序 only to an empty form: a loaded field's own, or one
    // typed for a new field, stays.
    const bool keepOrder = loadedFieldId_ != 0 || !controls_.name->text().trimmed().isEmpty();
    const QString order = controls_.order->text();
    refresh(tableId);
    if (keepOrder) controls_.order->setText(order);
    controls_.title->setText(title);
    // The row the form shows may be gone (undo, another table's delete).
    if (loadedFieldId_ != 0 && !context_.db().field(loadedFieldId_)) loadedFieldId_ = 0;
}

void FieldEditor::closeTable() {
    resetForm();
    {
        const QSignalBlocker quiet(controls_.list);
        controls_.list->clear();
    }
    clearEntries(controls_.links.cascadeDisplay);
    controls_.title->clear();
    controls_.order->setText(QStringLiteral("0"));
}

void FieldEditor::resetForm() {
    loadedFieldId_ = 0;
    {
        // Emptying the name box must not run the "id" rule's focus move.
        const QSignalBlocker quiet(controls_.name);
        controls_.name->clear();
    }
    controls_.description->clear();
    selectByPrefix(controls_.type, QString::fromUtf8(kDefaultType));
    selectByPrefix(controls_.links.inputType, QString::fromUtf8(kDefaultInput));
    links_.reset();
}

catalogue::Id FieldEditor::selectedFieldId() const {
    const auto selected = controls_.list->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->data(0, kItemValueRole).toLongLong();
}

bool FieldEditor::hasUnsavedEdits() const {
    if (loadedFieldId_ == 0) return !controls_.name->text().trimmed().isEmpty();
    return toUtf8(controls_.name->text()) != loaded_.name ||
           toUtf8(controls_.description->text()) != loaded_.description ||
           leadingInteger(toUtf8(controls_.order->text())) != loaded_.order ||
           toUtf8(selectedText(controls_.type)) != loaded_.type ||
           toUtf8(selectedText(controls_.links.inputType)) != loaded_.inputType || links_.picks() != loadedLinks_;
}

bool FieldEditor::settle(catalogue::Catalogue& db) {
    if (!hasUnsavedEdits()) return true;
    switch (context_.askUnsaved(kUnsavedFieldQuestion)) {
    case UnsavedAnswer::Save: return loadedFieldId_ != 0 ? modify(db) : add(db);
    case UnsavedAnswer::Discard: return true;
    case UnsavedAnswer::Cancel: break;
    }
    return false;
}

void FieldEditor::markLoaded() {
    const QSignalBlocker quiet(controls_.list);
    controls_.list->clearSelection();
    for (int i = 0; i < controls_.list->topLevelItemCount(); ++i) {
        auto* item = controls_.list->topLevelItem(i);
        if (item->data(0, kItemValueRole).toLongLong() == loadedFieldId_ && loadedFieldId_ != 0) {
            controls_.list->setCurrentItem(item);
            return;
        }
    }
}

void FieldEditor::load(const catalogue::Field& field) {
    loadedFieldId_ = field.id;
    selectByPrefix(controls_.links.inputType, toQt(field.inputType));
    // Setting the name runs the "id" rule; the row's own type and description follow
    // and win over it.
    {
        // Loading must not move the focus away from where the user works.
        QWidget* focus = QApplication::focusWidget();
        controls_.name->setText(toQt(field.name));
        if (focus && QApplication::focusWidget() != focus) focus->setFocus();
    }
    controls_.description->setText(toQt(field.description));
    controls_.order->setText(QString::number(field.order));
    selectByPrefix(controls_.type, toQt(field.type));
    loaded_ = field;
}

void FieldEditor::chooseRow(catalogue::Catalogue& db) {
    const catalogue::Id wanted = selectedFieldId();
    if (wanted != 0 && !settle(db)) {
        markLoaded();  // stay on the field being edited
        return;
    }
    const auto field = db.field(wanted);
    if (field) {
        load(*field);
        markLoaded();  // a save above refilled the list
    } else {
        loadedFieldId_ = 0;  // nothing chosen: 修改 and 删除 have no row to act on
    }
    // Without a row the form stays as it was, but both groups close.
    links_.load(field ? *field : catalogue::Field{});
    loadedLinks_ = links_.picks();
}

void FieldEditor::showField(catalogue::Catalogue& db, catalogue::Id fieldId) {
    const auto field = db.field(fieldId);
    if (!field || hasUnsavedEdits()) return;
    load(*field);
    markLoaded();
    links_.load(*field);
    loadedLinks_ = links_.picks();
}

std::string FieldEditor::readForm(catalogue::Catalogue& db, catalogue::Field& field) const {
    field.name = toUtf8(controls_.name->text());
    if (controls_.name->text().trimmed().isEmpty()) return kEmptyFieldName;
    field.type = toUtf8(selectedText(controls_.type));
    if (const auto refused = fieldNameRefusal(field.name, field.type)) return *refused;
    field.description = toUtf8(controls_.description->text());
    if (const auto refused = pageTextRefusal("字段说明", field.description)) return *refused;
    // Two fields the database cannot tell apart: one of them would get no column.
    for (const auto& other : db.fields(field.tableId, catalogue::FieldOrder::ById))
        if (other.id != field.id && generator::sameDatabaseName(other.name, field.name)) return "该表存在同名字段";
    field.order = leadingInteger(toUtf8(controls_.order->text()));
    field.inputType = toUtf8(selectedText(controls_.links.inputType));
    return links_.storeLinks(db, field);
}

bool FieldEditor::add(catalogue::Catalogue& db) {
    const catalogue::Id tableId = context_.selection().table();
    if (tableId < 0) {
        context_.messages().show("请选择一个表");
        controls_.name->setFocus();
        return false;
    }
    catalogue::Field field;
    field.tableId = tableId;
    if (const std::string refused = readForm(db, field); !refused.empty()) {
        context_.messages().show(refused);  // the form stays as typed
        controls_.name->setFocus();
        return false;
    }
    db.addField(field);
    refresh(tableId);
    // The refresh proposed the largest order plus 3; the next field goes 3 further still.
    const std::int64_t proposed = leadingInteger(toUtf8(controls_.order->text()));
    clearForm(QString::number(addClamped(proposed, 3)));
    // A table has one key: the "id" shortcut's type is not carried to the next field.
    if (selectedText(controls_.type) == QString::fromUtf8(kKeyFieldType))
        selectByPrefix(controls_.type, QString::fromUtf8(kDefaultType));
    controls_.name->setFocus();
    return true;
}

bool FieldEditor::modify(catalogue::Catalogue& db) {
    // The row the form shows, whatever the list's highlight says.
    auto field = loadedFieldId_ != 0 ? db.field(loadedFieldId_) : std::nullopt;
    if (!field) {
        context_.messages().show("记录不存在");
        refresh(context_.selection().table());
        clearForm(controls_.order->text());
        return false;
    }
    if (const std::string refused = readForm(db, *field); !refused.empty()) {
        context_.messages().show(refused);
        return false;
    }
    db.updateField(*field);  // the table it belongs to stays
    refresh(context_.selection().table());
    clearForm(controls_.order->text());  // the order the refresh proposed
    return true;
}

void FieldEditor::remove(catalogue::Catalogue& db) {
    const auto field = loadedFieldId_ != 0 ? db.field(loadedFieldId_) : std::nullopt;
    if (!field) {
        context_.messages().show("记录不存在");
    } else {
        if (!context_.confirm(fieldDeletionQuestion(db, field->id))) return;
        db.deleteField(field->id);
    }
    refresh(context_.selection().table());
    clearForm(controls_.order->text());
}

void FieldEditor::clearForm(const QString& order) {
    loadedFieldId_ = 0;
    controls_.name->clear();
    controls_.description->clear();
    controls_.order->setText(order);
}

void FieldEditor::nameChanged(const QString& text) {
    // Lower case only: "ID" and "Id" are ordinary names.
    if (text != QLatin1String("id")) return;
    selectByPrefix(controls_.type, QString::fromUtf8(kKeyFieldType));
    controls_.description->setText(QString::fromUtf8(kKeyFieldType));
    controls_.add->setFocus();
}

}  // namespace tabulon::designer

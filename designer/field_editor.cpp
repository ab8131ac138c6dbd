#include "designer/field_editor.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "designer/entries.h"
#include "designer/field_list_rows.h"
#include "designer/text_rules.h"

namespace tabulon::designer {
namespace {

// Stored in every cascade column on add and modify: the form has no way to edit cascades.
constexpr const char* kNoCascade = "0";

}  // namespace

FieldEditor::FieldEditor(EditorContext& context, const FieldControls& controls, QObject* parent)
    : QObject(parent), context_(context), controls_(controls), links_(context, controls.links) {
    // A row is loaded by a mouse click only: moving the selection with the keys loads nothing.
    controls_.list->viewport()->installEventFilter(this);
    // Enter on the add button adds, like a click.
    controls_.add->installEventFilter(this);
    connect(controls_.add, &QPushButton::clicked, this, [this] { context_.handle([this](auto& db) { add(db); }); });
    connect(controls_.modify, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { modify(db); }); });
    connect(controls_.remove, &QPushButton::clicked, this,
            [this] { context_.handle([this](auto& db) { remove(db); }); });
    // Also for text the program puts there: loading a field named "id" applies the rule.
    connect(controls_.name, &QLineEdit::textChanged, this, &FieldEditor::nameChanged);
}

bool FieldEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == controls_.list->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            // A click beside the rows leaves no row selected, as in a report list.
            if (mouse->button() == Qt::LeftButton && !controls_.list->itemAt(mouse->position().toPoint()))
                controls_.list->clearSelection();
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            context_.handle([this](auto& db) { chooseRow(db); });
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
    controls_.list->clear();
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
    controls_.list->addTopLevelItems(items);
    controls_.order->setText(QString::number(fields.proposedOrder));
}

void FieldEditor::openTable(catalogue::Id tableId, const QString& title) {
    refresh(tableId);
    // The cascade group keeps its visibility; only the switch is reset.
    controls_.links.cascadeSwitch->setChecked(false);
    controls_.title->setText(title);
    controls_.name->setFocus();
}

catalogue::Id FieldEditor::selectedFieldId() const {
    const auto selected = controls_.list->selectedItems();
    return selected.isEmpty() ? 0 : selected.front()->data(0, kItemValueRole).toLongLong();
}

void FieldEditor::chooseRow(catalogue::Catalogue& db) {
    const auto field = db.field(selectedFieldId());
    if (field) {
        selectByPrefix(controls_.links.inputType, toQt(field->inputType));
        // Setting the name runs the "id" rule; the row's own type and description follow
        // and win over it.
        controls_.name->setText(toQt(field->name));
        controls_.description->setText(toQt(field->description));
        controls_.order->setText(QString::number(field->order));
        selectByPrefix(controls_.type, toQt(field->type));
    }
    // Without a row the form stays as it was, but both groups close.
    links_.load(field ? *field : catalogue::Field{});
}

void FieldEditor::readForm(catalogue::Field& field) const {
    field.name = withoutSpaces(toUtf8(controls_.name->text()));
    field.type = toUtf8(selectedText(controls_.type));
    field.description = toUtf8(controls_.description->text());
    field.order = leadingInteger(toUtf8(controls_.order->text()));
    field.inputType = toUtf8(selectedText(controls_.links.inputType));
    links_.storeLinks(field);
    field.cascadeTable = field.cascadeField = field.cascadeCondition = field.cascadeDisplay = kNoCascade;
}

void FieldEditor::clearForm(const QString& order) {
    controls_.name->clear();
    controls_.description->clear();
    controls_.order->setText(order);
}

void FieldEditor::add(catalogue::Catalogue& db) {
    const catalogue::Id tableId = context_.selection().table();
    if (tableId < 0) {
        context_.messages().show("请选择一个表");
        controls_.name->setFocus();
        return;
    }
    catalogue::Field field;
    field.tableId = tableId;
    readForm(field);
    if (const auto refused = fieldNameRefusal(field.name)) {
        context_.messages().show(*refused);
        controls_.name->setFocus();
        return;
    }
    if (db.fieldByName(tableId, field.name)) {
        context_.messages().show("该表存在同名字段");
    } else {
        db.addField(field);
    }
    refresh(tableId);
    // The refresh proposed the largest order plus 3; the next field goes 3 further still.
    const std::int64_t proposed = leadingInteger(toUtf8(controls_.order->text()));
    clearForm(QString::number(addClamped(proposed, 3)));
    controls_.name->setFocus();
}

void FieldEditor::modify(catalogue::Catalogue& db) {
    auto field = db.field(selectedFieldId());
    if (field) {
        readForm(*field);  // the table it belongs to stays
        if (const auto refused = fieldNameRefusal(field->name)) {
            context_.messages().show(*refused);
            return;
        }
        db.updateField(*field);
    } else {
        context_.messages().show("记录不存在");
    }
    refresh(context_.selection().table());
    clearForm(QStringLiteral("0"));
}

void FieldEditor::remove(catalogue::Catalogue& db) {
    const catalogue::Id fieldId = selectedFieldId();
    if (db.field(fieldId)) {
        db.deleteField(fieldId);
    } else {
        context_.messages().show("记录不存在");
    }
    refresh(context_.selection().table());
    clearForm(QStringLiteral("0"));
}

void FieldEditor::nameChanged(const QString& text) {
    // Lower case only: "ID" and "Id" are ordinary names.
    if (text != QLatin1String("id")) return;
    selectByPrefix(controls_.type, QStringLiteral("自动编号"));
    controls_.description->setText(QStringLiteral("自动编号"));
    controls_.add->setFocus();
}

}  // namespace tabulon::designer

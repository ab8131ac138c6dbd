#include "designer/entries.h"

#include <QSignalBlocker>

namespace tabulon::designer {

void clearEntries(QComboBox* combo) {
    combo->clear();
    combo->setCurrentIndex(-1);
}

void addEntry(QComboBox* combo, const QString& text, catalogue::Id value) {
    const bool hadSelection = combo->currentIndex() >= 0;
    combo->addItem(text, QVariant::fromValue<qlonglong>(value));
    // Qt selects the first entry added to an empty list; the designer's lists do not.
    if (!hadSelection) combo->setCurrentIndex(-1);
}

catalogue::Id selectedValue(const QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0) return -1;
    return combo->itemData(index, kItemValueRole).toLongLong();
}

QString selectedText(const QComboBox* combo) { return combo->currentIndex() < 0 ? QString() : combo->currentText(); }

void selectByPrefix(QComboBox* combo, const QString& text) {
    if (text.isEmpty()) return;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return;
        }
    }
}

void selectFirst(QComboBox* combo) {
    if (combo->count() > 0) selectByPrefix(combo, combo->itemText(0));
}

void clearEntries(QListWidget* list) {
    const QSignalBlocker quiet(list);
    list->clear();
}

void addEntry(QListWidget* list, const QString& text, catalogue::Id value) {
    const QSignalBlocker quiet(list);
    auto* item = new QListWidgetItem(text);
    item->setData(kItemValueRole, QVariant::fromValue<qlonglong>(value));
    list->addItem(item);
}

catalogue::Id selectedValue(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : selected.front()->data(kItemValueRole).toLongLong();
}

QString selectedText(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

}  // namespace tabulon::designer

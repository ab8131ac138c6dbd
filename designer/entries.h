#pragma once
// Entries of combo boxes and list boxes carry an id beside their text (a table's id, a
// field's id, "ID" with 0). These helpers keep that convention in one place and never
// raise a control's user signals: only the user's own picks run handlers.
#include <QComboBox>
#include <QListWidget>
#include <QString>

#include <string>
#include <string_view>

#include "catalogue/records.h"

namespace tabulon::designer {

inline constexpr int kItemValueRole = Qt::UserRole;

inline QString toQt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string toUtf8(const QString& text) { return text.toStdString(); }

// Empties the list and leaves nothing selected.
void clearEntries(QComboBox* combo);
// Appends an entry; a box that had nothing selected still has nothing selected.
void addEntry(QComboBox* combo, const QString& text, catalogue::Id value);
// The id of the selected entry, -1 when nothing is selected.
catalogue::Id selectedValue(const QComboBox* combo);
// The text of the selected entry, "" when nothing is selected.
QString selectedText(const QComboBox* combo);
// Selects the first entry whose text begins with `text`, ignoring letter case. With no
// match, and always for an empty text, the selection stays as it was.
void selectByPrefix(QComboBox* combo, const QString& text);
// Selects the first entry's text by prefix: the usual "select the first entry".
void selectFirst(QComboBox* combo);

void clearEntries(QListWidget* list);
void addEntry(QListWidget* list, const QString& text, catalogue::Id value);
catalogue::Id selectedValue(const QListWidget* list);
QString selectedText(const QListWidget* list);

}  // namespace tabulon::designer

#pragma once
// A list box's "entry picked" event: the user chose an entry with the mouse or the
// keyboard, or clicked the entry that was already chosen. Changes the program makes (under
// a QSignalBlocker, see entries.h) never count as a pick.
#include <QListWidget>

#include <functional>

namespace tabulon::designer {

void onUserPick(QListWidget* list, std::function<void()> handler);

}  // namespace tabulon::designer

#include "window/run_progress.h"

#include <QCoreApplication>

namespace tabulon::window {

RunProgress::RunProgress(QWidget* window, const QString& label, Messages& messages)
    : dialog_(label, QString(), 0, 1, window), messages_(dialog_, messages) {
    dialog_.setWindowModality(Qt::WindowModal);
    dialog_.setCancelButton(nullptr);
    dialog_.setMinimumDuration(300);
    dialog_.setValue(0);
}

generator::Progress RunProgress::callback() {
    return [this](std::size_t done, std::size_t total) {
        dialog_.setMaximum(static_cast<int>(total));
        dialog_.setValue(static_cast<int>(done));
        if (messages_.stepped && done < total) {
            messages_.stepped = false;
            dialog_.show();
        }
        QCoreApplication::processEvents();
    };
}

void RunProgress::StepAside::show(std::string_view text) {
    // cancel() hides the dialog and stops its timer from showing it again by itself.
    dialog_.cancel();
    stepped = true;
    inner_.show(text);
}

}  // namespace tabulon::window

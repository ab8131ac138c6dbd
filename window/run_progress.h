#pragma once
// The progress dialog of a long run. It is modal to the window, so no other handler can
// start while it is up; and it steps aside for every message the run shows, so a message
// box is never left under it (where its OK could not be reached).
#include <QProgressDialog>
#include <QString>
#include <QWidget>

#include "base/messages.h"
#include "generator/driver.h"

namespace tabulon::window {

class RunProgress {
public:
    RunProgress(QWidget* window, const QString& label, Messages& messages);

    // Moves the bar and keeps the window painting; brings the dialog back after a message
    // while the run goes on.
    generator::Progress callback();
    // Messages for the run to show: each closes the dialog first.
    Messages& messages() { return messages_; }

private:
    class StepAside final : public Messages {
    public:
        StepAside(QProgressDialog& dialog, Messages& inner) : dialog_(dialog), inner_(inner) {}
        void show(std::string_view text) override;
        bool stepped = false;

    private:
        QProgressDialog& dialog_;
        Messages& inner_;
    };

    QProgressDialog dialog_;
    StepAside messages_;
};

}  // namespace tabulon::window

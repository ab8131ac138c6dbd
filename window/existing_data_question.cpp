#include "window/existing_data_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace tabulon::window {

std::optional<generator::ExistingRows> askAboutExistingRows(QWidget* parent, std::size_t rows) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("信息："),
                    QStringLiteral("data.mdb 中已有 %1 条记录：").arg(rows), QMessageBox::NoButton, parent);
    auto* keep = box.addButton(QStringLiteral("保留数据重新生成"), QMessageBox::AcceptRole);
    auto* empty = box.addButton(QStringLiteral("重新生成空库"), QMessageBox::DestructiveRole);
    auto* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == keep) return generator::ExistingRows::Keep;
    if (box.clickedButton() == empty) return generator::ExistingRows::Discard;
    return std::nullopt;
}

std::optional<generator::DatabaseOptions> chooseDatabaseOptions(QWidget* parent, const std::filesystem::path& runDir,
                                                                std::string_view projectName) {
    generator::DatabaseOptions options;
    // A file that cannot be read is refused by ② itself, with the reason.
    const auto existing = generator::inspectExistingDatabase(runDir, projectName);
    if (!existing.exists || existing.problem || existing.rows == 0) return options;
    const auto choice = askAboutExistingRows(parent, existing.rows);
    if (!choice) return std::nullopt;
    options.existingRows = *choice;
    return options;
}

}  // namespace tabulon::window

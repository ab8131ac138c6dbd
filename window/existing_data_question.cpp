#include "window/existing_data_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace tabulon::window {

std::optional<generator::ExistingRows> askAboutExistingRows(QWidget* parent, std::size_t rows, bool previewNewer) {
    QString question = existingRowsQuestion(rows, previewNewer);
    QMessageBox box(QMessageBox::Question, QStringLiteral("信息"), question, QMessageBox::NoButton, parent);
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

QString existingRowsQuestion(std::size_t rows, bool previewNewer) {
    QString question = QStringLiteral("data.mdb 中已有 %1 条记录。").arg(rows);
    if (previewNewer)
        question += QStringLiteral(
            "\n预览的工作副本中有比 data.mdb 更新的数据，重新生成不会带入它们；要保留它们，请先取消，"
            "用“预览数据写回 data.mdb”写回。");
    return question + QStringLiteral("\n重新生成数据库时如何处理这些记录？");
}

std::optional<generator::DatabaseOptions> chooseDatabaseOptions(QWidget* parent, const std::filesystem::path& runDir,
                                                                std::string_view projectName, bool previewNewer) {
    generator::DatabaseOptions options;
    // A file that cannot be read is refused by ② itself, with the reason.
    const auto existing = generator::inspectExistingDatabase(runDir, projectName);
    if (!existing.exists || existing.problem || existing.rows == 0) return options;
    const auto choice = askAboutExistingRows(parent, existing.rows, previewNewer);
    if (!choice) return std::nullopt;
    options.existingRows = *choice;
    return options;
}

}  // namespace tabulon::window

#include "window/access_import.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "importer/import_run.h"

namespace tabulon::window {
namespace {

QString chooseInDialog(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("导入 Access 数据库"), QString(),
                                        QStringLiteral("Access 数据库 (*.mdb *.accdb);;所有文件 (*)"));
}

// The report in a box of its own: it can be long, and the user may want to copy it.
void showInDialog(QWidget* parent, const std::vector<std::string>& lines) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("导入报告"));
    auto* text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("importReport"));
    text->setReadOnly(true);
    QString all;
    for (const auto& line : lines) all += QString::fromStdString(line) + QLatin1Char('\n');
    text->setPlainText(all);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.resize(640, 400);
    dialog.exec();
}

}  // namespace

AccessImport::AccessImport(designer::EditorContext& context, std::filesystem::path runDir, QWidget* parent)
    : QObject(parent),
      context_(context),
      runDir_(std::move(runDir)),
      parent_(parent),
      choose_(chooseInDialog),
      view_(showInDialog) {
    setObjectName(QStringLiteral("accessImport"));
}

void AccessImport::run() {
    const QString chosen = choose_(parent_);
    if (chosen.isEmpty()) return;
    const std::filesystem::path file = chosen.toStdString();
    std::vector<std::string> report;
    qint64 projectId = -1;
    context_.handle([&](catalogue::Catalogue& db) {
        importer::ImportOptions options;
        std::string existing;
        for (const std::string& name : importer::projectNamesIn(file, options))
            if (db.projectByName(name)) existing += (existing.empty() ? "“" : "、“") + name + "”";
        if (!existing.empty()) {
            if (!context_.confirm("项目" + existing + "已经存在。用导入的设计替换它吗？")) return;
            options.replace = true;
        }
        const auto result = importer::importFile(file, db, runDir_, options);
        report = result.report;
        if (!result.projectNames.empty())
            if (const auto project = db.projectByName(result.projectNames.front())) projectId = project->id;
    });
    if (report.empty()) return;
    view_(parent_, report);
    if (projectId >= 0) emit imported(projectId);
}

}  // namespace tabulon::window

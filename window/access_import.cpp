#include "window/access_import.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "generator/naming/naming.h"
#include "importer/import_run.h"

namespace tabulon::window {
namespace {

QString chooseInDialog(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("导入 Access 数据库"), QString(),
                                        QStringLiteral("Access 数据库 (*.mdb *.accdb);;所有文件 (*)"));
}

enum class TemplateChoice { Add, Replace, Cancel };

// An older catalogue brings template rows: beside ours (the default) or instead of them.
TemplateChoice askTemplates(QWidget* parent, const QString& file, std::size_t rows) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("导入旧目录"),
                    QStringLiteral("“%1”是旧的目录数据库，带有 %2 行模板。\n"
                                   "添加：作为新的模板行加在现有模板之后。\n"
                                   "替换：删除现有的全部模板，换成它的模板。")
                        .arg(file)
                        .arg(rows),
                    QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("templateQuestion"));
    auto* add = box.addButton(QStringLiteral("添加模板"), QMessageBox::AcceptRole);
    add->setObjectName(QStringLiteral("addTemplatesButton"));
    auto* replace = box.addButton(QStringLiteral("替换现有模板"), QMessageBox::DestructiveRole);
    replace->setObjectName(QStringLiteral("replaceTemplatesButton"));
    auto* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelImportButton"));
    box.setDefaultButton(add);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == replace) return TemplateChoice::Replace;
    if (box.clickedButton() == add) return TemplateChoice::Add;
    return TemplateChoice::Cancel;
}

}  // namespace

AccessImport::AccessImport(designer::EditorContext& context, std::filesystem::path runDir, QWidget* parent)
    : QObject(parent), context_(context), runDir_(std::move(runDir)), parent_(parent), choose_(chooseInDialog) {
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
        const importer::ImportPreview preview = importer::previewImport(file, options);
        if (preview.olderCatalogue && preview.templateRows > 0) {
            const TemplateChoice choice =
                askTemplates(parent_, QString::fromStdString(file.filename().string()), preview.templateRows);
            if (choice == TemplateChoice::Cancel) return;
            options.replaceTemplates = choice == TemplateChoice::Replace;
        }
        std::string existing;
        for (const std::string& name : preview.projectNames)
            if (db.projectByName(name)) existing += (existing.empty() ? "“" : "、“") + name + "”";
        if (!existing.empty()) {
            if (!context_.confirm("项目" + existing + "已经存在。用导入的设计替换它吗？")) return;
            options.replace = true;
        }
        const auto result = importer::importFile(file, db, runDir_, options);
        report = result.report;
        if (!result.projectNames.empty())
            if (const auto project = db.projectByName(result.projectNames.front())) projectId = project->id;
        if (!preview.olderCatalogue && projectId >= 0) {
            WrittenData data{
                projectId, generator::siteFolder(runDir_, result.projectNames.front()) / "data" / "data.mdb", {}};
            for (const auto& path : result.written)
                if (path != data.dataFile) data.keptCopy = path;
            written_[result.projectNames.front()] = data;
        }
    });
    // The project is shown first, so that the report is read beside it.
    if (projectId >= 0) emit imported(projectId);
    if (!report.empty() && view_) view_(parent_, report);
}

std::string AccessImport::whatStays(const std::map<std::string, qint64>& before, catalogue::Catalogue& db) const {
    std::string said;
    for (const auto& [name, data] : written_) {
        const auto was = before.find(name);
        if (was == before.end() || was->second != data.projectId) continue;  // not the imported project
        std::error_code error;
        if (!std::filesystem::exists(data.dataFile, error)) continue;
        const auto now = db.projectByName(name);
        if (now && now->id == data.projectId) continue;  // the undo left the imported project alone
        const std::string file = (std::filesystem::path(name) / "data" / "data.mdb").string();
        if (!now) {
            said += "导入写入的 " + file + " 留在磁盘上，没有删除（重做可恢复项目 " + name + "）。";
        } else if (!data.keptCopy.empty()) {
            said += "项目 " + name + " 已恢复为导入前的设计，但 " + file + " 仍是导入的数据；导入前的数据库在 " +
                    data.keptCopy.filename().string() + "。";
        } else {
            said += "项目 " + name + " 已恢复为导入前的设计，但 " + file + " 仍是导入的数据。";
        }
    }
    return said;
}

}  // namespace tabulon::window

// 文件 → 导入 Access 数据库… as the user meets it: the file chosen, the report shown, the new
// project chosen in the window; a second import of the same file asks before replacing, and
// a "no" keeps the project; the import is one step of undo.
#include <QAction>
#include <QTest>

#include "designer_window.h"
#include "jet/database.h"
#include "window/access_import.h"

using tabulon::testing::DesignerWindow;

namespace {

class ImportTest final : public QObject {
    Q_OBJECT

    // An Access file of two tables, written beside the run folder's catalogue.
    QString accessFile(DesignerWindow& designer) {
        auto db = tabulon::jet::Database::createEmpty();
        db.createTable({"客户", {{"名称", tabulon::jet::ColumnType::Text}, {"电话", tabulon::jet::ColumnType::Text}}});
        db.createTable(
            {"订单", {{"日期", tabulon::jet::ColumnType::DateTime}, {"备注", tabulon::jet::ColumnType::Memo}}});
        db.insert("客户", {{"名称", std::string("甲公司")}});
        const auto path = designer.runDir() / "客户资料.mdb";
        db.save(path);
        return QString::fromStdString(path.string());
    }

    tabulon::window::AccessImport* prepare(DesignerWindow& designer, const QString& file,
                                           std::vector<std::string>& report) {
        auto* import = designer.window().findChild<tabulon::window::AccessImport*>(QStringLiteral("accessImport"));
        import->setFileChooser([file](QWidget*) { return file;
    });
        import->setReportViewer([&report](QWidget*, const std::vector<std::string>& lines) { report = lines; });
return import;
}  // namespace

private slots:
void importingShowsTheReportAndChoosesTheNewProject() {
    DesignerWindow designer;
    std::vector<std::string> report;
    prepare(designer, accessFile(designer), report);
    designer.find<QAction>("importAccessAction")->trigger();
    QVERIFY(!report.empty());
    QVERIFY2(QString::fromStdString(report.front()).contains(QStringLiteral("2 个表")),
             qPrintable(QString::fromStdString(report.front())));
    QCOMPARE(designer.chosen("组合框1"), QStringLiteral("客户资料"));
    QVERIFY(designer.entries("列表框1").contains(QStringLiteral("订单")));
    QVERIFY(std::filesystem::exists(designer.runDir() / "客户资料" / "data" / "data.mdb"));

    // Undo takes the whole import back.
    designer.window().undo();
    QVERIFY(!designer.inspect().projectByName("客户资料"));
}

void aSecondImportAsksBeforeReplacing() {
    DesignerWindow designer;
    std::vector<std::string> report;
    const QString file = accessFile(designer);
    prepare(designer, file, report);
    designer.find<QAction>("importAccessAction")->trigger();
    const auto first = designer.inspect().projectByName("客户资料")->id;
    report.clear();
    designer.answerQuestions(false);
    designer.find<QAction>("importAccessAction")->trigger();
    QCOMPARE(designer.asked().size(), 1);
    QVERIFY(designer.asked().last().contains(QStringLiteral("客户资料")));
    QVERIFY(report.empty());
    QCOMPARE(designer.inspect().projectByName("客户资料")->id, first);
    designer.answerQuestions(true);
    designer.find<QAction>("importAccessAction")->trigger();
    QVERIFY(!report.empty());
    QVERIFY(designer.inspect().projectByName("客户资料")->id != first);
}

void aFileThatIsNotAccessIsRefusedWithAMessage() {
    DesignerWindow designer;
    std::vector<std::string> report;
    const auto path = designer.runDir() / "坏.mdb";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fputs("not a database at all", out);
    std::fclose(out);
    const auto projects = designer.inspect().projects().size();
    prepare(designer, QString::fromStdString(path.string()), report);
    designer.find<QAction>("importAccessAction")->trigger();
    QVERIFY(report.empty());
    QVERIFY2(designer.shown().last().contains(QStringLiteral("不是 Access 数据库")),
             qPrintable(designer.shown().last()));
    QCOMPARE(designer.inspect().projects().size(), projects);
}
}
;

}  // namespace

QTEST_MAIN(ImportTest)
#include "import_test.moc"

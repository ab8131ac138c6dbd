// 文件 → 导入 Access 数据库… as the user meets it: the file chosen, the report shown, the new
// project chosen in the window; a second import of the same file asks before replacing, and
// a "no" keeps the project; an older catalogue asks whether its templates are added or
// replace ours; the import is one step of undo, which says what it leaves on disk.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

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
        auto* accessImport =
            designer.window().findChild<tabulon::window::AccessImport*>(QStringLiteral("accessImport"));
        accessImport->setFileChooser([file](QWidget* /*parent*/) { return file; });
        accessImport->setReportViewer([&report](QWidget*, const std::vector<std::string>& lines) { report = lines; });
        return accessImport;
    }

    // An older catalogue (the Access format with 项目, 表, 字段, 模板定义): one project of one
    // table, and two template rows of its own.
    QString olderCatalogue(DesignerWindow& designer) {
        auto db = tabulon::jet::Database::createEmpty();
        db.execute("create Table 项目([id] Counter PRIMARY KEY,[项目名称]  VarChar(50),[项目备注]  memo)");
        db.execute(
            "create Table 表([id] Counter PRIMARY KEY,[项目编号]  integer,[表名称]  VarChar(50),"
            "[表说明]  VarChar(50))");
        db.execute(
            "create Table 字段([id] Counter PRIMARY KEY,[表编号]  integer,[字段名称]  VarChar(50),"
            "[字段类型]  VarChar(50),[字段说明]  VarChar(50),[排序]  integer,[输入类型]  VarChar(255),"
            "[关联表]  VarChar(255),[关联字段]  VarChar(255),[联动表]  VarChar(255),[联动字段]  VarChar(255),"
            "[联动条件]  VarChar(255),[联显字段]  VarChar(255))");
        db.execute("create Table 模板定义([id] Counter PRIMARY KEY,[类型]  VarChar(255),[内容]  memo,[排序]  integer)");
        db.insertWithId("项目", 3, {std::string("旧项目"), tabulon::jet::Value{}});
        db.insertWithId("表", 5, {std::int64_t{3}, std::string("客户"), tabulon::jet::Value{}});
        db.insertWithId("字段", 8,
                        {std::int64_t{5}, std::string("名称"), std::string("文本"), tabulon::jet::Value{},
                         std::int64_t{1}, std::string("文本框"), tabulon::jet::Value{}, tabulon::jet::Value{},
                         tabulon::jet::Value{}, tabulon::jet::Value{}, tabulon::jet::Value{}, tabulon::jet::Value{}});
        db.insertWithId("模板定义", 1, {std::string("添加"), std::string("<p>旧模板一</p>"), std::int64_t{1}});
        db.insertWithId("模板定义", 2, {std::string("列表"), std::string("<p>旧模板二</p>"), std::int64_t{1}});
        const auto path = designer.runDir() / "旧目录.mdb";
        db.save(path);
        return QString::fromStdString(path.string());
    }

    // Clicks `button` of the templates question once it is up, as the user does; records
    // the question's text.
    void answerTemplateQuestion(const char* button, QString& asked) {
        auto* timer = new QTimer(this);
        timer->setInterval(20);
        connect(timer, &QTimer::timeout, this, [timer, button, &asked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->objectName() != QStringLiteral("templateQuestion")) return;
            timer->stop();
            timer->deleteLater();
            asked = box->text();
            auto* chosen = box->findChild<QPushButton*>(QString::fromUtf8(button));
            QVERIFY(chosen);
            QTest::mouseClick(chosen, Qt::LeftButton);
        });
        timer->start();
    }

    QStringList templateTexts(DesignerWindow& designer) {
        QStringList texts;
        for (const auto& row : designer.inspect().allTemplates()) texts << QString::fromStdString(row.content);
        return texts;
    }

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

        // An undo of a later step in the imported project says nothing of the import.
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
        designer.type("编辑框1", QStringLiteral("备忘"));
        designer.click("按钮3");
        QVERIFY(designer.entries("列表框1").contains(QStringLiteral("备忘")));
        designer.window().undo();
        QVERIFY(!designer.entries("列表框1").contains(QStringLiteral("备忘")));
        QVERIFY2(!designer.window().statusBar()->currentMessage().contains(QStringLiteral("data.mdb")),
                 qPrintable(designer.window().statusBar()->currentMessage()));

        // Undo takes the whole import back and says that the site database stays; redo brings
        // the project back beside it.
        designer.window().undo();
        QVERIFY(!designer.inspect().projectByName("客户资料"));
        const QString said = designer.window().statusBar()->currentMessage();
        QVERIFY2(said.contains(QStringLiteral("已撤销：")) &&
                     said.contains(QStringLiteral("客户资料/data/data.mdb 留在磁盘上，没有删除")),
                 qPrintable(said));
        QVERIFY(std::filesystem::exists(designer.runDir() / "客户资料" / "data" / "data.mdb"));
        designer.window().redo();
        QVERIFY(designer.inspect().projectByName("客户资料"));
        QVERIFY(!designer.window().statusBar()->currentMessage().contains(QStringLiteral("留在磁盘上")));
    }

    // Without a test's viewer the report goes to the 问题 list, whose lines lead back to the
    // imported project after another one was chosen.
    void theReportIsListedWithProblemsAndLeadsToTheProject() {
        DesignerWindow designer;
        auto* accessImport =
            designer.window().findChild<tabulon::window::AccessImport*>(QStringLiteral("accessImport"));
        const QString file = accessFile(designer);
        accessImport->setFileChooser([file](QWidget* /*parent*/) { return file; });
        designer.find<QAction>("importAccessAction")->trigger();
        auto* dock = designer.find<QDockWidget>("problemsDock");
        auto* list = designer.find<QListWidget>("problemsList");
        QVERIFY(dock->isVisible());
        QVERIFY2(list->count() >= 1 && list->item(0)->text().contains(QStringLiteral("2 个表")),
                 qPrintable(list->count() ? list->item(0)->text() : QString()));
        QVERIFY(dock->windowTitle().contains(QStringLiteral("导入报告")));
        QCOMPARE(designer.chosen("组合框1"), QStringLiteral("客户资料"));

        auto* projects = designer.find<QComboBox>("组合框1");
        projects->setCurrentIndex(projects->findText(QStringLiteral("记账")));
        QCOMPARE(designer.chosen("组合框1"), QStringLiteral("记账"));
        list->setCurrentRow(-1);
        list->setCurrentRow(list->count() - 1);
        QCOMPARE(designer.chosen("组合框1"), QStringLiteral("客户资料"));
        QVERIFY(designer.entries("列表框1").contains(QStringLiteral("订单")));
    }

    void undoingAReplacingImportSaysWhichDataTheFolderHolds() {
        DesignerWindow designer;
        std::vector<std::string> report;
        prepare(designer, accessFile(designer), report);
        designer.find<QAction>("importAccessAction")->trigger();
        const auto first = designer.inspect().projectByName("客户资料")->id;
        designer.find<QAction>("importAccessAction")->trigger();  // replaces it (the answer is yes)
        QVERIFY(designer.inspect().projectByName("客户资料")->id != first);
        designer.window().undo();
        QCOMPARE(designer.inspect().projectByName("客户资料")->id, first);
        const QString said = designer.window().statusBar()->currentMessage();
        QVERIFY2(said.contains(QStringLiteral("仍是导入的数据；导入前的数据库在 data-")), qPrintable(said));
        // Nothing was deleted: the data of both imports is on disk.
        int databases = 0;
        for (const auto& entry : std::filesystem::directory_iterator(designer.runDir() / "客户资料" / "data"))
            databases += entry.path().extension() == ".mdb" ? 1 : 0;
        QCOMPARE(databases, 2);
        // An undo that is not of an import says nothing more.
        designer.window().undo();
        QVERIFY(!designer.window().statusBar()->currentMessage().contains(QStringLiteral("导入的数据")));
    }

    void anOlderCatalogueAsksWhetherItsTemplatesReplaceOurs() {
        DesignerWindow designer;
        std::vector<std::string> report;
        prepare(designer, olderCatalogue(designer), report);
        const QStringList ours = templateTexts(designer);
        QVERIFY(!ours.isEmpty());

        // 取消: nothing imported.
        QString asked;
        answerTemplateQuestion("cancelImportButton", asked);
        designer.find<QAction>("importAccessAction")->trigger();
        QVERIFY2(asked.contains(QStringLiteral("2 行模板")), qPrintable(asked));
        QVERIFY(report.empty());
        QVERIFY(!designer.inspect().projectByName("旧项目"));
        QCOMPARE(templateTexts(designer), ours);

        // 添加模板: ours stay, the two come after them.
        answerTemplateQuestion("addTemplatesButton", asked);
        designer.find<QAction>("importAccessAction")->trigger();
        QVERIFY(designer.inspect().projectByName("旧项目"));
        QCOMPARE(templateTexts(designer),
                 (ours + QStringList{QStringLiteral("<p>旧模板一</p>"), QStringLiteral("<p>旧模板二</p>")}));
        QVERIFY2(QString::fromStdString(report.front()).contains(QStringLiteral("作为新行加在原有模板之后")),
                 qPrintable(QString::fromStdString(report.front())));

        // Undone, then imported again with 替换现有模板: only its two rows are left.
        designer.window().undo();
        QCOMPARE(templateTexts(designer), ours);
        report.clear();
        answerTemplateQuestion("replaceTemplatesButton", asked);
        designer.find<QAction>("importAccessAction")->trigger();
        QCOMPARE(templateTexts(designer),
                 (QStringList{QStringLiteral("<p>旧模板一</p>"), QStringLiteral("<p>旧模板二</p>")}));
        QVERIFY(QString::fromStdString(report.front()).contains(QStringLiteral("取代原有的模板")));
        QVERIFY(designer.asked().isEmpty());  // no project of that name was there to replace

        // And that too is one step: undo brings ours back.
        designer.window().undo();
        QCOMPARE(templateTexts(designer), ours);
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
};

}  // namespace

QTEST_MAIN(ImportTest)
#include "import_test.moc"

// Start-up, the window's controls and the routing of user events.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTreeWidget>

#include <fstream>

#include "base/error.h"
#include "catalogue/records.h"
#include "designer_window.h"
#include "jet/names.h"
#include "window/message_box.h"

using tabulon::testing::DesignerWindow;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartShowsTheSampleProject() {
        DesignerWindow designer;
        QVERIFY(std::filesystem::exists(designer.runDir() / "tabulon-catalogue.db"));
        QCOMPARE(designer.window().windowTitle(), QStringLiteral("Tabulon"));
        QCOMPARE(designer.entries("组合框1"), QStringList{"记账"});
        QCOMPARE(designer.chosen("组合框1"), QStringLiteral("记账"));
        QCOMPARE(designer.entries("列表框1"), (QStringList{"用户", "收支", "消费类型", "流水帐"}));
        QVERIFY(designer.find<QListWidget>("列表框1")->selectedItems().isEmpty());
        QCOMPARE(designer.text("编辑框4"), QStringLiteral("记账"));
        QCOMPARE(designer.text("编辑框3"), QString());
        QCOMPARE(designer.find<QTabWidget>("选择夹1")->currentIndex(), 0);
        // The join strip lists the tables; its field lists wait for the user's pick.
        QCOMPARE(designer.entries("组合框7"), designer.entries("列表框1"));
        QCOMPARE(designer.chosen("组合框7"), QStringLiteral("用户"));
        QCOMPARE(designer.chosen("组合框8"), QStringLiteral("用户"));
        QVERIFY(designer.entries("组合框9").isEmpty());
        QVERIFY(designer.entries("组合框10").isEmpty());
        QVERIFY(designer.shown().isEmpty());
    }

    void initialStateOfTheForms() {
        DesignerWindow designer;
        QVERIFY(designer.find<QGroupBox>("分组框6")->isHidden());
        QVERIFY(designer.find<QGroupBox>("分组框8")->isHidden());
        QVERIFY(!designer.find<QCheckBox>("选择框8")->isChecked());
        QCOMPARE(designer.text("编辑框7"), QStringLiteral("0"));
        QCOMPARE(designer.chosen("组合框2"), QStringLiteral("文本"));
        QCOMPARE(designer.chosen("组合框3"), QStringLiteral("文本框"));
        QCOMPARE(designer.chosen("组合框6"), QStringLiteral("添加"));
        // The template list shows the rows of the kind the kind box shows.
        QCOMPARE(designer.entries("列表框2").size(),
                 static_cast<qsizetype>(designer.inspect().templates("添加").size()));
        QVERIFY(!designer.entries("列表框2").isEmpty());
        for (const char* box : {"组合框4", "组合框5", "组合框11", "组合框12", "组合框13", "组合框14"})
            QCOMPARE(designer.chosen(box), QString());
        QCOMPARE(designer.find<QLabel>("标签1")->text(), QString());
        QCOMPARE(designer.find<QLabel>("标签4")->text(), QString());
    }

    void controlsCarryTheirCaptions_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char* const captions[][2] = {
            {"按钮15", "①释放原始文件"}, {"按钮10", "②生成数据库文件"},
            {"按钮11", "③生成执行代码"}, {"按钮16", "④生成登录代码"},
            {"按钮4", "添加"},           {"按钮6", "修改"},
            {"按钮5", "删除"},           {"按钮3", "添加"},
            {"按钮1", "修改"},           {"按钮2", "删除"},
            {"按钮9", "添加"},           {"按钮8", "修改"},
            {"按钮7", "删除"},           {"按钮12", "添加"},
            {"按钮13", "修改"},          {"按钮14", "删除"},
            {"按钮17", "联合查询"},      {"选择框1", "所有表"},
            {"选择框2", "选定表"},       {"选择框3", "添加"},
            {"选择框4", "修改"},         {"选择框5", "删除"},
            {"选择框6", "列表"},         {"选择框7", "显示"},
            {"选择框8", "是否联动"},     {"标签3", "项目："},
            {"标签2", "表："},           {"标签5", "字段名称："},
            {"标签6", "字段类型："},     {"标签7", "字段说明："},
            {"标签8", "排序："},         {"标签9", "输入类型："},
            {"标签10", "关联表："},      {"标签11", "关联字段："},
            {"标签12", "select from"},   {"标签13", ""},
            {"标签14", "left join"},     {"标签15", "On"},
            {"标签16", "联动字段"},      {"标签17", "联动表："},
            {"标签18", "联显\r\n字段"},  {"标签19", "联动\r\n条件"},
            {"标签20", "软件教程"},
        };
        for (const auto& [name, caption] : captions)
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption);
    }

    void controlsCarryTheirCaptions() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        DesignerWindow designer;
        const auto* widget = designer.window().findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QString text;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            text = button->text();
        else if (const auto* label = qobject_cast<const QLabel*>(widget))
            text = label->text();
        QCOMPARE(text, caption);
    }

    void listsHoldTheirFixedEntries() {
        DesignerWindow designer;
        // The original eleven types first, then the ones imported databases need.
        QCOMPARE(designer.entries("组合框2"),
                 (QStringList{"自动编号", "文本", "长整型", "整型", "双精度", "单精度", "字节型", "小数", "备注",
                              "日期时间", "逻辑", "货币", "长文本", "二进制", "隐藏备注"}));
        QCOMPARE(designer.entries("组合框3"), (QStringList{"文本框", "时间框", "组合框", "文本域"}));
        QCOMPARE(designer.entries("组合框6"),
                 (QStringList{"添加", "修改", "删除", "列表", "显示", "登录", "菜单", "导航", "底部", "桌面"}));
        auto* tabs = designer.find<QTabWidget>("选择夹1");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("项目"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("表"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("生成"));
        auto* header = designer.find<QTreeWidget>("超级列表框1")->headerItem();
        QStringList titles;
        for (int i = 0; i < header->columnCount(); ++i) titles << header->text(i);
        QCOMPARE(titles, (QStringList{"序号", "字段名称", "类型", "说明", "输入类型", "关联表", "关联字段", "联动表",
                                      "联动字段", "联动条件", "联显字段"}));
    }

    void templateEditorIsInsideTheWindowAtItsFirstSize() {
        DesignerWindow designer;
        QWidget& window = designer.window();
        // The first size on a screen that has room for it.
        window.resize(1220, 600);
        QTest::qWait(20);
        for (const char* name : {"分组框5", "列表框2", "编辑框8", "按钮14"}) {
            const auto* part = designer.find<QWidget>(name);
            QVERIFY2(part->isVisible(), name);
            const QRect inWindow(part->mapTo(&window, QPoint(0, 0)), part->size());
            QVERIFY2(window.rect().contains(inWindow), name);
            QVERIFY2(inWindow.width() >= 30, name);
        }
        QVERIFY(qobject_cast<QPlainTextEdit*>(designer.find<QWidget>("编辑框8")));
    }

    void statusBarNamesTheCatalogueFile() {
        DesignerWindow designer;
        const QString file = QString::fromStdString((designer.runDir() / "tabulon-catalogue.db").string());
        QVERIFY(designer.window().catalogueStatus().contains(file));
        const auto labels = designer.window().statusBar()->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](const QLabel* l) { return l->text().contains(file); }));
    }

    void catalogueThatCannotBeOpenedLeavesAnEmptyWindow() {
        DesignerWindow designer([]() -> tabulon::catalogue::Catalogue { throw tabulon::Error("目录数据库坏了"); });
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().startsWith(QStringLiteral("目录数据库坏了")));
        QVERIFY(designer.entries("组合框1").isEmpty());
        QVERIFY(designer.entries("列表框1").isEmpty());
        QCOMPARE(designer.window().catalogueStatus(), QStringLiteral("目录数据库未打开"));
        designer.clearShown();
        // Every handler says why it cannot work instead of failing silently or crashing.
        designer.type("编辑框4", QStringLiteral("新项目"));
        designer.click("按钮4");
        designer.click("按钮9");
        designer.pick("组合框6", QStringLiteral("列表"));
        QCOMPARE(designer.shown(), QStringList(3, QStringLiteral("目录数据库未打开，无法进行此操作。")));
    }

    void foreignCatalogueFileIsReportedAndKept() {
        QTemporaryDir folder;
        const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "tabulon-catalogue.db";
        std::ofstream(file) << "not a catalogue";
        DesignerWindow designer([&] { return tabulon::catalogue::Catalogue::openInRunFolder(file.parent_path()); });
        QCOMPARE(designer.shown().size(), 1);
        QVERIFY(designer.shown().front().contains(QString::fromStdString(file.string())));
        QVERIFY(designer.entries("组合框1").isEmpty());
        std::ifstream kept(file);
        std::string content;
        std::getline(kept, content);
        QCOMPARE(content, std::string("not a catalogue"));
    }

    void choicesMadeByTheProgramRunNoHandler() {
        DesignerWindow designer;
        // Start-up selects entries of 组合框7/组合框8 and 组合框1; none of their handlers ran.
        QVERIFY(designer.entries("组合框9").isEmpty());
        // The user's own pick does run it.
        designer.pick("组合框7", QStringLiteral("流水帐"));
        QCOMPARE(designer.entries("组合框9").size(), 6);
        // A project box refill after an edit selects by program and leaves the join lists alone.
        designer.pick("组合框8", QStringLiteral("收支"));
        designer.click("按钮6");
        QCOMPARE(designer.entries("组合框10"), (QStringList{"ID", "一级分类"}));
    }

    void theTwoTableChoicesClearEachOther() {
        DesignerWindow designer;
        auto* all = designer.find<QCheckBox>("选择框1");
        auto* chosen = designer.find<QCheckBox>("选择框2");
        designer.find<QTabWidget>("选择夹1")->setCurrentIndex(2);
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(5, all->height() / 2));
        QVERIFY(all->isChecked());
        QTest::mouseClick(chosen, Qt::LeftButton, {}, QPoint(5, chosen->height() / 2));
        QVERIFY(chosen->isChecked());
        QVERIFY(!all->isChecked());
        // Unchecking one clears the other as well: both can end up unchecked.
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(5, all->height() / 2));
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(5, all->height() / 2));
        QVERIFY(!all->isChecked());
        QVERIFY(!chosen->isChecked());
    }

    void messagesAreModalBoxesWithOneOkButton() {
        tabulon::window::BoxMessages messages;
        QString title, text;
        QList<QAbstractButton*> buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            buttons = box->buttons();
            QCOMPARE(box->standardButton(buttons.front()), QMessageBox::Ok);
            box->accept();
        });
        messages.show("存在重名项目");
        QCOMPARE(title, QStringLiteral("信息"));
        QCOMPARE(text, QStringLiteral("存在重名项目"));
        QCOMPARE(buttons.size(), 1);
    }

    void tutorialOpensTheShippedPage() {
        DesignerWindow designer;
        auto* link = designer.find<QLabel>("标签20");
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(designer.openedAddresses().size(), std::size_t{1});
        const QUrl page = designer.openedAddresses().front();
        QVERIFY(page.isLocalFile());
        QFile file(page.toLocalFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(html.contains(QStringLiteral("Tabulon")));
        // The pictures the page shows were released beside it.
        QVERIFY(html.contains(QStringLiteral("<img")));
        QVERIFY(QFile::exists(QFileInfo(file).dir().filePath(QStringLiteral("images/window.png"))));
        // A second press releases again over the first copy.
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(designer.openedAddresses().size(), std::size_t{2});
        QVERIFY(designer.shown().isEmpty());
    }

    // The tutorial speaks the window's own words: every caption it quotes is on a control,
    // a menu, a list entry or in a message the program gives, and its limits are the
    // program's.
    void theTutorialQuotesTheWindowsOwnWords() {
        DesignerWindow designer;
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.clickFieldRow(0);  // a drop-down: its link lists are filled
        QSet<QString> words;
        const auto add = [&](QString text) {
            text = QTextDocumentFragment::fromHtml(text).toPlainText();
            text.remove(QRegularExpression(QStringLiteral("\\(&\\w\\)$"))).remove(QLatin1Char('&'));
            text = text.trimmed();
            words << text;
            if (text.endsWith(QChar(0xFF1A))) words << text.chopped(1);
        };
        QWidget& window = designer.window();
        for (auto* widget : window.findChildren<QAbstractButton*>()) add(widget->text());
        for (auto* widget : window.findChildren<QLabel*>()) add(widget->text());
        for (auto* widget : window.findChildren<QGroupBox*>()) add(widget->title());
        for (auto* widget : window.findChildren<QDockWidget*>()) add(widget->windowTitle());
        for (auto* widget : window.findChildren<QAction*>()) add(widget->text());
        for (auto* widget : window.findChildren<QMenu*>()) add(widget->title());
        for (auto* tabs : window.findChildren<QTabWidget*>())
            for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i));
        for (auto* combo : window.findChildren<QComboBox*>())
            for (int i = 0; i < combo->count(); ++i) add(combo->itemText(i));
        for (auto* list : window.findChildren<QListWidget*>())
            for (int i = 0; i < list->count(); ++i) add(list->item(i)->text());
        for (auto* tree : window.findChildren<QTreeWidget*>())
            for (int i = 0; i < tree->columnCount(); ++i) add(tree->headerItem()->text(i));

        // The refusals and reports it quotes, as the program gives them.
        designer.type("编辑框4", QStringLiteral("记账"));
        designer.click("按钮4");
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));  // the refused project chose the first one
        designer.type("编辑框1", QStringLiteral("用户"));
        designer.click("按钮3");
        designer.pickEntry("列表框1", QStringLiteral("流水帐"));
        designer.type("编辑框5", QStringLiteral("名称"));
        designer.click("按钮9");
        designer.click("按钮10");  // ②
        designer.type("编辑框4", QStringLiteral("无登录表"));
        designer.click("按钮4");
        designer.type("编辑框1", QStringLiteral("表一"));
        designer.click("按钮3");
        designer.click("按钮16");  // ④ without the login marks
        const QString said = designer.shown().join(QLatin1Char('\n'));

        QFile file(QStringLiteral(":/tutorial/index.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        // Quoted as shapes or examples, not as captions.
        const QSet<QString> notCaptions{"..", "·", "→", "序号|内容", "项目名 表名", "保存 / 不保存 / 取消", "是"};
        QRegularExpressionMatchIterator quotes =
            QRegularExpression(QStringLiteral("\u201C([^\u201D]+)\u201D")).globalMatch(html);
        int checked = 0;
        while (quotes.hasNext()) {
            const QString quoted = quotes.next().captured(1);
            if (notCaptions.contains(quoted)) continue;
            bool found = words.contains(quoted) || said.contains(quoted);
            if (!found && quoted.contains(QLatin1Char('/'))) {  // “关联表/关联字段”
                found = true;
                for (const QString& part : quoted.split(QLatin1Char('/'))) found = found && words.contains(part);
            }
            QVERIFY2(
                found,
                qPrintable(QStringLiteral("the tutorial quotes “%1”, which the window does not show").arg(quoted)));
            ++checked;
        }
        QVERIFY(checked >= 30);

        QVERIFY(html.contains(QStringLiteral("最多 %1 个字符").arg(tabulon::catalogue::kNameLength)));
        QVERIFY(html.contains(QStringLiteral("最长 %1 个字符").arg(tabulon::jet::kMaxNameLength)));
        // ② keeps its statements beside the site folder, where the tutorial says.
        QVERIFY(html.contains(QStringLiteral("<code>项目名-schema.sql</code>")));
        QVERIFY(QFile::exists(QString::fromStdString((designer.runDir() / "记账-schema.sql").string())));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"

// Takes the pictures of the tutorial and the README from the real window and the sample
// project 记账 (FOLDER: the argument, else $TABULON_SCREENSHOTS):
//   xvfb-run -a -s "-screen 0 1280x800x24" build/tests/window/window_screenshots FOLDER
//     the tutorial's steps, the undo menu, an imported design, then as below;
//   TABULON_ONLY_SCREEN_PICTURES=1 xvfb-run -a -s "-screen 0 1024x700x24" build/tests/window/window_screenshots FOLDER
//     (and with "-screen 0 1920x1080x24") the window filling that screen, the preview bar,
//     preview rows written back into data.mdb and the 问题 list, named after the screen size.
// Each picture shows the sample project at one step of the tutorial.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdint>
#include <iostream>

#include "designer_window.h"
#include "preview/workcopy/preview_data.h"
#include "tests/importer/staff_database.h"
#include "window/access_import.h"
#include "window/message_box.h"

using tabulon::testing::DesignerWindow;

namespace {

bool save(DesignerWindow& designer, const QDir& folder, const char* name) {
    QTest::qWait(200);  // let the last change paint
    const QString file = folder.filePath(QString::fromUtf8(name));
    if (!designer.window().grab().save(file)) {
        std::cerr << "cannot write " << file.toStdString() << '\n';
        return false;
    }
    std::cout << file.toStdString() << '\n';
    return true;
}

// The edit menu open after a table was deleted, as the screen shows it (the menu is a
// window of its own).
bool undoMenu(const QDir& folder) {
    DesignerWindow designer;
    designer.window().resize(1024, 700);
    bool ok = true;
    designer.pickEntry("列表框1", QStringLiteral("消费类型"));
    designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
    designer.click("按钮2");
    auto* menu = designer.find<QMenu>("editMenu");
    menu->popup(designer.window().mapToGlobal(QPoint(60, 20)));
    QTest::qWait(300);
    const QRect area = designer.window().frameGeometry().united(menu->geometry());
    const QPixmap screen = designer.window().screen()->grabWindow(0, area.x(), area.y(), 520, 220);
    const QString file = folder.filePath(QStringLiteral("undo-menu.png"));
    if (!screen.save(file)) {
        std::cerr << "cannot write " << file.toStdString() << '\n';
        ok = false;
    } else {
        std::cout << file.toStdString() << '\n';
    }
    menu->hide();
    return ok;
}

// The staff database of the import tests imported through 文件 → 导入 Access 数据库…, with
// its drop-down field 部门 of 员工 loaded.
bool importedDesign(const QDir& folder) {
    DesignerWindow designer;
    const auto file = tabulon::importer::samples::writeStaffDatabase(designer.runDir());
    auto* accessImport = designer.window().findChild<tabulon::window::AccessImport*>(QStringLiteral("accessImport"));
    accessImport->setFileChooser([&](QWidget* /*parent*/) { return QString::fromStdString(file.string()); });
    designer.find<QAction>("importAccessAction")->trigger();
    designer.pickEntry("列表框1", QStringLiteral("员工"));
    designer.clickFieldRow(1);
    return save(designer, folder, "imported-design.png");
}

int fieldRowNamed(DesignerWindow& designer, const QString& name) {
    for (int row = 0; row < designer.fieldRows(); ++row)
        if (designer.fieldRow(row)[1] == name) return row;
    return 0;
}

// A picture of the screen around `area` (global coordinates), as the user sees it: menus
// and message boxes are windows of their own.
bool saveScreen(DesignerWindow& designer, const QDir& folder, const QString& name, QRect area) {
    QTest::qWait(300);
    QScreen* screen = designer.window().screen();
    area = area.intersected(screen->geometry());
    const QPixmap picture = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString file = folder.filePath(name);
    if (picture.isNull() || !picture.save(file)) {
        std::cerr << "cannot write " << file.toStdString() << '\n';
        return false;
    }
    std::cout << file.toStdString() << '\n';
    return true;
}

// The window filling the screen it runs on (xvfb's 1024×700 or 1920×1080) with the
// drop-down field 收支 of 流水帐 loaded; the preview running (the ASP host's stand-in
// answers its pages) with its address in the bar; a row of the preview's working copy
// written back into data.mdb; then a design as an older version could store it, checked,
// the 问题 list open with a line chosen.
bool screenPictures(const QDir& folder) {
    DesignerWindow designer;
    // No window manager maximizes under xvfb: the window takes the screen's free area.
    const QRect free = designer.window().screen()->availableGeometry();
    designer.window().setGeometry(free);
    QTest::qWait(200);
    const QSize screen = designer.window().screen()->size();
    const QString suffix = QStringLiteral("-%1x%2.png").arg(screen.width()).arg(screen.height());
    designer.pickEntry("列表框1", QStringLiteral("流水帐"));
    designer.clickFieldRow(fieldRowNamed(designer, QStringLiteral("收支")));
    designer.pickEntry("列表框2", designer.entries("列表框2").at(1));
    bool ok = save(designer, folder, ("window" + suffix).toUtf8().constData());

    designer.click("按钮18");  // ⑤: builds the site first, then serves it
    auto* address = designer.find<QLineEdit>("previewAddress");
    if (!QTest::qWaitFor([&] { return !address->text().isEmpty(); }, 90000)) {
        std::cerr << "the preview did not start\n";
        for (const QString& text : designer.shown()) std::cerr << text.toStdString() << '\n';
        return false;
    }
    designer.clearShown();
    auto* bar = designer.find<QToolBar>("previewBar");
    const QRect barArea(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    ok = saveScreen(designer, folder, "preview-bar" + suffix, barArea.adjusted(0, -8, 0, 30)) && ok;

    // A row in the preview's working copy (as its add page stores it), then the bar's
    // 预览数据写回 data.mdb; its report is shown in the window's own message box.
    const auto copy = tabulon::preview::workingCopyPath(designer.runDir(), 4);
    try {
        SQLite::Database db(copy.string(), SQLite::OPEN_READWRITE);
        db.exec("INSERT INTO 消费类型 (类型名称) VALUES ('预览中输入')");
    } catch (const std::exception& e) {
        std::cerr << "the preview's working copy " << copy.string() << ": " << e.what() << '\n';
        return false;
    }
    designer.find<QPushButton>("previewWriteBack")->click();
    if (designer.shown().isEmpty()) {
        std::cerr << "writing back reported nothing\n";
        ok = false;
    } else {
        tabulon::window::BoxMessages boxes;
        boxes.setParentWindow(&designer.window());
        QTimer::singleShot(0, [&] {
            auto* box = QApplication::activeModalWidget();
            if (!box) return;
            const QRect boxArea = box->frameGeometry();
            const QRect area = boxArea.united(barArea).adjusted(-12, -12, 12, 30);
            ok = saveScreen(designer, folder, "write-back" + suffix,
                            QRect(barArea.left(), area.top(), barArea.width(), area.height())) &&
                 ok;
            box->close();
        });
        boxes.show(designer.shown().last().toStdString());
    }

    // Stored by an older version, or by hand: the editors refuse all of it today.
    {
        auto db = designer.inspect();
        const auto field = [](tabulon::catalogue::Id table, const char* name, std::int64_t order) {
            tabulon::catalogue::Field made;
            made.tableId = table;
            made.name = name;
            made.type = "文本";
            made.inputType = "文本框";
            made.order = order;
            return made;
        };
        const auto ledger = db.tableByName(4, "流水帐")->id;
        const auto users = db.tableByName(4, "用户")->id;
        db.addField(field(ledger, "备注", 40));
        db.addField(field(ledger, "BeiZhu", 43));
        db.addField(field(ledger, "beizhu", 46));
        db.addField(field(users, "库存\U0001F600", 40));
        auto dropDown = field(users, "类别", 43);
        dropDown.inputType = "组合框";
        dropDown.linkTable = "999";
        dropDown.linkField = "0";
        db.addField(dropDown);
    }
    designer.find<QAction>("checkDesignAction")->trigger();
    auto* problems = designer.find<QListWidget>("problemsList");
    for (int i = 0; i < problems->count(); ++i)
        if (problems->item(i)->text().contains(QStringLiteral("已不存在"))) {
            QTest::mouseClick(problems->viewport(), Qt::LeftButton, {},
                              problems->visualItemRect(problems->item(i)).center());
            break;
        }
    return save(designer, folder, ("problems" + suffix).toUtf8().constData()) && ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString named = argc == 2 ? QString::fromLocal8Bit(argv[1]) : qEnvironmentVariable("TABULON_SCREENSHOTS");
    if (argc > 2 || named.isEmpty()) {
        std::cerr << "usage: window_screenshots OUTPUT_FOLDER (or TABULON_SCREENSHOTS=OUTPUT_FOLDER)\n";
        return 2;
    }
    const QDir folder(named);
    QDir().mkpath(folder.path());
    DesignerWindow::setPreviewProgram(QStringLiteral(TABULON_EXECUTABLE));
    qputenv("TABULON_PREVIEW_HOST", FAKE_ASPHOST);
    if (qEnvironmentVariableIsSet("TABULON_ONLY_SCREEN_PICTURES")) return screenPictures(folder) ? 0 : 1;
    DesignerWindow designer;
    bool ok = save(designer, folder, "window.png");

    designer.find<QTabWidget>("选择夹1")->setCurrentIndex(1);
    designer.type("编辑框1", QStringLiteral("收入"));
    designer.type("编辑框2", QStringLiteral("每笔收入"));
    ok = save(designer, folder, "table-page.png") && ok;
    designer.click("按钮3");

    designer.pickEntry("列表框1", QStringLiteral("流水帐"));
    designer.clickFieldRow(0);
    ok = save(designer, folder, "fields.png") && ok;

    designer.clickFieldRow(3);
    designer.type("编辑框5", QStringLiteral("备注"));
    designer.pick("组合框2", QStringLiteral("备注"));
    designer.type("编辑框6", QStringLiteral("remark"));
    designer.pick("组合框3", QStringLiteral("文本域"));
    ok = save(designer, folder, "new-field.png") && ok;

    for (const char* box : {"选择框1", "选择框3", "选择框4", "选择框5", "选择框6", "选择框7"})
        designer.find<QCheckBox>(box)->setChecked(true);
    designer.find<QTabWidget>("选择夹1")->setCurrentIndex(2);
    ok = save(designer, folder, "generate.png") && ok;

    designer.pick("组合框6", QStringLiteral("添加"));
    designer.pickEntry("列表框2", designer.entries("列表框2").at(1));
    ok = save(designer, folder, "templates.png") && ok;
    ok = undoMenu(folder) && ok;
    ok = importedDesign(folder) && ok;
    ok = screenPictures(folder) && ok;
    return ok ? 0 : 1;
}

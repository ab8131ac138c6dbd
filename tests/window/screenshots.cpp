// Takes the pictures of the tutorial and the README from the real window:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/tests/window/window_screenshots OUTPUT_FOLDER
// and the pictures of the whole screen at two sizes:
//   TABULON_ONLY_SCREEN_PICTURES=1 xvfb-run -a -s "-screen 0 1024x700x24" build/tests/window/window_screenshots
//   docs/images TABULON_ONLY_SCREEN_PICTURES=1 xvfb-run -a -s "-screen 0 1920x1080x24"
//   build/tests/window/window_screenshots docs/images
// Each picture shows the sample project at one step of the tutorial.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QAction>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>
#include <iostream>

#include "designer_window.h"
#include "tests/importer/staff_database.h"
#include "window/access_import.h"

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

// The window at 1024×700 with a drop-down field loaded, then the edit menu open after a
// table was deleted, as the screen shows it (the menu is a window of its own).
bool smallScreenAndUndo(const QDir& folder) {
    DesignerWindow designer;
    designer.window().resize(1024, 700);
    designer.pickEntry("列表框1", QStringLiteral("流水帐"));
    designer.clickFieldRow(0);
    bool ok = save(designer, folder, "window-1024x700.png");

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
    auto* import = designer.window().findChild<tabulon::window::AccessImport*>(QStringLiteral("accessImport"));
    import->setFileChooser([&](QWidget*) { return QString::fromStdString(file.string());
});
import->setReportViewer([](QWidget*, const std::vector<std::string>&){});
designer.find<QAction>("importAccessAction")->trigger();
designer.pickEntry("列表框1", QStringLiteral("员工"));
designer.clickFieldRow(1);
return save(designer, folder, "imported-design.png");
}  // namespace

// The window filling the screen it runs on (xvfb's 1024×700 or 1920×1080): a design with a
// drop-down whose table is gone, checked, the 问题 list open with its line chosen; the
// preview running (the ASP host's stand-in answers its pages) with its address in the
// bar; then the rows entered in the preview written back into data.mdb.
bool checkAndPreview(const QDir& folder) {
    DesignerWindow designer;
    designer.window().showMaximized();
    designer.pickEntry("列表框1", QStringLiteral("流水帐"));
    const QSize screen = designer.window().screen()->size();
    const QString suffix = QStringLiteral("-%1x%2.png").arg(screen.width()).arg(screen.height());

    designer.click("按钮18");  // ⑤: builds the site first, then serves it
    auto* address = designer.find<QLineEdit>("previewAddress");
    if (!QTest::qWaitFor([&] { return !address->text().isEmpty(); }, 90000)) {
        std::cerr << "the preview did not start\n";
        for (const QString& text : designer.shown()) std::cerr << text.toStdString() << '\n';
        return false;
    }
    bool ok = save(designer, folder, ("preview-bar" + suffix).toUtf8().constData());

    // A row entered on the preview's add page, then 预览数据写回 data.mdb.
    const auto copy = designer.runDir() / ".preview" / "4" / "data.sqlite";
    const std::string sql = "sqlite3 '" + copy.string() + "' \"INSERT INTO 消费类型 (类型名称) VALUES ('预览中输入')\"";
    if (std::system(sql.c_str()) != 0) std::cerr << "sqlite3 failed\n";
    designer.clearShown();
    designer.find<QAction>("previewWriteBackAction")->trigger();
    if (!designer.shown().isEmpty()) {
        // The message as the user reads it, in the window's own kind of box.
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息"), designer.shown().last(), QMessageBox::Ok,
                        &designer.window());
        box.show();
        QTest::qWait(300);
        const QString file = folder.filePath("write-back" + suffix);
        if (!box.grab().save(file)) ok = false;
        std::cout << file.toStdString() << '\n';
    }

    // A drop-down whose table was deleted long ago, found by 检查设计.
    {
        auto db = designer.inspect();
        auto field = *db.field(160);  // 名称 of 流水帐
        field.inputType = "组合框";
        field.linkTable = "99";
        field.linkField = "0";
        db.updateField(field);
    }
    designer.find<QAction>("checkDesignAction")->trigger();
    auto* problems = designer.find<QListWidget>("problemsList");
    for (int i = 0; i < problems->count(); ++i)
        if (problems->item(i)->text().startsWith(QStringLiteral("项目 "))) {
            QTest::mouseClick(problems->viewport(), Qt::LeftButton, {},
                              problems->visualItemRect(problems->item(i)).center());
            break;
        }
    return save(designer, folder, ("problems" + suffix).toUtf8().constData()) && ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: window_screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());
    DesignerWindow::setPreviewProgram(QStringLiteral(TABULON_EXECUTABLE));
    qputenv("TABULON_PREVIEW_HOST", FAKE_ASPHOST);
    if (qEnvironmentVariableIsSet("TABULON_ONLY_SCREEN_PICTURES")) return checkAndPreview(folder) ? 0 : 1;
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
    ok = smallScreenAndUndo(folder) && ok;
    ok = importedDesign(folder) && ok;
    ok = checkAndPreview(folder) && ok;
    return ok ? 0 : 1;
}

// ② on a site whose data.mdb holds rows: the window asks first, and each of the three
// answers does what it says.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "designer_window.h"
#include "jet/database.h"

using tabulon::testing::DesignerWindow;
namespace fs = std::filesystem;

namespace {

// Answers the next question box by its button text; records the question.
void answerNextQuestion(const QString& button, QString* question, QStringList* buttons) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return answerNextQuestion(button, question, buttons);
        *question = box->text();
        for (auto* candidate : box->buttons()) {
            buttons->push_back(candidate->text());
            if (candidate->text() == button) QTest::mouseClick(candidate, Qt::LeftButton);
        }
    });
}

std::size_t users(const fs::path& site) {
    return tabulon::jet::Database::open(site / "data" / "data.mdb").rowCount("用户");
}

std::size_t copies(const fs::path& site) {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(site / "data"))
        if (entry.path().filename().string().starts_with("data-")) ++n;
    return n;
}

}  // namespace

class ExistingDataTest : public QObject {
    Q_OBJECT
private:
    // A site whose database holds the default account.
    fs::path siteInUse(DesignerWindow& designer) {
        designer.click("按钮10");
        designer.click("按钮16");
        designer.clearShown();
        const fs::path site = designer.runDir() / "记账";
        if (users(site) != 1) qFatal("the login step did not add its account");
        return site;
    }

private slots:
    void keepingTheDataCarriesTheAccount() {
        DesignerWindow designer;
        const fs::path site = siteInUse(designer);
        QString question;
        QStringList buttons;
        answerNextQuestion(QStringLiteral("保留数据重新生成"), &question, &buttons);
        designer.click("按钮10");
        QCOMPARE(question, QStringLiteral("data.mdb 中已有 1 条记录。\n重新生成数据库时如何处理这些记录？"));
        buttons.sort();
        QStringList expected{"保留数据重新生成", "重新生成空库", "取消"};
        expected.sort();
        QCOMPARE(buttons, expected);
        QCOMPARE(designer.shown().back(), QStringLiteral("生成完毕"));
        QVERIFY(designer.shown().front().contains(QStringLiteral("表 用户：带入 1 行。")));
        QCOMPARE(users(site), 1u);
        QCOMPARE(copies(site), 1u);
    }

    void anEmptyDatabaseKeepsTheOldOneAsACopy() {
        DesignerWindow designer;
        const fs::path site = siteInUse(designer);
        QString question;
        QStringList buttons;
        answerNextQuestion(QStringLiteral("重新生成空库"), &question, &buttons);
        designer.click("按钮10");
        QCOMPARE(users(site), 0u);
        QCOMPARE(copies(site), 1u);
        QCOMPARE(designer.shown().back(), QStringLiteral("生成完毕"));
    }

    void cancelChangesNothing() {
        DesignerWindow designer;
        const fs::path site = siteInUse(designer);
        const auto before = fs::last_write_time(site / "data" / "data.mdb");
        QString question;
        QStringList buttons;
        answerNextQuestion(QStringLiteral("取消"), &question, &buttons);
        designer.click("按钮10");
        QVERIFY(!question.isEmpty());
        QVERIFY(designer.shown().isEmpty());
        QCOMPARE(users(site), 1u);
        QCOMPARE(copies(site), 0u);
        QCOMPARE(fs::last_write_time(site / "data" / "data.mdb"), before);
    }
};

QTEST_MAIN(ExistingDataTest)
#include "existing_data_test.moc"

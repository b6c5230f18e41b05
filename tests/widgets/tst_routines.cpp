#include "columns/displaytext.h"
#include "data/errors.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/dateedit.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <QVBoxLayout>

using namespace zu;
using zu::test::ScriptedDialogs;

namespace {

void addLookup(TfrmData& d, const QString& list, const QStringList& values)
{
    for (const QString& v : values)
        d.F().exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)")
                       .arg(d.dialect().quote(QStringLiteral("table"))),
                   {v, list});
}

QStringList items(const QComboBox& combo)
{
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i);
    return out;
}

QList<QWidget*> focusChain(QWidget* first, int count)
{
    QList<QWidget*> chain{first};
    QWidget* w = first;
    while (chain.size() < count) {
        w = w->nextInFocusChain();
        if (w->focusPolicy() & Qt::TabFocus)
            chain << w;
    }
    return chain;
}

QLineEdit* edit(QWidget* parent, const char* name, int x, int y)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(x, y, 80, 20);
    return e;
}

} // namespace

class TestRoutines final : public QObject
{
    Q_OBJECT
private slots:
    // Without anyone to answer, a message takes its default answer or else the most careful one
    // offered; warnings, errors and questions are counted so the run can end as failed.
    void unattendedMessagesTakeTheCarefulAnswer()
    {
        UnattendedDialogs unattended;
        using B = QMessageBox;
        const auto answer = [&](QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton = B::NoButton) {
            return unattended.message(nullptr, QStringLiteral("备份"), QStringLiteral("正文"), icon, buttons,
                                      defaultButton);
        };
        QCOMPARE(answer(B::Information, B::Ok | B::No | B::Cancel), B::Cancel);
        QCOMPARE(answer(B::NoIcon, B::Yes | B::No | B::Ok), B::No);
        QCOMPARE(unattended.troubles(), 0);
        QCOMPARE(answer(B::Warning, B::Yes | B::Ok), B::Ok);
        QCOMPARE(answer(B::Question, B::Yes | B::No, B::Yes), B::Yes);
        QCOMPARE(answer(B::Critical, B::Yes), B::NoButton);
        QCOMPARE(unattended.troubles(), 3);
    }

    // On the desktop the message box offers the buttons asked for, with the default one chosen.
    void desktopMessageHasItsDefaultButton()
    {
        QMessageBox::StandardButton defaultShown = QMessageBox::NoButton;
        QString text;
        zu::test::whenModal<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            defaultShown = box->standardButton(box->defaultButton());
            box->button(QMessageBox::Yes)->click();
        });
        const QMessageBox::StandardButton answer =
            dialogs().message(nullptr, QStringLiteral("删除"), QStringLiteral("确定删除吗？"),
                              QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        QCOMPARE(answer, QMessageBox::Yes);
        QCOMPARE(defaultShown, QMessageBox::No);
        QCOMPARE(text, QStringLiteral("确定删除吗？"));
    }

    // A bare file name is proposed in the user's documents folder, or at home when there is none.
    void desktopSaveProposesTheDocumentsFolder()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
        for (const bool documents : {false, true}) {
            if (documents)
                QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Documents")));
            QString proposed;
            zu::test::whenModal<QFileDialog>([&](QFileDialog* dialog) {
                proposed =
                    QDir(dialog->directory()).filePath(dialog->selectedFiles().value(0).section(u'/', -1));
                dialog->reject();
            });
            QCOMPARE(dialogs().saveFileName(nullptr, QStringLiteral("导出"), QStringLiteral("名单.xls"),
                                            QStringLiteral("Excel (*.xls)")),
                     QString());
            QCOMPARE(proposed, QDir(home.path())
                                   .filePath(documents ? QStringLiteral("Documents/名单.xls")
                                                       : QStringLiteral("名单.xls")));
        }
    }

    void fillComboFromSql_data() { zu::test::addEngineRows(); }
    void fillComboFromSql()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addLookup(d, QStringLiteral("型号"),
                  {QStringLiteral("A"), QStringLiteral("  B  "), QStringLiteral("C")});
        addLookup(d, QStringLiteral("赠品"), {QStringLiteral("other list")});
        const QString sql = QStringLiteral("select * from T_type where %1 = ? order by id")
                                .arg(d.dialect().quote(QStringLiteral("table")));
        const QVariantList list{QStringLiteral("型号")};
        QComboBox combo;
        combo.addItem(QStringLiteral("stale"));

        FillComboFromSql(&combo, sql, list, 0, QString());
        QCOMPARE(items(combo),
                 (QStringList{QString(), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        QCOMPARE(combo.currentIndex(), 0);

        FillComboFromSql(&combo, sql, list, 0, QStringLiteral("NO"));
        QCOMPARE(items(combo), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        QCOMPARE(combo.currentText(), QStringLiteral("A"));

        FillComboFromSql(&combo, sql, list, 2, QStringLiteral("No"));
        QCOMPARE(items(combo), (QStringList{QStringLiteral("No"), QStringLiteral("A"), QStringLiteral("B"),
                                            QStringLiteral("C")}));
        QCOMPARE(combo.currentText(), QStringLiteral("B"));

        FillComboFromSql(&combo, sql, {QStringLiteral("无此列表")}, 0, QString());
        QCOMPARE(items(combo), QStringList{QString()});
        QCOMPARE(combo.currentIndex(), 0);
        FillComboFromSql(&combo, sql, {QStringLiteral("无此列表")}, 5, QStringLiteral("NO"));
        QCOMPARE(combo.count(), 0);
        QCOMPARE(combo.currentIndex(), -1);

        // The second column whatever its name: user names and category names.
        FillComboFromSql(&combo, QStringLiteral("select * from T_user order by id"), {}, 0,
                         QStringLiteral("NO"));
        QCOMPARE(combo.currentText(), QStringLiteral("Admin"));
    }

    void checkUnique_data() { zu::test::addEngineRows(); }
    void checkUnique()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        ScriptedDialogs dialogs;
        QVERIFY_THROWS_EXCEPTION(SilentAbort, CheckUnique(d.qryTemp(), QStringLiteral("UserName"),
                                                          QStringLiteral("T_user"), QStringLiteral("Admin"),
                                                          QStringLiteral("用户名已存在！")));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("用户名已存在！")});
        QCOMPARE(dialogs.last().title, QStringLiteral("系统提示"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Question);
        QCOMPARE(dialogs.last().buttons, QMessageBox::Ok);

        dialogs.clear();
        CheckUnique(d.qryTemp(), QStringLiteral("UserName"), QStringLiteral("T_user"),
                    QStringLiteral("Admin' or '1'='1"), QStringLiteral("x"));
        CheckUnique(d.qryTemp(), QStringLiteral("Day"), QStringLiteral("T_remind"), 8, QStringLiteral("x"));
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(d.qryTemp().isEmpty());
        // A keyword column is quoted.
        QVERIFY_THROWS_EXCEPTION(SilentAbort,
                                 CheckUnique(d.qryTemp(), QStringLiteral("Day"), QStringLiteral("T_remind"),
                                             7, QStringLiteral("x")));
    }

    void requireText()
    {
        ScriptedDialogs dialogs;
        QWidget window;
        auto* a = edit(&window, "a", 0, 0);
        auto* b = edit(&window, "b", 0, 30);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        a->setFocus();
        RequireText(b, QStringLiteral(" "), QStringLiteral("请输入客户名称！"));
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY_THROWS_EXCEPTION(SilentAbort, RequireText(b, QString(), QStringLiteral("请输入客户名称！")));
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请输入客户名称！")});
        QCOMPARE(dialogs.last().title, QStringLiteral("系统提示"));
        QCOMPARE(QApplication::focusWidget(), b);
    }

    void typingADigitIntoAnEmptyDateBoxStartsFromToday()
    {
        NullableDateEdit box;
        box.setValue(QVariant());
        QVERIFY(box.isEmpty());
        QCOMPARE(box.value(), QVariant(QMetaType::fromType<QDateTime>()));
        QTest::keyClick(&box, Qt::Key_2);
        QVERIFY(!box.isEmpty());
        QCOMPARE(box.date().month(), QDate::currentDate().month());
        QCOMPARE(box.date().day(), QDate::currentDate().day());

        // A key that types nothing leaves an empty box empty.
        box.clear();
        QTest::keyClick(&box, Qt::Key_Shift);
        QVERIFY(box.isEmpty());
    }

    void typingADigitIntoAFilledDateBoxEditsItsDate()
    {
        NullableDateEdit box;
        box.setValue(QDate(2020, 5, 16));
        box.setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClick(&box, Qt::Key_1);
        QTest::keyClick(&box, Qt::Key_2);
        QCOMPARE(box.date(), QDate(2020, 5, 12));
        QCOMPARE(box.value(), QVariant(QDate(2020, 5, 12).startOfDay()));
    }

    // Delete or Backspace over the whole date empties the box; over one part of it they only edit
    // that part, and the date stays.
    void deletingTheWholeDateEmptiesTheBox_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("Delete, whole") << int(Qt::Key_Delete) << true << true;
        QTest::newRow("Backspace, whole") << int(Qt::Key_Backspace) << true << true;
        QTest::newRow("Delete, day only") << int(Qt::Key_Delete) << false << false;
        QTest::newRow("Backspace, day only") << int(Qt::Key_Backspace) << false << false;
        QTest::newRow("a digit, whole") << int(Qt::Key_3) << true << false;
    }
    void deletingTheWholeDateEmptiesTheBox()
    {
        QFETCH(int, key);
        QFETCH(bool, whole);
        QFETCH(bool, emptied);
        NullableDateEdit box;
        box.setValue(QDate(2020, 5, 16));
        if (whole)
            box.selectAll();
        else
            box.setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClick(&box, Qt::Key(key));
        QCOMPARE(box.isEmpty(), emptied);
        QCOMPARE(box.value().isNull(), emptied);
    }

    void guardShowsErrorsAndSwallowsSilentAborts()
    {
        ScriptedDialogs dialogs;
        bool after = false;
        guarded(nullptr, [] { abortSilently(); });
        QVERIFY(dialogs.shown().isEmpty());
        guarded(nullptr, [] { throw DbError(QStringLiteral("no such table: T_x")); });
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("no such table: T_x")});
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
        guarded(nullptr, [&] { after = true; });
        QVERIFY(after);
    }

    void signalBodiesRunThroughTheGuard()
    {
        ScriptedDialogs dialogs;
        QWidget owner;
        QComboBox box(&owner);
        box.addItems({QStringLiteral("甲"), QStringLiteral("乙")});
        QList<int> chosen;
        // The body takes the signal's arguments, or none.
        onSignal(&box, &QComboBox::currentIndexChanged, &owner, [&](int index) { chosen << index; });
        int plain = 0;
        onSignal(&box, &QComboBox::currentIndexChanged, &owner, [&] { ++plain; });
        box.setCurrentIndex(1);
        QCOMPARE(chosen, QList<int>{1});
        QCOMPARE(plain, 1);
        QVERIFY(dialogs.shown().isEmpty());

        // A failure reaches the error box, not the event loop; the next signal runs again.
        QPushButton button(&owner);
        int clicks = 0;
        onSignal(&button, &QPushButton::clicked, &owner, [&] {
            if (++clicks == 1)
                throw CommandError(QStringLiteral("不能保存"));
        });
        button.click();
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("不能保存")});
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
        button.click();
        QCOMPARE(clicks, 2);
        QCOMPARE(dialogs.messages().size(), 1);
    }

    void firstShowRunsOnceAfterTheWidgetsOwnShow()
    {
        ScriptedDialogs dialogs;
        // The widget records its own show handling, the body what it found then.
        struct Shown final : QWidget
        {
            int shows = 0;
            int enabledChanges = 0;
            void showEvent(QShowEvent* event) override
            {
                QWidget::showEvent(event);
                ++shows;
            }
            void changeEvent(QEvent* event) override
            {
                QWidget::changeEvent(event);
                enabledChanges += event->type() == QEvent::EnabledChange;
            }
        } widget;
        QList<int> seen;
        onFirstShow(&widget, [&] {
            seen << widget.shows;
            throw DbError(QStringLiteral("表不存在"));
        });
        QVERIFY(seen.isEmpty());
        // Until then the widget's other events reach it as before.
        widget.setEnabled(false);
        widget.setEnabled(true);
        QCOMPARE(widget.enabledChanges, 2);
        widget.show();
        QCOMPARE(seen, QList<int>{1}); // after the widget's own handling of the show
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("表不存在")});
        QVERIFY(widget.isVisible());
        widget.hide();
        widget.show();
        QCOMPARE(widget.shows, 2);
        QCOMPARE(seen, QList<int>{1}); // not again
    }

    void arrangeTabOrderRowByRow()
    {
        QWidget dialog;
        // Created in an order unrelated to their places: two columns of edits.
        auto* r2right = edit(&dialog, "r2right", 200, 40);
        auto* r1left = edit(&dialog, "r1left", 10, 10);
        auto* r2left = edit(&dialog, "r2left", 10, 40);
        auto* r1right = edit(&dialog, "r1right", 200, 10);
        auto* panel = new QGroupBox(&dialog);
        panel->setGeometry(10, 80, 300, 100);
        auto* p2 = edit(panel, "p2", 10, 50);
        auto* p1 = edit(panel, "p1", 10, 20);
        auto* ok = new QPushButton(&dialog);
        ok->setGeometry(10, 200, 60, 24);
        ok->setFocusPolicy(Qt::StrongFocus);

        ArrangeTabOrder(&dialog, true);
        const QList<QWidget*> expected{r1left, r1right, r2left, r2right, p1, p2, ok};
        QCOMPARE(focusChain(r1left, expected.size()), expected);
    }

    // Controls in a layout have their places only once the window is shown: the order arranged
    // before then is made again from those places.
    void arrangeTabOrderOfALaidOutFormWhenShown()
    {
        QWidget dialog;
        auto* third = edit(&dialog, "third", 0, 0);
        auto* second = edit(&dialog, "second", 0, 0);
        auto* first = edit(&dialog, "first", 0, 0);
        auto* rows = new QVBoxLayout(&dialog);
        for (QWidget* w : {first, second, third})
            rows->addWidget(w);
        ArrangeTabOrder(&dialog, true);
        dialog.show();
        QVERIFY(first->y() < second->y() && second->y() < third->y());
        QCOMPARE(focusChain(first, 3), (QList<QWidget*>{first, second, third}));
    }

    void arrangeTabOrderKeepsChildOrderForEqualPlaces()
    {
        QWidget dialog;
        auto* first = edit(&dialog, "first", 10, 10);
        auto* second = edit(&dialog, "second", 10, 10);
        auto* top = edit(&dialog, "top", 50, 0);
        ArrangeTabOrder(&dialog, true);
        QCOMPARE(focusChain(top, 3), (QList<QWidget*>{top, first, second}));
    }

    void displayTextOfStoredValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("no value") << QVariant() << QString();
        QTest::newRow("no date") << QVariant(QMetaType(QMetaType::QDateTime)) << QString();
        QTest::newRow("midnight") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))) << "2024-03-05";
        QTest::newRow("one second past")
            << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0, 1))) << "2024-03-05 00:00:01";
        QTest::newRow("date") << QVariant(QDate(2024, 12, 31)) << "2024-12-31";
        QTest::newRow("fraction") << QVariant(12.5) << "12.5";
        QTest::newRow("whole double") << QVariant(3.0) << "3";
        QTest::newRow("no float noise") << QVariant(0.1 + 0.2) << "0.3";
        QTest::newRow("yes") << QVariant(true) << "是";
        QTest::newRow("no") << QVariant(false) << "否";
        QTest::newRow("text") << QVariant(QStringLiteral(" 张三 ")) << " 张三 ";
        QTest::newRow("integer") << QVariant(42) << "42";
    }
    void displayTextOfStoredValues()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(displayText(value), text);
    }
};

QTEST_MAIN(TestRoutines)
#include "tst_routines.moc"

#include "columns/listgrid.h"
#include "customers/tfrmcustom.h"
#include "maintenance/import/importmapping.h"
#include "maintenance/import/importvalue.h"
#include "maintenance/import/mappingmodel.h"
#include "maintenance/import/sheetimport.h"
#include "maintenance/import/tfrmimport.h"
#include "maintenance/import/titlepickdelegate.h"
#include "spreadsheet/spreadsheetreader.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/mdichild.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(ZU_IMPORT_FIXTURES "/") + name;
}

// S_Field -> F_Field of the customer mapping.
QMap<QString, QString> pairing()
{
    QMap<QString, QString> out;
    Query q(data().conn());
    q.open(QStringLiteral("select S_Field, F_Field from t_Import where tablename = ?"),
           {QStringLiteral("T_Cust")});
    for (; !q.eof(); q.next())
        out.insert(q.value(0).toString(), q.value(1).toString());
    return out;
}

QStringList pairedFields()
{
    QStringList out;
    const QMap<QString, QString> p = pairing();
    for (auto it = p.cbegin(); it != p.cend(); ++it)
        if (!it.value().isEmpty())
            out << it.key() + QLatin1Char('=') + it.value();
    return out;
}

void setPairing(const QString& field, const QString& title)
{
    data().F().exec(QStringLiteral("update t_Import set F_Field = ? where S_Field = ?"), {title, field});
}

int count(const QString& sql, const QVariantList& values = {})
{
    Query q(data().conn());
    q.open(sql, values);
    return q.value(0).toInt();
}

// The customers, one line each: name|code|address|phone|number|price|purchase date.
QStringList customers()
{
    QStringList out;
    Query q(data().conn());
    q.open(QStringLiteral("select CustName, IDCode, Address, Phone, Number, Price, EmptionDate from T_Cust "
                          "order by CusttityID"));
    for (; !q.eof(); q.next()) {
        const QVariant code = q.value(1);
        const QDateTime purchased = q.asDateTime(QStringLiteral("EmptionDate"));
        out << QStringList{q.value(0).toString(),
                           code.isNull() ? QStringLiteral("<null>") : code.toString(),
                           q.value(2).toString(),
                           q.value(3).toString(),
                           q.value(4).toString(),
                           QString::number(q.value(5).toDouble()),
                           purchased.isValid() ? purchased.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                               : QString()}
                   .join(QLatin1Char('|'));
    }
    return out;
}

// The import window as actLead opens it, on the file the user picks.
struct ImportWindow
{
    TfrmImport window;
    explicit ImportWindow(ScriptedDialogs& dialogs, const QString& file)
    {
        if (!file.isEmpty())
            dialogs.answerFile(file);
        window.FTableName = QStringLiteral("T_cust");
        window.resize(520, 560);
        window.show();
    }
    QTableView* grid() { return control<QTableView>(&window, "DBGridEh1"); }
    int mappingRow(const QString& field)
    {
        const QList<MappingRow>& rows = window.mapping()->rows();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].sField == field)
                return i;
        qFatal("no mapping row %s", qPrintable(field));
    }
    // Opens the pick list of a mapping row and takes a title from it, or types one.
    void pair(const QString& field, const QString& title, bool typed = false)
    {
        QTableView* view = grid();
        const QModelIndex cell = view->model()->index(mappingRow(field), MappingModel::kPickColumn);
        view->setCurrentIndex(cell);
        view->edit(cell);
        auto* combo = qobject_cast<QComboBox*>(view->indexWidget(cell));
        QVERIFY(combo);
        QCOMPARE(combo->objectName(), QStringLiteral("cmbPickTitle"));
        if (typed) {
            combo->setEditText(title);
        } else {
            const int item = combo->findText(title, Qt::MatchExactly);
            QVERIFY2(title.isEmpty() ? item == 0 : item > 0, qPrintable(title));
            combo->setCurrentIndex(item);
        }
        // The user moves on to the next row.
        view->setCurrentIndex(view->model()->index(0, 0));
    }
    void start() { control<QPushButton>(&window, "Btn_Start")->click(); }
    QStringList failures()
    {
        QStringList out;
        auto* list = control<QListWidget>(&window, "lstFailures");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
};

const QStringList kSheetTitles{QStringLiteral("客户名称"), QStringLiteral("客户编码"),
                               QStringLiteral("客户地址"), QStringLiteral("客户电话"),
                               QStringLiteral("数量"),     QStringLiteral("单价"),
                               QStringLiteral("购买日期")};

} // namespace

class TestImport final : public QObject
{
    Q_OBJECT
private slots:
    // What LibreOffice wrote is read as the worksheet shows it, in each format.
    void worksheetsReadAsDisplayed_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xls") << QStringLiteral("customers.xls");
        QTest::newRow("xlsx") << QStringLiteral("customers.xlsx");
        QTest::newRow("csv") << QStringLiteral("customers.csv");
    }
    void worksheetsReadAsDisplayed()
    {
        QFETCH(QString, file);
        if (file.endsWith(QLatin1String(".xlsx")) && !SpreadsheetReader::canReadXlsx())
            QSKIP("this build reads no .xlsx (liborcus missing)");
        SpreadsheetReader reader;
        QString error;
        QVERIFY2(reader.open(fixture(file), &error), qPrintable(error));
        QCOMPARE(reader.rowCount(), 7);
        QCOMPARE(reader.columnCount(), 7);
        QCOMPARE(reader.rows().first(), kSheetTitles);
        QCOMPARE(reader.rows().at(1),
                 (QStringList{QStringLiteral("张三"), QStringLiteral("A001"),
                              QStringLiteral("北京市朝阳区建国路1号"), QStringLiteral("01088886666"),
                              QStringLiteral("2"), QStringLiteral("2999.5"), QStringLiteral("2024-03-05")}));
        QCOMPARE(reader.text(2, 2), QStringLiteral("上海市浦东新区, 世纪大道"));
        QCOMPARE(reader.text(2, 5), QStringLiteral("1200"));
        QCOMPARE(reader.text(4, 1), QString());
        QCOMPARE(reader.text(4, 5), QStringLiteral("88.8"));
        QCOMPARE(reader.text(5, 4), QStringLiteral("三台"));
        QCOMPARE(reader.text(6, 6), QStringLiteral("2024-13-45"));
    }

    void cellValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("refusal");
        const int text = static_cast<int>(ColumnType::Text), integer = static_cast<int>(ColumnType::Integer),
                  decimal = static_cast<int>(ColumnType::Float),
                  date = static_cast<int>(ColumnType::DateTime),
                  boolean = static_cast<int>(ColumnType::Boolean);
        QTest::newRow("text") << QStringLiteral("0101") << text << QVariant(QStringLiteral("0101"))
                              << QString();
        QTest::newRow("text with blanks")
            << QStringLiteral(" a ") << text << QVariant(QStringLiteral(" a ")) << QString();
        QTest::newRow("empty text") << QString() << text << QVariant() << QString();
        QTest::newRow("whole number") << QStringLiteral("2") << integer << QVariant(2) << QString();
        QTest::newRow("grouped whole number")
            << QStringLiteral("1,200") << integer << QVariant(1200) << QString();
        QTest::newRow("fraction for a whole number")
            << QStringLiteral("2.5") << integer << QVariant() << QStringLiteral("“2.5”不是整数");
        QTest::newRow("words for a number")
            << QStringLiteral("三台") << integer << QVariant() << QStringLiteral("“三台”不是整数");
        QTest::newRow("empty number") << QString() << integer << QVariant() << QString();
        QTest::newRow("blank number") << QStringLiteral("  ") << decimal << QVariant() << QString();
        QTest::newRow("decimal") << QStringLiteral("2999.5") << decimal << QVariant(2999.5) << QString();
        QTest::newRow("negative decimal")
            << QStringLiteral("-0.25") << decimal << QVariant(-0.25) << QString();
        QTest::newRow("no decimal") << QStringLiteral("12元") << decimal << QVariant()
                                    << QStringLiteral("“12元”不是数字");
        QTest::newRow("date") << QStringLiteral("2024-03-05") << date
                              << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))) << QString();
        QTest::newRow("date and time")
            << QStringLiteral("2024-03-05 08:30:15") << date
            << QVariant(QDateTime(QDate(2024, 3, 5), QTime(8, 30, 15))) << QString();
        QTest::newRow("slashes, short time")
            << QStringLiteral("2024/3/5 8:30") << date << QVariant(QDateTime(QDate(2024, 3, 5), QTime(8, 30)))
            << QString();
        QTest::newRow("Chinese date") << QStringLiteral("2024年3月5日") << date
                                      << QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))) << QString();
        QTest::newRow("no such month")
            << QStringLiteral("2024-13-45") << date << QVariant() << QStringLiteral("“2024-13-45”不是日期");
        QTest::newRow("no such day") << QStringLiteral("2023-02-29") << date << QVariant()
                                     << QStringLiteral("“2023-02-29”不是日期");
        QTest::newRow("leap day") << QStringLiteral("2024-02-29") << date
                                  << QVariant(QDateTime(QDate(2024, 2, 29), QTime(0, 0))) << QString();
        QTest::newRow("yes") << QStringLiteral("是") << boolean << QVariant(true) << QString();
        QTest::newRow("no") << QStringLiteral("0") << boolean << QVariant(false) << QString();
        QTest::newRow("neither") << QStringLiteral("也许") << boolean << QVariant()
                                 << QStringLiteral("“也许”不是“是”或“否”");
    }
    void cellValues()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QString, refusal);
        QString reason;
        const std::optional<QVariant> got = importValue(text, static_cast<ColumnType>(type), &reason);
        if (!refusal.isEmpty()) {
            QVERIFY(!got);
            QCOMPARE(reason, refusal);
            return;
        }
        QVERIFY2(got, qPrintable(reason));
        QCOMPARE(got->isNull(), value.isNull());
        QCOMPARE(*got, value);
    }

    void automaticPairing_data() { zu::test::addEngineRows(); }
    void automaticPairing()
    {
        ZU_TEST_DATABASE(db);
        setPairing(QStringLiteral("Mobile"), QStringLiteral("旧的"));   // within the first 7: replaced
        setPairing(QStringLiteral("Number"), QStringLiteral("上次的")); // the 9th row: left as it was
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("customers.xls")));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().kind, QStringLiteral("open"));
        QCOMPARE(dialogs.last().title, QStringLiteral("Excel文件导入到数据库"));
        QVERIFY(w.window.isVisible());
        QCOMPARE(w.window.windowTitle(), QStringLiteral("字段映射"));
        QCOMPARE(w.window.FColCount(), 7);
        QCOMPARE(w.window.FRowCount(), 7);
        QCOMPARE(w.window.FColumnTitles(), kSheetTitles);
        QCOMPARE(control<QLabel>(&w.window, "Label1")->text(), QStringLiteral("Excel中共有 6 条记录"));
        QCOMPARE(pairedFields(),
                 (QStringList{QStringLiteral("Address=客户地址"), QStringLiteral("CustName=客户名称"),
                              QStringLiteral("IDCode=客户编码"), QStringLiteral("Number=上次的"),
                              QStringLiteral("Phone=客户电话")}));

        // The grid: the layout's two columns over every mapping row; only the second can change.
        QTableView* grid = w.grid();
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("源字段名称"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Excel字段名称"));
        QCOMPARE(model->rowCount(), 39);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("客户名称"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("客户名称"));
        QCOMPARE(model->index(w.mappingRow(QStringLiteral("Mobile")), 1).data().toString(), QString());
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
        QCOMPARE(grid->columnWidth(0), 150);

        // The pick list holds the worksheet's titles.
        const QModelIndex cell = model->index(w.mappingRow(QStringLiteral("Price")), 1);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* combo = control<QComboBox>(grid, "cmbPickTitle");
        QStringList offered;
        for (int i = 0; i < combo->count(); ++i)
            offered << combo->itemText(i);
        QCOMPARE(offered, QStringList{QString()} + kSheetTitles);
        combo->setCurrentIndex(combo->findText(QStringLiteral("单价")));
        QCOMPARE(pairing().value(QStringLiteral("Price")), QStringLiteral("单价"));
        QVERIFY(control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        QCOMPARE(dialogs.shown().size(), 1);
    }

    void titlesMatchInAnyLetterCase()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().F().exec(QStringLiteral("update t_Import set FieldName = ? where S_Field = ?"),
                        {QStringLiteral("Name"), QStringLiteral("CustName")});
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("latin.csv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("NAME,客户编码\n甲,K1\n").toUtf8());
        f.close();
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, file);
        QCOMPARE(pairedFields(),
                 (QStringList{QStringLiteral("CustName=NAME"), QStringLiteral("IDCode=客户编码")}));
        w.start();
        QCOMPARE(customers(), QStringList{QStringLiteral("甲|K1||||0|")});
    }

    void importThroughTheMapping_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("file");
        QTest::newRow("sqlite, xls") << QStringLiteral("sqlite") << QStringLiteral("customers.xls");
        QTest::newRow("postgres, xls") << QStringLiteral("postgres") << QStringLiteral("customers.xls");
        QTest::newRow("sqlite, xlsx") << QStringLiteral("sqlite") << QStringLiteral("customers.xlsx");
        QTest::newRow("postgres, csv") << QStringLiteral("postgres") << QStringLiteral("customers.csv");
    }
    void importThroughTheMapping()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(QString, file);
        if (file.endsWith(QLatin1String(".xlsx")) && !SpreadsheetReader::canReadXlsx())
            QSKIP("this build reads no .xlsx (liborcus missing)");
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(file));
        // The columns after the first seven mapping rows are paired by hand.
        w.pair(QStringLiteral("Number"), QStringLiteral("数量"));
        w.pair(QStringLiteral("Price"), QStringLiteral("单价"));
        w.pair(QStringLiteral("EmptionDate"), QStringLiteral("购买日期"));
        QCOMPARE(pairedFields().size(), 7);
        w.start();

        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("导入数据完成,导入成功 3 条,导入失败 3 条")});
        QCOMPARE(dialogs.last().title, QStringLiteral("确认"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Question);
        QCOMPARE(dialogs.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(
            customers(),
            (QStringList{
                QStringLiteral("张三|A001|北京市朝阳区建国路1号|01088886666|2|2999.5|2024-03-05 00:00"),
                QStringLiteral("李四|A002|上海市浦东新区, 世纪大道|021-87654321|1|1200|2023-12-31 00:00"),
                QStringLiteral("赵六|<null>|深圳市南山区|0755-1234|3|88.8|2024-02-29 00:00"),
            }));
        const QStringList failures = w.failures();
        QCOMPARE(failures.size(), 3);
        QVERIFY2(failures[0].startsWith(QStringLiteral("第 4 行：客户编码“A001”已经存在，不能重复（")),
                 qPrintable(failures[0]));
        QCOMPARE(failures[1], QStringLiteral("第 6 行：数量：“三台”不是整数"));
        QCOMPARE(failures[2], QStringLiteral("第 7 行：购买日期：“2024-13-45”不是日期"));
        QVERIFY(control<QListWidget>(&w.window, "lstFailures")->isVisible());

        // Afterwards: no pairing left, shown so in the grid; only Close remains.
        QVERIFY(pairedFields().isEmpty());
        QCOMPARE(w.grid()->model()->index(0, 1).data().toString(), QString());
        QVERIFY(!control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        auto* progress = control<QProgressBar>(&w.window, "ProgressBar1");
        QCOMPARE(progress->maximum(), 6);
        QCOMPARE(progress->value(), 6);
    }

    void aCodeAlreadyInTheDatabaseIsRefused()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
                        {QStringLiteral("老客户"), QStringLiteral("A002")});
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("customers.xls")));
        w.start();
        QCOMPARE(dialogs.messages().last(), QStringLiteral("导入数据完成,导入成功 4 条,导入失败 2 条"));
        const QStringList failures = w.failures();
        QCOMPARE(failures.size(), 2);
        QVERIFY2(failures[0].startsWith(QStringLiteral("第 3 行：客户编码“A002”已经存在")),
                 qPrintable(failures[0]));
        QVERIFY2(failures[1].startsWith(QStringLiteral("第 4 行：客户编码“A001”已经存在")),
                 qPrintable(failures[1]));
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where IDCode = ?"), {QStringLiteral("A002")}),
            1);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 5);
    }

    void handTypedTitleFailsEveryRow_data() { zu::test::addEngineRows(); }
    void handTypedTitleFailsEveryRow()
    {
        ZU_TEST_DATABASE(db);
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("customers.xls")));
        w.pair(QStringLiteral("CustName"), QStringLiteral("客户姓名"), true);
        QCOMPARE(pairing().value(QStringLiteral("CustName")), QStringLiteral("客户姓名"));
        w.start();
        QCOMPARE(dialogs.messages().last(), QStringLiteral("导入数据完成,导入成功 0 条,导入失败 6 条"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        const QStringList failures = w.failures();
        QCOMPARE(failures.size(), 6);
        for (int i = 0; i < failures.size(); ++i)
            QCOMPARE(failures[i],
                     QStringLiteral("第 %1 行：工作表中没有标题为“客户姓名”的列（客户名称）").arg(i + 2));
    }

    void titleOnlySheet()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("titles-only.xls")));
        QCOMPARE(control<QLabel>(&w.window, "Label1")->text(), QStringLiteral("Excel中共有 0 条记录"));
        QCOMPARE(pairedFields(),
                 (QStringList{QStringLiteral("Address=客户地址"), QStringLiteral("CustName=客户名称"),
                              QStringLiteral("IDCode=客户编码")}));
        w.start();
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("导入数据完成,导入成功 0 条,导入失败 0 条")});
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        QVERIFY(w.failures().isEmpty());
        QVERIFY(!control<QListWidget>(&w.window, "lstFailures")->isVisible());
        QVERIFY(pairedFields().isEmpty());
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("cut short") << QStringLiteral("cut");
        QTest::newRow("not a workbook") << QStringLiteral("junk");
        QTest::newRow("empty") << QStringLiteral("empty");
        QTest::newRow("missing") << QStringLiteral("missing");
    }
    void unreadableFiles()
    {
        QFETCH(QString, kind);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        setPairing(QStringLiteral("CustName"), QStringLiteral("上次的"));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("客户资料.xls"));
        QFile good(fixture(QStringLiteral("customers.xls")));
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray bytes = good.readAll();
        QFile f(file);
        if (kind != QLatin1String("missing")) {
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == QLatin1String("cut"))
                f.write(bytes.left(bytes.size() / 2));
            else if (kind == QLatin1String("junk"))
                f.write("客户名称,客户编码\n这不是 Excel 文件\n");
            f.close();
        }
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, file);
        QCOMPARE(dialogs.messages().size(), 1);
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Warning);
        const QString text = dialogs.last().text;
        QVERIFY2(text.startsWith(QStringLiteral("无法读取文件 ") + QFileInfo(file).absoluteFilePath() +
                                 QStringLiteral("：")),
                 qPrintable(text));
        QVERIFY2(text.size() > QFileInfo(file).absoluteFilePath().size() + 10, qPrintable(text));
        QVERIFY(w.window.isVisible());
        QCOMPARE(w.grid()->model()->rowCount(), 0);
        QVERIFY(!control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        QCOMPARE(pairedFields(), QStringList{QStringLiteral("CustName=上次的")});
    }

    void cancelledFileDialogClosesTheWindow()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        setPairing(QStringLiteral("Number"), QStringLiteral("上次的"));
        ScriptedDialogs dialogs;
        TfrmImport window;
        window.FTableName = QStringLiteral("T_cust");
        QTimer::singleShot(2000, &window, [&window] { window.done(42); }); // would mean: not closed by itself
        QCOMPARE(window.exec(), static_cast<int>(QDialog::Rejected));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().kind, QStringLiteral("open"));
        QCOMPARE(pairedFields(), QStringList{QStringLiteral("Number=上次的")});
    }

    void closeButtonEmptiesPairingAndShowsAllCustomers_data() { zu::test::addEngineRows(); }
    void closeButtonEmptiesPairingAndShowsAllCustomers()
    {
        ZU_TEST_DATABASE(db);
        data().T().exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                        {QStringLiteral("空调"), QStringLiteral("01"), QStringLiteral("用户类别")});
        data().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode, TypeCode) values (?, ?, ?)"),
                        {QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("01")});
        data().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode, TypeCode) values (?, ?, ?)"),
                        {QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("02")});
        ScriptedDialogs dialogs;
        QMdiArea area;
        area.show();
        TfrmCustom* customerWindow = ShowMdiChild(&area, TfrmCustom::reference());
        auto* tree = control<QTreeWidget>(customerWindow, "tvCuston");
        QTreeWidgetItem* node =
            tree->findItems(QStringLiteral("01-空调"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(node);
        tree->setCurrentItem(node);
        emit tree->itemClicked(node, 0);
        QCOMPARE(data().qryCustom().recordCount(), 1);

        ImportWindow w(dialogs, fixture(QStringLiteral("customers.xls")));
        w.pair(QStringLiteral("Number"), QStringLiteral("数量"));
        QCOMPARE(pairedFields().size(), 5);
        control<QPushButton>(&w.window, "Btn_Exit")->click();
        QVERIFY(!w.window.isVisible());
        QCOMPARE(w.window.result(), static_cast<int>(QDialog::Accepted));
        QVERIFY(pairedFields().isEmpty());
        QCOMPARE(data().qryCustom().recordCount(), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 2); // nothing imported
        QCOMPARE(dialogs.messages(), QStringList());
    }

    void frameCloseKeepsThePairing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        {
            ImportWindow w(dialogs, fixture(QStringLiteral("customers.xls")));
            w.pair(QStringLiteral("Number"), QStringLiteral("数量"));
            w.pair(QStringLiteral("CustName"), QString());
            w.window.close();
        }
        QCOMPARE(pairing().value(QStringLiteral("Number")), QStringLiteral("数量"));
        QCOMPARE(pairing().value(QStringLiteral("CustName")), QString());
        ImportWindow again(dialogs, fixture(QStringLiteral("customers.xls")));
        // The first seven rows are paired afresh; the one after them kept what it had.
        QCOMPARE(pairing().value(QStringLiteral("CustName")), QStringLiteral("客户名称"));
        QCOMPARE(pairing().value(QStringLiteral("Number")), QStringLiteral("数量"));
        QCOMPARE(
            again.grid()->model()->index(again.mappingRow(QStringLiteral("Number")), 1).data().toString(),
            QStringLiteral("数量"));
    }

    void nothingPairedDoesNotStart()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("other.csv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("甲,乙\n1,2\n");
        f.close();
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, file);
        QVERIFY(pairedFields().isEmpty());
        w.start();
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("没有配对的字段")),
                 qPrintable(dialogs.last().text));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        QVERIFY(control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
    }

    // A refused row leaves nothing behind, also when its failure comes from the database.
    void eachRowInItsOwnTransaction_data() { zu::test::addEngineRows(); }
    void eachRowInItsOwnTransaction()
    {
        ZU_TEST_DATABASE(db);
        const QList<ImportPair> pairs{
            {QStringLiteral("名称"), QStringLiteral("CustName"), QStringLiteral("客户名称")},
            {QStringLiteral("编码"), QStringLiteral("IDCode"), QStringLiteral("客户编码")}};
        const QStringList titles{QStringLiteral("名称"), QStringLiteral("编码")};
        SheetImport import(data().conn(), QStringLiteral("T_cust"), pairs, titles, QStringLiteral("IDCode"));
        QString reason;
        QVERIFY(import.importRow(2, {QStringLiteral("甲"), QStringLiteral("K1")}, &reason));
        QVERIFY(!import.importRow(3, {QStringLiteral("乙"), QStringLiteral("K1")}, &reason));
        QVERIFY2(reason.startsWith(QStringLiteral("客户编码“K1”已经存在")), qPrintable(reason));
        // Codes too long for the column: the server refuses them with its own text.
        const bool refusedByServer =
            !import.importRow(4, {QStringLiteral("丙"), QString(60, QLatin1Char('x'))}, &reason);
        QCOMPARE(refusedByServer, db.isServer());
        QVERIFY(import.importRow(5, {QStringLiteral("丁"), QString()}, &reason));
        QVERIFY(import.importRow(6, {QStringLiteral("戊"), QString()}, &reason));
        QCOMPARE(import.succeeded(), db.isServer() ? 3 : 4);
        QCOMPARE(import.failed(), db.isServer() ? 2 : 1);
        QCOMPARE(import.failures().first(), (ImportFailure{3, import.failures().first().reason}));
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where CustName = ?"), {QStringLiteral("乙")}),
            0);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where IDCode is null")), 2);
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"

#include "columns/listgrid.h"
#include "customers/quickfind.h"
#include "customers/tfrmcustom.h"
#include "data/query.h"
#include "maintenance/import/importmapping.h"
#include "maintenance/import/importvalue.h"
#include "maintenance/import/mappingmodel.h"
#include "maintenance/import/sheetimport.h"
#include "maintenance/import/tfrmimport.h"
#include "maintenance/import/titlepickdelegate.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/spreadsheetwriter.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/mdichild.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
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

using zu::test::count;

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

// A worksheet as the reader hands it over: the titles, then rows (a cell "text\\=number" is a
// number cell shown as text by its display format).
bool sheetOf(const QList<QStringList>& rows, SheetData* data)
{
    QByteArray lines = "ZUSHEET 1\nSHEET 0 0 表\nACTIVE 0\nCHOSEN 0\nPART 0\n";
    for (qsizetype r = 0; r < rows.size(); ++r)
        lines +=
            (QString::number(r + 1) + QLatin1Char('\t') + rows[r].join(QLatin1Char('\t'))).toUtf8() + '\n';
    lines += "END " + QByteArray::number(rows.size()) + '\n';
    QString error;
    return data->parse(lines, &error);
}

const QStringList kSheetTitles{QStringLiteral("客户名称"), QStringLiteral("客户编码"),
                               QStringLiteral("客户地址"), QStringLiteral("客户电话"),
                               QStringLiteral("数量"),     QStringLiteral("单价"),
                               QStringLiteral("购买日期")};

} // namespace

class TestImport final : public QObject
{
    Q_OBJECT
private slots:
    // The mapping grid shows every field of a mapping row; only the picked title is changed, and
    // only once the store has kept it.
    void mappingModelChangesOnlyThePickedTitle()
    {
        MappingModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({{.field = QStringLiteral("FieldName"), .title = QStringLiteral("字段")},
                          {.field = QStringLiteral("F_Field")},
                          {.field = QStringLiteral("S_Field")},
                          {.field = QStringLiteral("tablename")},
                          {.field = QStringLiteral("ImportID")}});
        model.setRows({{.importId = 7,
                        .sField = QStringLiteral("Phone"),
                        .fieldName = QStringLiteral("客户电话"),
                        .fField = QStringLiteral("电话"),
                        .tableName = QStringLiteral("T_cust")}});
        QStringList shown;
        for (int c = 0; c < model.columnCount(); ++c)
            shown << model.index(0, c).data().toString();
        QCOMPARE(shown,
                 (QStringList{QStringLiteral("客户电话"), QStringLiteral("电话"), QStringLiteral("Phone"),
                              QStringLiteral("T_cust"), QStringLiteral("7")}));

        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("字段"));
        QVERIFY(!model.headerData(-1, Qt::Horizontal).isValid());
        QVERIFY(!model.headerData(model.columnCount(), Qt::Horizontal).isValid());

        QList<MappingRow> stored;
        bool storeWorks = true;
        model.setStore([&](const MappingRow& row) {
            stored << row;
            return storeWorks;
        });
        QSignalSpy changed(&model, &MappingModel::dataChanged);
        const QModelIndex title = model.index(0, MappingModel::kPickColumn);
        QVERIFY(!model.setData(title, QStringLiteral("手机"), Qt::DisplayRole));
        QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("手机")));
        QVERIFY(model.setData(title, QStringLiteral("电话"))); // unchanged: nothing to store
        QVERIFY(stored.isEmpty());
        storeWorks = false;
        QVERIFY(!model.setData(title, QStringLiteral("手机")));
        QCOMPARE(title.data().toString(), QStringLiteral("电话"));
        QCOMPARE(changed.count(), 0);
        storeWorks = true;
        QVERIFY(model.setData(title, QStringLiteral("手机")));
        QCOMPARE(title.data().toString(), QStringLiteral("手机"));
        QCOMPARE(model.rows().first().fField, QStringLiteral("手机"));
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored.last().importId, QVariant(7));
        QCOMPARE(changed.count(), 1);
    }

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
        // A file of one sheet offers no choice of sheets.
        QVERIFY(!control<QComboBox>(&w.window, "cmbSheet")->isVisible());
        QVERIFY(!control<QLabel>(&w.window, "lblSheet")->isVisible());
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
        QCOMPARE(combo->currentText(), QString()); // nothing paired yet
        combo->setCurrentIndex(combo->findText(QStringLiteral("单价")));
        QCOMPARE(pairing().value(QStringLiteral("Price")), QStringLiteral("单价"));
        QVERIFY(control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        QCOMPARE(dialogs.shown().size(), 1);

        // Opened on a row already paired, the pick list shows that title, chosen from the list.
        const QModelIndex paired = model->index(0, 1);
        grid->setCurrentIndex(paired);
        grid->edit(paired);
        combo = qobject_cast<QComboBox*>(grid->indexWidget(paired));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("客户名称"));
        QCOMPARE(combo->currentIndex(), kSheetTitles.indexOf(QStringLiteral("客户名称")) + 1);
        QCOMPARE(pairing().value(QStringLiteral("CustName")), QStringLiteral("客户名称"));
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
        SheetData sheet;
        QVERIFY(sheetOf({{QStringLiteral("名称"), QStringLiteral("编码")},
                         {QStringLiteral("甲"), QStringLiteral("K1")},
                         {QStringLiteral("乙"), QStringLiteral("K1")},
                         {QStringLiteral("丙"), QString(60, QLatin1Char('x'))},
                         {QStringLiteral("己"), QString(50, QLatin1Char('y'))},
                         {QStringLiteral("丁"), QString()},
                         {QStringLiteral("戊"), QString()},
                         {QStringLiteral("甲"), QStringLiteral("K2")},
                         {QStringLiteral("甲"), QStringLiteral("K1")}},
                        &sheet));
        const SheetRecords records(sheet);
        SheetImport import(data().conn(), QStringLiteral("T_cust"), pairs, records,
                           {.keyField = QStringLiteral("IDCode"), .userName = QStringLiteral("操作员")});
        while (!import.atEnd())
            import.importNext();
        // Codes too long for the column are refused by both engines alike; 50 characters fit. Only
        // the key must not repeat: a name may.
        QCOMPARE(import.succeeded(), 5);
        QCOMPARE(import.failed(), 3);
        const QList<ImportNote>& notes = import.notes();
        QCOMPARE(notes.first().row, QStringLiteral("第 3 行"));
        QVERIFY2(notes.first().reason.startsWith(QStringLiteral("客户编码“K1”已经存在，不能重复（")),
                 qPrintable(notes.first().reason));
        QCOMPARE(notes[1],
                 (ImportNote{QStringLiteral("第 4 行"),
                             QStringLiteral("编码：文字有 60 个字符，超过了这一列的上限 50 个字符")}));
        // The name of a row refused for its key is no reason, though it is taken too.
        QCOMPARE(notes[2].row, QStringLiteral("第 9 行"));
        QVERIFY2(notes[2].reason.startsWith(QStringLiteral("客户编码“K1”已经存在，不能重复（")),
                 qPrintable(notes[2].reason));
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where CustName = ?"), {QStringLiteral("乙")}),
            0);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where IDCode is null")), 2);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where CustName = ?"), {QStringLiteral("甲")}),
            2);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where exeMen = ?"), {QStringLiteral("操作员")}),
            import.succeeded());
    }

    // Another workstation sees the records a few hundred at a time while a long import runs, and
    // all of them when it ends; an import abandoned midway keeps what was committed before.
    void recordsCommittedInBatches_data() { zu::test::addEngineRows(); }
    void recordsCommittedInBatches()
    {
        ZU_TEST_DATABASE(db);
        const QList<ImportPair> pairs{
            {QStringLiteral("名称"), QStringLiteral("CustName"), QStringLiteral("客户名称")},
            {QStringLiteral("编码"), QStringLiteral("IDCode"), QStringLiteral("客户编码")}};
        QList<QStringList> rows{{QStringLiteral("名称"), QStringLiteral("编码")}};
        for (int i = 0; i < 1200; ++i)
            rows << QStringList{QStringLiteral("客户%1").arg(i), QStringLiteral("B%1").arg(i)};
        SheetData sheet;
        QVERIFY(sheetOf(rows, &sheet));
        const SheetRecords records(sheet);
        auto seenElsewhere = [&db] {
            Query q(db.other());
            q.open(QStringLiteral("select count(*) from T_Cust"));
            return q.value(0).toInt();
        };
        const SheetImport::Options options{.keyField = QStringLiteral("IDCode"),
                                           .userName = QStringLiteral("操作员")};
        {
            SheetImport import(data().conn(), QStringLiteral("T_cust"), pairs, records, options);
            for (int i = 0; i < 499; ++i)
                import.importNext();
            QCOMPARE(seenElsewhere(), 0);
            import.importNext();
            QCOMPARE(seenElsewhere(), 500);
            for (int i = 0; i < 200; ++i)
                import.importNext();
            QCOMPARE(seenElsewhere(), 500);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 500);
        {
            data().T().exec(QStringLiteral("delete from T_Cust"));
            SheetImport import(data().conn(), QStringLiteral("T_cust"), pairs, records, options);
            while (!import.atEnd())
                import.importNext();
            QCOMPARE(import.succeeded(), 1200);
            QCOMPARE(seenElsewhere(), 1200);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1200);
    }

    // Records of the journals go in only under the code of an existing customer.
    void journalRecordsNeedTheirCustomer_data() { zu::test::addEngineRows(); }
    void journalRecordsNeedTheirCustomer()
    {
        ZU_TEST_DATABASE(db);
        data().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values ('甲', 'A')"));
        SheetData sheet;
        QVERIFY(sheetOf({{QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("日期")},
                         {QStringLiteral("A"), QStringLiteral("甲"), QStringLiteral("2026/12/10")},
                         {QStringLiteral("X"), QStringLiteral("某"), QStringLiteral("2026/12/11")},
                         {QString(), QStringLiteral("无"), QStringLiteral("2026/12/12")}},
                        &sheet));
        const SheetRecords records(sheet);
        const QList<ImportPair> pairs{
            {QStringLiteral("编号"), QStringLiteral("CustCode"), QStringLiteral("客户编号")},
            {QStringLiteral("名称"), QStringLiteral("CustName"), QStringLiteral("客户名称")},
            {QStringLiteral("日期"), QStringLiteral("callDate"), QStringLiteral("回访日期")}};
        SheetImport import(data().conn(), QStringLiteral("T_call"), pairs, records, {});
        while (!import.atEnd())
            import.importNext();
        QCOMPARE(import.succeeded(), 1);
        QCOMPARE(import.failed(), 2);
        QCOMPARE(import.notes().at(0).text(), QStringLiteral("第 3 行：客户编号“X”没有对应的客户"));
        QCOMPARE(import.notes().at(1).text(), QStringLiteral("第 4 行：客户编号不能为空"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_call")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from T_call where CustCode = 'A'")), 1);

        // Without the customer's code paired nothing can be imported.
        QVERIFY_THROWS_EXCEPTION(
            CommandError, SheetImport(data().conn(), QStringLiteral("T_service"), {pairs[1]}, records, {}));
    }

    // Refusals from the database itself are told in Chinese, its own text in brackets.
    void databaseRefusalsInChinese()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().T().exec(
            QStringLiteral("create trigger no_vip before insert on T_Cust when new.CustName = 'VIP' "
                           "begin select raise(abort, 'vip not allowed'); end"));
        SheetData sheet;
        QVERIFY(sheetOf({{QStringLiteral("客户名称")}, {QStringLiteral("VIP")}, {QStringLiteral("普通")}},
                        &sheet));
        const SheetRecords records(sheet);
        SheetImport import(
            data().conn(), QStringLiteral("T_Cust"),
            {{QStringLiteral("客户名称"), QStringLiteral("CustName"), QStringLiteral("客户名称")}}, records,
            {});
        while (!import.atEnd())
            import.importNext();
        QCOMPARE(import.notes().size(), 1);
        QCOMPARE(import.notes().first().text(),
                 QStringLiteral("第 2 行：数据库拒绝保存这一行（vip not allowed）"));
    }

    // A customer needs a name; one without is listed, the others go in.
    void customerNeedsAName_data() { zu::test::addEngineRows(); }
    void customerNeedsAName()
    {
        ZU_TEST_DATABASE(db);
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("writeexcel.xls")));
        QCOMPARE(control<QLabel>(&w.window, "Label1")->text(), QStringLiteral("Excel中共有 4 条记录"));
        w.start();
        QCOMPARE(dialogs.messages().last(), QStringLiteral("导入数据完成,导入成功 3 条,导入失败 1 条"));
        // No categories in this database: the two customers with one are told about.
        QCOMPARE(w.failures(),
                 (QStringList{
                     QStringLiteral("第 2 行：已导入，但没有名为“空调”的客户类别，这位客户没有归入任何类别"),
                     QStringLiteral("第 3 行：已导入，但没有名为“冰箱”的客户类别，这位客户没有归入任何类别"),
                     QStringLiteral("第 5 行：客户名称不能为空")}));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 3);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where IDCode = ?"), {QStringLiteral("W004")}),
            0);

        // Without a paired name nothing starts: every row would fail.
        ImportWindow again(dialogs, fixture(QStringLiteral("customers.csv")));
        again.pair(QStringLiteral("CustName"), QString());
        dialogs.clear();
        again.start();
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("“客户名称”没有配对")),
                 qPrintable(dialogs.last().text));
        QVERIFY(control<QPushButton>(&again.window, "Btn_Start")->isEnabled());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 3);
    }

    // 客户类别 names a category: it files the customer when exactly one category has that name.
    void categoryNameFilesTheCustomer_data() { zu::test::addEngineRows(); }
    void categoryNameFilesTheCustomer()
    {
        ZU_TEST_DATABASE(db);
        const QString insertCategory =
            QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)");
        data().T().exec(insertCategory,
                        {QStringLiteral("空调"), QStringLiteral("01"), QStringLiteral("用户类别")});
        data().T().exec(insertCategory,
                        {QStringLiteral("冰箱"), QStringLiteral("02"), QStringLiteral("用户类别")});
        data().T().exec(insertCategory,
                        {QStringLiteral("冰箱"), QStringLiteral("0301"), QStringLiteral("用户类别")});
        data().T().exec(insertCategory,
                        {QStringLiteral("空调"), QStringLiteral("09"), QStringLiteral("型号类别")});
        data().setCurrentUserName(QStringLiteral("张经理"));
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("writeexcel.xls")));
        w.start();
        Query q(data().conn());
        q.open(QStringLiteral("select IDCode, classCode, TypeCode, exeMen from T_Cust order by IDCode"));
        QStringList rows;
        for (; !q.eof(); q.next())
            rows << QStringList{q.value(0).toString(), q.value(1).toString(),
                                q.value(2).isNull() ? QStringLiteral("<null>") : q.value(2).toString(),
                                q.value(3).toString()}
                        .join(QLatin1Char('|'));
        QCOMPARE(rows, (QStringList{QStringLiteral("W001|空调|01|张经理"),
                                    QStringLiteral("W002|冰箱|<null>|张经理"),
                                    QStringLiteral("W003||<null>|张经理")}));
        QCOMPARE(
            w.failures(),
            (QStringList{
                QStringLiteral(
                    "第 3 行：已导入，但有 2 个客户类别都叫“冰箱”（02、0301），这位客户没有归入任何类别"),
                QStringLiteral("第 5 行：客户名称不能为空")}));
    }

    // Customers that look like one already there are imported with a warning, or left out.
    void lookalikeCustomers_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("skip");
        for (const char* engine : {"sqlite", "postgres"}) {
            QTest::addRow("%s, warned", engine) << QString::fromLatin1(engine) << false;
            QTest::addRow("%s, skipped", engine) << QString::fromLatin1(engine) << true;
        }
    }
    void lookalikeCustomers()
    {
        QFETCH(QString, engine);
        QFETCH(bool, skip);
        zu::test::TestDatabase db(engine);
        if (db.skipped())
            QSKIP("PostgreSQL is not available");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("Phone"), QStringLiteral("0571-88886666")},
                               {QStringLiteral("Address"), QStringLiteral("西湖路1号")}});
        SheetData sheet;
        QVERIFY(sheetOf({{QStringLiteral("客户名称"), QStringLiteral("客户编码"), QStringLiteral("客户地址"),
                          QStringLiteral("客户电话"), QStringLiteral("客户手机")},
                         {QStringLiteral("甲"), QStringLiteral("A"), QString(),
                          QStringLiteral("0571 8888 6666"), QString()},
                         {QStringLiteral("乙"), QStringLiteral("B"), QString(),
                          QStringLiteral("0571 8888 6667"), QString()},
                         {QStringLiteral("张 三"), QStringLiteral("C"), QStringLiteral("西湖路 1号"),
                          QString(), QString()},
                         {QStringLiteral("丁"), QStringLiteral("D"), QString(), QString(),
                          QStringLiteral("057188886667")}},
                        &sheet));
        const SheetRecords records(sheet);
        auto pair = [](const char* title, const char* field) {
            return ImportPair{QString::fromUtf8(title), QString::fromLatin1(field), QString::fromUtf8(title)};
        };
        SheetImport import(
            data().conn(), QStringLiteral("T_Cust"),
            {pair("客户名称", "CustName"), pair("客户编码", "IDCode"), pair("客户地址", "Address"),
             pair("客户电话", "Phone"), pair("客户手机", "Mobile")},
            records, {.keyField = {}, .userName = QStringLiteral("张经理"), .skipDuplicates = skip});
        while (!import.atEnd())
            import.importNext();
        QStringList notes;
        for (const ImportNote& note : import.notes())
            notes << note.text();
        const QString zhang = QStringLiteral("张三 (KH0001)");
        if (skip) {
            // 丁's mobile is 乙's phone, imported a row earlier.
            QCOMPARE(
                notes,
                (QStringList{
                    QStringLiteral("第 2 行：可能重复，已跳过（已有相同电话的客户：%1）").arg(zhang),
                    QStringLiteral("第 4 行：可能重复，已跳过（已有相同名称和地址的客户：%1）").arg(zhang),
                    QStringLiteral("第 5 行：可能重复，已跳过（已有相同手机的客户：乙 (B)）")}));
            QCOMPARE(import.succeeded(), 1);
            QCOMPARE(import.failed(), 3);
            QCOMPARE(zu::test::column(QStringLiteral("select IDCode from T_Cust order by CusttityID")),
                     (QStringList{QStringLiteral("KH0001"), QStringLiteral("B")}));
        } else {
            QCOMPARE(
                notes,
                (QStringList{
                    QStringLiteral("第 2 行：已导入，但可能重复（已有相同电话的客户：%1）").arg(zhang),
                    QStringLiteral("第 4 行：已导入，但可能重复（已有相同名称和地址的客户：%1）").arg(zhang),
                    QStringLiteral("第 5 行：已导入，但可能重复（已有相同手机的客户：乙 (B)）")}));
            QCOMPARE(import.succeeded(), 4);
            QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 5);
        }
    }

    // Imported customers are found by quick find like those typed in: initials, numbers.
    void importedCustomersAreFoundQuickly_data() { zu::test::addEngineRows(); }
    void importedCustomersAreFoundQuickly()
    {
        ZU_TEST_DATABASE(db);
        SheetData sheet;
        QVERIFY(sheetOf({{QStringLiteral("客户名称"), QStringLiteral("客户编码"), QStringLiteral("客户电话")},
                         {QStringLiteral("张三丰"), QStringLiteral("A"), QStringLiteral("0571-1234 5678")},
                         {QStringLiteral("Tom Lee"), QStringLiteral("B"), QString()}},
                        &sheet));
        const SheetRecords records(sheet);
        auto pair = [](const char* title, const char* field) {
            return ImportPair{QString::fromUtf8(title), QString::fromLatin1(field), QString::fromUtf8(title)};
        };
        SheetImport import(
            data().conn(), QStringLiteral("T_Cust"),
            {pair("客户名称", "CustName"), pair("客户编码", "IDCode"), pair("客户电话", "Phone")}, records,
            {.keyField = {}, .userName = QStringLiteral("张经理")});
        while (!import.atEnd())
            import.importNext();
        QCOMPARE(import.succeeded(), 2);
        auto codes = [](const char* typed) {
            QStringList found;
            for (const QuickFindHit& hit : quickFind(data().conn(), QString::fromUtf8(typed)))
                found << hit.code;
            return found;
        };
        QCOMPARE(codes("zsf"), QStringList{QStringLiteral("A")});
        QCOMPARE(codes("12345678"), QStringList{QStringLiteral("A")});
        QCOMPARE(codes("tl"), QStringList{QStringLiteral("B")});
    }

    // The window offers the choice for customers, and passes it on.
    void windowSkipsLookalikesWhenAsked()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        ImportWindow first(dialogs, fixture(QStringLiteral("writeexcel.xls")));
        auto* skip = control<QCheckBox>(&first.window, "chkSkipDuplicates");
        QVERIFY(skip->isVisible());
        QVERIFY(!skip->isChecked());
        first.start();
        const int imported = count(QStringLiteral("select count(*) from T_Cust"));
        QVERIFY(imported > 0);
        QVERIFY(!skip->isEnabled()); // the choice is made for an import that is done

        // The same file again, names and addresses and numbers now all there: every customer with
        // a number, or a name and an address, is left out.
        ImportWindow again(dialogs, fixture(QStringLiteral("writeexcel.xls")));
        control<QCheckBox>(&again.window, "chkSkipDuplicates")->setChecked(true);
        again.start();
        const QStringList failures = again.failures();
        QVERIFY(!failures.isEmpty());
        for (const QString& f : failures)
            QVERIFY2(f.contains(QStringLiteral("已跳过")) || f.contains(QStringLiteral("客户名称不能为空")) ||
                         f.contains(QStringLiteral("已经存在")),
                     qPrintable(f));
        QVERIFY(std::any_of(failures.cbegin(), failures.cend(),
                            [](const QString& f) { return f.contains(QStringLiteral("已跳过")); }));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), imported);
    }

    // A category code and a 制单人 given by the sheet stay as given.
    void givenCategoryCodeAndEnteredByStay()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().T().exec(QStringLiteral("insert into T_Dict_cate (name, code, tableName) values (?, ?, ?)"),
                        {QStringLiteral("空调"), QStringLiteral("01"), QStringLiteral("用户类别")});
        data().setCurrentUserName(QStringLiteral("张经理"));
        SheetData sheet;
        QVERIFY(sheetOf(
            {{QStringLiteral("客户名称"), QStringLiteral("客户类别"), QStringLiteral("类别编号"),
              QStringLiteral("制单人")},
             {QStringLiteral("甲"), QStringLiteral("空调"), QStringLiteral("0105"), QStringLiteral("李会计")},
             {QStringLiteral("乙"), QStringLiteral("没有这类"), QString(), QString()}},
            &sheet));
        const SheetRecords records(sheet);
        SheetImport import(
            data().conn(), QStringLiteral("T_Cust"),
            {{QStringLiteral("客户名称"), QStringLiteral("CustName"), QStringLiteral("客户名称")},
             {QStringLiteral("客户类别"), QStringLiteral("classCode"), QStringLiteral("客户类别")},
             {QStringLiteral("类别编号"), QStringLiteral("TypeCode"), QStringLiteral("类别编号")},
             {QStringLiteral("制单人"), QStringLiteral("exeMen"), QStringLiteral("制单人")}},
            records, {.keyField = {}, .userName = QStringLiteral("张经理")});
        while (!import.atEnd())
            import.importNext();
        Query q(data().conn());
        q.open(QStringLiteral("select CustName, TypeCode, exeMen from T_Cust order by CusttityID"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("0105"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("李会计"));
        q.next();
        QVERIFY(q.value(1).isNull());
        QCOMPARE(q.value(2).toString(), QStringLiteral("张经理"));
        QCOMPARE(import.notes().size(), 1);
        QCOMPARE(import.notes().first().text(),
                 QStringLiteral("第 3 行：已导入，但没有名为“没有这类”的客户类别，这位客户没有归入任何类别"));
    }

    // Files of other programs: the active sheet, formula results, display formats, formatted
    // empty rows under the list.
    void filesOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sheet");
        QTest::newRow("LibreOffice .xls") << QStringLiteral("workbook.xls") << 1;
        QTest::newRow("LibreOffice .xlsx") << QStringLiteral("workbook.xlsx") << 1;
        QTest::newRow("WriteExcel .xls, second sheet active") << QStringLiteral("writeexcel.xls") << -1;
    }
    void filesOfOtherPrograms()
    {
        QFETCH(QString, file);
        QFETCH(int, sheet);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(file));
        auto* sheets = control<QComboBox>(&w.window, "cmbSheet");
        QVERIFY(sheets->isVisible());
        QCOMPARE(sheets->count(), 2);
        if (sheet >= 0) {
            // LibreOffice saves without a window with its first sheet active: the user picks the other.
            QCOMPARE(sheets->currentIndex(), 0);
            QCOMPARE(w.window.FRowCount(), 1);
            sheets->setCurrentIndex(sheet);
            emit sheets->activated(sheet);
        }
        QCOMPARE(sheets->currentIndex(), 1);
        QCOMPARE(w.window.FColumnTitles().first(), QStringLiteral("客户名称"));
        w.pair(QStringLiteral("Number"), QStringLiteral("数量"));
        w.pair(QStringLiteral("EmptionDate"), QStringLiteral("购买日期"));
        if (w.window.FColumnTitles().contains(QStringLiteral("单价")))
            w.pair(QStringLiteral("Price"), QStringLiteral("单价"));
        w.start();
        const QStringList got = customers();
        QVERIFY2(got.size() == 3, qPrintable(got.join(QLatin1Char('\n'))));
        // A phone number kept in a number cell shows its leading 0 through its format, as text.
        QVERIFY2(got[0].contains(QStringLiteral("|05718800123|")), qPrintable(got[0]));
        QVERIFY2(got[0].endsWith(QStringLiteral("|2024-03-05 00:00")), qPrintable(got[0]));
        QVERIFY2(got[1].endsWith(QStringLiteral("|2023-12-31 00:00")), qPrintable(got[1]));
        if (file.startsWith(QLatin1String("workbook"))) {
            QCOMPARE(got[0].section(QLatin1Char('|'), 4, 5), QStringLiteral("2|1234.5"));
            QCOMPARE(got[1].section(QLatin1Char('|'), 4, 4), QStringLiteral("4"));
            // A bare date serial in a date column.
            QVERIFY2(got[2].endsWith(QStringLiteral("|2024-03-05 00:00")), qPrintable(got[2]));
        } else {
            QCOMPARE(got[0].section(QLatin1Char('|'), 4, 4), QStringLiteral("3"));
        }
    }

    void datesInOtherForms()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("dates.csv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("客户名称,购买日期,预约安装时间\n"
                               "甲,20240305,3/5/2024\n"
                               "乙,45356,12/25/2024 14:30\n"
                               "丙,2024年3月5日,5/5/2024\n"
                               "丁,2024.3.5,\n"
                               "戊,13/2024,\n")
                    .toUtf8());
        f.close();
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, file);
        w.pair(QStringLiteral("EmptionDate"), QStringLiteral("购买日期"));
        w.pair(QStringLiteral("OrderDate"), QStringLiteral("预约安装时间"));
        w.start();
        QCOMPARE(w.failures(), QStringList{QStringLiteral("第 6 行：购买日期：“13/2024”不是日期")});
        Query q(data().conn());
        q.open(QStringLiteral("select CustName, EmptionDate, OrderDate from T_Cust order by CusttityID"));
        QStringList got;
        for (; !q.eof(); q.next())
            got << q.value(0).toString() + QLatin1Char('|') +
                       q.asDateTime(QStringLiteral("EmptionDate")).toString(QStringLiteral("yyyy-MM-dd")) +
                       QLatin1Char('|') +
                       q.asDateTime(QStringLiteral("OrderDate")).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        // 12/25 shows that this column writes the month first, so 3/5 is the 5th of March.
        QCOMPARE(got, (QStringList{QStringLiteral("甲|2024-03-05|2024-03-05 00:00"),
                                   QStringLiteral("乙|2024-03-05|2024-12-25 14:30"),
                                   QStringLiteral("丙|2024-03-05|2024-05-05 00:00"),
                                   QStringLiteral("丁|2024-03-05|")}));
    }

    void dayAndMonthThatCannotBeTold_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("order");
        QTest::newRow("nothing tells")
            << QStringList{QStringLiteral("3/5/2024"), QStringLiteral("4/6/2024")} << int(DateOrder::Unknown);
        QTest::newRow("month first") << QStringList{QStringLiteral("3/5/2024"), QStringLiteral("1/13/2024")}
                                     << int(DateOrder::MonthFirst);
        QTest::newRow("day first") << QStringList{QStringLiteral("3/5/2024"), QStringLiteral("13/1/2024")}
                                   << int(DateOrder::DayFirst);
        QTest::newRow("both, so neither")
            << QStringList{QStringLiteral("13/1/2024"), QStringLiteral("1/13/2024")}
            << int(DateOrder::Unknown);
        QTest::newRow("12 tells nothing")
            << QStringList{QStringLiteral("3/5/2024"), QStringLiteral("1/12/2024"),
                           QStringLiteral("12/1/2024")}
            << int(DateOrder::Unknown);
        QTest::newRow("other forms say nothing")
            << QStringList{QStringLiteral("2024-12-13"), QStringLiteral("20241213"), QString()}
            << int(DateOrder::Unknown);
    }
    void dayAndMonthThatCannotBeTold()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, order);
        QCOMPARE(int(dateOrderOf(texts)), order);
        QString reason;
        const std::optional<QVariant> value =
            importValue(CellValue{QStringLiteral("3/5/2024"), std::nullopt}, ColumnType::DateTime, &reason,
                        static_cast<DateOrder>(order));
        if (order == int(DateOrder::Unknown)) {
            QVERIFY(!value);
            QVERIFY2(reason.startsWith(QStringLiteral("“3/5/2024”不能确定是月/日/年还是日/月/年")),
                     qPrintable(reason));
        } else {
            QVERIFY(value);
            QCOMPARE(value->toDateTime().date(),
                     order == int(DateOrder::MonthFirst) ? QDate(2024, 3, 5) : QDate(2024, 5, 3));
        }
    }

    void formattedNumberCells()
    {
        // The cell shows the text, the number column takes the number.
        QString reason;
        const CellValue phone{QStringLiteral("05718800123"), 5718800123.0};
        QCOMPARE(importValue(phone, ColumnType::Text, &reason),
                 std::optional<QVariant>(QStringLiteral("05718800123")));
        const CellValue price{QStringLiteral("¥1,234.50"), 1234.5};
        QCOMPARE(importValue(price, ColumnType::Float, &reason), std::optional<QVariant>(1234.5));
        const CellValue count{QStringLiteral("3 台"), 3.0};
        QCOMPARE(importValue(count, ColumnType::Integer, &reason), std::optional<QVariant>(3));
        const CellValue fraction{QStringLiteral("2.50"), 2.5};
        QVERIFY(!importValue(fraction, ColumnType::Integer, &reason));
        QCOMPARE(reason, QStringLiteral("“2.50”不是整数"));
    }

    void sheetSerialAndCompactDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("when");
        QTest::newRow("serial") << QStringLiteral("45356") << QDateTime(QDate(2024, 3, 5), QTime(0, 0));
        QTest::newRow("serial with time")
            << QStringLiteral("45356.75") << QDateTime(QDate(2024, 3, 5), QTime(18, 0));
        QTest::newRow("first serial") << QStringLiteral("61") << QDateTime(QDate(1900, 3, 1), QTime(0, 0));
        QTest::newRow("before the first serial") << QStringLiteral("60") << QDateTime();
        QTest::newRow("last serial") << QStringLiteral("2958465")
                                     << QDateTime(QDate(9999, 12, 31), QTime(0, 0));
        QTest::newRow("after the last serial") << QStringLiteral("2958466") << QDateTime();
        QTest::newRow("compact") << QStringLiteral("20240305") << QDateTime(QDate(2024, 3, 5), QTime(0, 0));
        QTest::newRow("compact, no such day") << QStringLiteral("20240230") << QDateTime();
        QTest::newRow("chinese, blanks")
            << QStringLiteral(" 2024 年 3 月 5 日 ") << QDateTime(QDate(2024, 3, 5), QTime(0, 0));
        QTest::newRow("dots") << QStringLiteral("2024.03.05") << QDateTime(QDate(2024, 3, 5), QTime(0, 0));
        QTest::newRow("day over 12 first")
            << QStringLiteral("25/12/2024") << QDateTime(QDate(2024, 12, 25), QTime(0, 0));
        QTest::newRow("month over 12 nowhere") << QStringLiteral("13/13/2024") << QDateTime();
    }
    void sheetSerialAndCompactDates()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, when);
        QCOMPARE(parseSheetDate(text), when);
    }

    // The program's own export, footer and all, goes back in as the same customers.
    void ownExportReimports_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("xls") << QStringLiteral("客户信息.xls");
        QTest::newRow("xlsx") << QStringLiteral("客户信息.xlsx");
    }
    void ownExportReimports()
    {
        QFETCH(QString, name);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        // A list as the export writes it: titles, rows, then the count under the name column.
        std::unique_ptr<SpreadsheetWriter> writer = SpreadsheetWriter::forFileName(name);
        const QStringList titles{QStringLiteral("客户名称"), QStringLiteral("客户编码"),
                                 QStringLiteral("数量")};
        for (int c = 0; c < titles.size(); ++c)
            writer->writeBoldText(0, c, titles[c]);
        for (int r = 1; r <= 6; ++r) {
            writer->writeText(r, 0, QStringLiteral("客户%1").arg(r));
            writer->writeText(r, 1, QStringLiteral("K%1").arg(r));
            writer->writeNumber(r, 2, r);
        }
        writer->writeNumber(7, 0, 6);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        QString error;
        QVERIFY2(writer->save(file, &error), qPrintable(error));
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, file);
        QCOMPARE(control<QLabel>(&w.window, "Label1")->text(), QStringLiteral("Excel中共有 6 条记录"));
        w.pair(QStringLiteral("Number"), QStringLiteral("数量"));
        w.start();
        QCOMPARE(dialogs.messages().last(), QStringLiteral("导入数据完成,导入成功 6 条,导入失败 0 条"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 6);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where CustName = ?"), {QStringLiteral("6")}),
            0);
        QCOMPARE(count(QStringLiteral("select sum(Number) from T_Cust")), 21);
    }

    // A footer is only the last row, and only when it holds the number of rows above it.
    void footerRecognition_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("records");
        const QStringList titles{QStringLiteral("名称"), QStringLiteral("编码")};
        QTest::newRow("count under the list")
            << QList<QStringList>{titles, {"甲", "1"}, {"乙", "2"}, {"2"}} << 2;
        QTest::newRow("count as text") << QList<QStringList>{titles, {"甲", "1"}, {"", "共 1 条"}} << 1;
        QTest::newRow("another number") << QList<QStringList>{titles, {"甲", "1"}, {"乙", "2"}, {"3"}} << 3;
        QTest::newRow("count and more") << QList<QStringList>{titles, {"甲", "1"}, {"1", "备注"}} << 2;
        QTest::newRow("not the last row") << QList<QStringList>{titles, {"1"}, {"甲", "1"}} << 2;
        // The export never writes an empty list: a 0 under the titles is a record.
        QTest::newRow("zero") << QList<QStringList>{titles, {"0"}} << 1;
    }
    void footerRecognition()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, records);
        SheetData data;
        QVERIFY(sheetOf(rows, &data));
        QCOMPARE(SheetRecords(data).count(), records);
    }

    // The failure list can be copied and saved; another file can be chosen after a failed read.
    void failureListCopiedAndSaved()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, fixture(QStringLiteral("customers.xls")));
        w.pair(QStringLiteral("Number"), QStringLiteral("数量"));
        w.start();
        QCOMPARE(w.failures().size(), 2);
        auto* copy = control<QPushButton>(&w.window, "btnCopyFailures");
        auto* save = control<QPushButton>(&w.window, "btnSaveFailures");
        QVERIFY(copy->isVisible() && save->isVisible());
        copy->click();
        const QString expected = QStringLiteral("导入文件：") +
                                 QDir::toNativeSeparators(fixture(QStringLiteral("customers.xls"))) +
                                 QLatin1Char('\n') + w.failures().join(QLatin1Char('\n')) + QLatin1Char('\n');
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);

        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("未导入.txt"));
        dialogs.answerFile(saved);
        save->click();
        QCOMPARE(dialogs.last().kind, QStringLiteral("save"));
        QFile f(saved);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(QString::fromUtf8(bytes.mid(3)),
                 QString(expected).replace(QLatin1Char('\n'), QStringLiteral("\r\n")));

        // A folder that is not there: told, nothing else happens.
        dialogs.answerFile(dir.filePath(QStringLiteral("没有/x.txt")));
        save->click();
        QVERIFY2(dialogs.last().text.startsWith(QStringLiteral("无法写入文件")),
                 qPrintable(dialogs.last().text));
    }

    void anotherFileAfterAFailedRead()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("坏的.xls"));
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(2000, 'x'));
        f.close();
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, broken);
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(!control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        auto* open = control<QPushButton>(&w.window, "btnOpenFile");
        QVERIFY(open->isEnabled());
        dialogs.answerFile(fixture(QStringLiteral("customers.csv")));
        open->click();
        QCOMPARE(dialogs.last().kind, QStringLiteral("open"));
        QCOMPARE(w.window.FRowCount(), 7);
        QVERIFY(control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        QCOMPARE(w.grid()->model()->index(0, 1).data().toString(), QStringLiteral("客户名称"));
        // Another unreadable file now leaves the good one in place.
        dialogs.answerFile(broken);
        open->click();
        QCOMPARE(w.window.FRowCount(), 7);
        QVERIFY(control<QPushButton>(&w.window, "Btn_Start")->isEnabled());
        w.start();
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 5);
        QVERIFY(!open->isEnabled()); // after the import only Close remains
    }

    // 停止 ends the import between rows, and so does closing the window or Esc, which do not close
    // it meanwhile: the rows done stay, the message says how many.
    void stopBetweenRows_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("how");
        for (const QString engine : {QStringLiteral("sqlite"), QStringLiteral("postgres")})
            for (const QString how : {QStringLiteral("停止"), QStringLiteral("close"), QStringLiteral("Esc")})
                QTest::addRow("%s %s", qPrintable(engine), qPrintable(how)) << engine << how;
    }
    void stopBetweenRows()
    {
        QFETCH(QString, how);
        ZU_TEST_DATABASE(db);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("many.csv"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray csv = "客户名称,客户编码\n";
        for (int i = 0; i < 20000; ++i)
            csv += QStringLiteral("客户%1,S%1\n").arg(i).toUtf8();
        f.write(csv);
        f.close();
        ScriptedDialogs dialogs;
        ImportWindow w(dialogs, file);
        auto* stop = control<QPushButton>(&w.window, "btnStop");
        QVERIFY(!stop->isVisible());
        bool sawImporting = false;
        // Pressed as soon as the window lets events through during the import.
        QTimer::singleShot(0, &w.window, [&] {
            sawImporting = w.window.isImporting() && stop->isVisible() &&
                           !control<QPushButton>(&w.window, "Btn_Exit")->isEnabled();
            if (how == QLatin1String("close"))
                w.window.close();
            else if (how == QLatin1String("Esc"))
                QTest::keyClick(&w.window, Qt::Key_Escape);
            else
                stop->click();
        });
        w.start();
        QVERIFY(sawImporting);
        QVERIFY(w.window.isVisible());
        QVERIFY(!stop->isVisible());
        const int imported = count(QStringLiteral("select count(*) from T_Cust"));
        QVERIFY(imported > 0 && imported < 20000);
        Query other(db.other());
        other.open(QStringLiteral("select count(*) from T_Cust"));
        QCOMPARE(other.value(0).toInt(), imported); // committed, not only written
        QCOMPARE(dialogs.messages().last(),
                 QStringLiteral("导入已停止,导入成功 %1 条,导入失败 0 条,还有 %2 条没有导入")
                     .arg(imported)
                     .arg(20000 - imported));
        QVERIFY(control<QPushButton>(&w.window, "Btn_Exit")->isEnabled());
        QVERIFY(pairedFields().isEmpty());
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"

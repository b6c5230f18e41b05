#include "spreadsheet/sheetreaderprocess.h"
#include "spreadsheet/spreadsheetwriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace zu;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A list as the program's export writes it, in either format.
QByteArray ownExport(const QString& name)
{
    std::unique_ptr<SpreadsheetWriter> writer = SpreadsheetWriter::forFileName(name);
    const QStringList titles{QStringLiteral("客户名称"), QStringLiteral("客户编码"), QStringLiteral("单价"),
                             QStringLiteral("购买日期"), QStringLiteral("备注")};
    for (int c = 0; c < titles.size(); ++c)
        writer->writeBoldText(0, c, titles[c]);
    for (int r = 1; r < 200; ++r) {
        writer->writeText(r, 0, QStringLiteral("客户%1").arg(r));
        writer->writeText(r, 1, QStringLiteral("K%1").arg(r));
        writer->writeNumber(r, 2, r * 1.5);
        writer->writeText(r, 3, QStringLiteral("2024-03-05"));
        if (r % 7 == 0)
            writer->writeText(r, 4, QString(5000 + r, QChar(0x5907)));
    }
    writer->writeNumber(200, 0, 199);
    return writer->toBytes();
}

// One damaged copy: bytes flipped, a length or position overwritten with an extreme value, the
// file cut short, or a block repeated elsewhere.
QByteArray damage(QByteArray bytes, QRandomGenerator& random)
{
    const auto at = [&](qsizetype span) {
        return static_cast<qsizetype>(random.bounded(static_cast<quint32>(span)));
    };
    switch (random.bounded(4)) {
    case 0:
        for (quint32 i = 0, n = 1 + random.bounded(8u); i < n; ++i)
            bytes[at(bytes.size())] = static_cast<char>(random.bounded(256));
        break;
    case 1: {
        static const quint32 extremes[] = {0,      0xFFFFFFFF, 0x7FFFFFFF, 0x80000000,
                                           0xFFFF, 0x10000,    8224,       0xFFFFFFFE};
        const qsizetype pos = at(bytes.size() - 4);
        qToLittleEndian(extremes[random.bounded(8)], bytes.data() + pos);
        break;
    }
    case 2:
        bytes.truncate(at(bytes.size()));
        break;
    default: {
        const qsizetype from = at(bytes.size());
        const qsizetype length = std::min<qsizetype>(1 + at(512), bytes.size() - from);
        const QByteArray block = bytes.mid(from, length);
        const qsizetype to = at(bytes.size() - length);
        bytes.replace(to, length, block);
        break;
    }
    }
    return bytes;
}

} // namespace

class TestSheetFuzz final : public QObject
{
    Q_OBJECT
private slots:
    // Damaged copies of files of several programs never take the reading path down or hang it:
    // each gives the cells or an error that names the file.
    void damagedFilesGiveResultsOrErrors()
    {
        const QString fixtures = QStringLiteral(ZU_IMPORT_FIXTURES "/");
        const QList<QPair<QString, QByteArray>> sources{
            {QStringLiteral("xls"), fileBytes(fixtures + QStringLiteral("customers.xls"))},
            {QStringLiteral("xls"), fileBytes(fixtures + QStringLiteral("workbook.xls"))},
            {QStringLiteral("xls"), fileBytes(fixtures + QStringLiteral("writeexcel.xls"))},
            {QStringLiteral("xls"), ownExport(QStringLiteral("own.xls"))},
            {QStringLiteral("xlsx"), fileBytes(fixtures + QStringLiteral("customers.xlsx"))},
            {QStringLiteral("xlsx"), fileBytes(fixtures + QStringLiteral("workbook.xlsx"))},
            {QStringLiteral("xlsx"), ownExport(QStringLiteral("own.xlsx"))},
            {QStringLiteral("csv"), fileBytes(fixtures + QStringLiteral("customers.csv"))},
        };
        for (const auto& source : sources)
            QVERIFY(!source.second.isEmpty());
        constexpr int kCopies = 60;
        QRandomGenerator random(20240305);
        QTemporaryDir dir;
        int read = 0, refused = 0, crashed = 0;
        QElapsedTimer t;
        t.start();
        for (qsizetype s = 0; s < sources.size(); ++s) {
            for (int copy = 0; copy < kCopies; ++copy) {
                const QString file =
                    dir.filePath(QStringLiteral("damaged-%1-%2.%3").arg(s).arg(copy).arg(sources[s].first));
                QFile out(file);
                QVERIFY(out.open(QIODevice::WriteOnly));
                out.write(damage(sources[s].second, random));
                out.close();
                SheetData data;
                QString error;
                QElapsedTimer one;
                one.start();
                if (SheetReaderProcess::read(file, -1, &data, &error)) {
                    ++read;
                    QVERIFY(data.recordCount() >= 0 && data.columnCount() >= 0);
                    QVERIFY(data.chosenSheet() >= 0 && data.chosenSheet() < data.sheets().size());
                    for (int i = 0; i < data.recordCount(); ++i)
                        QVERIFY(data.record(i).sheetRow >= 1);
                } else {
                    ++refused;
                    QVERIFY2(error.startsWith(QStringLiteral("无法读取文件 ") +
                                              QFileInfo(file).absoluteFilePath() + QStringLiteral("：")),
                             qPrintable(error));
                    crashed += error.contains(QStringLiteral("意外结束")) ? 1 : 0;
                }
                QVERIFY2(one.elapsed() < 15000, qPrintable(file));
            }
        }
        qInfo(
            "%d damaged files: %d read, %d refused (%d of them by a reader that ended abnormally) in %.1f s",
            kCopies * int(sources.size()), read, refused, crashed, t.elapsed() / 1000.0);
        // Our own readers end every reading themselves, with the cells or with a reason.
        QCOMPARE(crashed, 0);
    }
};

QTEST_GUILESS_MAIN(TestSheetFuzz)
#include "tst_sheetfuzz.moc"

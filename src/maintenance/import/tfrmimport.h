#pragma once

#include "spreadsheet/sheetstream.h"

#include <memory>
#include <QDialog>
#include <QStringList>

namespace Ui {
class TfrmImport;
}

namespace zu {

class MappingModel;
class SheetRecords;
class TitlePickDelegate;

// Imports customers from a worksheet: the user picks the file (and, in a workbook of several
// sheets, the sheet), checks the pairing of worksheet titles with the table's columns in the
// mapping grid and starts the import, which inserts one row per worksheet record, each in its own
// transaction, can be stopped between rows, and lists the rows it could not insert. The file is
// read by the sheet reader in a process of its own.
class TfrmImport final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmImport(QWidget* parent = nullptr);
    ~TfrmImport() override;

    // Set by the opener before the window shows: the table to fill.
    QString FTableName;

    // What was read of the worksheet: its titles, its columns, and its records plus the title row.
    const QStringList& FColumnTitles() const { return m_columnTitles; }
    int FColCount() const { return m_colCount; }
    int FRowCount() const { return m_rowCount; }

    MappingModel* mapping() const { return m_mapping; }
    TitlePickDelegate* titlePicker() const { return m_picker; }
    bool isImporting() const { return m_importing; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class ImportingState;
    void FormShow();
    void openFile(const QString& path, int sheet);
    bool readSheet(const QString& path, int sheet);
    void showSheets();
    void loadMapping();
    void chooseFile();
    void chooseSheet(int index);
    void Btn_StartClick();
    void Btn_ExitClick();
    void setImporting(bool importing);
    void showFailures();
    QString failureText() const;
    void copyFailures();
    void saveFailures();

    std::unique_ptr<Ui::TfrmImport> ui;
    MappingModel* m_mapping;
    TitlePickDelegate* m_picker;
    SheetData m_sheet;
    std::unique_ptr<SheetRecords> m_records;
    QString m_path;
    QStringList m_columnTitles;
    int m_colCount = 0;
    int m_rowCount = 0;
    bool m_importing = false;
    bool m_stopRequested = false;
    bool m_imported = false;
};

} // namespace zu

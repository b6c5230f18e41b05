#pragma once

#include "spreadsheet/spreadsheetreader.h"

#include <memory>
#include <QDialog>
#include <QStringList>

namespace Ui {
class TfrmImport;
}

namespace zu {

class MappingModel;
class TitlePickDelegate;

// Imports customers from a worksheet: the user picks the file, checks the pairing of worksheet
// titles with the table's columns in the mapping grid and starts the import, which inserts one
// row per worksheet row, each in its own transaction, and lists the rows it could not insert.
class TfrmImport final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmImport(QWidget* parent = nullptr);
    ~TfrmImport() override;

    // Set by the opener before the window shows: the table to fill.
    QString FTableName;

    // What was read of the worksheet.
    const QStringList& FColumnTitles() const { return m_columnTitles; }
    int FColCount() const { return m_colCount; }
    int FRowCount() const { return m_rowCount; }

    MappingModel* mapping() const { return m_mapping; }
    TitlePickDelegate* titlePicker() const { return m_picker; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    bool readSheet(const QString& path);
    void loadMapping();
    void Btn_StartClick();
    void Btn_ExitClick();
    void showFailures();

    std::unique_ptr<Ui::TfrmImport> ui;
    MappingModel* m_mapping;
    TitlePickDelegate* m_picker;
    SpreadsheetReader m_sheet;
    QStringList m_columnTitles;
    int m_colCount = 0;
    int m_rowCount = 0;
    bool m_shown = false;
};

} // namespace zu

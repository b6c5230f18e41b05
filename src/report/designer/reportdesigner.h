#pragma once

#include "report/reportenvironment.h"

#include <QDialog>

#include <memory>

class QListWidgetItem;

namespace Ui {
class ReportDesigner;
}

namespace zu {

class DesignerModel;
class ReportDataSource;
class ReportDocument;
struct ReportObject;
struct ReportTemplate;

// The report designer: the loaded template's bands and objects on the page, moved and resized
// with the mouse, several at once when selected together, lined up and given one size; cut,
// copied (also into another template) and pasted; their properties in the panel beside, the data
// set's fields and totals to insert, pictures and QR codes; undo and redo; the shipped template
// restored; saving back to the file the template came from, the earlier version kept. Shown
// modally.
class ReportDesigner final : public QDialog
{
    Q_OBJECT
public:
    // `source` gives the field list and the records of the preview; it may be null.
    ReportDesigner(ReportDocument& document, ReportDataSource* source, ReportEnvironment environment,
                   QWidget* parent = nullptr);
    ~ReportDesigner() override;

    DesignerModel& model() { return *m_model; }
    // Writes the template to its file; an error is shown and false returned when it cannot be.
    bool save();

    // The mime type of objects on the clipboard.
    static QString objectsMimeType();

public slots:
    // Closing with unsaved changes asks whether to save them first.
    void reject() override;

private:
    void setUpActions();
    void setUpProperties();
    void setUpZoomAndGrid();
    void updateActions();
    void loadProperties();
    void loadPage();
    void loadBand();
    void loadObject();
    void applyPage(const QString& property);
    void applyBand(const QString& property);
    void applyObject(const QString& property);
    void insertObject(int kind);
    void insertPicture();
    void changePicture();
    void insertFromList(QListWidgetItem* item);
    int targetBand() const;
    void showAddBandMenu();
    void addBand(int type);
    void removeSelected();
    void copySelected();
    void paste();
    void restoreDefault();
    void preview();
    void applyZoomText();
    void updateTitle();
    void updatePageWarning();
    bool readPicture(QByteArray* picture, QSize* size);

    std::unique_ptr<Ui::ReportDesigner> ui;
    ReportDocument& m_document;
    ReportDataSource* m_source;
    ReportEnvironment m_environment;
    DesignerModel* m_model;
};

} // namespace zu

#pragma once

#include "report/reporttemplate.h"

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUndoStack>

namespace zu {

// What the designer has selected: an object of a band, a band, or (band < 0) the page.
struct DesignSelection
{
    int band = -1;
    int object = -1;

    bool isPage() const { return band < 0; }
    bool isBand() const { return band >= 0 && object < 0; }
    bool isObject() const { return band >= 0 && object >= 0; }
    bool operator==(const DesignSelection&) const = default;
};

// The template being designed, its edits and their undo history. Every change goes through
// here as a whole-template step on the undo stack, so undo and redo restore exactly what was
// there, selection included. Bands are kept in printing order (title, page header, master data,
// page footer, summary).
class DesignerModel final : public QObject
{
    Q_OBJECT
public:
    explicit DesignerModel(ReportTemplate report, QObject* parent = nullptr);

    const ReportTemplate& report() const { return m_report; }
    QUndoStack& undoStack() { return m_undo; }
    bool isModified() const { return !m_undo.isClean(); }
    // After the template was written to its file.
    void markSaved() { m_undo.setClean(); }

    DesignSelection selection() const { return m_selection; }
    void select(DesignSelection selection);
    const ReportBand* selectedBand() const;
    const ReportObject* selectedObject() const;

    // Edits; each is one undo step. Geometry is in mm within the band, kept inside the band's
    // width and at least 1 mm in size; a band is at least 2 mm high and as high as its objects
    // reach.
    void setObjectGeometry(int band, int object, const QRectF& geometry);
    // A property change from the property panel; successive changes of one property of one
    // object are one undo step (typing a text is not undone letter by letter).
    void updateObject(int band, int object, const ReportObject& changed, const QString& property);
    void updateBand(int band, const ReportBand& changed, const QString& property);
    void updatePage(const ReportPage& changed, const QString& property);
    void setBandHeight(int band, double height);
    // Inserts and selects the object; returns its index, -1 when there is no such band.
    int insertObject(int band, ReportObject object);
    // A text object of the default size showing `text` (a field [客户记录."客户名称"], a system
    // value [页码], literal text) at `position` (mm within the band).
    int insertText(int band, const QString& text, QPointF position);
    void removeSelected();
    // A copy of the selected object a little below and right of it, selected; -1 without one.
    int duplicateSelected();
    // Adds a band of a type not there yet, in printing order, and selects it; returns its index
    // or -1 when the template has one already.
    int addBand(ReportBand::Type type, const QString& dataSet = {});
    bool hasBand(ReportBand::Type type) const;

    // The width objects of a band have room in: the page inside its margins, or one column.
    double bandWidth(int band) const;

signals:
    // The template changed (an edit, undo or redo).
    void changed();
    void selectionChanged();

private:
    friend class TemplateEdit;
    void apply(const ReportTemplate& report, DesignSelection selection);
    void commit(ReportTemplate after, DesignSelection selectionAfter, const QString& text,
                const QString& mergeKey = {});
    DesignSelection validated(DesignSelection selection) const;
    QRectF clamped(int band, QRectF geometry) const;
    bool validObject(int band, int object) const;

    ReportTemplate m_report;
    DesignSelection m_selection;
    QUndoStack m_undo;
};

// Band names as the designer shows them.
QString bandCaption(ReportBand::Type type);

} // namespace zu

#pragma once

#include "report/reporttemplate.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QUndoStack>

namespace zu {

// One object of one band.
struct ObjectRef
{
    int band = -1;
    int object = -1;
    bool operator==(const ObjectRef&) const = default;
};

// What the designer has selected: objects of bands, a band, or (band < 0) the page. `band` and
// `object` are the first object selected (the others line up with it) or the band; `others` the
// further objects selected with Shift or a rubber band.
struct DesignSelection
{
    int band = -1;
    int object = -1;
    QList<ObjectRef> others = {}; // left out where one object or a band is selected

    bool isPage() const { return band < 0; }
    bool isBand() const { return band >= 0 && object < 0; }
    bool isObject() const { return band >= 0 && object >= 0; }
    // Every selected object, the first one first.
    QList<ObjectRef> objects() const;
    bool contains(int band, int object) const;
    bool operator==(const DesignSelection&) const = default;
};

// Which edge objects are lined up by.
enum class AlignEdge
{
    Left,
    Right,
    Top,
    Bottom,
};

// The template being designed, its edits and their undo history. Every change goes through
// here as a whole-template step on the undo stack, so undo and redo restore exactly what was
// there, selection included. Bands are kept in printing order (title, page header, group header,
// master data, group footer, page footer, summary).
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

    // The data set the template prints and its fields: what references may name.
    void setFields(const QString& dataSet, const QStringList& fields);
    QString dataSet() const { return m_dataSet; }
    QStringList fields() const { return m_fields; }
    // The references of the template that name nothing known: "栏名：引用" for each.
    QStringList unknownReferences() const;

    DesignSelection selection() const { return m_selection; }
    void select(DesignSelection selection);
    // Selects these objects (the first leads); an empty list changes nothing.
    void selectObjects(const QList<ObjectRef>& objects);
    // Shift-click: adds the object to the selection or takes it out.
    void toggleObject(int band, int object);
    const ReportBand* selectedBand() const;
    const ReportObject* selectedObject() const;

    // Edits; each is one undo step. Geometry is in mm within the band, kept inside the band's
    // width and at least 1 mm in size; a band is at least 2 mm high and as high as its objects
    // reach.
    void setObjectGeometry(int band, int object, const QRectF& geometry);
    // Moves every selected object by `delta` (each kept inside its band).
    void moveSelected(QPointF delta);
    // Lines the selected objects up with the first one's edge; gives them its size.
    void alignSelected(AlignEdge edge);
    void sameSizeSelected();
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
    // Removes the selected objects, or the selected band with its objects.
    void removeSelected();
    // Copies of the selected objects a little below and right of them, selected; the index of the
    // first one's copy, -1 without a selected object.
    int duplicateSelected();
    // The selected objects, the first one first.
    QList<ReportObject> selectedObjects() const;
    // Puts objects (copied here or in another template) into a band where they were; where the
    // very same object is there already they go a little below and right. Selected afterwards.
    void paste(int band, const QList<ReportObject>& objects);
    // Adds a band of a type not there yet, in printing order, and selects it; returns its index
    // or -1 when the template has one already.
    int addBand(ReportBand::Type type, const QString& dataSet = {});
    bool hasBand(ReportBand::Type type) const;
    // Puts another template in place of this one (the shipped one, restored), as one step.
    void replaceTemplate(const ReportTemplate& report, const QString& text);

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
    QRectF clamped(const ReportTemplate& report, int band, QRectF geometry) const;
    QRectF clamped(int band, QRectF geometry) const { return clamped(m_report, band, geometry); }
    bool validObject(int band, int object) const;
    static DesignSelection selectionOf(const QList<ObjectRef>& objects);

    ReportTemplate m_report;
    DesignSelection m_selection;
    QUndoStack m_undo;
    QString m_dataSet;
    QStringList m_fields;
};

// Band names as the designer shows them.
QString bandCaption(ReportBand::Type type);

} // namespace zu

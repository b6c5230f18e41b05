#include "designermodel.h"

#include "designgeometry.h"
#include "report/reportplan.h"

#include <QUndoCommand>

#include <algorithm>

namespace zu {

namespace {

constexpr double kMinimumSize = 1;
constexpr double kMinimumBandHeight = 2;
constexpr int kMergeId = 1;

// A band is never lower than what it holds, so that nothing prints over the band below.
double heightFor(const ReportBand& band, double wanted)
{
    double height = std::max(kMinimumBandHeight, wanted);
    for (const ReportObject& o : band.objects)
        height = std::max(height, o.geometry.bottom());
    return height;
}

int printingOrder(ReportBand::Type type)
{
    return static_cast<int>(type);
}

} // namespace

// One designer edit: the template and selection before and after.
class TemplateEdit final : public QUndoCommand
{
public:
    TemplateEdit(DesignerModel& model, ReportTemplate before, DesignSelection selectionBefore,
                 ReportTemplate after, DesignSelection selectionAfter, const QString& text, QString mergeKey)
        : QUndoCommand(text), m_model(model), m_before(std::move(before)), m_after(std::move(after)),
          m_selectionBefore(selectionBefore), m_selectionAfter(selectionAfter),
          m_mergeKey(std::move(mergeKey))
    {
    }

    void undo() override { m_model.apply(m_before, m_selectionBefore); }
    void redo() override { m_model.apply(m_after, m_selectionAfter); }
    int id() const override { return m_mergeKey.isEmpty() ? -1 : kMergeId; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const TemplateEdit*>(other);
        if (next->m_mergeKey != m_mergeKey)
            return false;
        m_after = next->m_after;
        m_selectionAfter = next->m_selectionAfter;
        return true;
    }

private:
    DesignerModel& m_model;
    ReportTemplate m_before;
    ReportTemplate m_after;
    DesignSelection m_selectionBefore;
    DesignSelection m_selectionAfter;
    QString m_mergeKey;
};

QString bandCaption(ReportBand::Type type)
{
    switch (type) {
    case ReportBand::Type::ReportTitle:
        return QStringLiteral("报表标题");
    case ReportBand::Type::PageHeader:
        return QStringLiteral("页眉");
    case ReportBand::Type::MasterData:
        return QStringLiteral("主数据");
    case ReportBand::Type::PageFooter:
        return QStringLiteral("页脚");
    case ReportBand::Type::Summary:
        return QStringLiteral("报表合计");
    }
    return {};
}

DesignerModel::DesignerModel(ReportTemplate report, QObject* parent)
    : QObject(parent), m_report(std::move(report))
{
    std::stable_sort(m_report.bands.begin(), m_report.bands.end(),
                     [](const ReportBand& a, const ReportBand& b) {
                         return printingOrder(a.type) < printingOrder(b.type);
                     });
}

DesignSelection DesignerModel::validated(DesignSelection selection) const
{
    if (selection.band < 0 || selection.band >= m_report.bands.size())
        return {};
    if (selection.object < 0 || selection.object >= m_report.bands.at(selection.band).objects.size())
        selection.object = -1;
    return selection;
}

void DesignerModel::select(DesignSelection selection)
{
    selection = validated(selection);
    if (selection == m_selection)
        return;
    m_selection = selection;
    emit selectionChanged();
}

const ReportBand* DesignerModel::selectedBand() const
{
    return m_selection.band >= 0 ? &m_report.bands.at(m_selection.band) : nullptr;
}

const ReportObject* DesignerModel::selectedObject() const
{
    return m_selection.isObject() ? &m_report.bands.at(m_selection.band).objects.at(m_selection.object)
                                  : nullptr;
}

bool DesignerModel::validObject(int band, int object) const
{
    return band >= 0 && band < m_report.bands.size() && object >= 0 &&
           object < m_report.bands.at(band).objects.size();
}

double DesignerModel::bandWidth(int band) const
{
    if (band < 0 || band >= m_report.bands.size())
        return m_report.page.printableSize().width();
    return columnWidth(m_report, m_report.bands.at(band));
}

QRectF DesignerModel::clamped(int band, QRectF g) const
{
    const ReportBand& b = m_report.bands.at(band);
    const double width = bandWidth(band);
    g.setWidth(std::clamp(g.width(), 0.0, width));
    g.setHeight(std::clamp(g.height(), 0.0, b.height));
    g.moveLeft(std::clamp(g.left(), 0.0, std::max(0.0, width - g.width())));
    g.moveTop(std::clamp(g.top(), 0.0, std::max(0.0, b.height - g.height())));
    return g;
}

void DesignerModel::apply(const ReportTemplate& report, DesignSelection selection)
{
    m_report = report;
    m_selection = validated(selection);
    emit changed();
    emit selectionChanged();
}

void DesignerModel::commit(ReportTemplate after, DesignSelection selectionAfter, const QString& text,
                           const QString& mergeKey)
{
    if (after == m_report && selectionAfter == m_selection)
        return;
    m_undo.push(
        new TemplateEdit(*this, m_report, m_selection, std::move(after), selectionAfter, text, mergeKey));
}

void DesignerModel::setObjectGeometry(int band, int object, const QRectF& geometry)
{
    if (!validObject(band, object))
        return;
    ReportTemplate after = m_report;
    ReportObject& o = after.bands[band].objects[object];
    QRectF g = geometry;
    // Lines may be flat in one direction; everything else keeps a size one can still grab.
    if (o.kind != ReportObject::Kind::Line) {
        g.setWidth(std::max(g.width(), kMinimumSize));
        g.setHeight(std::max(g.height(), kMinimumSize));
    }
    o.geometry = clamped(band, g);
    commit(std::move(after), {band, object}, QStringLiteral("移动对象"));
}

void DesignerModel::updateObject(int band, int object, const ReportObject& changed, const QString& property)
{
    if (!validObject(band, object))
        return;
    ReportTemplate after = m_report;
    ReportObject& o = after.bands[band].objects[object];
    o = changed;
    o.geometry = clamped(band, changed.geometry);
    o.fontSize = std::max(1.0, o.fontSize);
    o.cells = std::max(0, o.cells);
    commit(std::move(after), {band, object}, QStringLiteral("修改对象"),
           QStringLiteral("object/%1/%2/%3").arg(band).arg(object).arg(property));
}

void DesignerModel::updateBand(int band, const ReportBand& changed, const QString& property)
{
    if (band < 0 || band >= m_report.bands.size())
        return;
    ReportTemplate after = m_report;
    ReportBand& b = after.bands[band];
    const QList<ReportObject> objects = b.objects;
    b = changed;
    b.type = m_report.bands.at(band).type; // the type is fixed; a band of another type is added
    b.objects = objects;
    b.height = heightFor(b, b.height);
    b.columns = std::max(1, b.columns);
    b.columnGap = std::max(0.0, b.columnGap);
    b.rowGap = std::max(0.0, b.rowGap);
    commit(std::move(after), {band, -1}, QStringLiteral("修改栏"),
           QStringLiteral("band/%1/%2").arg(band).arg(property));
}

void DesignerModel::setBandHeight(int band, double height)
{
    if (band < 0 || band >= m_report.bands.size())
        return;
    ReportTemplate after = m_report;
    after.bands[band].height = heightFor(after.bands[band], height);
    commit(std::move(after), {band, -1}, QStringLiteral("栏高"));
}

void DesignerModel::updatePage(const ReportPage& changed, const QString& property)
{
    ReportTemplate after = m_report;
    ReportPage& p = after.page;
    p = changed;
    p.customWidth = std::max(10.0, p.customWidth);
    p.customHeight = std::max(10.0, p.customHeight);
    // Margins leave at least a tenth of the sheet to print on.
    const QSizeF sheet = p.sheetSize();
    auto margin = [](double value, double room) { return std::clamp(value, 0.0, std::max(0.0, room)); };
    p.leftMargin = margin(p.leftMargin, sheet.width() * 0.9 - p.rightMargin);
    p.rightMargin = margin(p.rightMargin, sheet.width() * 0.9 - p.leftMargin);
    p.topMargin = margin(p.topMargin, sheet.height() * 0.9 - p.bottomMargin);
    p.bottomMargin = margin(p.bottomMargin, sheet.height() * 0.9 - p.topMargin);
    commit(std::move(after), {}, QStringLiteral("页面设置"), QStringLiteral("page/%1").arg(property));
}

int DesignerModel::insertObject(int band, ReportObject object)
{
    if (band < 0 || band >= m_report.bands.size())
        return -1;
    ReportTemplate after = m_report;
    ReportBand& b = after.bands[band];
    // Placed like the others: inside the band, growing the band when it is too low.
    object.geometry.setWidth(std::min(object.geometry.width(), bandWidth(band)));
    if (object.geometry.bottom() > b.height)
        b.height = object.geometry.bottom();
    b.objects.append(object);
    const int index = int(b.objects.size()) - 1;
    ReportObject& placed = b.objects.last();
    const double width = bandWidth(band);
    placed.geometry.moveLeft(
        std::clamp(placed.geometry.left(), 0.0, std::max(0.0, width - placed.geometry.width())));
    placed.geometry.moveTop(std::max(0.0, placed.geometry.top()));
    commit(std::move(after), {band, index}, QStringLiteral("插入对象"));
    return index;
}

int DesignerModel::insertText(int band, const QString& text, QPointF position)
{
    ReportObject o;
    o.text = text;
    o.geometry = QRectF(QPointF(snapped(position.x()), snapped(position.y())), QSizeF(40, 6));
    return insertObject(band, o);
}

void DesignerModel::removeSelected()
{
    const DesignSelection s = m_selection;
    if (s.isPage())
        return;
    ReportTemplate after = m_report;
    if (s.isObject()) {
        after.bands[s.band].objects.removeAt(s.object);
        commit(std::move(after), {s.band, -1}, QStringLiteral("删除对象"));
    } else {
        after.bands.removeAt(s.band);
        commit(std::move(after), {}, QStringLiteral("删除栏"));
    }
}

int DesignerModel::duplicateSelected()
{
    const ReportObject* selected = selectedObject();
    if (!selected)
        return -1;
    ReportObject copy = *selected;
    copy.geometry.translate(2, 2);
    return insertObject(m_selection.band, copy);
}

bool DesignerModel::hasBand(ReportBand::Type type) const
{
    return m_report.band(type) != nullptr;
}

int DesignerModel::addBand(ReportBand::Type type, const QString& dataSet)
{
    if (hasBand(type))
        return -1;
    ReportBand band;
    band.type = type;
    band.height = type == ReportBand::Type::MasterData ? 8 : 12;
    if (type == ReportBand::Type::MasterData)
        band.dataSet = dataSet;
    ReportTemplate after = m_report;
    int index = 0;
    while (index < after.bands.size() && printingOrder(after.bands.at(index).type) < printingOrder(type))
        ++index;
    after.bands.insert(index, band);
    commit(std::move(after), {index, -1}, QStringLiteral("添加栏"));
    return index;
}

} // namespace zu

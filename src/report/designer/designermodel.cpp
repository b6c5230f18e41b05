#include "designermodel.h"

#include "designgeometry.h"
#include "report/reportplan.h"
#include "report/textexpander.h"

#include <QUndoCommand>

#include <algorithm>

namespace zu {

namespace {

// Places an object in a band as inserting does: inside the band's width, the band growing when
// it is too low.
int placeInBand(ReportTemplate& report, int band, ReportObject object)
{
    ReportBand& b = report.bands[band];
    const double width = columnWidth(report, b);
    QRectF& g = object.geometry;
    g.setWidth(std::min(g.width(), width));
    g.moveLeft(std::clamp(g.left(), 0.0, std::max(0.0, width - g.width())));
    g.moveTop(std::max(0.0, g.top()));
    b.height = std::max(b.height, g.normalized().bottom());
    b.objects.append(object);
    return int(b.objects.size()) - 1;
}

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
    case ReportBand::Type::GroupHeader:
        return QStringLiteral("分组头");
    case ReportBand::Type::MasterData:
        return QStringLiteral("主数据");
    case ReportBand::Type::GroupFooter:
        return QStringLiteral("分组尾");
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

QList<ObjectRef> DesignSelection::objects() const
{
    QList<ObjectRef> all;
    if (isObject())
        all << ObjectRef{band, object};
    all << others;
    return all;
}

bool DesignSelection::contains(int b, int o) const
{
    return (band == b && object == o && o >= 0) || others.contains(ObjectRef{b, o});
}

DesignSelection DesignerModel::selectionOf(const QList<ObjectRef>& objects)
{
    if (objects.isEmpty())
        return {};
    DesignSelection s{objects.first().band, objects.first().object, objects.mid(1)};
    return s;
}

DesignSelection DesignerModel::validated(DesignSelection selection) const
{
    if (selection.band < 0 || selection.band >= m_report.bands.size())
        return {};
    if (selection.object < 0 || selection.object >= m_report.bands.at(selection.band).objects.size()) {
        selection.object = -1;
        selection.others.clear();
    }
    QList<ObjectRef> others;
    for (const ObjectRef& r : std::as_const(selection.others)) {
        if (validObject(r.band, r.object) && !(r.band == selection.band && r.object == selection.object) &&
            !others.contains(r))
            others << r;
    }
    selection.others = others;
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

void DesignerModel::selectObjects(const QList<ObjectRef>& objects)
{
    if (!objects.isEmpty())
        select(selectionOf(objects));
}

void DesignerModel::toggleObject(int band, int object)
{
    if (!validObject(band, object))
        return;
    QList<ObjectRef> objects = m_selection.objects();
    const qsizetype at = objects.indexOf(ObjectRef{band, object});
    if (at < 0)
        objects << ObjectRef{band, object};
    else
        objects.removeAt(at);
    select(objects.isEmpty() ? DesignSelection{band, -1, {}} : selectionOf(objects));
}

void DesignerModel::setFields(const QString& dataSet, const QStringList& fields)
{
    m_dataSet = dataSet;
    m_fields = fields;
    emit changed();
}

QStringList DesignerModel::unknownReferences() const
{
    QStringList found;
    for (const ReportBand& band : m_report.bands) {
        QStringList texts;
        for (const ReportObject& o : band.objects) {
            if (o.kind == ReportObject::Kind::Text || o.kind == ReportObject::Kind::QrCode)
                texts << o.text;
        }
        if (band.type == ReportBand::Type::GroupHeader)
            texts << band.condition;
        for (const QString& text : std::as_const(texts)) {
            for (const QString& reference : zu::unknownReferences(text, m_dataSet, m_fields))
                found << bandCaption(band.type) + QStringLiteral("：") + reference;
        }
    }
    return found;
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

QRectF DesignerModel::clamped(const ReportTemplate& report, int band, QRectF g) const
{
    const ReportBand& b = report.bands.at(band);
    const double width = columnWidth(report, b);
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
    const int index = placeInBand(after, band, std::move(object));
    commit(std::move(after), {band, index, {}}, QStringLiteral("插入对象"));
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
        QList<ObjectRef> objects = s.objects();
        // From the last, so that the indexes of the others still hold.
        std::sort(objects.begin(), objects.end(), [](const ObjectRef& a, const ObjectRef& b) {
            return a.band != b.band ? a.band > b.band : a.object > b.object;
        });
        for (const ObjectRef& r : std::as_const(objects))
            after.bands[r.band].objects.removeAt(r.object);
        commit(std::move(after), {s.band, -1, {}}, QStringLiteral("删除对象"));
    } else {
        after.bands.removeAt(s.band);
        commit(std::move(after), {}, QStringLiteral("删除栏"));
    }
}

void DesignerModel::moveSelected(QPointF delta)
{
    ReportTemplate after = m_report;
    for (const ObjectRef& r : m_selection.objects()) {
        QRectF& g = after.bands[r.band].objects[r.object].geometry;
        g = clamped(after, r.band, g.translated(delta));
    }
    commit(std::move(after), m_selection, QStringLiteral("移动对象"));
}

void DesignerModel::alignSelected(AlignEdge edge)
{
    const QList<ObjectRef> objects = m_selection.objects();
    if (objects.size() < 2)
        return;
    ReportTemplate after = m_report;
    const QRectF lead = m_report.bands.at(objects.first().band).objects.at(objects.first().object).geometry;
    for (const ObjectRef& r : objects.mid(1)) {
        QRectF g = after.bands[r.band].objects[r.object].geometry;
        switch (edge) {
        case AlignEdge::Left:
            g.moveLeft(lead.left());
            break;
        case AlignEdge::Right:
            g.moveRight(lead.right());
            break;
        case AlignEdge::Top:
            g.moveTop(lead.top());
            break;
        case AlignEdge::Bottom:
            g.moveBottom(lead.bottom());
            break;
        }
        after.bands[r.band].objects[r.object].geometry = clamped(after, r.band, g);
    }
    commit(std::move(after), m_selection, QStringLiteral("对齐"));
}

void DesignerModel::sameSizeSelected()
{
    const QList<ObjectRef> objects = m_selection.objects();
    if (objects.size() < 2)
        return;
    ReportTemplate after = m_report;
    const QSizeF size =
        m_report.bands.at(objects.first().band).objects.at(objects.first().object).geometry.size();
    for (const ObjectRef& r : objects.mid(1)) {
        QRectF g = after.bands[r.band].objects[r.object].geometry;
        g.setSize(size);
        after.bands[r.band].objects[r.object].geometry = clamped(after, r.band, g);
    }
    commit(std::move(after), m_selection, QStringLiteral("相同大小"));
}

QList<ReportObject> DesignerModel::selectedObjects() const
{
    QList<ReportObject> objects;
    for (const ObjectRef& r : m_selection.objects())
        objects << m_report.bands.at(r.band).objects.at(r.object);
    return objects;
}

int DesignerModel::duplicateSelected()
{
    const QList<ObjectRef> objects = m_selection.objects();
    if (objects.isEmpty())
        return -1;
    ReportTemplate after = m_report;
    QList<ObjectRef> copies;
    for (const ObjectRef& r : objects) {
        ReportObject copy = m_report.bands.at(r.band).objects.at(r.object);
        copy.geometry.translate(2, 2);
        copies << ObjectRef{r.band, placeInBand(after, r.band, copy)};
    }
    commit(std::move(after), selectionOf(copies), QStringLiteral("复制一份"));
    return copies.first().object;
}

void DesignerModel::paste(int band, const QList<ReportObject>& objects)
{
    if (band < 0 || band >= m_report.bands.size() || objects.isEmpty())
        return;
    ReportTemplate after = m_report;
    QList<ObjectRef> pasted;
    for (ReportObject o : objects) {
        auto taken = [&](const QRectF& g) {
            for (const ReportObject& there : after.bands.at(band).objects) {
                if (there.geometry == g)
                    return true;
            }
            return false;
        };
        for (int tries = 0; taken(o.geometry) && tries < 50; ++tries)
            o.geometry.translate(2, 2);
        pasted << ObjectRef{band, placeInBand(after, band, o)};
    }
    commit(std::move(after), selectionOf(pasted), QStringLiteral("粘贴"));
}

void DesignerModel::replaceTemplate(const ReportTemplate& report, const QString& text)
{
    ReportTemplate after = report;
    std::stable_sort(after.bands.begin(), after.bands.end(), [](const ReportBand& a, const ReportBand& b) {
        return printingOrder(a.type) < printingOrder(b.type);
    });
    commit(std::move(after), {}, text);
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

#include "templatefile.h"

#include "data/routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace zu {

namespace {

constexpr int kFormatVersion = 1;

struct PageSizeName
{
    ReportPage::Size size;
    const char* name;
};

constexpr PageSizeName kPageSizes[] = {
    {ReportPage::Size::A4, "A4"},
    {ReportPage::Size::A5, "A5"},
    {ReportPage::Size::Letter, "Letter"},
    {ReportPage::Size::Custom, "custom"},
};

QString number(double v)
{
    return QString::number(v, 'g', 10);
}

// Reading ---------------------------------------------------------------------------------------

class TemplateReader final
{
public:
    explicit TemplateReader(const QByteArray& content) : m_xml(content) {}

    bool read(ReportTemplate* out, QString* error);
    bool readObjects(QList<ReportObject>* out, QString* error);

private:
    void readPage(ReportPage* page);
    void readBand(ReportTemplate* report);
    void readObject(ReportBand* band);
    double real(const QString& name, double fallback);
    int integer(const QString& name, int fallback);
    bool boolean(const QString& name, bool fallback);
    void fail(const QString& message);
    bool finish(QString* error);

    QXmlStreamReader m_xml;
    QString m_error;
};

void TemplateReader::fail(const QString& message)
{
    if (m_error.isEmpty())
        m_error = QStringLiteral("第 %1 行：%2").arg(m_xml.lineNumber()).arg(message);
    m_xml.raiseError(message);
}

double TemplateReader::real(const QString& name, double fallback)
{
    const QStringView v = m_xml.attributes().value(name);
    if (v.isNull())
        return fallback;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        fail(QStringLiteral("属性 %1 的值 \"%2\" 不是数字").arg(name, v.toString()));
    return ok ? d : fallback;
}

int TemplateReader::integer(const QString& name, int fallback)
{
    const QStringView v = m_xml.attributes().value(name);
    if (v.isNull())
        return fallback;
    bool ok = false;
    const int i = v.toInt(&ok);
    if (!ok)
        fail(QStringLiteral("属性 %1 的值 \"%2\" 不是整数").arg(name, v.toString()));
    return ok ? i : fallback;
}

bool TemplateReader::boolean(const QString& name, bool fallback)
{
    const QStringView v = m_xml.attributes().value(name);
    if (v.isNull())
        return fallback;
    if (v == u"true" || v == u"1")
        return true;
    if (v == u"false" || v == u"0")
        return false;
    fail(QStringLiteral("属性 %1 的值 \"%2\" 不是 true 或 false").arg(name, v.toString()));
    return fallback;
}

void TemplateReader::readPage(ReportPage* page)
{
    const QStringView size = m_xml.attributes().value(QLatin1String("size"));
    if (!size.isNull()) {
        bool known = false;
        for (const PageSizeName& p : kPageSizes) {
            if (size.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) {
                page->size = p.size;
                known = true;
            }
        }
        if (!known)
            fail(QStringLiteral("未知的纸张大小 \"%1\"").arg(size.toString()));
    }
    page->customWidth = real(QStringLiteral("width"), page->customWidth);
    page->customHeight = real(QStringLiteral("height"), page->customHeight);
    const QStringView orientation = m_xml.attributes().value(QLatin1String("orientation"));
    if (orientation == u"landscape")
        page->orientation = QPageLayout::Landscape;
    else if (orientation.isNull() || orientation == u"portrait")
        page->orientation = QPageLayout::Portrait;
    else
        fail(QStringLiteral("未知的纸张方向 \"%1\"").arg(orientation.toString()));
    page->leftMargin = real(QStringLiteral("left"), page->leftMargin);
    page->topMargin = real(QStringLiteral("top"), page->topMargin);
    page->rightMargin = real(QStringLiteral("right"), page->rightMargin);
    page->bottomMargin = real(QStringLiteral("bottom"), page->bottomMargin);
    const QSizeF printable = page->printableSize();
    if (printable.width() <= 0 || printable.height() <= 0)
        fail(QStringLiteral("页边距大于纸张"));
    m_xml.skipCurrentElement();
}

void TemplateReader::readObject(ReportBand* band)
{
    ReportObject o;
    const QStringView tag = m_xml.name();
    if (tag == u"text")
        o.kind = ReportObject::Kind::Text;
    else if (tag == u"line")
        o.kind = ReportObject::Kind::Line;
    else if (tag == u"rect")
        o.kind = ReportObject::Kind::Rectangle;
    else if (tag == u"picture")
        o.kind = ReportObject::Kind::Picture;
    else if (tag == u"qrcode")
        o.kind = ReportObject::Kind::QrCode;
    else {
        fail(QStringLiteral("未知的对象 <%1>").arg(tag.toString()));
        return;
    }
    o.geometry = QRectF(real(QStringLiteral("x"), 0), real(QStringLiteral("y"), 0),
                        real(QStringLiteral("width"), 0), real(QStringLiteral("height"), 0));
    o.lineWidth = real(QStringLiteral("lineWidth"), o.lineWidth);
    switch (o.kind) {
    case ReportObject::Kind::Line:
    case ReportObject::Kind::Rectangle:
        m_xml.skipCurrentElement();
        band->objects << o;
        return;
    case ReportObject::Kind::Picture: {
        o.keepAspect = boolean(QStringLiteral("keepAspect"), o.keepAspect);
        const QString data = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        const auto decoded =
            QByteArray::fromBase64Encoding(data.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            fail(QStringLiteral("图片数据已损坏"));
        o.picture = *decoded;
        band->objects << o;
        return;
    }
    case ReportObject::Kind::QrCode:
        o.text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        band->objects << o;
        return;
    case ReportObject::Kind::Text:
        break;
    }
    const QXmlStreamAttributes a = m_xml.attributes();
    if (a.hasAttribute(QLatin1String("font")))
        o.fontFamily = a.value(QLatin1String("font")).toString();
    o.fontSize = real(QStringLiteral("size"), o.fontSize);
    if (o.fontSize <= 0)
        fail(QStringLiteral("字号必须大于 0"));
    o.bold = boolean(QStringLiteral("bold"), o.bold);
    o.wordWrap = boolean(QStringLiteral("wrap"), o.wordWrap);
    o.shrinkToFit = boolean(QStringLiteral("shrink"), o.shrinkToFit);
    o.cells = integer(QStringLiteral("cells"), o.cells);
    if (o.cells < 0)
        fail(QStringLiteral("格数不能为负"));
    Qt::Alignment h = Qt::AlignLeft;
    Qt::Alignment v = Qt::AlignVCenter;
    const QStringView align = a.value(QLatin1String("align"));
    if (align == u"center")
        h = Qt::AlignHCenter;
    else if (align == u"right")
        h = Qt::AlignRight;
    else if (!align.isNull() && align != u"left")
        fail(QStringLiteral("未知的对齐方式 \"%1\"").arg(align.toString()));
    const QStringView valign = a.value(QLatin1String("valign"));
    if (valign == u"top")
        v = Qt::AlignTop;
    else if (valign == u"bottom")
        v = Qt::AlignBottom;
    else if (!valign.isNull() && valign != u"middle")
        fail(QStringLiteral("未知的垂直对齐方式 \"%1\"").arg(valign.toString()));
    o.alignment = h | v;
    const QString frame = a.value(QLatin1String("frame")).toString();
    for (const QString& side : frame.split(u',', Qt::SkipEmptyParts)) {
        const QString s = side.trimmed();
        if (s == u"all")
            o.frame.left = o.frame.top = o.frame.right = o.frame.bottom = true;
        else if (s == u"left")
            o.frame.left = true;
        else if (s == u"top")
            o.frame.top = true;
        else if (s == u"right")
            o.frame.right = true;
        else if (s == u"bottom")
            o.frame.bottom = true;
        else if (s != u"none")
            fail(QStringLiteral("未知的边框 \"%1\"").arg(s));
    }
    o.frame.width = real(QStringLiteral("frameWidth"), o.frame.width);
    o.numberFormat = a.value(QLatin1String("numberFormat")).toString();
    o.dateFormat = a.value(QLatin1String("dateFormat")).toString();
    o.text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    band->objects << o;
}

void TemplateReader::readBand(ReportTemplate* report)
{
    ReportBand band;
    const QString type = m_xml.attributes().value(QLatin1String("type")).toString();
    if (!bandTypeFromName(type, &band.type)) {
        fail(QStringLiteral("未知的区域类型 \"%1\"").arg(type));
        return;
    }
    if (report->band(band.type)) {
        fail(QStringLiteral("区域 %1 出现了两次").arg(type));
        return;
    }
    band.height = real(QStringLiteral("height"), band.height);
    if (band.height <= 0)
        fail(QStringLiteral("区域高度必须大于 0"));
    band.stretch = boolean(QStringLiteral("stretch"), band.stretch);
    band.condition = m_xml.attributes().value(QLatin1String("condition")).toString();
    band.dataSet = m_xml.attributes().value(QLatin1String("dataSet")).toString();
    const QStringView records = m_xml.attributes().value(QLatin1String("records"));
    if (records == u"current")
        band.records = ReportBand::Records::Current;
    else if (!records.isNull() && records != u"all")
        fail(QStringLiteral("未知的记录范围 \"%1\"").arg(records.toString()));
    band.columns = integer(QStringLiteral("columns"), band.columns);
    if (band.columns < 1)
        fail(QStringLiteral("列数必须至少为 1"));
    band.columnGap = real(QStringLiteral("columnGap"), band.columnGap);
    band.rowGap = real(QStringLiteral("rowGap"), band.rowGap);
    while (!m_xml.hasError() && m_xml.readNextStartElement())
        readObject(&band);
    report->bands << band;
}

bool TemplateReader::read(ReportTemplate* out, QString* error)
{
    ReportTemplate report;
    if (!m_xml.readNextStartElement() || m_xml.name() != u"report") {
        fail(QStringLiteral("缺少 <report> 根元素"));
    } else {
        const int version = integer(QStringLiteral("version"), kFormatVersion);
        if (version > kFormatVersion)
            fail(QStringLiteral("不支持的模板版本 %1").arg(version));
        report.name = m_xml.attributes().value(QLatin1String("name")).toString();
        while (!m_xml.hasError() && m_xml.readNextStartElement()) {
            if (m_xml.name() == u"page")
                readPage(&report.page);
            else if (m_xml.name() == u"band")
                readBand(&report);
            else
                fail(QStringLiteral("未知的元素 <%1>").arg(m_xml.name().toString()));
        }
    }
    if (!finish(error))
        return false;
    *out = std::move(report);
    return true;
}

bool TemplateReader::readObjects(QList<ReportObject>* out, QString* error)
{
    ReportBand band;
    if (!m_xml.readNextStartElement() || m_xml.name() != u"objects")
        fail(QStringLiteral("缺少 <objects> 根元素"));
    else {
        while (!m_xml.hasError() && m_xml.readNextStartElement())
            readObject(&band);
    }
    if (!finish(error))
        return false;
    *out = std::move(band.objects);
    return true;
}

bool TemplateReader::finish(QString* error)
{
    if (!m_xml.hasError())
        return true;
    if (error)
        *error = m_error.isEmpty()
                     ? QStringLiteral("第 %1 行：%2").arg(m_xml.lineNumber()).arg(m_xml.errorString())
                     : m_error;
    return false;
}

// Writing ---------------------------------------------------------------------------------------

void writeGeometry(QXmlStreamWriter& w, const QRectF& g)
{
    w.writeAttribute(QStringLiteral("x"), number(g.x()));
    w.writeAttribute(QStringLiteral("y"), number(g.y()));
    w.writeAttribute(QStringLiteral("width"), number(g.width()));
    w.writeAttribute(QStringLiteral("height"), number(g.height()));
}

QString frameText(const ReportFrame& f)
{
    if (f.left && f.top && f.right && f.bottom)
        return QStringLiteral("all");
    QStringList sides;
    if (f.left)
        sides << QStringLiteral("left");
    if (f.top)
        sides << QStringLiteral("top");
    if (f.right)
        sides << QStringLiteral("right");
    if (f.bottom)
        sides << QStringLiteral("bottom");
    return sides.join(u',');
}

void writeObject(QXmlStreamWriter& w, const ReportObject& o)
{
    const ReportObject defaults;
    switch (o.kind) {
    case ReportObject::Kind::Line:
    case ReportObject::Kind::Rectangle:
        w.writeEmptyElement(o.kind == ReportObject::Kind::Line ? QStringLiteral("line")
                                                               : QStringLiteral("rect"));
        writeGeometry(w, o.geometry);
        w.writeAttribute(QStringLiteral("lineWidth"), number(o.lineWidth));
        return;
    case ReportObject::Kind::Picture:
        w.writeStartElement(QStringLiteral("picture"));
        writeGeometry(w, o.geometry);
        if (!o.keepAspect)
            w.writeAttribute(QStringLiteral("keepAspect"), QStringLiteral("false"));
        w.writeCharacters(QString::fromLatin1(o.picture.toBase64()));
        w.writeEndElement();
        return;
    case ReportObject::Kind::QrCode:
        w.writeStartElement(QStringLiteral("qrcode"));
        writeGeometry(w, o.geometry);
        w.writeCharacters(o.text);
        w.writeEndElement();
        return;
    case ReportObject::Kind::Text:
        break;
    }
    w.writeStartElement(QStringLiteral("text"));
    writeGeometry(w, o.geometry);
    w.writeAttribute(QStringLiteral("font"), o.fontFamily);
    w.writeAttribute(QStringLiteral("size"), number(o.fontSize));
    if (o.bold)
        w.writeAttribute(QStringLiteral("bold"), QStringLiteral("true"));
    if (o.alignment & Qt::AlignHCenter)
        w.writeAttribute(QStringLiteral("align"), QStringLiteral("center"));
    else if (o.alignment & Qt::AlignRight)
        w.writeAttribute(QStringLiteral("align"), QStringLiteral("right"));
    if (o.alignment & Qt::AlignTop)
        w.writeAttribute(QStringLiteral("valign"), QStringLiteral("top"));
    else if (o.alignment & Qt::AlignBottom)
        w.writeAttribute(QStringLiteral("valign"), QStringLiteral("bottom"));
    if (o.wordWrap)
        w.writeAttribute(QStringLiteral("wrap"), QStringLiteral("true"));
    if (o.shrinkToFit)
        w.writeAttribute(QStringLiteral("shrink"), QStringLiteral("true"));
    if (o.cells > 0)
        w.writeAttribute(QStringLiteral("cells"), QString::number(o.cells));
    if (o.frame.any())
        w.writeAttribute(QStringLiteral("frame"), frameText(o.frame));
    if (o.frame.width != defaults.frame.width)
        w.writeAttribute(QStringLiteral("frameWidth"), number(o.frame.width));
    if (!o.numberFormat.isEmpty())
        w.writeAttribute(QStringLiteral("numberFormat"), o.numberFormat);
    if (!o.dateFormat.isEmpty())
        w.writeAttribute(QStringLiteral("dateFormat"), o.dateFormat);
    w.writeCharacters(o.text);
    w.writeEndElement();
}

void writeBand(QXmlStreamWriter& w, const ReportBand& b)
{
    w.writeStartElement(QStringLiteral("band"));
    w.writeAttribute(QStringLiteral("type"), bandTypeName(b.type));
    w.writeAttribute(QStringLiteral("height"), number(b.height));
    if (b.stretch)
        w.writeAttribute(QStringLiteral("stretch"), QStringLiteral("true"));
    if (b.type == ReportBand::Type::GroupHeader)
        w.writeAttribute(QStringLiteral("condition"), b.condition);
    if (b.type == ReportBand::Type::MasterData) {
        if (!b.dataSet.isEmpty())
            w.writeAttribute(QStringLiteral("dataSet"), b.dataSet);
        w.writeAttribute(QStringLiteral("records"), b.records == ReportBand::Records::Current
                                                        ? QStringLiteral("current")
                                                        : QStringLiteral("all"));
        w.writeAttribute(QStringLiteral("columns"), QString::number(b.columns));
        w.writeAttribute(QStringLiteral("columnGap"), number(b.columnGap));
        w.writeAttribute(QStringLiteral("rowGap"), number(b.rowGap));
    }
    for (const ReportObject& o : b.objects)
        writeObject(w, o);
    w.writeEndElement();
}

} // namespace

bool parseTemplate(const QByteArray& content, ReportTemplate* out, QString* error)
{
    TemplateReader reader(content);
    return reader.read(out, error);
}

QByteArray serializeObjects(const QList<ReportObject>& objects)
{
    QByteArray content;
    QXmlStreamWriter w(&content);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("objects"));
    w.writeAttribute(QStringLiteral("version"), QString::number(kFormatVersion));
    for (const ReportObject& o : objects)
        writeObject(w, o);
    w.writeEndElement();
    w.writeEndDocument();
    return content;
}

bool parseObjects(const QByteArray& content, QList<ReportObject>* out, QString* error)
{
    TemplateReader reader(content);
    return reader.readObjects(out, error);
}

bool loadTemplate(const QString& path, ReportTemplate* out, QString* error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("无法打开报表模板文件 %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    QString detail;
    if (!parseTemplate(file.readAll(), out, &detail)) {
        if (error)
            *error =
                QStringLiteral("报表模板文件 %1 无法读取：%2").arg(QDir::toNativeSeparators(path), detail);
        return false;
    }
    return true;
}

QByteArray serializeTemplate(const ReportTemplate& report)
{
    QByteArray content;
    QXmlStreamWriter w(&content);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("report"));
    w.writeAttribute(QStringLiteral("version"), QString::number(kFormatVersion));
    w.writeAttribute(QStringLiteral("name"), report.name);
    const ReportPage& p = report.page;
    w.writeEmptyElement(QStringLiteral("page"));
    for (const PageSizeName& s : kPageSizes) {
        if (s.size == p.size)
            w.writeAttribute(QStringLiteral("size"), QString::fromLatin1(s.name));
    }
    if (p.size == ReportPage::Size::Custom) {
        w.writeAttribute(QStringLiteral("width"), number(p.customWidth));
        w.writeAttribute(QStringLiteral("height"), number(p.customHeight));
    }
    w.writeAttribute(QStringLiteral("orientation"), p.orientation == QPageLayout::Landscape
                                                        ? QStringLiteral("landscape")
                                                        : QStringLiteral("portrait"));
    w.writeAttribute(QStringLiteral("left"), number(p.leftMargin));
    w.writeAttribute(QStringLiteral("top"), number(p.topMargin));
    w.writeAttribute(QStringLiteral("right"), number(p.rightMargin));
    w.writeAttribute(QStringLiteral("bottom"), number(p.bottomMargin));
    for (const ReportBand& b : report.bands)
        writeBand(w, b);
    w.writeEndElement();
    w.writeEndDocument();
    return content;
}

bool saveTemplate(const ReportTemplate& report, const QString& path, QString* error)
{
    QString reason;
    if (!writeWholeFile(path, serializeTemplate(report), &reason)) {
        if (error)
            *error =
                QStringLiteral("无法保存报表模板文件 %1：%2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    return true;
}

} // namespace zu

#include "reportdesigner.h"

#include "designermodel.h"
#include "printpreview.h"
#include "ui_reportdesigner.h"

#include "data/errors.h"
#include "report/reportdatasource.h"
#include "report/reportdocument.h"
#include "report/shippedtemplates.h"
#include "report/templatefile.h"
#include "report/textexpander.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace zu {

namespace {

const QString kTitle = QStringLiteral("报表设计");
constexpr double kGridSteps[] = {0, 0.5, 1, 2, 5}; // the items of cmbGrid

template <typename Widget, typename Value> void showValue(Widget* widget, const Value& value)
{
    const QSignalBlocker block(widget);
    widget->setValue(value);
}

void showIndex(QComboBox* combo, int index)
{
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
}

void showChecked(QAbstractButton* button, bool checked)
{
    const QSignalBlocker block(button);
    button->setChecked(checked);
}

int horizontalIndex(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return 1;
    if (a & Qt::AlignRight)
        return 2;
    return 0;
}

int verticalIndex(Qt::Alignment a)
{
    if (a & Qt::AlignTop)
        return 0;
    if (a & Qt::AlignBottom)
        return 2;
    return 1;
}

Qt::Alignment alignmentOf(int horizontal, int vertical)
{
    const Qt::Alignment h[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const Qt::Alignment v[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return h[std::clamp(horizontal, 0, 2)] | v[std::clamp(vertical, 0, 2)];
}

QString kindCaption(ReportObject::Kind kind)
{
    switch (kind) {
    case ReportObject::Kind::Text:
        return QStringLiteral("文本");
    case ReportObject::Kind::Line:
        return QStringLiteral("线条");
    case ReportObject::Kind::Rectangle:
        return QStringLiteral("矩形");
    case ReportObject::Kind::Picture:
        return QStringLiteral("图片");
    case ReportObject::Kind::QrCode:
        return QStringLiteral("二维码");
    }
    return {};
}

QString percent(double zoom)
{
    return QStringLiteral("%1%").arg(qRound(zoom * 100));
}

} // namespace

ReportDesigner::ReportDesigner(ReportDocument& document, ReportDataSource* source,
                               ReportEnvironment environment, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReportDesigner>()), m_document(document), m_source(source),
      m_environment(std::move(environment)), m_model(new DesignerModel(document.report(), this))
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->splitter->setStretchFactor(1, 1);
    ui->splitter->setSizes({180, 780, 320});
    // The font box would otherwise be as wide as the longest font name installed.
    ui->cmbFont->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui->cmbFont->setMinimumContentsLength(10);
    if (m_source) {
        m_model->setFields(m_source->name(), m_source->fieldNames());
        ui->lstFields->setFields(m_source->name(), m_source->fieldNames(), m_source->numericFields());
        for (const QString& field : m_source->fieldNames())
            ui->cmbCondition->addItem(field, QStringLiteral("[%1.\"%2\"]").arg(m_source->name(), field));
    } else {
        ui->lstFields->setFields(QString(), {});
    }
    ui->canvas->setModel(m_model);
    setUpActions();
    setUpProperties();
    setUpZoomAndGrid();
    connect(m_model, &DesignerModel::selectionChanged, this, &ReportDesigner::loadProperties);
    connect(m_model, &DesignerModel::changed, this, &ReportDesigner::loadProperties);
    connect(m_model, &DesignerModel::changed, this, &ReportDesigner::updatePageWarning);
    connect(m_model, &DesignerModel::selectionChanged, this, &ReportDesigner::updateActions);
    connect(m_model, &DesignerModel::changed, this, &ReportDesigner::updateActions);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &ReportDesigner::updateActions);
    connect(&m_model->undoStack(), &QUndoStack::cleanChanged, this, &ReportDesigner::updateTitle);
    onSignal(ui->lstFields, &QListWidget::itemDoubleClicked, this,
             [this](QListWidgetItem* item) { insertFromList(item); });
    connect(ui->canvas, &DesignCanvas::textEditRequested, this, [this] {
        ui->edtText->setFocus();
        ui->edtText->selectAll();
    });
    connect(ui->canvas, &DesignCanvas::pointerMoved, this, [this](QPointF mm) {
        ui->lblStatus->setText(
            QStringLiteral("位置：%1 mm, %2 mm").arg(mm.x(), 0, 'f', 1).arg(mm.y(), 0, 'f', 1));
    });
    loadProperties();
    updateActions();
    updatePageWarning();
    updateTitle();
}

ReportDesigner::~ReportDesigner()
{
    // The undo stack reports its last changes as the model goes: not to a window half destroyed.
    m_model->undoStack().disconnect(this);
    m_model->disconnect(this);
    QGuiApplication::clipboard()->disconnect(this);
    ui->canvas->setModel(nullptr);
    delete m_model;
}

QString ReportDesigner::objectsMimeType()
{
    return QStringLiteral("application/x-zu-report-objects");
}

void ReportDesigner::updateTitle()
{
    const QString file = QFileInfo(m_document.fileName()).fileName();
    setWindowTitle(kTitle + QStringLiteral(" - ") + file +
                   (m_model->isModified() ? QStringLiteral(" *") : QString()));
}

void ReportDesigner::setUpActions()
{
    QUndoStack& undo = m_model->undoStack();
    ui->actUndo->setEnabled(undo.canUndo());
    ui->actRedo->setEnabled(undo.canRedo());
    connect(&undo, &QUndoStack::canUndoChanged, ui->actUndo, &QAction::setEnabled);
    connect(&undo, &QUndoStack::canRedoChanged, ui->actRedo, &QAction::setEnabled);
    connect(ui->actUndo, &QAction::triggered, &undo, &QUndoStack::undo);
    connect(ui->actRedo, &QAction::triggered, &undo, &QUndoStack::redo);
    auto on = [this](QAction* action, auto body) {
        onSignal(action, &QAction::triggered, this, [this, body] { body(); });
    };
    on(ui->actSave, [this] { save(); });
    on(ui->actDelete, [this] { removeSelected(); });
    on(ui->actDuplicate, [this] { m_model->duplicateSelected(); });
    on(ui->actCopy, [this] { copySelected(); });
    on(ui->actCut, [this] {
        copySelected();
        m_model->removeSelected();
    });
    on(ui->actPaste, [this] { paste(); });
    on(ui->actInsertText, [this] { insertObject(int(ReportObject::Kind::Text)); });
    on(ui->actInsertLine, [this] { insertObject(int(ReportObject::Kind::Line)); });
    on(ui->actInsertRect, [this] { insertObject(int(ReportObject::Kind::Rectangle)); });
    on(ui->actInsertQrCode, [this] { insertObject(int(ReportObject::Kind::QrCode)); });
    on(ui->actInsertPicture, [this] { insertPicture(); });
    on(ui->actAddBand, [this] { showAddBandMenu(); });
    on(ui->actAlignLeft, [this] { m_model->alignSelected(AlignEdge::Left); });
    on(ui->actAlignRight, [this] { m_model->alignSelected(AlignEdge::Right); });
    on(ui->actAlignTop, [this] { m_model->alignSelected(AlignEdge::Top); });
    on(ui->actAlignBottom, [this] { m_model->alignSelected(AlignEdge::Bottom); });
    on(ui->actSameSize, [this] { m_model->sameSizeSelected(); });
    on(ui->actPreview, [this] { preview(); });
    on(ui->actRestoreDefault, [this] { restoreDefault(); });
    connect(ui->actClose, &QAction::triggered, this, &ReportDesigner::reject);
    // These act on the canvas only, so that the property boxes keep their own Delete, copy and paste.
    for (QAction* action : {ui->actDelete, ui->actCut, ui->actCopy, ui->actPaste, ui->actDuplicate}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        ui->canvas->addAction(action);
    }
    ui->actRestoreDefault->setVisible(
        !shippedTemplate(QFileInfo(m_document.fileName()).fileName()).isEmpty());
}

void ReportDesigner::updateActions()
{
    const DesignSelection s = m_model->selection();
    const qsizetype objects = s.objects().size();
    ui->actDelete->setEnabled(!s.isPage());
    for (QAction* action : {ui->actDuplicate, ui->actCopy, ui->actCut})
        action->setEnabled(objects > 0);
    for (QAction* action :
         {ui->actAlignLeft, ui->actAlignRight, ui->actAlignTop, ui->actAlignBottom, ui->actSameSize})
        action->setEnabled(objects > 1);
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    ui->actPaste->setEnabled(clipboard && clipboard->hasFormat(objectsMimeType()) &&
                             !m_model->report().isEmpty());
}

void ReportDesigner::setUpZoomAndGrid()
{
    showIndex(ui->cmbGrid, 1); // 0.5 mm
    connect(ui->cmbGrid, &QComboBox::currentIndexChanged, this, [this](int index) {
        ui->canvas->setGridStep(kGridSteps[std::clamp(index, 0, int(std::size(kGridSteps)) - 1)]);
    });
    ui->cmbZoom->setEditText(percent(ui->canvas->zoom()));
    connect(ui->canvas, &DesignCanvas::zoomChanged, this, [this](double zoom) {
        const QSignalBlocker block(ui->cmbZoom);
        ui->cmbZoom->setEditText(percent(zoom));
    });
    connect(ui->cmbZoom, &QComboBox::textActivated, this, &ReportDesigner::applyZoomText);
    connect(ui->cmbZoom->lineEdit(), &QLineEdit::editingFinished, this, &ReportDesigner::applyZoomText);
    connect(ui->actZoomIn, &QAction::triggered, this,
            [this] { ui->canvas->setZoom(ui->canvas->zoom() * 1.25); });
    connect(ui->actZoomOut, &QAction::triggered, this,
            [this] { ui->canvas->setZoom(ui->canvas->zoom() / 1.25); });
    connect(ui->actZoomFit, &QAction::triggered, ui->canvas, &DesignCanvas::zoomToFit);
    connect(ui->actZoomWidth, &QAction::triggered, ui->canvas, &DesignCanvas::zoomToWidth);
}

void ReportDesigner::applyZoomText()
{
    static const QRegularExpression number(QStringLiteral("(\\d+(?:\\.\\d+)?)"));
    const QRegularExpressionMatch m = number.match(ui->cmbZoom->currentText());
    if (m.hasMatch())
        ui->canvas->setZoom(m.captured(1).toDouble() / 100);
    const QSignalBlocker block(ui->cmbZoom);
    ui->cmbZoom->setEditText(percent(ui->canvas->zoom()));
}

void ReportDesigner::setUpProperties()
{
    // The boxes are filled with their signals blocked (loadProperties), so what reaches these is
    // the user's input.
    auto applying = [this](void (ReportDesigner::*apply)(const QString&)) {
        return [this, apply](const char* property) {
            return [this, apply, property] {
                guarded(this, [&] { (this->*apply)(QString::fromLatin1(property)); });
            };
        };
    };
    const auto page = applying(&ReportDesigner::applyPage);
    const auto band = applying(&ReportDesigner::applyBand);
    const auto object = applying(&ReportDesigner::applyObject);
    using Spin = QDoubleSpinBox;
    connect(ui->cmbPageSize, &QComboBox::currentIndexChanged, this, page("size"));
    connect(ui->cmbOrientation, &QComboBox::currentIndexChanged, this, page("orientation"));
    for (auto [spin, name] :
         {std::pair{ui->spnPageWidth, "width"}, std::pair{ui->spnPageHeight, "height"},
          std::pair{ui->spnMarginLeft, "left"}, std::pair{ui->spnMarginTop, "top"},
          std::pair{ui->spnMarginRight, "right"}, std::pair{ui->spnMarginBottom, "bottom"}})
        connect(spin, &Spin::valueChanged, this, page(name));

    connect(ui->spnBandHeight, &Spin::valueChanged, this, band("height"));
    connect(ui->chkStretch, &QCheckBox::toggled, this, band("stretch"));
    connect(ui->cmbCondition, &QComboBox::currentIndexChanged, this, band("condition"));
    connect(ui->cmbRecords, &QComboBox::currentIndexChanged, this, band("records"));
    connect(ui->spnColumns, &QSpinBox::valueChanged, this, band("columns"));
    connect(ui->spnColumnGap, &Spin::valueChanged, this, band("columnGap"));
    connect(ui->spnRowGap, &Spin::valueChanged, this, band("rowGap"));

    for (auto [spin, name] :
         {std::pair{ui->spnX, "x"}, std::pair{ui->spnY, "y"}, std::pair{ui->spnWidth, "width"},
          std::pair{ui->spnHeight, "height"}, std::pair{ui->spnLineWidth, "lineWidth"},
          std::pair{ui->spnFontSize, "fontSize"}, std::pair{ui->spnFrameWidth, "frameWidth"}})
        connect(spin, &Spin::valueChanged, this, object(name));
    connect(ui->edtText, &QPlainTextEdit::textChanged, this, object("text"));
    connect(ui->cmbFont, &QFontComboBox::currentFontChanged, this, object("font"));
    connect(ui->chkBold, &QCheckBox::toggled, this, object("bold"));
    connect(ui->cmbAlign, &QComboBox::currentIndexChanged, this, object("align"));
    connect(ui->cmbVAlign, &QComboBox::currentIndexChanged, this, object("valign"));
    connect(ui->chkWrap, &QCheckBox::toggled, this, object("wrap"));
    connect(ui->chkShrink, &QCheckBox::toggled, this, object("shrink"));
    connect(ui->spnCells, &QSpinBox::valueChanged, this, object("cells"));
    connect(ui->edtNumberFormat, &QLineEdit::textEdited, this, object("numberFormat"));
    connect(ui->edtDateFormat, &QLineEdit::textEdited, this, object("dateFormat"));
    for (QCheckBox* side : {ui->chkFrameLeft, ui->chkFrameTop, ui->chkFrameRight, ui->chkFrameBottom})
        connect(side, &QCheckBox::toggled, this, object("frame"));
    connect(ui->chkKeepAspect, &QCheckBox::toggled, this, object("keepAspect"));
    onSignal(ui->btnPicture, &QPushButton::clicked, this, [this] { changePicture(); });
}

void ReportDesigner::loadProperties()
{
    const DesignSelection s = m_model->selection();
    if (s.isObject())
        loadObject();
    else if (s.isBand())
        loadBand();
    else
        loadPage();
}

void ReportDesigner::loadPage()
{
    const ReportPage& p = m_model->report().page;
    ui->stkProperties->setCurrentWidget(ui->pagePage);
    showIndex(ui->cmbPageSize, static_cast<int>(p.size));
    showIndex(ui->cmbOrientation, p.orientation == QPageLayout::Landscape ? 1 : 0);
    const bool custom = p.size == ReportPage::Size::Custom;
    showValue(ui->spnPageWidth, custom ? p.customWidth : p.sheetSize().width());
    showValue(ui->spnPageHeight, custom ? p.customHeight : p.sheetSize().height());
    ui->spnPageWidth->setEnabled(custom);
    ui->spnPageHeight->setEnabled(custom);
    showValue(ui->spnMarginLeft, p.leftMargin);
    showValue(ui->spnMarginTop, p.topMargin);
    showValue(ui->spnMarginRight, p.rightMargin);
    showValue(ui->spnMarginBottom, p.bottomMargin);
}

void ReportDesigner::loadBand()
{
    const ReportBand& b = *m_model->selectedBand();
    ui->stkProperties->setCurrentWidget(ui->pageBand);
    ui->lblBandType->setText(QStringLiteral("栏：") + bandCaption(b.type));
    showValue(ui->spnBandHeight, b.height);
    ui->chkStretch->setVisible(bandCanStretch(b.type));
    showChecked(ui->chkStretch, b.stretch);
    const bool group = b.type == ReportBand::Type::GroupHeader;
    ui->grpGroup->setVisible(group);
    if (group) {
        const QSignalBlocker block(ui->cmbCondition);
        int index = ui->cmbCondition->findData(b.condition);
        if (index < 0 && m_source) {
            // Written another way (Chinese quotation marks): the field it names.
            const Reference r = parseReference(b.condition.mid(1, b.condition.size() - 2), m_source->name(),
                                               m_source->fieldNames());
            if (r.kind == Reference::Kind::Field && b.condition.startsWith(u'[') &&
                b.condition.endsWith(u']'))
                index = ui->cmbCondition->findText(r.name);
        }
        if (index < 0 && !b.condition.isEmpty()) {
            ui->cmbCondition->addItem(b.condition, b.condition);
            index = ui->cmbCondition->count() - 1;
        }
        ui->cmbCondition->setCurrentIndex(index);
    }
    const bool master = b.type == ReportBand::Type::MasterData;
    ui->grpMaster->setVisible(master);
    ui->lblDataSet->setText(b.dataSet);
    showIndex(ui->cmbRecords, b.records == ReportBand::Records::Current ? 1 : 0);
    showValue(ui->spnColumns, b.columns);
    showValue(ui->spnColumnGap, b.columnGap);
    showValue(ui->spnRowGap, b.rowGap);
}

void ReportDesigner::loadObject()
{
    const ReportObject& o = *m_model->selectedObject();
    ui->stkProperties->setCurrentWidget(ui->pageObject);
    const int count = int(m_model->selection().objects().size());
    ui->lblObjectKind->setText(
        QStringLiteral("对象：") + kindCaption(o.kind) +
        (count > 1 ? QStringLiteral("（共选中 %1 个，对齐以此为准）").arg(count) : QString()));
    showValue(ui->spnX, o.geometry.x());
    showValue(ui->spnY, o.geometry.y());
    showValue(ui->spnWidth, o.geometry.width());
    showValue(ui->spnHeight, o.geometry.height());
    const bool text = o.kind == ReportObject::Kind::Text;
    const bool qr = o.kind == ReportObject::Kind::QrCode;
    ui->grpText->setVisible(text || qr);
    ui->grpText->setTitle(qr ? QStringLiteral("二维码内容") : QStringLiteral("文本"));
    // A QR code has a text and nothing else of a text's.
    for (int row = 1; row < ui->frmText->rowCount(); ++row)
        ui->frmText->setRowVisible(row, text);
    ui->grpFrame->setVisible(text);
    ui->grpPicture->setVisible(o.kind == ReportObject::Kind::Picture);
    ui->spnLineWidth->setEnabled(o.kind == ReportObject::Kind::Line ||
                                 o.kind == ReportObject::Kind::Rectangle);
    showValue(ui->spnLineWidth, o.lineWidth);
    // Set only when it differs, so that typing in the box keeps its cursor.
    if (ui->edtText->toPlainText() != o.text) {
        const QSignalBlocker block(ui->edtText);
        ui->edtText->setPlainText(o.text);
    }
    {
        const QSignalBlocker block(ui->cmbFont);
        ui->cmbFont->setCurrentFont(QFont(o.fontFamily));
    }
    showValue(ui->spnFontSize, o.fontSize);
    showChecked(ui->chkBold, o.bold);
    showIndex(ui->cmbAlign, horizontalIndex(o.alignment));
    showIndex(ui->cmbVAlign, verticalIndex(o.alignment));
    showChecked(ui->chkWrap, o.wordWrap);
    showChecked(ui->chkShrink, o.shrinkToFit);
    showValue(ui->spnCells, o.cells);
    if (ui->edtNumberFormat->text() != o.numberFormat)
        ui->edtNumberFormat->setText(o.numberFormat);
    if (ui->edtDateFormat->text() != o.dateFormat)
        ui->edtDateFormat->setText(o.dateFormat);
    showChecked(ui->chkFrameLeft, o.frame.left);
    showChecked(ui->chkFrameTop, o.frame.top);
    showChecked(ui->chkFrameRight, o.frame.right);
    showChecked(ui->chkFrameBottom, o.frame.bottom);
    showValue(ui->spnFrameWidth, o.frame.width);
    showChecked(ui->chkKeepAspect, o.keepAspect);
}

void ReportDesigner::applyPage(const QString& property)
{
    ReportPage p = m_model->report().page;
    p.size = static_cast<ReportPage::Size>(ui->cmbPageSize->currentIndex());
    p.orientation = ui->cmbOrientation->currentIndex() == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
    if (p.size == ReportPage::Size::Custom && property != QLatin1String("size")) {
        // The boxes show the sheet as it lies; a custom size is kept as its upright width and height.
        QSizeF typed(ui->spnPageWidth->value(), ui->spnPageHeight->value());
        if (p.orientation == QPageLayout::Landscape)
            typed.transpose();
        p.customWidth = typed.width();
        p.customHeight = typed.height();
    }
    p.leftMargin = ui->spnMarginLeft->value();
    p.topMargin = ui->spnMarginTop->value();
    p.rightMargin = ui->spnMarginRight->value();
    p.bottomMargin = ui->spnMarginBottom->value();
    m_model->updatePage(p, property);
}

void ReportDesigner::applyBand(const QString& property)
{
    const DesignSelection s = m_model->selection();
    if (!s.isBand())
        return;
    ReportBand b = *m_model->selectedBand();
    b.height = ui->spnBandHeight->value();
    b.stretch = bandCanStretch(b.type) && ui->chkStretch->isChecked();
    if (b.type == ReportBand::Type::GroupHeader && ui->cmbCondition->currentIndex() >= 0)
        b.condition = ui->cmbCondition->currentData().toString();
    b.records = ui->cmbRecords->currentIndex() == 1 ? ReportBand::Records::Current : ReportBand::Records::All;
    b.columns = ui->spnColumns->value();
    b.columnGap = ui->spnColumnGap->value();
    b.rowGap = ui->spnRowGap->value();
    m_model->updateBand(s.band, b, property);
}

void ReportDesigner::applyObject(const QString& property)
{
    const DesignSelection s = m_model->selection();
    if (!s.isObject())
        return;
    ReportObject o = *m_model->selectedObject();
    o.geometry = QRectF(ui->spnX->value(), ui->spnY->value(), ui->spnWidth->value(), ui->spnHeight->value());
    o.lineWidth = ui->spnLineWidth->value();
    if (o.kind == ReportObject::Kind::QrCode)
        o.text = ui->edtText->toPlainText();
    if (o.kind == ReportObject::Kind::Picture)
        o.keepAspect = ui->chkKeepAspect->isChecked();
    if (o.kind == ReportObject::Kind::Text) {
        o.text = ui->edtText->toPlainText();
        o.fontFamily = ui->cmbFont->currentFont().family();
        o.fontSize = ui->spnFontSize->value();
        o.bold = ui->chkBold->isChecked();
        o.alignment = alignmentOf(ui->cmbAlign->currentIndex(), ui->cmbVAlign->currentIndex());
        o.wordWrap = ui->chkWrap->isChecked();
        o.shrinkToFit = ui->chkShrink->isChecked();
        o.cells = ui->spnCells->value();
        o.numberFormat = ui->edtNumberFormat->text();
        o.dateFormat = ui->edtDateFormat->text();
        o.frame.left = ui->chkFrameLeft->isChecked();
        o.frame.top = ui->chkFrameTop->isChecked();
        o.frame.right = ui->chkFrameRight->isChecked();
        o.frame.bottom = ui->chkFrameBottom->isChecked();
        o.frame.width = ui->spnFrameWidth->value();
    }
    m_model->updateObject(s.band, s.object, o, property);
}

int ReportDesigner::targetBand() const
{
    const DesignSelection s = m_model->selection();
    if (s.band >= 0)
        return s.band;
    const QList<ReportBand>& bands = m_model->report().bands;
    for (int i = 0; i < bands.size(); ++i) {
        if (bands.at(i).type == ReportBand::Type::MasterData)
            return i;
    }
    return bands.isEmpty() ? -1 : 0;
}

void ReportDesigner::insertObject(int kind)
{
    int band = targetBand();
    if (band < 0)
        band = m_model->addBand(ReportBand::Type::MasterData, m_source ? m_source->name() : QString());
    ReportObject o;
    o.kind = static_cast<ReportObject::Kind>(kind);
    switch (o.kind) {
    case ReportObject::Kind::Text:
        o.text = QStringLiteral("文本");
        o.geometry = QRectF(0, 0, 30, 6);
        break;
    case ReportObject::Kind::Line:
        o.geometry = QRectF(0, 0, 50, 0);
        break;
    case ReportObject::Kind::Rectangle:
        o.geometry = QRectF(0, 0, 30, 10);
        break;
    case ReportObject::Kind::QrCode:
        // The customer's code, for a start: what an engineer scans to know whom he serves.
        o.text = m_source && m_source->hasField(QStringLiteral("客户编码"))
                     ? QStringLiteral("[%1.\"客户编码\"]").arg(m_source->name())
                     : QStringLiteral("二维码");
        o.geometry = QRectF(0, 0, 20, 20);
        break;
    case ReportObject::Kind::Picture:
        return;
    }
    m_model->insertObject(band, o);
    ui->canvas->setFocus();
}

bool ReportDesigner::readPicture(QByteArray* picture, QSize* size)
{
    const QString file = dialogs().openFileName(this, QStringLiteral("选择图片"), QString(),
                                                QStringLiteral("图片文件 (*.png *.jpg *.jpeg *.bmp *.gif)"));
    if (file.isEmpty())
        return false;
    QFile f(file);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        throw CommandError(QStringLiteral("无法读取图片文件 %1").arg(QDir::toNativeSeparators(file)));
    *picture = bytes;
    *size = image.size();
    return true;
}

void ReportDesigner::insertPicture()
{
    QByteArray bytes;
    QSize size;
    if (!readPicture(&bytes, &size))
        return;
    int band = targetBand();
    if (band < 0)
        band = m_model->addBand(ReportBand::Type::ReportTitle);
    ReportObject o;
    o.kind = ReportObject::Kind::Picture;
    o.picture = bytes;
    // 30 mm wide, as high as its proportions want.
    o.geometry = QRectF(0, 0, 30, std::max(1.0, 30.0 * size.height() / std::max(1, size.width())));
    m_model->insertObject(band, o);
    ui->canvas->setFocus();
}

void ReportDesigner::changePicture()
{
    const DesignSelection s = m_model->selection();
    const ReportObject* selected = m_model->selectedObject();
    if (!selected || selected->kind != ReportObject::Kind::Picture)
        return;
    QByteArray bytes;
    QSize size;
    if (!readPicture(&bytes, &size))
        return;
    ReportObject o = *selected;
    o.picture = bytes;
    m_model->updateObject(s.band, s.object, o, QStringLiteral("picture"));
}

void ReportDesigner::insertFromList(QListWidgetItem* item)
{
    const QString text = FieldList::insertText(item);
    if (text.isEmpty())
        return;
    int band = targetBand();
    if (band < 0)
        band = m_model->addBand(ReportBand::Type::MasterData, m_source ? m_source->name() : QString());
    // Below what the band holds, at its left edge: a column of fields builds up one per line.
    double y = 0;
    for (const ReportObject& o : m_model->report().bands.at(band).objects)
        y = std::max(y, o.geometry.bottom());
    m_model->insertText(band, text, QPointF(0, y));
}

void ReportDesigner::showAddBandMenu()
{
    QMenu menu(this);
    for (ReportBand::Type type :
         {ReportBand::Type::ReportTitle, ReportBand::Type::PageHeader, ReportBand::Type::GroupHeader,
          ReportBand::Type::MasterData, ReportBand::Type::GroupFooter, ReportBand::Type::PageFooter,
          ReportBand::Type::Summary}) {
        QAction* a = menu.addAction(bandCaption(type));
        a->setEnabled(!m_model->hasBand(type));
        onSignal(a, &QAction::triggered, this, [this, type] { addBand(int(type)); });
    }
    QWidget* button = ui->toolBar->widgetForAction(ui->actAddBand);
    menu.exec(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
}

void ReportDesigner::addBand(int type)
{
    const auto bandType = static_cast<ReportBand::Type>(type);
    const int index = m_model->addBand(bandType, m_source ? m_source->name() : QString());
    if (index < 0 || bandType != ReportBand::Type::GroupHeader || !m_source)
        return;
    // A group needs a value to form it: the customer's category unless the user picks another.
    ReportBand band = m_model->report().bands.at(index);
    const QString field = m_source->hasField(QStringLiteral("客户类别")) ? QStringLiteral("客户类别")
                                                                         : m_source->fieldNames().value(0);
    band.condition = QStringLiteral("[%1.\"%2\"]").arg(m_source->name(), field);
    m_model->updateBand(index, band, QStringLiteral("condition"));
}

void ReportDesigner::removeSelected()
{
    const DesignSelection s = m_model->selection();
    if (s.isBand()) {
        const ReportBand& band = *m_model->selectedBand();
        const QString question = band.objects.isEmpty()
                                     ? QStringLiteral("确定删除“%1”栏吗？").arg(bandCaption(band.type))
                                     : QStringLiteral("确定删除“%1”栏吗？栏中的 %2 个对象将一并删除。")
                                           .arg(bandCaption(band.type))
                                           .arg(band.objects.size());
        if (dialogs().message(this, kTitle, question, QMessageBox::Question,
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    m_model->removeSelected();
}

void ReportDesigner::copySelected()
{
    const QList<ReportObject> objects = m_model->selectedObjects();
    if (objects.isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setData(objectsMimeType(), serializeObjects(objects));
    QStringList texts;
    for (const ReportObject& o : objects)
        texts << o.text;
    mime->setText(texts.join(u'\n'));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void ReportDesigner::paste()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(objectsMimeType()))
        return;
    QList<ReportObject> objects;
    QString error;
    if (!parseObjects(mime->data(objectsMimeType()), &objects, &error))
        throw CommandError(QStringLiteral("剪贴板中的对象无法粘贴：%1").arg(error));
    const int band = targetBand();
    if (band >= 0)
        m_model->paste(band, objects);
    ui->canvas->setFocus();
}

void ReportDesigner::restoreDefault()
{
    const QString name = QFileInfo(m_document.fileName()).fileName();
    ReportTemplate shipped;
    QString error;
    if (!parseTemplate(shippedTemplate(name), &shipped, &error))
        throw CommandError(QStringLiteral("没有“%1”的默认模板").arg(name));
    if (dialogs().message(
            this, kTitle,
            QStringLiteral("用随程序提供的“%1”替换当前的设计吗？\n替换后仍可撤销；保存后才写入文件。")
                .arg(name),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    m_model->replaceTemplate(shipped, QStringLiteral("恢复默认模板"));
    ui->lblStatus->setText(QStringLiteral("已恢复默认模板，保存后生效"));
}

void ReportDesigner::updatePageWarning()
{
    const ReportTemplate& t = m_model->report();
    const double room = t.page.printableSize().height();
    const ReportBand* master = t.band(ReportBand::Type::MasterData);
    const bool oneRecord = master && master->records == ReportBand::Records::Current;
    double needed = 0;
    for (const ReportBand& band : t.bands) {
        // A list's summary may follow on a later page; a sheet for one record has all on one.
        if (band.type != ReportBand::Type::Summary || oneRecord)
            needed += band.height;
    }
    if (needed <= room + 1e-6) {
        ui->lblPageWarning->clear();
        return;
    }
    ui->lblPageWarning->setText(
        oneRecord
            ? QStringLiteral("注意：各栏高度合计 %1 mm，超过纸张可打印的高度 %2 mm，每份将打印成不止一页。")
                  .arg(needed, 0, 'f', 1)
                  .arg(room, 0, 'f', 1)
            : QStringLiteral("注意：报表标题、页眉、一条记录和页脚合计 %1 mm，超过纸张可打印的高度 %2 mm。")
                  .arg(needed, 0, 'f', 1)
                  .arg(room, 0, 'f', 1));
}

bool ReportDesigner::save()
{
    const ReportTemplate previous = m_document.report();
    m_document.report() = m_model->report();
    QString error;
    if (!m_document.save(&error)) {
        m_document.report() = previous;
        showError(this, error);
        return false;
    }
    m_model->markSaved();
    ui->lblStatus->setText(
        QStringLiteral("已保存到 %1；原来的模板备份在 %2")
            .arg(QDir::toNativeSeparators(m_document.fileName()),
                 QDir::toNativeSeparators(ReportDocument::backupFolder(m_document.fileName()))));
    return true;
}

void ReportDesigner::reject()
{
    if (m_model->isModified()) {
        const auto answer = dialogs().message(
            this, kTitle, QStringLiteral("报表模板已修改，是否保存？"), QMessageBox::Question,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !save()))
            return;
    }
    QDialog::reject();
}

void ReportDesigner::preview()
{
    if (!m_source)
        throw CommandError(QStringLiteral("没有可预览的数据"));
    const ReportTemplate report = m_model->report();
    showPrintPreview(this, QFileInfo(m_document.fileName()).fileName(), report, *m_source, m_environment);
}

} // namespace zu

#include "reportdesigner.h"

#include "designermodel.h"
#include "printpreview.h"
#include "ui_reportdesigner.h"

#include "data/errors.h"
#include "report/reportdatasource.h"
#include "report/reportdocument.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"

#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>

namespace zu {

namespace {

const QString kTitle = QStringLiteral("报表设计");

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
    }
    return {};
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
    if (m_source)
        ui->lstFields->setFields(m_source->name(), m_source->fieldNames());
    else
        ui->lstFields->setFields(QString(), {});
    ui->canvas->setModel(m_model);
    setUpActions();
    setUpProperties();
    connect(m_model, &DesignerModel::selectionChanged, this, &ReportDesigner::loadProperties);
    connect(m_model, &DesignerModel::changed, this, &ReportDesigner::loadProperties);
    connect(&m_model->undoStack(), &QUndoStack::cleanChanged, this, &ReportDesigner::updateTitle);
    connect(ui->lstFields, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { guarded(this, [&] { insertFromList(item); }); });
    connect(ui->canvas, &DesignCanvas::textEditRequested, this, [this] {
        ui->edtText->setFocus();
        ui->edtText->selectAll();
    });
    connect(ui->canvas, &DesignCanvas::pointerMoved, this, [this](QPointF mm) {
        ui->lblStatus->setText(
            QStringLiteral("位置：%1 mm, %2 mm").arg(mm.x(), 0, 'f', 1).arg(mm.y(), 0, 'f', 1));
    });
    loadProperties();
    updateTitle();
}

ReportDesigner::~ReportDesigner() = default;

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
    connect(ui->actSave, &QAction::triggered, this, [this] { guarded(this, [&] { save(); }); });
    connect(ui->actDelete, &QAction::triggered, this,
            [this] { guarded(this, [&] { m_model->removeSelected(); }); });
    connect(ui->actInsertText, &QAction::triggered, this,
            [this] { guarded(this, [&] { insertObject(int(ReportObject::Kind::Text)); }); });
    connect(ui->actInsertLine, &QAction::triggered, this,
            [this] { guarded(this, [&] { insertObject(int(ReportObject::Kind::Line)); }); });
    connect(ui->actInsertRect, &QAction::triggered, this,
            [this] { guarded(this, [&] { insertObject(int(ReportObject::Kind::Rectangle)); }); });
    connect(ui->actAddBand, &QAction::triggered, this, [this] { guarded(this, [&] { showAddBandMenu(); }); });
    connect(ui->actZoomIn, &QAction::triggered, this,
            [this] { ui->canvas->setZoom(ui->canvas->zoom() * 1.25); });
    connect(ui->actZoomOut, &QAction::triggered, this,
            [this] { ui->canvas->setZoom(ui->canvas->zoom() / 1.25); });
    connect(ui->actPreview, &QAction::triggered, this, [this] { guarded(this, [&] { preview(); }); });
    connect(ui->actClose, &QAction::triggered, this, &ReportDesigner::reject);
    // Delete acts on the canvas only, so that it still deletes text in the property boxes.
    ui->actDelete->setShortcutContext(Qt::WidgetShortcut);
    ui->canvas->addAction(ui->actDelete);
    auto updateDelete = [this] {
        ui->actDelete->setEnabled(!m_model->selection().isPage());
        ui->actDuplicate->setEnabled(m_model->selection().isObject());
    };
    connect(m_model, &DesignerModel::selectionChanged, this, updateDelete);
    updateDelete();
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
    connect(ui->spnCells, &QSpinBox::valueChanged, this, object("cells"));
    connect(ui->edtNumberFormat, &QLineEdit::textEdited, this, object("numberFormat"));
    connect(ui->edtDateFormat, &QLineEdit::textEdited, this, object("dateFormat"));
    for (QCheckBox* side : {ui->chkFrameLeft, ui->chkFrameTop, ui->chkFrameRight, ui->chkFrameBottom})
        connect(side, &QCheckBox::toggled, this, object("frame"));
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
    ui->lblObjectKind->setText(QStringLiteral("对象：") + kindCaption(o.kind));
    showValue(ui->spnX, o.geometry.x());
    showValue(ui->spnY, o.geometry.y());
    showValue(ui->spnWidth, o.geometry.width());
    showValue(ui->spnHeight, o.geometry.height());
    const bool text = o.kind == ReportObject::Kind::Text;
    ui->grpText->setVisible(text);
    ui->grpFrame->setVisible(text);
    ui->spnLineWidth->setEnabled(!text);
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
    if (o.kind == ReportObject::Kind::Text) {
        o.text = ui->edtText->toPlainText();
        o.fontFamily = ui->cmbFont->currentFont().family();
        o.fontSize = ui->spnFontSize->value();
        o.bold = ui->chkBold->isChecked();
        o.alignment = alignmentOf(ui->cmbAlign->currentIndex(), ui->cmbVAlign->currentIndex());
        o.wordWrap = ui->chkWrap->isChecked();
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
    }
    m_model->insertObject(band, o);
    ui->canvas->setFocus();
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
         {ReportBand::Type::ReportTitle, ReportBand::Type::PageHeader, ReportBand::Type::MasterData,
          ReportBand::Type::PageFooter, ReportBand::Type::Summary}) {
        QAction* a = menu.addAction(bandCaption(type));
        a->setEnabled(!m_model->hasBand(type));
        connect(a, &QAction::triggered, this,
                [this, type] { m_model->addBand(type, m_source ? m_source->name() : QString()); });
    }
    QWidget* button = ui->toolBar->widgetForAction(ui->actAddBand);
    menu.exec(button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
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
    ui->lblStatus->setText(QStringLiteral("已保存到 ") + m_document.fileName());
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

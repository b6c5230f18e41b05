#include "listgrid.h"

#include "gridfooter.h"
#include "gridmodel.h"

#include "widgets/guard.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QTableView>
#include <QVBoxLayout>

namespace zu {

namespace {

constexpr int kDefaultColumnWidth = 80;

} // namespace

ListGrid::ListGrid(QWidget* parent)
    : QWidget(parent), m_model(new GridModel(this)), m_view(new QTableView(this)),
      m_footer(new GridFooter(m_view, m_model, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view);
    layout->addWidget(m_footer);

    m_view->setModel(m_model);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Every row has the same fixed height, so the view never measures rows: a list of 100,000
    // customers scrolls by reading only the rows it paints.
    QHeaderView* rows = m_view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* titles = m_view->horizontalHeader();
    titles->setSectionsMovable(true);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignCenter);

    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { viewMoved(current); });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit doubleClicked();
    });
    connect(m_view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            emit clicked();
    });
}

ListGrid::~ListGrid() = default;

void ListGrid::setDataSet(DataSet* dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    m_model->setSourceModel(dataSet);
    if (dataSet) {
        connect(dataSet, &DataSet::currentRowChanged, this, &ListGrid::followDataSet);
        followDataSet(dataSet->currentRow());
    }
}

void ListGrid::setColumns(const QList<LayoutColumn>& columns)
{
    m_model->setColumns(columns);
    QHeaderView* titles = m_view->horizontalHeader();
    for (int c = 0; c < columns.size(); ++c)
        titles->resizeSection(c, columns[c].width > 0 ? columns[c].width : kDefaultColumnWidth);
    if (m_dataSet)
        followDataSet(m_dataSet->currentRow());
}

int ListGrid::columnCount() const
{
    return m_model->columnCount();
}

QList<LayoutColumn> ListGrid::visibleColumns() const
{
    const QHeaderView* titles = m_view->horizontalHeader();
    QList<LayoutColumn> shown;
    for (int visual = 0; visual < titles->count(); ++visual) {
        const int column = titles->logicalIndex(visual);
        if (titles->isSectionHidden(column))
            continue;
        LayoutColumn c = m_model->columns().at(column);
        c.width = titles->sectionSize(column);
        shown.push_back(c);
    }
    return shown;
}

QString ListGrid::cellText(int row, int position) const
{
    const int column = m_view->horizontalHeader()->logicalIndex(position);
    return m_model->index(row, column).data(Qt::DisplayRole).toString();
}

void ListGrid::setHasFooter(bool hasFooter)
{
    m_hasFooter = hasFooter;
    m_footer->setVisible(hasFooter);
}

QString ListGrid::footerText(int position) const
{
    if (!m_hasFooter)
        return {};
    return m_footer->text(m_view->horizontalHeader()->logicalIndex(position));
}

void ListGrid::followDataSet(int row)
{
    QItemSelectionModel* selection = m_view->selectionModel();
    QScopedValueRollback following(m_following, true);
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0) {
        selection->clear();
        return;
    }
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid() && current.row() == row && selection->isRowSelected(row))
        return;
    const int column = current.isValid() ? current.column() : m_view->horizontalHeader()->logicalIndex(0);
    const QModelIndex target = m_model->index(row, column);
    selection->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(target);
}

void ListGrid::viewMoved(const QModelIndex& current)
{
    if (m_following || m_model->isReshaping() || !m_dataSet || !current.isValid())
        return;
    if (current.row() == m_dataSet->currentRow())
        return;
    guarded(this, [&] { m_dataSet->setCurrentRow(current.row()); });
    // A move the data set refused (a pending edit it could not post) puts the grid back, once
    // the view has finished its own move.
    if (m_dataSet && m_dataSet->currentRow() != current.row())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_dataSet)
                    followDataSet(m_dataSet->currentRow());
            },
            Qt::QueuedConnection);
}

} // namespace zu

#include "formroutines.h"

#include "dialogs.h"
#include "guard.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/routines.h"

#include <algorithm>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>

namespace zu {

void FillComboFromSql(QComboBox* combo, const QString& sql, const QVariantList& bindValues, int index,
                      const QString& firstItem)
{
    combo->clear();
    QStringList items;
    if (firstItem != QLatin1String("NO"))
        items << firstItem;
    Query& f = data().F();
    OpenSql(f, sql, bindValues);
    for (; !f.eof(); f.next())
        items << f.value(1).toString().trimmed();
    f.close();
    // However long a value of the list, the box keeps the width its form gives it; the list that
    // drops down shows long values whole up to the screen's width.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(qMax(combo->minimumContentsLength(), 8));
    combo->addItems(items);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void FillComboFromSql(QComboBox* combo, const Statement& statement, int index, const QString& firstItem)
{
    FillComboFromSql(combo, statement.sql, statement.bindValues, index, firstItem);
}

void limitToColumns(const QString& table, const QList<QPair<QLineEdit*, QString>>& boxes)
{
    TfrmData& d = data();
    const QHash<QString, int> widths = d.dialect().columnWidths(d.conn().database(), table);
    for (const auto& [box, column] : boxes)
        if (const int width = widths.value(column.toLower(), -1); width > 0)
            box->setMaxLength(width);
}

void CheckUnique(Query& query, const QString& column, const QString& table, const QVariant& value,
                 const QString& message)
{
    if (valueExists(query, table, column, value)) {
        dialogs().message(nullptr, QStringLiteral("系统提示"), message, QMessageBox::Question,
                          QMessageBox::Ok, QMessageBox::Ok);
        abortSilently();
    }
}

void RequireText(QWidget* control, const QString& value, const QString& message)
{
    if (!value.isEmpty())
        return;
    dialogs().message(control ? control->window() : nullptr, QStringLiteral("系统提示"), message,
                      QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok);
    if (control)
        control->setFocus(Qt::OtherFocusReason);
    abortSilently();
}

namespace {

// A control that takes the focus itself; anything else is a container whose children are ordered.
bool takesFocus(const QWidget* w)
{
    return (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<const QTabWidget*>(w);
}

QList<QWidget*> sortedChildren(QWidget* container)
{
    QList<QWidget*> children;
    for (QObject* o : container->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !w->isWindow())
            children << w;
    }
    std::stable_sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        const QPoint pa = a->geometry().topLeft(), pb = b->geometry().topLeft();
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return children;
}

void collectTabOrder(QWidget* container, bool recursive, QList<QWidget*>* order)
{
    for (QWidget* w : sortedChildren(container)) {
        if (takesFocus(w))
            *order << w;
        else if (recursive)
            collectTabOrder(w, recursive, order);
    }
}

void arrangeNow(QWidget* container, bool recursive)
{
    QList<QWidget*> order;
    collectTabOrder(container, recursive, &order);
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

void ArrangeTabOrder(QWidget* container, bool recursive)
{
    arrangeNow(container, recursive);
    // Controls in layouts and tab widgets get their places only as the window is first shown;
    // until then they all sit at one corner, so the order is made again from the real places.
    if (!container->isVisible())
        onFirstShow(container, [container, recursive] { arrangeNow(container, recursive); });
}

} // namespace zu

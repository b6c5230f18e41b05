#pragma once

#include <QListWidget>

namespace zu {

// The data set's fields, their totals and the system values, each item carrying the text a text object shows
// for it; dragged onto the canvas or double-clicked to insert it.
class FieldList final : public QListWidget
{
    Q_OBJECT
public:
    explicit FieldList(QWidget* parent = nullptr);

    // `numeric` fields are offered summed as well ([SUM(客户记录."总金额")]), beside a count.
    void setFields(const QString& dataSet, const QStringList& fields, const QStringList& numeric = {});
    // The text an item inserts, e.g. [客户记录."客户名称"] or [页码].
    static QString insertText(const QListWidgetItem* item);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

// The system values a text can show, as written in a template.
QStringList systemValueNames();

} // namespace zu

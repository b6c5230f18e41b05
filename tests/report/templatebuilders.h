#pragma once

#include "report/reportdatasource.h"
#include "report/reporttemplate.h"

#include <QHash>
#include <QVariant>

namespace zu::test {

// Pieces of templates for the report tests.
ReportObject textObject(QRectF geometry, QString text);
// A band of the given type; master data reads "客户记录".
ReportBand makeBand(ReportBand::Type type, double height, QList<ReportObject> objects = {});

// "客户记录" with every field filled: customer i (1-based) is "客户i号", code "C00i", ID i, in
// the category 壁挂式, 柜式 or 冰箱 (i % 3), sums of 1299.00. `current` is the selected row;
// `currentValues` replaces fields of that row.
MemoryDataSource sampleCustomers(int count, int current, const QHash<QString, QVariant>& currentValues = {});

} // namespace zu::test

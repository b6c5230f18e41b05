#pragma once

#include "report/reporttemplate.h"

namespace zu::test {

// Pieces of templates for the report tests.
ReportObject textObject(QRectF geometry, QString text);
// A band of the given type; master data reads "客户记录".
ReportBand makeBand(ReportBand::Type type, double height, QList<ReportObject> objects = {});

} // namespace zu::test

#pragma once

#include "reporttemplate.h"

#include <QString>

namespace zu {

// The template file format: UTF-8 XML, one element per page, band and object; lengths in mm.
//
//   <report version="1" name="客户列表">
//     <page size="A4|A5|Letter|custom" width="220" height="110" orientation="portrait|landscape"
//           left="15" top="15" right="15" bottom="15"/>
//     <band type="reportTitle|pageHeader|groupHeader|masterData|groupFooter|pageFooter|summary"
//           height="12" stretch="true" condition="[客户记录."客户类别"]"
//           dataSet="客户记录" records="all|current" columns="3" columnGap="4" rowGap="0">
//       <text x="0" y="0" width="180" height="10" font="WenQuanYi Micro Hei" size="16"
//             bold="true" align="left|center|right" valign="top|middle|bottom" wrap="true"
//             shrink="true" cells="6" frame="left,top,right,bottom|all" frameWidth="0.3"
//             numberFormat="#,##0.00" dateFormat="yyyy年M月d日">客户：[客户记录."客户名称"]</text>
//       <line x="0" y="10" width="180" height="0" lineWidth="0.5"/>
//       <rect x="0" y="0" width="8" height="8" lineWidth="0.3"/>
//       <picture x="0" y="0" width="30" height="12" keepAspect="false">base64 of the image file</picture>
//       <qrcode x="150" y="0" width="25" height="25">[客户记录."客户编码"]</qrcode>
//     </band>
//   </report>
//
// condition belongs to groupHeader only; dataSet, records, columns, columnGap and rowGap to
// masterData only. An attribute that is left out takes the model's default.

// Reads a template. On failure returns false, leaves `out` as it was and says in `error` what is
// wrong, naming the file.
bool loadTemplate(const QString& path, ReportTemplate* out, QString* error);
bool parseTemplate(const QByteArray& content, ReportTemplate* out, QString* error);

// Writes a template; false with `error` naming the file when it cannot be written.
bool saveTemplate(const ReportTemplate& report, const QString& path, QString* error);
QByteArray serializeTemplate(const ReportTemplate& report);

// Objects on their own (the designer's clipboard): <objects version="1"> holding the elements
// of a band's objects.
QByteArray serializeObjects(const QList<ReportObject>& objects);
bool parseObjects(const QByteArray& content, QList<ReportObject>* out, QString* error);

} // namespace zu

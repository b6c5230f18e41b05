#pragma once

#include <QString>

class QWidget;

namespace zu {

// The template files of the printed reports, in the folder Reports beside the program.
inline constexpr const char* kCustomerSheetReport = "当前客户详细报表.fr3";
inline constexpr const char* kCustomerListReport = "客户列表.fr3";
inline constexpr const char* kEnvelopeReport = "当前用户信封打印.fr3";
inline constexpr const char* kLabelReport = "信封标签打印.fr3";
inline constexpr const char* kWorkOrderReport = "客户销售记录派工单.fr3";

QString reportTemplatePath(const QString& fileName);

// Loads the template and shows the customer list ("客户记录") through it in a print preview,
// from which the user prints, sets up pages and saves a PDF. A missing or unreadable template
// ends the command with an error naming the file; no preview opens.
void previewReport(QWidget* parent, const QString& fileName);

// Loads the template and opens it in the report designer, modally; the command returns when the
// designer is closed. Saving there writes the template back to its file, which the next command
// reads. A missing or unreadable template ends the command as for the preview.
void designReport(QWidget* parent, const QString& fileName);

} // namespace zu

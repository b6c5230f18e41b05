#pragma once

#include "data/routines.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace zu {

class Query;

// Category codes: two decimal digits per level, a child's code being its parent's code plus two
// digits. The same scheme orders the permission catalogue.

// One digit per level, each the number of characters that level adds to a code.
extern const QString kLevelPattern; // "222222222222222"
inline constexpr int kMaxCodeLength = 30;

// The level of `code` under `pattern` (1 for the first level), -1 when it fits none.
int CodeLevel(const QString& pattern, const QString& code);

// A generated code number made even in length by one leading "0".
QString PadCode(const QString& digits);

// Tree node text: code + "-" + name; the code is what precedes the first "-". The root's text
// holds no "-", so its code reads back empty.
QString categoryNodeText(const QString& code, const QString& name);
QString codeFromNodeText(const QString& text);
QString nameFromNodeText(const QString& text);

// One row of a coded catalogue: a category, or an entry of the permission catalogue.
struct CodedName
{
    QString code; // trimmed
    QString name; // as stored
    bool operator==(const CodedName&) const = default;
};

// A category as a tree shows it, with the version of its row (RowVersion).
struct CategoryRow
{
    QString code; // trimmed
    QString name; // as stored
    QVariant version;
};
QList<CategoryRow> readCategoryRows(Query& query, const QString& kind);

// The categories of `kind` in code order.
QList<CodedName> readCategories(Query& query, const QString& kind);
QList<CodedName> readCategories(const QString& kind); // on the data module's scratch query F

// The names of the categories of `kind` in code order, for a drop-down box (FillComboFromSql).
Statement categoryListStatement(const QString& kind);

// Stores a new category. Throws CommandError for an empty name (kEmptyCategoryNameText), a code
// of no level and a code another category of the kind has.
void addCategory(Query& query, const QString& kind, const QString& code, const QString& name);
extern const QString kEmptyCategoryNameText;
// Gives a category another name and, for customer categories, the customers filed under it
// (TypeCode) that name as their classCode, in one transaction; returns the number of customers
// changed. Throws CommandError for an empty name. With the version the category was shown with,
// a category someone else changed meanwhile is not renamed; a category that is gone is never
// renamed (DbError: ChangedElsewhere, DeletedElsewhere).
int renameCategory(Query& query, const QString& kind, const QString& code, const QString& name,
                   const QVariant& seenVersion = {});

// The code of a new category of `kind` beside (child false) or under (child true) the category
// `selectedCode`; an empty code stands for the root. Throws CommandError when the parent already
// uses its last two-digit number or the new code would exceed the deepest level.
QString proposeCategoryCode(Query& query, const QString& kind, const QString& selectedCode, bool child);
QString proposeCategoryCode(const QString& kind, const QString& selectedCode, bool child);

// The customers filed under the category `code` or one of its descendants.
int customersInSubtree(Query& query, const QString& code);
// Why a category holding customers is not deleted.
QString categoryHoldsCustomersText(int customers);

// Deletes the category `code` of `kind` with all its descendants; returns the number of rows
// removed. A customer category whose subtree holds customers is not deleted: CommandError says
// how many customers it holds. With the version the category was shown with, nothing is deleted
// when someone else changed or deleted it meanwhile (DbError).
int deleteCategorySubtree(Query& query, const QString& kind, const QString& code,
                          const QVariant& seenVersion = {});
int deleteCategorySubtree(const QString& kind, const QString& code, const QVariant& seenVersion = {});

} // namespace zu

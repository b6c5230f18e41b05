#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace zu {

class Connection;

// Whether a machine was under warranty on a day.
enum class WarrantyState
{
    Unknown, // no purchase date
    In,      // 在保
    Out,     // 过保
};

// The last day a warranty covers: the purchase date plus whole months, a day past the target
// month's end becoming its last day (31 Jan + 1 month = 28 Feb, or 29 Feb in a leap year; 29 Feb
// + 12 months = 28 Feb). Invalid without a purchase date.
QDate warrantyEnd(const QDate& purchase, int months);

// A warranty covers every day up to and including its end day.
WarrantyState warrantyStateOn(const QDate& purchase, int months, const QDate& day);

// How long a machine's warranty lasts: months per model (the values of the lookup list 型号), and
// the months of every model not listed. Models compare without leading and trailing blanks.
class WarrantyTerms final
{
public:
    static constexpr int kDefaultMonths = 12;
    static constexpr int kMaxMonths = 240;

    struct ModelMonths
    {
        QString model;
        int months = 0;
        bool operator==(const ModelMonths&) const = default;
    };

    explicit WarrantyTerms(int defaultMonths = kDefaultMonths) : m_default(defaultMonths) {}

    // The terms as kept in the database (T_warranty).
    static WarrantyTerms load(Connection& connection);
    // Replaces the kept terms with these, in one transaction.
    void save(Connection& connection) const;

    int defaultMonths() const { return m_default; }
    void setDefaultMonths(int months) { m_default = months; }
    // Sets a model's months; removes the model (back to the default) with no value.
    void setMonths(const QString& model, std::optional<int> months);
    // The months of the models listed, by model.
    QList<ModelMonths> listed() const;
    // The model's own months, or nothing when it is not listed.
    std::optional<int> listedMonths(const QString& model) const;

    int monthsFor(const QString& model) const;
    QDate endOf(const QDate& purchase, const QString& model) const;
    WarrantyState stateOn(const QDate& purchase, const QString& model, const QDate& day) const;

private:
    int m_default;
    QHash<QString, ModelMonths> m_byModel; // by trimmed model
};

// The models whose warranty the lookup-list editor offers to set: the values of the lookup list
// 型号 in their order, then the models with months of their own that the list no longer holds.
QStringList warrantyModels(Connection& connection, const WarrantyTerms& terms);

// The customer editor's line about a machine's warranty on `today`: "保修至 2027-03-01（在保）",
// "保修至 2025-03-01（过保）", or why there is none.
QString warrantyLine(const WarrantyTerms& terms, const QDate& purchase, const QString& model,
                     const QDate& today);

// An integer SQL expression of the warranty months of the model in `modelColumn`, as
// WarrantyTerms::monthsFor gives them: for statements that compute warranty ends of many
// customers (dialect.addMonths(purchase date, this)). The column is named with its table's alias
// ("c.Goodsunit"): a bare "Goodsunit" would name T_warranty's own column inside the expression.
QString warrantyMonthsExpression(const QString& modelColumn);

} // namespace zu

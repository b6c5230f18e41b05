#include "fieldbinding.h"

#include "data/columnfit.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/numbertext.h"
#include "dateedit.h"
#include "dialogs.h"

#include <cmath>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimeEdit>

namespace zu {

namespace {

template <typename T> T* as(QWidget* w)
{
    return static_cast<T*>(w);
}

QString outOfRange(const QString& label, const QString& text)
{
    return QStringLiteral("“%1”中的“%2”超出了范围，只能填 %3 至 %4 之间的整数，请您重新录入！")
        .arg(label, text.trimmed())
        .arg(kIntegerColumnMin)
        .arg(kIntegerColumnMax);
}

[[noreturn]] void refuse(QWidget* box, const QString& text)
{
    dialogs().message(box->window(), QStringLiteral("系统提示"), text, QMessageBox::Question, QMessageBox::Ok,
                      QMessageBox::Ok);
    box->setFocus();
    abortSilently();
}

QLineEdit* textLine(QWidget* w, FieldBinding::Box box)
{
    if (box == FieldBinding::Box::Combo)
        return as<QComboBox>(w)->lineEdit();
    return box == FieldBinding::Box::Text ? as<QLineEdit>(w) : nullptr;
}

// A text the box cannot show as a time ("下午三点") is shown as it is, in place of the earliest
// time, and kept while the box stays there.
QTime parseTimeText(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* format : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm", "h:mm:ss AP", "h:mm AP"})
        if (const QTime time = QTime::fromString(t, QString::fromLatin1(format)); time.isValid())
            return time;
    return {};
}

} // namespace

BoundFields::BoundFields(QWidget* form, QList<FieldBinding> bindings)
    : m_form(form), m_bindings(std::move(bindings))
{
}

QWidget* BoundFields::widget(const FieldBinding& b) const
{
    QWidget* w = m_form->findChild<QWidget*>(QString::fromLatin1(b.widget));
    if (!w)
        throw CommandError(QStringLiteral("窗口中没有控件 %1").arg(QString::fromLatin1(b.widget)));
    return w;
}

void BoundFields::limitLengths(const QHash<QString, int>& widths)
{
    m_widths.clear();
    for (const FieldBinding& b : m_bindings) {
        const int width = widths.value(QString::fromLatin1(b.column).toLower(), -1);
        QLineEdit* line = textLine(widget(b), b.box);
        if (width <= 0 || !line)
            continue;
        m_widths.insert(QString::fromLatin1(b.column).toLower(), width);
        line->setMaxLength(width);
    }
}

void BoundFields::reset()
{
    m_loadedTimes.clear();
    for (const FieldBinding& b : m_bindings) {
        QWidget* w = widget(b);
        if (QLineEdit* line = textLine(w, b.box);
            line && m_widths.contains(QString::fromLatin1(b.column).toLower()))
            line->setMaxLength(m_widths.value(QString::fromLatin1(b.column).toLower()));
        switch (b.box) {
        case FieldBinding::Box::Text:
            as<QLineEdit>(w)->clear();
            break;
        case FieldBinding::Box::Combo:
            as<QComboBox>(w)->setEditText(QString());
            break;
        case FieldBinding::Box::Memo:
            as<QPlainTextEdit>(w)->clear();
            break;
        case FieldBinding::Box::Integer:
            as<QLineEdit>(w)->setText(QStringLiteral("0"));
            break;
        case FieldBinding::Box::Decimal:
            as<QLineEdit>(w)->setText(formatNumber(0, b.decimals));
            break;
        case FieldBinding::Box::Date:
            as<NullableDateEdit>(w)->setDate(QDate::currentDate());
            break;
        case FieldBinding::Box::Time:
            as<QTimeEdit>(w)->setSpecialValueText(QString());
            as<QTimeEdit>(w)->setTime(QTime::currentTime());
            break;
        }
    }
}

void BoundFields::load(const DataSet& record)
{
    m_stamp = record.stamp();
    for (const FieldBinding& b : m_bindings) {
        QWidget* w = widget(b);
        const QVariant v = record.field(QString::fromLatin1(b.column));
        // A stored text longer than its column (written before the limit was kept) is shown whole,
        // never cut short unseen; saving then asks the user to shorten it.
        if (QLineEdit* line = textLine(w, b.box)) {
            const int width = m_widths.value(QString::fromLatin1(b.column).toLower(), -1);
            if (width > 0)
                line->setMaxLength(qMax(width, int(v.toString().size())));
        }
        switch (b.box) {
        case FieldBinding::Box::Text:
            as<QLineEdit>(w)->setText(v.toString());
            break;
        case FieldBinding::Box::Combo:
            as<QComboBox>(w)->setEditText(v.toString());
            break;
        case FieldBinding::Box::Memo:
            as<QPlainTextEdit>(w)->setPlainText(v.toString());
            break;
        case FieldBinding::Box::Integer:
            as<QLineEdit>(w)->setText(v.isNull() ? QString() : QString::number(v.toInt()));
            break;
        case FieldBinding::Box::Decimal:
            as<QLineEdit>(w)->setText(v.isNull() ? QString() : formatNumber(v.toDouble(), b.decimals));
            break;
        case FieldBinding::Box::Date:
            as<NullableDateEdit>(w)->setValue(v);
            break;
        case FieldBinding::Box::Time: {
            auto* box = as<QTimeEdit>(w);
            const QString text = v.toString();
            if (text.trimmed().isEmpty())
                break; // the box shows the current time, as for a new record
            const QTime t = parseTimeText(text);
            box->setSpecialValueText(t.isValid() ? QString() : text);
            box->setTime(t.isValid() ? t : box->minimumTime());
            m_loadedTimes.insert(QString::fromLatin1(b.column), {text, box->time()});
            break;
        }
        }
    }
}

QVariantMap BoundFields::collect() const
{
    QVariantMap values;
    for (const FieldBinding& b : m_bindings) {
        QWidget* w = widget(b);
        const QString column = QString::fromLatin1(b.column);
        const QString label = QString::fromUtf8(b.label);
        if (QLineEdit* line = textLine(w, b.box)) {
            const int width = m_widths.value(column.toLower(), -1);
            if (width > 0 && line->text().size() > width)
                refuse(w, QStringLiteral("“%1”最多可以有 %2 个字，现在有 %3 个字，请您删减后再保存！")
                              .arg(label)
                              .arg(width)
                              .arg(line->text().size()));
        }
        switch (b.box) {
        case FieldBinding::Box::Text:
            values.insert(column, as<QLineEdit>(w)->text());
            break;
        case FieldBinding::Box::Combo:
            values.insert(column, as<QComboBox>(w)->currentText());
            break;
        case FieldBinding::Box::Memo:
            values.insert(column, as<QPlainTextEdit>(w)->toPlainText());
            break;
        case FieldBinding::Box::Integer: {
            auto* box = as<QLineEdit>(w);
            const std::optional<double> d = parseDecimalText(box->text());
            if (!d || *d != std::floor(*d))
                refuse(box, QStringLiteral("“%1”中的“%2”不是整数，请您重新录入！").arg(label, box->text()));
            if (!fitsIntegerColumn(*d))
                refuse(box, outOfRange(label, box->text()));
            values.insert(column, static_cast<int>(*d));
            break;
        }
        case FieldBinding::Box::Decimal: {
            auto* box = as<QLineEdit>(w);
            const std::optional<double> d = parseDecimalText(box->text());
            if (!d)
                refuse(box,
                       QStringLiteral("“%1”中的“%2”不是有效的数值，请您重新录入！").arg(label, box->text()));
            if (!b.wholeNumberColumn) {
                values.insert(column, *d);
                break;
            }
            const double whole = std::round(*d);
            if (!fitsIntegerColumn(whole))
                refuse(box, outOfRange(label, box->text()));
            values.insert(column, static_cast<int>(whole));
            break;
        }
        case FieldBinding::Box::Date:
            values.insert(column, as<NullableDateEdit>(w)->value());
            break;
        case FieldBinding::Box::Time: {
            auto* box = as<QTimeEdit>(w);
            const auto loaded = m_loadedTimes.constFind(column);
            values.insert(column, loaded != m_loadedTimes.cend() && loaded->shown == box->time()
                                      ? loaded->text
                                      : box->text());
            break;
        }
        }
    }
    return values;
}

} // namespace zu

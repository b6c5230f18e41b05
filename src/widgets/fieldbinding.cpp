#include "fieldbinding.h"

#include "data/dataset.h"
#include "data/errors.h"
#include "data/numbertext.h"
#include "dateedit.h"
#include "dialogs.h"

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

[[noreturn]] void refuse(QLineEdit* box, const QString& text)
{
    dialogs().message(box->window(), QStringLiteral("系统提示"), text, QMessageBox::Question, QMessageBox::Ok,
                      QMessageBox::Ok);
    box->setFocus();
    abortSilently();
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

void BoundFields::reset()
{
    for (const FieldBinding& b : m_bindings) {
        QWidget* w = widget(b);
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
            const QString text = v.toString().trimmed();
            QTime t;
            for (const char* format : {"HH:mm:ss", "H:mm:ss", "HH:mm", "H:mm", "h:mm:ss AP", "h:mm AP"}) {
                t = QTime::fromString(text, QString::fromLatin1(format));
                if (t.isValid())
                    break;
            }
            if (t.isValid())
                as<QTimeEdit>(w)->setTime(t);
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
            const std::optional<int> n = parseIntegerText(box->text());
            if (!n)
                refuse(box, QStringLiteral("“%1”中的“%2”不是整数，请您重新录入！").arg(label, box->text()));
            values.insert(column, *n);
            break;
        }
        case FieldBinding::Box::Decimal: {
            auto* box = as<QLineEdit>(w);
            const std::optional<double> d = parseDecimalText(box->text());
            if (!d)
                refuse(box,
                       QStringLiteral("“%1”中的“%2”不是有效的数值，请您重新录入！").arg(label, box->text()));
            values.insert(column, b.wholeNumberColumn ? QVariant(qRound(*d)) : QVariant(*d));
            break;
        }
        case FieldBinding::Box::Date:
            values.insert(column, as<NullableDateEdit>(w)->value());
            break;
        case FieldBinding::Box::Time:
            values.insert(column, as<QTimeEdit>(w)->text());
            break;
        }
    }
    return values;
}

} // namespace zu

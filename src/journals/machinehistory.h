#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace zu {

class Connection;

// Everything known about one appliance, found by its body code: its purchase, the service
// records that name the code, and the return visits and complaints of the customers who bought
// it. A unit sold on to another customer shows both owners.
struct MachineEvent
{
    enum class Kind
    {
        Purchase,
        Service,
        Call,
        Complaint
    };

    Kind kind = Kind::Purchase;
    QDateTime date; // null when the record has no date
    QString customerCode;
    QString customerName;
    QString model;
    QString person; // salesman, engineer, caller or recorder
    QString detail;

    QString kindText() const; // "购买", "维修", "回访", "投诉"
};

// Newest first; records without a date last. A body code is compared without blanks around it
// and without regard to letter case; an empty one finds nothing.
QList<MachineEvent> machineHistory(Connection& connection, const QString& goodsCode);

// The body code of a journal row: its own (service records name one), else that of its
// customer's purchase; empty when neither has one.
QString machineCodeOf(Connection& connection, const QString& ownCode, const QString& customerCode);

// The distinct customers (code) that appear in a history, in order of first appearance.
QStringList customersOf(const QList<MachineEvent>& history);

} // namespace zu

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zu {

class Connection;

// One customer quick find offers, and how well it matched.
struct QuickFindHit
{
    enum Rank
    {
        Exact,     // a code, a number, the name or the initials are the text typed
        Beginning, // one of them begins with it
        Contained, // the name or a number holds it somewhere
    };

    qint64 id = 0; // CusttityID
    QString name;
    QString code;
    QString phone;
    QString mobile;
    QString goodsCode;
    Rank rank = Contained;
    // The body code the customer was found by (its own or one of its service records'), empty
    // when it was found otherwise: the machine whose history quick find offers to open.
    QString machineCode;

    // The line of the drop-down: "张三  KH0001  0571-88886666  13800138000  SN123".
    QString text() const;
};

// Finds the customers a clerk means by what was typed into the quick find box: by telephone or
// mobile (any part of the digits), name (any part), customer code, body code (the customer's or
// one of its service records'), or the pinyin initials of the name. At most `limit` customers,
// exact matches first, then those that begin with the text, then those that hold it; in each of
// these by code. Of more customers holding the text than there is room for, those with the
// lowest keys are offered. Every lookup goes through an index, so a keystroke stays quick on
// large registers; only the first `scanned` customers are read in order, where a text many
// customers hold is found soonest (the result is the same whatever `scanned` is).
constexpr int kQuickFindScanned = 5000;
QList<QuickFindHit> quickFind(Connection& connection, const QString& typed, int limit = 20,
                              int scanned = kQuickFindScanned);

// The distinct body codes of `hits` (machineCode), in the order of the hits, at most `limit`.
QStringList machineCodesOf(const QList<QuickFindHit>& hits, int limit);

} // namespace zu

#pragma once

#include "lebytes.h"

namespace zu {

namespace biff {
// Record types of BIFF8 that the workbook writer uses.
enum RecordType : quint16
{
    Eof = 0x000A,
    CodePage = 0x0042,
    Date1904 = 0x0022,
    Continue = 0x003C,
    Window1 = 0x003D,
    ColInfo = 0x007D,
    BoundSheet = 0x0085,
    Font = 0x0031,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Xf = 0x00E0,
    Dimensions = 0x0200,
    Blank = 0x0201,
    Number = 0x0203,
    Row = 0x0208,
    Window2 = 0x023E,
    Rk = 0x027E,
    Style = 0x0293,
    Bof = 0x0809,
};
// The largest record body BIFF8 allows; longer data goes on in CONTINUE records.
constexpr qsizetype kMaxRecordData = 8224;
} // namespace biff

// A BIFF record stream: each record is its type, its body length and its body.
class BiffStream final
{
public:
    void record(quint16 type, QByteArrayView body);
    void record(quint16 type, const LeBytes& body) { record(type, QByteArrayView(body.data())); }

    qsizetype position() const { return m_bytes.size(); }
    void patch32(qsizetype position, quint32 value) { m_bytes.patch32(position, value); }
    QByteArray take() { return m_bytes.take(); }

private:
    LeBytes m_bytes;
};

} // namespace zu

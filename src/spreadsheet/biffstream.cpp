#include "biffstream.h"

namespace zu {

void BiffStream::record(quint16 type, QByteArrayView body)
{
    Q_ASSERT(body.size() <= biff::kMaxRecordData);
    m_bytes.u16(type).u16(static_cast<quint16>(body.size())).raw(body);
}

} // namespace zu

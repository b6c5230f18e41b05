#pragma once

#include <QList>
#include <QRectF>
#include <QString>

namespace zu {

// A QR code: its dark modules as rectangles in a square of `size` x `size` units, with the quiet
// zone around it included in the square.
struct QrCode
{
    double size = 0;
    QList<QRectF> modules;

    bool isNull() const { return modules.isEmpty(); }
};

// Encodes a text (UTF-8; error correction level M). A null code when the text is empty or too
// long for a QR code, with the reason in `error`.
QrCode encodeQrCode(const QString& text, QString* error = nullptr);

} // namespace zu

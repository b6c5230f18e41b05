#include "qrcode.h"

#include <zint.h>

#include <memory>

namespace zu {

namespace {

constexpr int kQuietZone = 4;        // modules of white around the symbol
constexpr int kErrorCorrectionM = 2; // recovers about 15 % of the symbol

struct SymbolDeleter
{
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

bool isAscii(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) > 0x7f)
            return false;
    }
    return true;
}

} // namespace

QrCode encodeQrCode(const QString& text, QString* error)
{
    if (text.isEmpty()) {
        if (error)
            *error = QStringLiteral("二维码内容为空");
        return {};
    }
    const std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol) {
        if (error)
            *error = QStringLiteral("无法生成二维码");
        return {};
    }
    const QByteArray utf8 = text.toUtf8();
    symbol->symbology = BARCODE_QRCODE;
    symbol->input_mode = UNICODE_MODE;
    symbol->option_1 = kErrorCorrectionM;
    symbol->show_hrt = 0;
    // Chinese text is said to be UTF-8, which readers otherwise take for another encoding.
    if (!isAscii(utf8))
        symbol->eci = 26;
    const int result = ZBarcode_Encode_and_Buffer_Vector(
        symbol.get(), reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()), 0);
    if (result >= ZINT_ERROR || !symbol->vector || symbol->width <= 0) {
        if (error)
            *error = QStringLiteral("无法生成二维码：%1").arg(QString::fromLatin1(symbol->errtxt));
        return {};
    }
    const double module = double(symbol->vector->width) / symbol->width;
    QrCode code;
    code.size = symbol->vector->width + 2 * kQuietZone * module;
    const double offset = kQuietZone * module;
    for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next) {
        if (r->colour == -1 || r->colour == 7) // the foreground, or black
            code.modules << QRectF(offset + r->x, offset + r->y, r->width, r->height);
    }
    return code;
}

} // namespace zu

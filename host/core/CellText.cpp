#include "core/CellText.h"

bool isDroppedFromCellText(char16_t c) {
    return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || (c >= 0x7F && c <= 0x9F);
}

bool isCellText(QStringView text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        // Below U+0300 nothing combines, so such text is already NFC.
        if (c >= 0x20 && c < 0x7F)
            continue;
        if (c >= 0xA0 && c < 0x300)
            continue;
        return false;
    }
    return true;
}

QString cellText(const QString& text) {
    if (isCellText(text))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (isDroppedFromCellText(c.unicode()))
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(text[++i]);
        } else if (c.isSurrogate()) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else {
            out.append(c);
        }
    }
    return out.normalized(QString::NormalizationForm_C);
}

#include "library/SelectionText.h"

namespace {
const QString kMarker = QStringLiteral("#L1:");
}

namespace SelectionText HOST_EXPORT {

QString encode(const QStringList& keys) {
    if (keys.isEmpty())
        return {};
    QString out = kMarker;
    for (const QString& key : keys) {
        out += QString::number(key.size());
        out += ':';
        out += key;
    }
    return out;
}

std::optional<QStringList> decode(const QString& text) {
    if (text.isEmpty())
        return QStringList();
    if (!text.startsWith(kMarker))
        return std::nullopt;
    QStringList keys;
    qsizetype pos = kMarker.size();
    const qsizetype end = text.size();
    if (pos == end)
        return std::nullopt; // the marker alone: encode never writes it
    while (pos < end) {
        qsizetype length = 0;
        qsizetype digits = 0;
        while (pos < end && text[pos].isDigit() && text[pos].unicode() < 128) {
            length = length * 10 + (text[pos].unicode() - '0');
            if (length > end)
                return std::nullopt; // longer than the whole text: also stops overflow
            ++pos;
            ++digits;
        }
        if (digits == 0 || pos >= end || text[pos] != ':')
            return std::nullopt;
        ++pos;
        if (length > end - pos)
            return std::nullopt;
        keys << text.mid(pos, length);
        pos += length;
    }
    return keys;
}

} // namespace SelectionText

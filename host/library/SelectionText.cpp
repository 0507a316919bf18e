#include "library/SelectionText.h"

namespace {
const QString kMarker = QStringLiteral("#L1:");
}

namespace SelectionText HOST_EXPORT {

QString encode(const QStringList& keys) {
    QString out;
    for (const QString& key : keys)
        append(out, key);
    return out;
}

void append(QString& text, QStringView key) {
    if (text.isEmpty())
        text = kMarker;
    text += QString::number(key.size());
    text += u':';
    text += key;
}

bool forEachKey(QStringView text, const std::function<void(QStringView)>& each) {
    if (text.isEmpty())
        return true;
    if (!text.startsWith(kMarker))
        return false;
    qsizetype pos = kMarker.size();
    const qsizetype end = text.size();
    if (pos == end)
        return false; // the marker alone: encode never writes it
    while (pos < end) {
        qsizetype length = 0;
        qsizetype digits = 0;
        while (pos < end && text[pos].isDigit() && text[pos].unicode() < 128) {
            length = length * 10 + (text[pos].unicode() - '0');
            if (length > end)
                return false; // longer than the whole text: also stops overflow
            ++pos;
            ++digits;
        }
        if (digits == 0 || pos >= end || text[pos] != u':')
            return false;
        ++pos;
        if (length > end - pos)
            return false;
        each(text.mid(pos, length));
        pos += length;
    }
    return true;
}

std::optional<QStringList> decode(const QString& text) {
    QStringList keys;
    if (!forEachKey(text, [&](QStringView key) { keys << key.toString(); }))
        return std::nullopt;
    return keys;
}

} // namespace SelectionText

// Selection text decoder: any text either decodes or is refused, never crashes; what decodes encodes
// back to keys that decode the same. Keys taken from the input (split on NUL) round-trip exactly.
#include "library/SelectionText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);

    if (const std::optional<QStringList> keys = SelectionText::decode(text)) {
        const std::optional<QStringList> again = SelectionText::decode(SelectionText::encode(*keys));
        if (!again || *again != *keys)
            abort();
    }

    QStringList keys = text.split(QChar(u'\0'));
    keys.removeAll(QString()); // an empty key is no key
    const std::optional<QStringList> back = SelectionText::decode(SelectionText::encode(keys));
    if (!back || *back != keys)
        abort();
    return 0;
}

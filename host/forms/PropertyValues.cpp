#include "forms/PropertyValues.h"

#include "forms/FormReader.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

namespace PropertyValues HOST_EXPORT {

QColor color(const QJsonValue& v, FormReader& reader) {
    static const QHash<QString, QColor> named{
        {"clInfoBk", QColor(0xFF, 0xFF, 0xE1)},
        {"clBlue", QColor(0, 0, 0xFF)},
        {"clBlack", QColor(0, 0, 0)},
        {"clWhite", QColor(0xFF, 0xFF, 0xFF)},
        {"clRed", QColor(0xFF, 0, 0)},
        {"clNavy", QColor(0, 0, 0x80)},
        {"clWindow", QColor(0xFF, 0xFF, 0xFF)},
        {"clWindowText", QColor(0, 0, 0)},
        {"clBtnFace", QColor(0xF0, 0xF0, 0xF0)},
        {"clGray", QColor(0x80, 0x80, 0x80)},
    };
    const QString s = string(v, reader);
    if (named.contains(s))
        return named.value(s);
    QColor c(s);
    if (!c.isValid())
        reader.fail(QStringLiteral("unknown colour '%1'").arg(s));
    return c;
}

QFont font(const QFont& base, const QJsonValue& v, FormReader& reader) {
    if (!v.isObject())
        reader.fail(QStringLiteral("a font must be an object"));
    QFont f = base;
    const QJsonObject o = v.toObject();
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key() == "Name")
            f.setFamily(string(it.value(), reader));
        else if (it.key() == "Size")
            f.setPointSize(integer(it.value(), reader));
        else if (it.key() == "Color")
            ; // drawn by the palette of the control; kept for completeness
        else if (it.key() == "Style") {
            const QStringList styles = lines(it.value(), reader);
            for (const QString& s : styles)
                if (s != "fsBold" && s != "fsItalic" && s != "fsUnderline")
                    reader.fail(QStringLiteral("unknown font style '%1'").arg(s));
            f.setBold(styles.contains("fsBold"));
            f.setItalic(styles.contains("fsItalic"));
            f.setUnderline(styles.contains("fsUnderline"));
        } else
            reader.fail(QStringLiteral("unknown font attribute '%1'").arg(it.key()));
    }
    return f;
}

int integer(const QJsonValue& v, FormReader& reader) {
    if (!v.isDouble())
        reader.fail(QStringLiteral("a number is expected"));
    return v.toInt();
}

bool boolean(const QJsonValue& v, FormReader& reader) {
    if (!v.isBool())
        reader.fail(QStringLiteral("true or false is expected"));
    return v.toBool();
}

QString string(const QJsonValue& v, FormReader& reader) {
    if (!v.isString())
        reader.fail(QStringLiteral("a text is expected"));
    return v.toString();
}

QStringList lines(const QJsonValue& v, FormReader& reader) {
    if (!v.isArray())
        reader.fail(QStringLiteral("a list of lines is expected"));
    QStringList out;
    for (const QJsonValue& line : v.toArray())
        out << string(line, reader);
    return out;
}

} // namespace PropertyValues

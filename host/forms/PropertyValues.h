#pragma once
// Converting resource values: colours and fonts by the host's names, typed reads that fail clearly.
#include <QColor>
#include <QFont>
#include <QJsonValue>
#include <QString>
#include <QStringList>

class FormReader;

namespace PropertyValues {
QColor color(const QJsonValue& v, FormReader& reader);                  // "clInfoBk", "clBlue", "#rrggbb"
QFont font(const QFont& base, const QJsonValue& v, FormReader& reader); // {"Name","Size","Style":[...]}
int integer(const QJsonValue& v, FormReader& reader);
bool boolean(const QJsonValue& v, FormReader& reader);
QString string(const QJsonValue& v, FormReader& reader);
// A list of lines: an array of strings.
QStringList lines(const QJsonValue& v, FormReader& reader);
} // namespace PropertyValues

#pragma once
// The selection text that the lookup dialog writes for a multiple choice.
//
// Format: empty when nothing is chosen; otherwise the marker "#L1:" followed by each key written
// as <length in decimal>":"<key>, with no separator between keys. For example the keys "10" and
// "A|B" give "#L1:2:103:A|B". Length-prefixing lets any key text (quotes, "|", blanks, accents,
// the marker itself) round-trip exactly, and the marker keeps a non-empty selection from ever
// reading as "T" (no restriction) or as blank.
#include "host_export.h"
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

namespace SelectionText HOST_EXPORT {
QString encode(const QStringList& keys);
// Appends one key to a selection text being written (an empty text becomes one).
void append(QString& text, QStringView key);
// Hands over each key of a selection text in turn, holding none: a selection of every client does
// not become a list of them. False when the text is not a selection text (keys before the fault
// were handed over already).
bool forEachKey(QStringView text, const std::function<void(QStringView key)>& each);
// The keys of a selection text; an empty text gives no keys. A text that is not a selection text
// gives nothing (the caller reports it).
std::optional<QStringList> decode(const QString& text);
} // namespace SelectionText

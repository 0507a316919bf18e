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
#include <optional>

namespace SelectionText HOST_EXPORT {
QString encode(const QStringList& keys);
// The keys of a selection text; an empty text gives no keys. A text that is not a selection text
// gives nothing (the caller reports it).
std::optional<QStringList> decode(const QString& text);
} // namespace SelectionText

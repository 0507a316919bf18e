#pragma once
// The one rule for text that comes from the database and goes into a report, whatever the format:
// composed as NFC (an accent typed as a separate mark becomes one letter, so it is measured, drawn,
// searched and exported as the letter it is); control characters other than TAB, LF and CR dropped
// (NUL and its kin have no glyph, break XML and cut C strings); a lone surrogate becomes U+FFFD.
#include "host_export.h"

#include <QString>

// Returns text itself (no copy) when it already follows the rule, which is the common case.
HOST_EXPORT QString cellText(const QString& text);
// A control character the rule drops (all but TAB, LF and CR), for code that must keep positions.
bool isDroppedFromCellText(char16_t c);
// True when cellText(text) would change nothing.
bool isCellText(QStringView text);

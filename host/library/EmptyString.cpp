#include "library/EmptyString.h"

bool EmptyString(const QString& text) {
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

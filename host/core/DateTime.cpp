#include "core/DateTime.h"

const QDate& HostDate::origin() {
    static const QDate d(1899, 12, 30);
    return d;
}

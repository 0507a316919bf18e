#pragma once
// Host date-times: days counted from 30/12/1899 (day 0); the fraction is the time of day.
#include "host_export.h"
#include <QDate>
#include <QDateTime>

using TDateTime = double;

namespace HostDate HOST_EXPORT {
const QDate& origin();
inline TDateTime fromDate(const QDate& date) {
    return double(origin().daysTo(date));
}
inline QDate toDate(TDateTime value) {
    return origin().addDays(qint64(value));
}
// A wall-clock value, in UTC so that it never passes through local time: a local midnight does not
// exist on the days a zone's clocks skip it, and the calendar day must survive whatever the zone.
inline QDateTime toDateTime(TDateTime value) {
    qint64 days = qint64(value);
    double frac = value - double(days);
    if (frac < 0)
        frac = -frac; // negative values keep the time of day as a positive fraction
    return QDateTime(origin().addDays(days), QTime(0, 0).addMSecs(qint64(frac * 86400000.0 + 0.5)), Qt::UTC);
}
inline TDateTime fromDateTime(const QDateTime& dt) {
    double days = double(origin().daysTo(dt.date()));
    double frac = dt.time().msecsSinceStartOfDay() / 86400000.0;
    return days + (days < 0 ? -frac : frac);
}
} // namespace HostDate

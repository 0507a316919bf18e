// Date edit text parser. First byte: style (0 day, 1 month) and, in its high bits, a cursor; the rest
// is the text. Only real dates in range come out as dates, and a date formats back to itself.
#include "library/DateText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const int style = data[0] & 1;
    const int cursor = (data[0] >> 1) % 16;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const DateText::Parsed parsed = DateText::parse(text, style);
    const std::optional<QDate> date = DateText::toDate(text, style);
    if (date.has_value() != (parsed.problem == DateText::Problem::None))
        abort();
    if (date) {
        if (!date->isValid() || !DateText::inRange(*date))
            abort();
        if (style == DateText::MonthStyle && date->day() != 1)
            abort();
        if (DateText::toDate(DateText::format(*date, style), style) != date)
            abort();
    }
    const QString message = DateText::problemMessage(text, style);
    const bool quiet =
        parsed.problem == DateText::Problem::None || parsed.problem == DateText::Problem::Empty;
    if (message.isEmpty() != quiet)
        abort();

    const QString normal = DateText::normalise(text, style);
    DateText::parse(normal, style);
    DateText::convert(text, style, 1 - style);
    DateText::convert(normal, style, 1 - style);
    DateText::separatorTyped(text, cursor, style);
    DateText::separatorTyped(normal, cursor, style);
    DateText::visibleText(text);
    if (date)
        DateText::dayName(*date, DateText::defaultDayNames());
    return 0;
}

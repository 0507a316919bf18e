#include "library/TDateEditPlus.h"

#include "core/Errors.h"
#include "library/DateText.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
const QString kDefaultGlyph = QStringLiteral(":/glyphs/calendar.png");
const QColor kDayNameColor(0x80, 0x80, 0x80);
constexpr int kButtonWidth = 18;
constexpr int kDayNameGap = 4; // between the date and the weekday name
} // namespace

TDateEditPlus::TDateEditPlus(QWidget* parent) : THostControl<QLineEdit>(parent) {
    m_dayNames = DateText::defaultDayNames();
    m_normalText = palette().color(QPalette::Active, QPalette::Text);
    setInputMask(DateText::inputMask(m_style));

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("TDateEditPlus_calendarButton"));
    m_button->setFocusPolicy(Qt::NoFocus); // the focus (and so the exit event) stays on the edit
    m_button->setAutoRaise(true);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setToolTip(QStringLiteral("Calendário"));
    if (!SetGlyph(kDefaultGlyph))
        m_button->setText(QStringLiteral("..."));
    connect(m_button, &QToolButton::clicked, this, &TDateEditPlus::showCalendar);
    setTextMargins(0, 0, kButtonWidth, 0);
    placeButton();

    connect(this, &QLineEdit::textChanged, this, [this] {
        updateLook();
        emit dateChanged();
    });
    connect(this, &QLineEdit::textEdited, this, &TDateEditPlus::dateEdited);
    updateLook();
}

TDateEditPlus::~TDateEditPlus() = default;

QString TDateEditPlus::Text() const {
    return DateText::visibleText(displayText());
}

void TDateEditPlus::setShownText(const QString& text) {
    if (text.isEmpty())
        QLineEdit::clear();
    else
        QLineEdit::setText(text);
}

void TDateEditPlus::SetText(const QString& text) {
    setShownText(DateText::normalise(text, m_style));
}

void TDateEditPlus::Clear() {
    m_time = QTime(0, 0);
    setShownText(QString());
}

QDate TDateEditPlus::Date() const {
    return DateText::toDate(displayText(), m_style).value_or(QDate());
}

bool TDateEditPlus::IsValidDate() const {
    return Date().isValid();
}

TDateTime TDateEditPlus::GetDate() const {
    const QDate d = Date();
    if (!d.isValid())
        return 0;
    if (m_keepTime)
        return HostDate::fromDateTime(QDateTime(d, m_time));
    return HostDate::fromDate(d);
}

void TDateEditPlus::SetDate(TDateTime value) {
    const double first = HostDate::fromDate(DateText::firstDate());
    const double afterLast = HostDate::fromDate(DateText::lastDate()) + 1;
    // Negative values carry the time as a negative fraction, so -1.5 is still day -1.
    if (!std::isfinite(value) || value <= first - 1 || value >= afterLast)
        throw EHostError(
            QStringLiteral("O valor %1 não corresponde a uma data entre 01/01/0100 e 31/12/9999.")
                .arg(value, 0, 'g', 12));
    const QDateTime dt = HostDate::toDateTime(value);
    m_time = m_keepTime ? dt.time() : QTime(0, 0);
    setShownText(DateText::format(dt.date(), m_style));
}

void TDateEditPlus::SetEditStyle(int style) {
    if (!DateText::isValidStyle(style))
        throw EHostError(
            QStringLiteral("Estilo de edição de data %1 desconhecido: use 0 (data) ou 1 (mês).").arg(style));
    if (style == m_style)
        return;
    const QString converted = DateText::convert(displayText(), m_style, style);
    m_style = style;
    setInputMask(DateText::inputMask(style));
    setShownText(converted);
    updateLook();
}

void TDateEditPlus::SetShowDia(bool show) {
    m_showDia = show;
    updateDayLabel();
}

QColor TDateEditPlus::Color() const {
    return palette().color(QPalette::Active, QPalette::Base);
}

void TDateEditPlus::SetColor(const QColor& color) {
    // Active and inactive only: a disabled edit keeps the style's disabled look.
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::Base, color);
    p.setColor(QPalette::Inactive, QPalette::Base, color);
    setPalette(p);
}

void TDateEditPlus::SetColorValidDate(const QColor& color) {
    m_validColor = color;
    updateLook();
}

bool TDateEditPlus::SetDayNames(const QStringList& names) {
    if (names.size() != 7)
        return false;
    m_dayNames = names;
    updateDayLabel();
    return true;
}

bool TDateEditPlus::SetGlyph(const QString& resourcePath) {
    const QPixmap p(resourcePath);
    if (p.isNull())
        return false;
    m_glyphPath = resourcePath;
    m_button->setText(QString());
    m_button->setIcon(QIcon(p));
    m_button->setIconSize(p.size().boundedTo(QSize(16, 16)));
    return true;
}

void TDateEditPlus::CheckValidDate() {
    const QString message = DateText::problemMessage(displayText(), m_style);
    if (!message.isEmpty())
        MensErro(message, true);
}

void TDateEditPlus::updateLook() {
    QPalette p = palette();
    const QColor text = IsValidDate() ? m_validColor : m_normalText;
    if (p.color(QPalette::Active, QPalette::Text) != text) {
        p.setColor(QPalette::Active, QPalette::Text, text);
        p.setColor(QPalette::Inactive, QPalette::Text, text);
        setPalette(p);
    }
    updateDayLabel();
}

void TDateEditPlus::placeButton() {
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, this);
    const int h = qMax(0, height() - 2 * frame);
    m_button->setGeometry(width() - frame - kButtonWidth, frame, kButtonWidth, h);
}

void TDateEditPlus::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeButton();
    updateDayLabel();
}

void TDateEditPlus::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        placeButton();
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        updateDayLabel();
    if (event->type() == QEvent::ReadOnlyChange || event->type() == QEvent::EnabledChange)
        m_button->setEnabled(!isReadOnly());
}

TDateEditPlus::DayLabel TDateEditPlus::dayLabel() const {
    DayLabel label;
    if (!m_showDia || m_style != DateText::DayStyle)
        return label;
    const QDate d = Date();
    const QString name = DateText::dayName(d, m_dayNames);
    if (name.isEmpty())
        return label;
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this).marginsRemoved(textMargins());
    // QLineEdit draws the text 2 pixels in from its contents; left-aligned, it ends here.
    const int textEnd = r.left() + 2 + fontMetrics().horizontalAdvance(displayText());
    const QRect free(textEnd + kDayNameGap, r.top(), r.right() - 1 - (textEnd + kDayNameGap) + 1, r.height());
    if (free.width() <= 0)
        return label;
    // The whole name, else its first three letters, else those in a smaller font; never over the date.
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() > 0 ? font().pointSizeF() * 0.8 : 7);
    const QList<std::pair<QString, QFont>> tries{
        {name, font()}, {name.left(3), font()}, {name.left(3), small}};
    for (const auto& [text, f] : tries) {
        if (QFontMetrics(f).horizontalAdvance(text) <= free.width()) {
            label.text = text;
            label.font = f;
            label.rect = free;
            return label;
        }
    }
    return label;
}

// Computed when the text, the style, the names, the font or the size change, not at every paint.
// Screen readers get the name as drawn: it is not part of the edit's text.
void TDateEditPlus::updateDayLabel() {
    m_dayLabel = dayLabel();
    if (accessibleDescription() != m_dayLabel.text) // each change is an event to screen readers
        setAccessibleDescription(m_dayLabel.text);
    update();
}

void TDateEditPlus::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    const DayLabel& label = m_dayLabel;
    if (label.text.isEmpty())
        return;
    QPainter p(this);
    p.setFont(label.font);
    p.setPen(isEnabled() ? kDayNameColor : palette().color(QPalette::Disabled, QPalette::Text));
    p.drawText(label.rect, Qt::AlignRight | Qt::AlignVCenter, label.text);
}

void TDateEditPlus::keyPressEvent(QKeyEvent* event) {
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    const bool f4 = event->key() == Qt::Key_F4 && event->modifiers() == Qt::NoModifier;
    if (altDown || f4) {
        showCalendar();
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!isReadOnly() && !hasSelectedText() && typed.size() == 1 &&
        QStringLiteral("/.-,").contains(typed[0])) {
        if (const auto edit = DateText::separatorTyped(displayText(), cursorPosition(), m_style)) {
            if (edit->text != displayText()) {
                QLineEdit::setText(edit->text);
                emit dateEdited();
            }
            setCursorPosition(edit->cursor);
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TDateEditPlus::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    // Typing into an empty edit always starts at the day, wherever it was clicked.
    if (Text().isEmpty())
        setCursorPosition(0);
}

void TDateEditPlus::ensureCalendar() {
    if (m_popup)
        return;
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("TDateEditPlus_calendarPopup"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setObjectName(QStringLiteral("TDateEditPlus_calendar"));
    m_calendar->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
    m_calendar->setFirstDayOfWeek(Qt::Sunday);
    m_calendar->setGridVisible(true);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setDateRange(DateText::firstDate(), DateText::lastDate());
    layout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, &TDateEditPlus::calendarPicked);
    connect(m_calendar, &QCalendarWidget::activated, this, &TDateEditPlus::calendarPicked);
}

void TDateEditPlus::showCalendar() {
    if (!isEnabled() || isReadOnly())
        return;
    // Opening the calendar is entering the edit: the control left first may refuse its value and
    // keep the focus, and then the calendar stays closed.
    if (!hasFocus()) {
        SetFocus();
        if (window()->isActiveWindow() && !hasFocus())
            return;
    }
    ensureCalendar();
    const QDate d = Date();
    m_calendar->setSelectedDate(d.isValid() ? d : QDate::currentDate());
    m_popup->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* s = screen()) {
        const QRect avail = s->availableGeometry();
        if (at.y() + m_popup->height() > avail.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        at.setX(qBound(avail.left(), at.x(), qMax(avail.left(), avail.right() - m_popup->width())));
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void TDateEditPlus::calendarPicked(const QDate& date) {
    m_popup->hide();
    if (!DateText::inRange(date))
        return;
    const QDate picked = m_style == DateText::MonthStyle ? QDate(date.year(), date.month(), 1) : date;
    const QString text = DateText::format(picked, m_style);
    if (text != displayText()) {
        setShownText(text);
        emit dateEdited();
    }
}

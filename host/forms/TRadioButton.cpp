#include "forms/TRadioButton.h"

#include "forms/TApplication.h"

#include <QKeyEvent>
#include <QSignalBlocker>

TRadioButton::TRadioButton(QWidget* parent) : THostControl<QRadioButton>(parent) {
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            userNotify(QStringLiteral("OnClick"));
    });
}

void TRadioButton::setCheckedQuietly(bool checked) {
    QSignalBlocker block(this);
    if (!checked && isChecked()) {
        // Qt keeps one radio of a group checked; the host may uncheck all of them.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
    } else {
        setChecked(checked);
    }
}

void TRadioButton::SetChecked(bool checked) {
    if (checked == isChecked())
        return;
    setCheckedQuietly(checked);
    if (checked)
        raiseNotify(QStringLiteral("OnClick"));
}

void TRadioButton::keyPressEvent(QKeyEvent* event) {
    if (hasHandler(QStringLiteral("OnKeyDown"))) {
        int key = HostKey::fromQtKey(event->key());
        const TShiftState shift = shiftStateFromQt(event->modifiers());
        TApplication::guard([&] { raiseKeyDown(QStringLiteral("OnKeyDown"), key, shift); });
        if (key == 0) {
            event->accept();
            return;
        }
    }
    QRadioButton::keyPressEvent(event);
}

#include "forms/TLabel.h"

TLabel::TLabel(QWidget* parent) : THostControl<QLabel>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::SetCaption(const QString& caption) {
    setText(caption);
    if (m_autoSize)
        adjustSize();
}

void TLabel::SetAutoSize(bool autoSize) {
    m_autoSize = autoSize;
    if (autoSize)
        adjustSize();
}

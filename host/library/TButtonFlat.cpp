#include "library/TButtonFlat.h"

#include <QIcon>

TButtonFlat::TButtonFlat(QWidget* parent) : THostControl<QToolButton>(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::clicked, this, [this] { userNotify(QStringLiteral("OnClick")); });
}

void TButtonFlat::SetCaption(const QString& caption) {
    setText(caption);
    setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
}

bool TButtonFlat::SetGlyph(const QString& resourcePath) {
    QPixmap p(resourcePath);
    if (p.isNull())
        return false;
    m_glyph = p;
    applyGlyph();
    return true;
}

void TButtonFlat::SetNumGlyphs(int n) {
    m_numGlyphs = qMax(1, n);
    applyGlyph();
}

void TButtonFlat::applyGlyph() {
    if (m_glyph.isNull())
        return;
    const int w = m_glyph.width() / m_numGlyphs;
    QIcon icon;
    icon.addPixmap(m_glyph.copy(0, 0, w, m_glyph.height()), QIcon::Normal);
    if (m_numGlyphs > 1)
        icon.addPixmap(m_glyph.copy(w, 0, w, m_glyph.height()), QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(w, m_glyph.height()));
}

#include "reporting/preview/ReportSearchBar.h"

#include "reporting/ReportDocument.h"
#include "reporting/preview/ReportTextSearch.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>

ReportSearchBar::ReportSearchBar(const ReportDocument& document, QWidget* parent)
    : QWidget(parent), m_doc(document), m_search(new ReportTextSearch(document, this)) {
    setAccessibleName(QStringLiteral("Pesquisa no relatório"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Pes&quisar:"), this);
    m_field = new QLineEdit(this);
    m_field->setAccessibleName(QStringLiteral("Texto a pesquisar"));
    m_field->setPlaceholderText(QStringLiteral("Texto a pesquisar no relatório"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    label->setBuddy(m_field);
    m_matchCase = new QCheckBox(QStringLiteral("&Diferenciar maiúsculas"), this);
    m_matchCase->setAccessibleName(QStringLiteral("Diferenciar maiúsculas"));
    auto button = [this](const QString& text, const QString& name, auto slot) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(name);
        b->setAccessibleName(name);
        connect(b, &QToolButton::clicked, this, slot);
        return b;
    };
    auto* previous = button(QStringLiteral("▲"), QStringLiteral("Ocorrência anterior (Shift+F3)"),
                            &ReportSearchBar::previous);
    auto* next =
        button(QStringLiteral("▼"), QStringLiteral("Próxima ocorrência (F3)"), &ReportSearchBar::next);
    m_count = new QLabel(this);
    m_count->setAccessibleName(QStringLiteral("Ocorrências encontradas"));
    m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("00000 de 00000…")));
    auto* close =
        button(QStringLiteral("✕"), QStringLiteral("Fechar a pesquisa (Esc)"), &ReportSearchBar::close);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_count);
    layout->addWidget(m_matchCase);
    layout->addWidget(close);

    m_results = new QListView;
    m_results->setModel(m_search);
    m_results->setAccessibleName(QStringLiteral("Resultados da pesquisa"));
    m_results->setUniformItemSizes(true);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setTextElideMode(Qt::ElideRight);
    m_results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_results->hide();
    m_results->installEventFilter(this);
    connect(m_results, &QListView::activated, this, [this](const QModelIndex& i) { setCurrent(i.row()); });
    connect(m_results, &QListView::clicked, this, [this](const QModelIndex& i) { setCurrent(i.row()); });
    // Moving through the list with the keyboard shows each match in turn.
    connect(m_results->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) {
                if (i.isValid() && i.row() != m_current)
                    setCurrent(i.row());
            });

    connect(m_field, &QLineEdit::textChanged, this, &ReportSearchBar::restart);
    connect(m_matchCase, &QCheckBox::toggled, this, &ReportSearchBar::restart);
    connect(m_search, &ReportTextSearch::progressed, this, &ReportSearchBar::progressed);
    connect(&document, &ReportDocument::completed, this, &ReportSearchBar::progressed);
    connect(&document, &ReportDocument::failed, this, &ReportSearchBar::progressed);
    hide();
}

void ReportSearchBar::open() {
    show();
    m_results->setVisible(!m_search->text().isEmpty());
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void ReportSearchBar::close() {
    const bool wasOpen = isVisible();
    hide();
    m_results->hide();
    m_search->clear();
    setCurrent(-1);
    if (wasOpen)
        emit closed();
}

void ReportSearchBar::find(const QString& text) {
    if (m_field->text() == text)
        restart();
    else
        m_field->setText(text);
}

void ReportSearchBar::restart() {
    m_current = -1;
    emit currentChanged(-1);
    m_search->start(m_field->text(), m_matchCase->isChecked());
    m_results->setVisible(isVisible() && !m_field->text().trimmed().isEmpty());
}

void ReportSearchBar::progressed() {
    // The first match on the page in sight or after it, as soon as there is one; when the search
    // ends with none after it, the first of all.
    if (m_current < 0 && m_search->count() > 0) {
        const int from = m_search->firstFrom(m_startPage);
        if (from >= 0)
            setCurrent(from);
        else if (!m_search->isRunning())
            setCurrent(0);
    }
    m_count->setText(countText());
}

QString ReportSearchBar::countText() const {
    if (m_search->text().trimmed().isEmpty())
        return {};
    // More may come: pages still to search, or pages of a report still running.
    const bool more = m_search->isRunning() || (!m_doc.isComplete() && m_doc.failure().isEmpty());
    const QString ellipsis = more ? QStringLiteral("…") : QString();
    if (m_search->count() == 0)
        return more ? QStringLiteral("Pesquisando…") : QStringLiteral("Nenhuma ocorrência");
    return QStringLiteral("%1 de %2%3").arg(m_current + 1).arg(m_search->count()).arg(ellipsis);
}

void ReportSearchBar::setCurrent(int match) {
    if (match >= m_search->count())
        match = -1;
    m_current = match;
    if (match >= 0) {
        const QModelIndex index = m_search->index(match);
        m_results->setCurrentIndex(index);
        m_results->scrollTo(index);
    }
    m_count->setText(countText());
    emit currentChanged(match);
}

void ReportSearchBar::next() {
    if (m_search->count() > 0)
        setCurrent((m_current + 1) % m_search->count());
}

void ReportSearchBar::previous() {
    if (m_search->count() > 0)
        setCurrent(m_current <= 0 ? m_search->count() - 1 : m_current - 1);
}

bool ReportSearchBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (watched == m_field && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            if (key->modifiers() & Qt::ShiftModifier)
                previous();
            else
                next();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

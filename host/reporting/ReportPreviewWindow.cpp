#include "reporting/ReportPreviewWindow.h"

#include "core/Errors.h"
#include "core/MessageSink.h"
#include "reporting/ReportDialogs.h"
#include "reporting/ReportDocument.h"
#include "reporting/ReportTask.h"
#include "reporting/export/ReportExport.h"
#include "reporting/preview/ReportPageView.h"
#include "reporting/preview/ReportSearchBar.h"
#include "reporting/preview/ReportTextSearch.h"
#include "reporting/preview/ReportThumbnailView.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// The zoom last chosen, for the next preview of the session.
int s_zoom = ReportPageView::FitWidth;
bool s_thumbnails = true;
} // namespace

ReportPreviewWindow::ReportPreviewWindow(ReportDocument& document, QWidget* parent)
    : QDialog(parent), m_doc(document) {
    setWindowTitle(QStringLiteral("Visualização - %1").arg(document.title()));
    setModal(true);
    // A page read at its width needs the room: nine tenths of the screen the preview opens on, or the
    // whole of it when the main window takes it.
    const QWidget* main = parent ? parent->window() : nullptr;
    if (const QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen())
        resize(screen->availableSize() * 0.9);
    if (main && main->isMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);

    m_view = new ReportPageView(document, this);
    m_thumbnails = new ReportThumbnailView(document, this);
    m_searchBar = new ReportSearchBar(document, this);
    m_view->setSearch(&m_searchBar->search());

    // A tool bar: what does not fit a narrow window goes under its ">>" button.
    auto* bar = new QToolBar(this);
    bar->setAccessibleName(QStringLiteral("Barra de ferramentas da visualização"));
    auto button = [&](const QString& text, const QString& name, auto slot) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(name);
        b->setAccessibleName(name);
        connect(b, &QToolButton::clicked, this, slot);
        bar->addWidget(b);
        b->setAutoRaise(false); // drawn as buttons: a flat "Pesquisar" reads like a label
        return b;
    };
    m_thumbnailsButton =
        button(QStringLiteral("Miniaturas"), QStringLiteral("Mostrar miniaturas (Ctrl+M)"), [this](bool on) {
            m_thumbnails->setVisible(on);
            s_thumbnails = on;
        });
    m_thumbnailsButton->setCheckable(true);
    m_thumbnailsButton->setChecked(s_thumbnails);
    m_thumbnails->setVisible(s_thumbnails);
    bar->addSeparator();
    button(QStringLiteral("|<"), QStringLiteral("Primeira página (Home)"), [this] { showPage(0); });
    button(QStringLiteral("<"), QStringLiteral("Página anterior (Page Up)"),
           [this] { showPage(currentPage() - 1); });
    auto* pageLabel = new QLabel(QStringLiteral("Pá&gina"), this);
    bar->addWidget(pageLabel);
    m_pageBox = new QSpinBox(this);
    m_pageBox->setAccessibleName(QStringLiteral("Ir para a página"));
    m_pageBox->setKeyboardTracking(false);
    pageLabel->setBuddy(m_pageBox);
    bar->addWidget(m_pageBox);
    m_pageCount = new QLabel(this);
    m_pageCount->setAccessibleName(QStringLiteral("Total de páginas"));
    bar->addWidget(m_pageCount);
    button(QStringLiteral(">"), QStringLiteral("Próxima página (Page Down)"),
           [this] { showPage(currentPage() + 1); });
    button(QStringLiteral(">|"), QStringLiteral("Última página (End)"),
           [this] { showPage(m_doc.pageCount() - 1); });
    bar->addSeparator();
    button(QStringLiteral("−"), QStringLiteral("Diminuir o zoom (Ctrl+-)"), [this] { m_view->zoomBy(-1); });
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setAccessibleName(QStringLiteral("Zoom"));
    m_zoomBox->addItem(QStringLiteral("Largura da página"), int(ReportPageView::FitWidth));
    m_zoomBox->addItem(QStringLiteral("Página inteira"), int(ReportPageView::FitPage));
    for (int pct : ReportPageView::zoomSteps())
        m_zoomBox->addItem(QStringLiteral("%1%").arg(pct), pct);
    bar->addWidget(m_zoomBox);
    button(QStringLiteral("+"), QStringLiteral("Aumentar o zoom (Ctrl++)"), [this] { m_view->zoomBy(1); });
    bar->addSeparator();
    button(QStringLiteral("Pesquisar"), QStringLiteral("Pesquisar no relatório (Ctrl+F)"),
           [this] { m_searchBar->open(); });
    auto* stretch = new QWidget(this);
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(stretch);
    auto* print = new QPushButton(QStringLiteral("&Imprimir..."), this);
    print->setAccessibleName(QStringLiteral("Imprimir"));
    connect(print, &QPushButton::clicked, this, &ReportPreviewWindow::printDocument);
    bar->addWidget(print);
    m_whenComplete << print;
    addExportActions(bar);
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    close->setAccessibleName(QStringLiteral("Fechar"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    bar->addWidget(close);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false); // Enter belongs to the page view and the search field

    auto* pages = new QSplitter(this);
    pages->setChildrenCollapsible(false);
    pages->addWidget(m_thumbnails);
    pages->addWidget(m_view);
    pages->setStretchFactor(0, 0);
    pages->setStretchFactor(1, 1);
    pages->setSizes({m_thumbnails->width(), width()}); // the pages take what the pictures leave
    // The search's results go under the pages, not beside them: the page fitted to the width keeps
    // its width (and its text its size) while they are shown, and nothing of it is covered.
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(pages);
    splitter->addWidget(m_searchBar->results());
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({height(), 7 * fontMetrics().height()}); // some six results

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar);
    layout->addWidget(m_searchBar);
    layout->addWidget(splitter, 1);

    // Pages and page count, as the report grows.
    updatePageCount();
    connect(&document, &ReportDocument::pagesAdded, this, &ReportPreviewWindow::updatePageCount);
    connect(&document, &ReportDocument::completed, this, &ReportPreviewWindow::updatePageCount);
    connect(&document, &ReportDocument::failed, this, &ReportPreviewWindow::updatePageCount);
    // A run that fails while its first pages are shown closes the preview; its message follows.
    connect(&document, &ReportDocument::failed, this, &QDialog::reject);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int v) { showPage(v - 1); });
    connect(m_view, &ReportPageView::currentPageChanged, this, [this](int page) {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(page + 1);
        m_thumbnails->setCurrentPage(page);
        m_searchBar->setStartPage(page);
    });
    connect(m_thumbnails, &ReportThumbnailView::pageChosen, this, &ReportPreviewWindow::showPage);

    // Zoom, kept for the session.
    showZoom(s_zoom);
    m_view->setZoom(s_zoom);
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_view->setZoom(m_zoomBox->itemData(index).toInt()); });
    connect(m_view, &ReportPageView::zoomChanged, this, [this](int zoom) {
        s_zoom = zoom;
        showZoom(zoom);
    });

    // Search.
    connect(m_searchBar, &ReportSearchBar::currentChanged, m_view, &ReportPageView::setCurrentMatch);
    connect(&m_searchBar->search(), &ReportTextSearch::progressed, m_view->viewport(),
            qOverload<>(&QWidget::update));
    connect(m_searchBar, &ReportSearchBar::closed, m_view, qOverload<>(&QWidget::setFocus));

    auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Find, [this] { m_searchBar->open(); });
    shortcut(QKeySequence(Qt::Key_F3),
             [this] { m_searchBar->isVisible() ? m_searchBar->next() : m_searchBar->open(); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { m_searchBar->previous(); });
    shortcut(QKeySequence::ZoomIn, [this] { m_view->zoomBy(1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { m_view->zoomBy(1); });
    shortcut(QKeySequence::ZoomOut, [this] { m_view->zoomBy(-1); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_0), [this] { m_view->setZoom(ReportPageView::FitWidth); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_M), [this] { m_thumbnailsButton->click(); });
    m_thumbnails->setCurrentPage(0);
    m_view->setFocus();
}

// Every way out of the preview into a file: one button per format.
void ReportPreviewWindow::addExportActions(QToolBar* bar) {
    // Export offers the three formats; each asks for its file.
    auto* exporting = new QPushButton(QStringLiteral("&Exportar"), this);
    exporting->setAccessibleName(QStringLiteral("Exportar o relatório"));
    exporting->setToolTip(QStringLiteral("Exportar o relatório em %1")
                              .arg(ReportExport::listed(QStringLiteral("%2"), QStringLiteral("ou"))));
    auto* formats = new QMenu(exporting);
    formats->setAccessibleName(QStringLiteral("Formatos de exportação"));
    for (const ReportExport::FormatInfo& f : ReportExport::formats())
        connect(formats->addAction(f.menuText), &QAction::triggered, this,
                [this, format = f.format] { exportTo(format); });
    exporting->setMenu(formats);
    bar->addWidget(exporting);
    m_whenComplete << exporting;
}

void ReportPreviewWindow::exec(ReportDocument& document, QWidget* parent) {
    ReportPreviewWindow window(document, parent);
    window.QDialog::exec();
}

int ReportPreviewWindow::currentPage() const {
    return m_view->currentPage();
}

void ReportPreviewWindow::showPage(int page) {
    m_view->goToPage(page);
}

double ReportPreviewWindow::zoom() const {
    return m_view->scale();
}

void ReportPreviewWindow::updatePageCount() {
    const int pages = m_doc.pageCount();
    const bool complete = m_doc.isComplete();
    {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setRange(1, qMax(1, pages));
    }
    if (complete)
        m_pageCount->setText(QStringLiteral("de %1").arg(pages));
    else if (!m_doc.failure().isEmpty())
        m_pageCount->setText(QStringLiteral("de %1 (interrompido)").arg(pages));
    else
        m_pageCount->setText(QStringLiteral("de %1…").arg(pages));
    m_pageCount->setToolTip(m_doc.failure());
    for (QPushButton* b : m_whenComplete) {
        b->setEnabled(complete);
        b->setToolTip(complete ? QString() : QStringLiteral("Disponível quando o relatório terminar"));
    }
}

void ReportPreviewWindow::showZoom(int zoom) {
    const int index = m_zoomBox->findData(zoom);
    if (index >= 0)
        m_zoomBox->setCurrentIndex(index);
}

void ReportPreviewWindow::printDocument() {
    if (!m_doc.isComplete())
        return;
    // The printer's own dialog, starting from the report's page set-up, with the range of pages and
    // the copies to print.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_doc.pageLayout());
    printer.setDocName(m_doc.title());
    if (!ReportDialogs::instance().setupPrint(printer, m_doc.pageCount()))
        return;
    int from = 1, to = m_doc.pageCount();
    if (printer.printRange() == QPrinter::PageRange) {
        from = qMax(1, printer.fromPage());
        to = printer.toPage() > 0 ? printer.toPage() : to;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = currentPage() + 1;
    }
    try {
        ReportTask::print(this, m_doc, printer, from, to);
    } catch (const EAbort&) {
    } catch (const EHostError& e) {
        MessageSink::instance().showError(e.message());
    }
}

void ReportPreviewWindow::exportTo(ReportExport::Format format) {
    const QString suffix = ReportExport::suffix(format);
    const std::optional<QString> chosen = ReportDialogs::instance().chooseExportFile(
        ReportExport::dialogCaption(format), m_doc.title() + u'.' + suffix, ReportExport::fileFilter(format));
    if (!chosen)
        return;
    // A name typed without a suffix gets the format's.
    const QString path = QFileInfo(*chosen).suffix().isEmpty() ? *chosen + u'.' + suffix : *chosen;
    try {
        ReportExport::write(m_doc, path, format);
    } catch (const EHostError& e) {
        MessageSink::instance().showError(e.message());
        return;
    }
    // Said where the user looks afterwards, and the folder one click away.
    MessageSink& messages = MessageSink::instance();
    messages.showStatus(QStringLiteral("Relatório exportado em '%1'.").arg(QDir::toNativeSeparators(path)));
    if (messages.confirm(
            ReportExport::dialogCaption(format),
            QStringLiteral("O relatório foi gravado em '%1'.").arg(QDir::toNativeSeparators(path)),
            QStringLiteral("Abrir a pasta")))
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

#include "reporting/ReportPreviewWindow.h"

#include "core/Errors.h"
#include "core/MessageSink.h"
#include "reporting/ReportDialogs.h"
#include "reporting/ReportDocument.h"
#include "reporting/export/ReportExport.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
enum ZoomMode { FitWidth = -1, FitPage = -2 };
}

ReportPreviewWindow::ReportPreviewWindow(ReportDocument& document, QWidget* parent)
    : QDialog(parent), m_doc(document) {
    setWindowTitle(QStringLiteral("Visualização - %1").arg(document.title()));
    setModal(true);
    resize(980, 760);

    auto* bar = new QHBoxLayout;
    auto button = [&](const QString& text, const QString& tip, auto slot) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        connect(b, &QToolButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    button(QStringLiteral("|<"), QStringLiteral("Primeira página"), [this] { showPage(0); });
    button(QStringLiteral("<"), QStringLiteral("Página anterior"), [this] { showPage(m_page - 1); });
    m_pageBox = new QSpinBox(this);
    m_pageBox->setRange(1, qMax(1, m_doc.pageCount()));
    m_pageBox->setAccessibleName(QStringLiteral("Página"));
    bar->addWidget(m_pageBox);
    bar->addWidget(new QLabel(QStringLiteral("de %1").arg(m_doc.pageCount()), this));
    button(QStringLiteral(">"), QStringLiteral("Próxima página"), [this] { showPage(m_page + 1); });
    button(QStringLiteral(">|"), QStringLiteral("Última página"),
           [this] { showPage(m_doc.pageCount() - 1); });
    bar->addSpacing(16);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setAccessibleName(QStringLiteral("Zoom"));
    m_zoomBox->addItem(QStringLiteral("Largura da página"), int(FitWidth));
    m_zoomBox->addItem(QStringLiteral("Página inteira"), int(FitPage));
    for (int pct : {50, 75, 100, 125, 150, 200})
        m_zoomBox->addItem(QStringLiteral("%1%").arg(pct), pct);
    bar->addWidget(m_zoomBox);
    bar->addStretch();
    auto* print = new QPushButton(QStringLiteral("&Imprimir..."), this);
    // Export offers the three formats; each asks for its file.
    auto* exporting = new QPushButton(QStringLiteral("&Exportar"), this);
    exporting->setAccessibleName(QStringLiteral("Exportar o relatório"));
    exporting->setToolTip(QStringLiteral("Exportar o relatório em PDF, planilha do Excel (XLSX) ou CSV"));
    auto* formats = new QMenu(exporting);
    formats->setAccessibleName(QStringLiteral("Formatos de exportação"));
    using ReportExport::Format;
    for (const auto& [format, text] :
         {std::pair{Format::Pdf, QStringLiteral("&PDF...")},
          std::pair{Format::Xlsx, QStringLiteral("Planilha do &Excel (XLSX)...")},
          std::pair{Format::Csv, QStringLiteral("&CSV (separado por ponto e vírgula)...")}})
        connect(formats->addAction(text), &QAction::triggered, this, [this, format] { exportTo(format); });
    exporting->setMenu(formats);
    auto* close = new QPushButton(QStringLiteral("&Fechar"), this);
    bar->addWidget(print);
    bar->addWidget(exporting);
    bar->addWidget(close);
    connect(print, &QPushButton::clicked, this, &ReportPreviewWindow::printDocument);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_canvas = new QLabel;
    m_canvas->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_canvas);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int v) { showPage(v - 1); });
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, [this] { render(); });
    new QShortcut(QKeySequence(Qt::Key_PageDown), this, [this] { showPage(m_page + 1); });
    new QShortcut(QKeySequence(Qt::Key_PageUp), this, [this] { showPage(m_page - 1); });
    render();
}

void ReportPreviewWindow::exec(ReportDocument& document, QWidget* parent) {
    ReportPreviewWindow window(document, parent);
    window.QDialog::exec();
}

double ReportPreviewWindow::zoom() const {
    const QSizeF page = m_doc.pageLayout().fullRect(QPageLayout::Point).size();
    const QSize view = m_scroll->viewport()->size() - QSize(24, 24);
    const int mode = m_zoomBox->currentData().toInt();
    if (mode == FitWidth)
        return qMax(0.1, view.width() / page.width());
    if (mode == FitPage)
        return qMax(0.1, qMin(view.width() / page.width(), view.height() / page.height()));
    return mode / 100.0 * logicalDpiX() / 72.0;
}

void ReportPreviewWindow::showPage(int page) {
    page = qBound(0, page, qMax(0, m_doc.pageCount() - 1));
    if (page == m_page && !m_canvas->pixmap().isNull())
        return;
    m_page = page;
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setValue(page + 1);
    render();
}

void ReportPreviewWindow::render() {
    // Only the page on screen is drawn, at the resolution of the screen.
    const double scale = zoom() * devicePixelRatioF();
    const QRectF full = m_doc.pageLayout().fullRect(QPageLayout::Point);
    QImage image((full.size() * scale).toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(int(scale * 72 / 0.0254));
    image.setDotsPerMeterY(int(scale * 72 / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ReportDocument::prepare(painter, image, true, m_doc.pageLayout());
        m_doc.drawPage(painter, m_page);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    m_canvas->setPixmap(pixmap);
}

void ReportPreviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_zoomBox->currentData().toInt() < 0)
        render();
}

void ReportPreviewWindow::printDocument() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_doc.pageLayout());
    printer.setDocName(m_doc.title());
    if (!ReportDialogs::instance().setupPrinter(printer))
        return;
    try {
        m_doc.print(printer, printer.fromPage() > 0 ? printer.fromPage() : 1, printer.toPage());
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
    }
}

#pragma once
// The base report form's report actions: preview, print, save as, printer set-up and edit, on the
// definition the form has selected. The list of definitions lives in a ReportCatalogue and the
// printers in SessionPrinters; the form learns of changes to the list through the signals below and
// shows them in its own combo box. The base form owns one.
#include "host_export.h"
#include "reporting/ReportCatalogue.h"
#include "reporting/SessionPrinters.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TMessages;
class TReportDesignerDialog;
class QWidget;
class ReportDefinition;
class ReportDocument;
class ReportTask;
class QPrinter;
class QPageLayout;
struct ReportRun;

struct HOST_EXPORT ReportContext {
    QString code;                  // report code, e.g. "QMT318"
    TMessages* messages = nullptr; // the form's msgPadrao ("Arq_Rel_Err", "NovoCaption", "NovoPrompt")
    TReportDesignerDialog* designer = nullptr; // raises BeforeGetQueryParams before every run
    QWidget* window = nullptr;                 // parent for the progress window
};

class HOST_EXPORT ReportController : public QObject {
    Q_OBJECT
public:
    explicit ReportController(QObject* parent = nullptr);
    ~ReportController() override;

    void setContext(const ReportContext& context);
    // Re-reads the definitions and announces them (listed). A definition that cannot be read is an
    // EHostError naming it, raised after the others were announced.
    void reload();

    // The actions on the entry at index (the index of the form's list). Errors are EHostError/EAbort.
    void preview(int index);
    void print(int index);
    void saveAs(int index);
    void printerSetup(int index);
    // Changes go to the site's or the user's folder, never the package's; a shipped definition's
    // first change is written only when the user confirms "Salvar".
    void edit(int index);
    // "Restaurar o padrão": after confirmation, removes the files that hide the shipped definition.
    void restoreDefault(int index);
    // "Excluir relatório…": after confirmation, removes a copy; a shipped definition is refused.
    void remove(int index);

    // The position whose filter rules the entry at index follows (a copy follows its source's);
    // -1 when index names no entry.
    int variantAt(int index) const;
    // The listed definitions, as the form's list shows them.
    const std::vector<ReportEntry>& entries() const { return m_catalogue.entries(); }

    // Asked between fetched rows, on the thread that reads them, besides the progress window's Cancel
    // (tests, batch runs).
    void setCancelCheck(std::function<bool(qint64 rowsFetched)> check);

signals:
    // The definitions' titles, in order, listed anew: the first one is to be selected (none when empty).
    void listed(const QStringList& titles);
    // A definition saved under a new title, listed last; the selection stays where it was.
    void added(const QString& title);
    // The definition at index now carries that title.
    void renamed(int index, const QString& title);
    // The definition at index is gone; those after it move up one place.
    void removed(int index);

private:
    QString message(const QString& key) const;
    QString missingDefinitionMessage() const;
    // The definition at index; a missing one shows "Arq_Rel_Err" and aborts.
    ReportDefinition definitionAt(int index) const;
    // A document for the definition, its rows read by the task on a worker thread and laid out here
    // as they come; completed (or failed) when the task ends. Declare it before the task: the task
    // must stop before the document goes.
    std::unique_ptr<ReportDocument> startDocument(const ReportDefinition& def, const QString& path,
                                                  ReportTask& task);
    // Runs the report to its last page.
    std::unique_ptr<ReportDocument> runReport(const ReportDefinition& def, const QString& path);
    // Opens the preview at the first page while the rest is still being read.
    void previewReport(const ReportDefinition& def, const QString& path);
    // Runs the report straight into a PDF, XLSX or CSV file.
    void writeFile(const ReportDefinition& def, const SessionPrinters::FileTarget& file,
                   const QPageLayout& layout);
    ReportRun makeRun() const;

    ReportContext m_context;
    ReportCatalogue m_catalogue;
    SessionPrinters m_printers;
    std::function<bool(qint64)> m_cancelCheck;
};

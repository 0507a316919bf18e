#pragma once
// The base report form's report handling: lists a report code's definitions and carries out the five
// actions (preview, print, save as, printer set-up, edit) for the selected one. The base form owns one.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TMessages;
class TComboBox;
class TReportDesignerDialog;
class QWidget;
class ReportDefinition;
class ReportDocument;

struct ReportEntry {
    QString title;
    QString path; // the definition file
    int order = 0;
};

struct ReportContext {
    QString code;                  // report code, e.g. "QMT318"
    TMessages* messages = nullptr; // the form's msgPadrao ("Arq_Rel_Err", "NovoCaption", "NovoPrompt")
    TReportDesignerDialog* designer = nullptr; // raises BeforeGetQueryParams before every run
    TComboBox* reportNames = nullptr;          // cbbReportNames
    QWidget* window = nullptr;                 // parent for the progress window
};

class ReportController : public QObject {
    Q_OBJECT
public:
    explicit ReportController(QObject* parent = nullptr);
    ~ReportController() override;

    // The definitions of a code in the reports directory, in their order (empty when none).
    // A corrupt definition is an EHostError naming the file and what is wrong.
    static std::vector<ReportEntry> listReports(const QString& reportsDir, const QString& code);

    void setContext(const ReportContext& context);
    const std::vector<ReportEntry>& entries() const { return m_entries; }
    // Re-reads the definitions and fills cbbReportNames, selecting the first (-1 when none).
    void reload();

    // The actions on the entry at index (cbbReportNames' item index). Errors are EHostError/EAbort.
    void preview(int index);
    void print(int index);
    void saveAs(int index);
    void printerSetup(int index);
    void edit(int index);

    // Asked between fetched rows instead of the progress window's Cancel (tests, batch runs).
    void setCancelCheck(std::function<bool(qint64 rowsFetched)> check);

private:
    QString message(const QString& key) const;
    QString folder() const; // the code's folder in the reports directory
    // The definition at index; a missing one shows "Arq_Rel_Err" and aborts.
    ReportDefinition definitionAt(int index) const;
    std::unique_ptr<ReportDocument> runReport(const ReportDefinition& def, const QString& path);

    struct Private;
    Private* d;
    ReportContext m_context;
    std::vector<ReportEntry> m_entries;
    std::function<bool(qint64)> m_cancelCheck;
};

#pragma once
// The one door through which anything modal is shown. The application installs the Qt
// implementation; tests install a scripted one that records what was asked and answers as told.
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TDataSource;
class QPrinter;
class ReportDocument;
class QWidget;

struct LookupRequest {
    TDataSource* dataSource = nullptr; // rows to choose from: its dataset's current result
    QString keyField;                  // field whose values make up the selection
    QString title;
    bool flag = false;
    QStringList preselected; // keys already in the selection text
};

struct ReportEditRequest;

class DialogService {
public:
    virtual ~DialogService();

    virtual void showError(const QString& text) = 0;
    virtual void showInformation(const QString& text) = 0;
    // The keys of the chosen rows in row order, or nothing when the user cancelled.
    virtual std::optional<QStringList> chooseFromList(const LookupRequest& request) = 0;
    // A line of text, or nothing when the user cancelled.
    virtual std::optional<QString> promptText(const QString& caption, const QString& prompt,
                                              const QString& initial) = 0;
    // Printer and page set-up; false when cancelled.
    virtual bool setupPrinter(QPrinter& printer) = 0;
    // Shows a laid-out report until the user closes the preview.
    virtual void previewReport(ReportDocument& document) = 0;
    // The report designer; true when the user saved.
    virtual bool editReport(ReportEditRequest& request) = 0;

    static DialogService& instance();
    // Installs a service (the application's or a test's); returns the previous one.
    static std::unique_ptr<DialogService> install(std::unique_ptr<DialogService> service);
};

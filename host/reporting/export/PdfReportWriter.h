#pragma once
// A report's pages written to a PDF file as its rows arrive: each row goes to the page being filled
// and each page to the file as the next one starts, so nothing grows with the rows. The file
// appears only in finish(); a writer dropped before leaves nothing.
#include "host_export.h"
#include "reporting/ReportDefinition.h"
#include "reporting/ReportSink.h"

#include <QPageLayout>
#include <functional>
#include <memory>

class HOST_EXPORT PdfReportWriter : public ReportSink {
public:
    // pageWritten, when set, is told the pages written so far. A target that cannot be written
    // throws EHostError naming the file.
    PdfReportWriter(const QString& path, const ReportDefinition& definition, const QPageLayout& layout,
                    std::function<void(int pages)> pageWritten = {});
    ~PdfReportWriter() override;

    void begin(const ReportHeading& heading, std::function<bool()> cancelled) override;
    void addRow(const QStringList& cells, const QString& groupKey, const QString& groupTitle) override;
    void finish() override;
    int pageCount() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

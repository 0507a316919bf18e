#include "reporting/export/TableWriter.h"

TableWriter::~TableWriter() = default;

void TableWriter::begin(const ReportHeading& h, std::function<bool()>) {
    heading(h);
}

void TableWriter::finish() {
    ReportGroups::finish();
    commit();
}

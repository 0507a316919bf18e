#pragma once
// Settings of the host session that the framework reads: where report definitions live, the
// session's printer, the user. The host application sets them from its command line.
#include "host_export.h"
#include <QString>

namespace HostSettings HOST_EXPORT {
// The reports directory: one folder per report code. Default: $ERP_REPORTS_DIR, else the build's reports/.
QString reportsDir();
void setReportsDir(const QString& dir);
// The folders that lie over the package's reports directory, nearest last: the site's (shared by the
// office, writable by its group; empty for none) and the user's. A definition in a nearer folder
// hides the one of the same file or shipped position below it; the package's folder is never written.
// Site default: $ERP_SITE_REPORTS_DIR, else none. User default: $ERP_USER_REPORTS_DIR, else the XDG
// data folder's erp-host/reports.
QString siteReportsDir();
void setSiteReportsDir(const QString& dir);
QString userReportsDir();
void setUserReportsDir(const QString& dir);
// The session's printer: empty for the system's default printer, or "pdf:PATH" for a PDF file.
QString printer();
void setPrinter(const QString& printer);
QString userName();
void setUserName(const QString& user);
} // namespace HostSettings

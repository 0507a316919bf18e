#pragma once
// Why writing a file failed, in the user's words. Buffered writers (QSaveFile) lose errno by the
// time a flush fails and Qt then says only "Unknown error", so the file system is asked as well:
// a full disk, a read-only mount and a used-up quota are named as such; anything else keeps what
// the system said.

#include <QString>

// path: the file being written; systemReason: what the writer reported (errorString());
// errnum: errno at the failure (reset it before the write), or 0 when the writer lost it: only then
// is the file system asked.
QString writeFailureReason(const QString& path, const QString& systemReason, int errnum = 0);

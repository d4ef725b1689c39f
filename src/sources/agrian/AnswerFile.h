#pragma once

#include <QByteArray>
#include <QString>

namespace zelvaro {

// How an answer of the service is kept in the Data folder.
enum class AnswerWrite {
    Replace, // written to a temporary file and renamed over the old one
    InPlace  // truncated and written (a record replaced at the next lookup)
};

// Writes an answer file. Never through a symbolic link: a link in the
// file's place (which could point anywhere the user may write) is left as
// it is and refused with SourceError naming it, as is any write failure.
void writeAnswerFile(const QString& path, const QByteArray& bytes, AnswerWrite how);

} // namespace zelvaro

#pragma once

#include <QString>
#include <QStringList>

namespace zelvaro {

class CdmsLibraryFactory;
class DotList;
class HostTables;
class RunUi;

// "&CDMS Connect": fills the DOT list with one row per CDMS product
// registered in the company's state.
class CdmsRetrieval {
public:
    CdmsRetrieval(HostTables& session, DotList& dotList, QStringList& textBuffer,
                  CdmsLibraryFactory& libraries);

    // The whole retrieval; failures of the libraries end it with the message
    // "Unable to connect to CDMS System" and leave the DOT list unchanged.
    void run(RunUi& ui);

    // C4STAT of the company constants row with C4LC = 1, as read; "MN" when
    // that row is missing or cannot be read.
    QString stateCode();

private:
    HostTables& m_session;
    DotList& m_list;
    QStringList& m_buffer;
    CdmsLibraryFactory& m_libraries;
};

} // namespace zelvaro

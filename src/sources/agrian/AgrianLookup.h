#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zelvaro {

class AgrianRequest;
class DotList;
class HostTables;
class Prompter;

// The regulatory lookup of one product: asks the Agrian service for the
// product's common name, DOT description and placard, stores the answer as
// Data/Agrian<ID>.xml, writes the values into the product's DOT table rows
// and into the DOT list row the caller names. It reports its own failures
// ("Post failed. …") and tells the caller what happened.
class AgrianLookup {
public:
    AgrianLookup(HostTables& session, DotList& dotList, AgrianRequest& request, Prompter& prompter);

    struct Values {
        QString commonName;
        QString dotText;
        QString placard;
    };
    struct Outcome {
        bool gotValues = false;    // the service's values are in the list row and,
                                   // when asked, the DOT table row
        bool failureShown = false; // a message was shown
        bool unreachable = false;  // the service could not be reached at all
        bool stopLookups = false;  // every further lookup would fail the same way
        bool hostRefused = false;  // the host refused the DOT row's update
    };

    // `productId` is the CDITEM of the DOT table row to update, as stored
    // (trailing blanks allowed; trimmed for the address and the file name).
    // `listRow`: the DOT list row to update too when it shows the product
    // (0 for none). With `writeDotRow` the DOT table row is updated and the
    // DOT view's rows of the product are fetched again (the view keeps its
    // current row); without, only the list row gets the values (for a
    // product whose row the caller inserts next). Text is stored as it is
    // split: line breaks as blanks, the DOT text trimmed; the common name is
    // cut to CDCNAME and the placard to CDPLAC.
    Outcome refresh(const QString& productId, int listRow, bool writeDotRow = true);

    // What the lookups of this object cost: their number and the time spent
    // in them, the service's share included (see AgrianRequest).
    int lookupCount() const { return m_lookups; }
    double lookupSeconds() const { return m_seconds; }

    // The request address for a trimmed product ID, from the settings at
    // each call; no part is escaped. ServiceAddressError for an address
    // that is not https.
    static QString buildAddress(const QString& productId);
    // The values of a regulatory document in any encoding the service may
    // use (AgrianText); nothing for an unreadable one, one without a
    // product, or one whose text could not be decoded (`error` says which).
    static std::optional<Values> parse(const QByteArray& document, QString* error);

private:
    Outcome lookUp(const QString& productId, int listRow, bool writeDotRow);

    HostTables& m_session;
    DotList& m_list;
    AgrianRequest& m_request;
    Prompter& m_prompter;
    int m_lookups = 0;
    double m_seconds = 0;
};

} // namespace zelvaro

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zelvaro {

class AgrianRequest;
class DotList;
class HostSession;
class Prompter;

// The regulatory lookup of one product: asks the Agrian service for the
// product's common name, DOT description and placard, stores the answer as
// Data/Agrian<ID>.xml, writes the values into the product's DOT table rows
// and into the DOT list row the caller names. It reports its own failures
// ("Post failed. …") and tells the caller what happened.
class AgrianLookup {
public:
    AgrianLookup(HostSession& session, DotList& dotList, AgrianRequest& request,
                 Prompter& prompter);

    struct Values {
        QString commonName;
        QString dotText;
        QString placard;
    };
    struct Outcome {
        bool gotValues = false;    // the DOT table row holds the service's values
        bool failureShown = false; // a message was shown
    };

    // `productId` is the CDITEM of the DOT table row to update, as stored
    // (trailing blanks allowed; trimmed for the address and the file name).
    // `listRow`: the DOT list row to update too when it shows the product
    // (0 for none). The DOT view's rows of the product are fetched again;
    // the view keeps its current row.
    Outcome refresh(const QString& productId, int listRow);

    // What the lookups of this object cost: their number and the time spent
    // in them, the service's share included (see AgrianRequest).
    int lookupCount() const { return m_lookups; }
    double lookupSeconds() const { return m_seconds; }

    // The request address for a trimmed product ID, from the settings at
    // each call; no part is escaped.
    static QString buildAddress(const QString& productId);
    // The values of a regulatory document; nothing for an unreadable one or
    // one without a product (`error` says which).
    static std::optional<Values> parse(const QByteArray& document, QString* error);

private:
    Outcome lookUp(const QString& productId, int listRow);

    HostSession& m_session;
    DotList& m_list;
    AgrianRequest& m_request;
    Prompter& m_prompter;
    int m_lookups = 0;
    double m_seconds = 0;
};

} // namespace zelvaro

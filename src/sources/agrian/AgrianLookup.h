#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zelvaro {

class AgrianRequest;
class DotList;
class HostSession;
class Prompter;

// The regulatory lookup of one product (RefreshAgrianProduct): asks the
// Agrian service for the product's common name, DOT description and
// placard, stores the answer as Data/Agrian<ID>.xml, writes the values into
// the DOT table row the DOT view stands on and into the DOT list row the
// caller names. It reports its own failures ("Post failed. …") and tells
// the caller what happened.
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

    // `listRow`: the DOT list row to update too (0 for none).
    Outcome refresh(const QString& productId, int listRow);

    // The request address for a trimmed product ID, from the settings at
    // each call; no part is escaped.
    static QString buildAddress(const QString& productId);
    // The values of a regulatory document; nothing for an unreadable one or
    // one without a product (`error` says which).
    static std::optional<Values> parse(const QByteArray& document, QString* error);

private:
    HostSession& m_session;
    DotList& m_list;
    AgrianRequest& m_request;
    Prompter& m_prompter;
};

} // namespace zelvaro

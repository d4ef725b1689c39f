#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace zelvaro {

// The CDMS label-data libraries as the retrieval relies on them. On Windows
// they are COM components; here one implementation reads a data set from
// files (CdmsFileLibrary). Every call may throw SourceError.

// The placard table of the DOT library.
struct CdmsPlacards {
    std::vector<std::pair<QString, QString>> codes; // code, text
};

// One DOT description of a product.
class CdmsDotDescription {
public:
    CdmsDotDescription(QString placard, QString dotText)
        : m_placard(std::move(placard)), m_dotText(std::move(dotText))
    {
    }
    // The placard text, looked up in the placard table when it is a code.
    QString placardText(const CdmsPlacards& placards) const;
    const QString& dotText() const { return m_dotText; }

private:
    QString m_placard;
    QString m_dotText;
};

// A product's DOT record: its DOT descriptions, 1-based.
class CdmsProductDot {
public:
    explicit CdmsProductDot(std::vector<CdmsDotDescription> descriptions)
        : m_descriptions(std::move(descriptions))
    {
    }
    int count() const { return int(m_descriptions.size()); }
    // Throws SourceError for an index outside 1..count().
    const CdmsDotDescription& description(const QVariant& index) const;

private:
    std::vector<CdmsDotDescription> m_descriptions;
};

// A product entry of the names library.
class CdmsNameEntry {
public:
    CdmsNameEntry(QString name, QString commonName)
        : m_name(std::move(name)), m_common(std::move(commonName))
    {
    }
    const QString& name() const { return m_name; }
    const QString& commonName() const { return m_common; }

private:
    QString m_name;
    QString m_common;
};

class CdmsNames {
public:
    virtual ~CdmsNames() = default;
    virtual void Connect() = 0;
    // The XML list of the products for one pattern character.
    virtual QString ListXML(int FieldIds, int Source, int WithType, int Excluding, bool& UseFilter,
                            QChar Pattern, const QString& StateCode, const QVariant& Reserved) = 0;
    virtual std::shared_ptr<CdmsNameEntry> Item(const QVariant& name) = 0;
    virtual void Disconnect() = 0;
};

class CdmsDot {
public:
    virtual ~CdmsDot() = default;
    virtual void Connect() = 0;
    virtual CdmsPlacards Placards() = 0;
    virtual std::shared_ptr<CdmsProductDot> Item(const CdmsNameEntry& entry) = 0;
    virtual void Disconnect() = 0;
};

// Creates the two library objects for one retrieval.
class CdmsLibraryFactory {
public:
    virtual ~CdmsLibraryFactory() = default;
    virtual std::unique_ptr<CdmsNames> createNames() = 0;
    virtual std::unique_ptr<CdmsDot> createDot() = 0;
};

} // namespace zelvaro

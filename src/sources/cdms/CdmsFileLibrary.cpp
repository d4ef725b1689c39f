#include "sources/cdms/CdmsFileLibrary.h"

#include "common/Error.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <pugixml.hpp>

namespace zelvaro {

namespace {

const QString ConnectFailure = QStringLiteral("Unable to connect to the CDMS data set in %1: %2");

struct Product {
    QString name;
    QString epa;
    QString manufacturer;
    QString common;
    bool listedOnly = false;
    QStringList states;
    std::vector<CdmsDotDescription> dots;
};

QString attr(const pugi::xml_node& n, const char* name)
{
    return QString::fromUtf8(n.attribute(name).value());
}

QString escapeAttribute(const QString& v)
{
    QString out;
    out.reserve(v.size() + 8);
    for (QChar c : v) {
        switch (c.unicode()) {
        case '\'':
            out += QLatin1String("&apos;");
            break;
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

struct CdmsFileLibrary::DataSet {
    QString folder;
    CdmsPlacards placards;
    std::vector<Product> products;
    QHash<QString, int> byName;

    static std::shared_ptr<DataSet> load(const QString& folder)
    {
        const QString path = QDir(folder).filePath(QStringLiteral("products.xml"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw SourceError(ConnectFailure.arg(folder, file.errorString()));
        QByteArray bytes = file.readAll();
        pugi::xml_document doc; // reads bytes in place: declared after them
        const pugi::xml_parse_result parsed =
            doc.load_buffer_inplace(bytes.data(), size_t(bytes.size()));
        if (!parsed)
            throw SourceError(ConnectFailure.arg(folder, QString::fromUtf8(parsed.description())));
        const pugi::xml_node root = doc.child("cdms");
        if (!root) throw SourceError(ConnectFailure.arg(folder, QStringLiteral("no cdms element")));
        auto set = std::make_shared<DataSet>();
        set->folder = folder;
        for (const pugi::xml_node& p : root.children("placard"))
            set->placards.codes.push_back({attr(p, "code"), attr(p, "text")});
        for (const pugi::xml_node& n : root.children("product")) {
            Product p;
            p.name = attr(n, "name");
            p.epa = attr(n, "epa");
            p.manufacturer = attr(n, "manufacturer");
            p.common = attr(n, "common");
            p.listedOnly =
                QString::fromUtf8(n.attribute("listed-only").value()) == QLatin1String("true");
            for (const pugi::xml_node& s : n.children("state"))
                p.states << QString::fromUtf8(s.text().get()).trimmed();
            for (const pugi::xml_node& d : n.children("dot"))
                p.dots.emplace_back(attr(d, "placard"), QString::fromUtf8(d.text().get()));
            if (!set->byName.contains(p.name))
                set->byName.insert(p.name, int(set->products.size()));
            set->products.push_back(std::move(p));
        }
        return set;
    }

    // The names and the DOT library of one connection read the same file:
    // the second to connect shares what the first loaded.
    static std::shared_ptr<DataSet> share(const QString& folder, std::weak_ptr<DataSet>& loaded)
    {
        if (auto set = loaded.lock()) return set;
        auto set = load(folder);
        loaded = set;
        return set;
    }

    const Product& find(const QString& name) const
    {
        const auto it = byName.constFind(name);
        if (it == byName.constEnd() || products[*it].listedOnly)
            throw SourceError(QStringLiteral("CDMS product %1 not found").arg(name));
        return products[*it];
    }
};

namespace {

class FileNames : public CdmsNames {
public:
    FileNames(QString folder, std::shared_ptr<std::weak_ptr<CdmsFileLibrary::DataSet>> loaded)
        : m_folder(std::move(folder)), m_loaded(std::move(loaded))
    {
    }
    void Connect() override { m_set = CdmsFileLibrary::DataSet::share(m_folder, *m_loaded); }
    QString ListXML(int, int, int, int, bool&, QChar Pattern, const QString& StateCode,
                    const QVariant&) override
    {
        if (!m_set) throw SourceError(QStringLiteral("CDMS names library is not connected"));
        QFile raw(QDir(m_folder).filePath(QStringLiteral("list-%1.xml").arg(Pattern)));
        if (raw.exists()) {
            if (!raw.open(QIODevice::ReadOnly)) throw SourceError(raw.errorString());
            return QString::fromUtf8(raw.readAll());
        }
        const QString state = StateCode.trimmed();
        QString out = QStringLiteral("<CDMSList>\n");
        for (const Product& p : m_set->products) {
            if (p.name.isEmpty() || p.name.front().toUpper() != Pattern.toUpper()) continue;
            bool registered = p.states.isEmpty();
            for (const QString& s : p.states)
                registered = registered || s.compare(state, Qt::CaseInsensitive) == 0;
            if (!registered) continue;
            out += QStringLiteral("<row Product=\"%1\" EPA=\"%2\" Manufacturer=\"%3\"/>\n")
                       .arg(escapeAttribute(p.name), escapeAttribute(p.epa),
                            escapeAttribute(p.manufacturer));
        }
        out += QStringLiteral("</CDMSList>\n");
        return out;
    }
    std::shared_ptr<CdmsNameEntry> Item(const QVariant& name) override
    {
        if (!m_set) throw SourceError(QStringLiteral("CDMS names library is not connected"));
        const Product& p = m_set->find(name.toString());
        return std::make_shared<CdmsNameEntry>(p.name, p.common);
    }
    void Disconnect() override { m_set.reset(); }

private:
    QString m_folder;
    std::shared_ptr<std::weak_ptr<CdmsFileLibrary::DataSet>> m_loaded;
    std::shared_ptr<CdmsFileLibrary::DataSet> m_set;
};

class FileDot : public CdmsDot {
public:
    FileDot(QString folder, std::shared_ptr<std::weak_ptr<CdmsFileLibrary::DataSet>> loaded)
        : m_folder(std::move(folder)), m_loaded(std::move(loaded))
    {
    }
    void Connect() override { m_set = CdmsFileLibrary::DataSet::share(m_folder, *m_loaded); }
    CdmsPlacards Placards() override
    {
        if (!m_set) throw SourceError(QStringLiteral("CDMS DOT library is not connected"));
        return m_set->placards;
    }
    std::shared_ptr<CdmsProductDot> Item(const CdmsNameEntry& entry) override
    {
        if (!m_set) throw SourceError(QStringLiteral("CDMS DOT library is not connected"));
        const Product& p = m_set->find(entry.name());
        if (p.dots.empty()) throw SourceError(QStringLiteral("No DOT record for %1").arg(p.name));
        return std::make_shared<CdmsProductDot>(p.dots);
    }
    void Disconnect() override { m_set.reset(); }

private:
    QString m_folder;
    std::shared_ptr<std::weak_ptr<CdmsFileLibrary::DataSet>> m_loaded;
    std::shared_ptr<CdmsFileLibrary::DataSet> m_set;
};

} // namespace

QString CdmsDotDescription::placardText(const CdmsPlacards& placards) const
{
    for (const auto& [code, text] : placards.codes) {
        if (code == m_placard) return text;
    }
    return m_placard;
}

const CdmsDotDescription& CdmsProductDot::description(const QVariant& index) const
{
    bool ok = false;
    const int i = index.toInt(&ok);
    if (!ok || i < 1 || i > count())
        throw SourceError(QStringLiteral("DOT description index out of range"));
    return m_descriptions[size_t(i - 1)];
}

QString CdmsFileLibrary::defaultFolder()
{
    const QString env = qEnvironmentVariable("CDMS_DATA_DIR");
    return env.isEmpty() ? QDir(Settings::homeDir()).filePath(QStringLiteral("cdms")) : env;
}

CdmsFileLibrary::CdmsFileLibrary(QString folder)
    : m_folder(std::move(folder)), m_loaded(std::make_shared<std::weak_ptr<DataSet>>())
{
}

std::unique_ptr<CdmsNames> CdmsFileLibrary::createNames()
{
    return std::make_unique<FileNames>(m_folder, m_loaded);
}

std::unique_ptr<CdmsDot> CdmsFileLibrary::createDot()
{
    return std::make_unique<FileDot>(m_folder, m_loaded);
}

} // namespace zelvaro

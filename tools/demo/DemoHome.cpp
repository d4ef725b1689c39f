#include "DemoHome.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/HostSchema.h"
#include "host/LibraryWriter.h"
#include "settings/PasswordCodec.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamWriter>
#include <random>

namespace zelvaro::demo {

namespace {

using Rng = std::mt19937;

int pick(Rng& rng, int n)
{
    return int(std::uniform_int_distribution<int>(0, n - 1)(rng));
}
bool chance(Rng& rng, double p)
{
    return std::uniform_real_distribution<double>(0, 1)(rng) < p;
}

template <size_t N> QString pickOf(Rng& rng, const char* const (&list)[N])
{
    return QString::fromUtf8(list[pick(rng, int(N))]);
}

// Every product and maker name is invented: the demo's EPA numbers and DOT
// texts are made up and must not stand next to real products.
const char* const Brands[] = {
    "AGRONIX",   "BELTORA",      "CORVALEN",  "DRAVIX",    "ELDORIN",    "FARROWEX",
    "GLENTRIX",  "HALVORA",      "IMBRAX",    "JORVEX",    "KALDEN",     "LUMARO",
    "MERIDAX",   "NOVERTA",      "ORLANTIX",  "PELDRIN",   "QUARNEX",    "RIVANTO",
    "SOLVERA",   "TARNEX",       "ULMARIS",   "VELTRIX",   "WYNDOR",     "XELARA",
    "YARROWIN",  "ZEPHRAN",      "BRAMBLEX",  "CINDARA",   "DUSKARO",    "EVERTILL",
    "FIELDEN",   "GRISTOR",      "HOLLARN",   "ISENTRA",   "KORVIDA",    "MARLOWEN",
    "NESTRAN",   "PORVEX",       "TRELLANO",  "VANDRIX",   "O'BRIEN'S",  "MILLER & SONS",
    "AG-MASTER", "PRAIRIE STAR", "NORTHLAND", "RED RIVER", "CROP-GUARD", "FIELD & FARM"};
const char* const Suffixes[] = {"II",        "XTRA",     "MAX", "PLUS", "GOLD", "ULTRA",
                                "PRO",       "EC",       "SC",  "WG",   "4L",   "3.3EC",
                                "POWERLINE", "ZC",       "DF",  "SL",   "FLEX", "ELITE",
                                "MAGNUM",    "ADVANCED", "XC",  "LITE"};
const char* const Sizes[] = {"",       "",         "",      " 2.5 GAL", " 30 GAL",
                             " 1 GAL", " 265 GAL", " BULK", " 4X1 GAL"};
const char* const Actives[] = {"glyphosate",
                               "atrazine",
                               "2,4-D",
                               "dicamba",
                               "S-metolachlor",
                               "mesotrione",
                               "acetochlor",
                               "glufosinate-ammonium",
                               "paraquat dichloride",
                               "chlorpyrifos",
                               "lambda-cyhalothrin",
                               "pyraclostrobin",
                               "azoxystrobin",
                               "propiconazole",
                               "clethodim",
                               "fomesafen",
                               "imazethapyr",
                               "pendimethalin",
                               "saflufenacil",
                               "tembotrione",
                               "bifenthrin",
                               "fluxapyroxad",
                               "pyroxasulfone"};
const char* const Makers[] = {
    "Vantor Crop Sciences, LLC",         "Harrow & Finch Agrochemicals LP",
    "Blue Prairie Chemical Corporation", "Oakline Agriscience LLC",
    "Meridan Agro Corporation",          "Tillstone Americas Inc.",
    "Corbell Chemical Corporation",      "Stellan Fieldworks U.S.A. LLC",
    "O'Kane Agri-Products, LLC",         "Greenreach Field Solutions, LLC",
    "Westmark Agri-Enterprises, LLC",    "Brookmoor Products, Inc.",
    "Quill & Plow Company, L.L.C.",      "Dunmore Valley Chemical Company"};
const char* const OtherStates[] = {"IA", "WI", "ND", "SD", "NE", "IL", "KS"};
const char* const Merch[] = {"FENCE POST 6FT STEEL", "BARB WIRE 1320FT", "SEED CORN",
                             "SOYBEAN SEED",         "ALFALFA SEED",     "POLY TANK 300GAL",
                             "SPRAY NOZZLE FLATFAN", "GLOVES NITRILE L", "MINERAL TUB 225LB",
                             "DOG FOOD 50LB",        "BALE NET WRAP",    "HOSE 3/4IN X 50FT",
                             "ANHYDROUS AMMONIA",    "UREA 46-0-0",      "POTASH 0-0-60",
                             "MAP 11-52-0",          "LIME AG",          "GREASE TUBE",
                             "TRAILER HITCH PIN",    "WORK BOOTS"};
const char* const Depts[] = {"CHEMICALS", "FERTILIZER", "SEED",  "FEED",  "HARDWARE", "FENCING",
                             "PET",       "APPAREL",    "PARTS", "TIRES", "FUEL",     "SERVICES"};

struct DotTemplate {
    const char* text;
    const char* placard; // code or text
};

const DotTemplate Dots[] = {
    {"UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S., (%1), 9, PG III", "9"},
    {"UN2902, PESTICIDE, LIQUID, TOXIC, N.O.S., (%1), 6.1, PG III", "6.1"},
    {"NOT REGULATED BY DOT FOR GROUND TRANSPORT", "NONE OFFERED"},
    {"UN1993, FLAMMABLE LIQUID, N.O.S. (%1, PETROLEUM DISTILLATES), 3, PG III", "3"},
    {"UN3077, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, SOLID, N.O.S., (%1), 9, PG III, MARINE "
     "POLLUTANT",
     "9"},
    {"UN1760, CORROSIVE LIQUID, N.O.S. (%1), 8, PG III", "8"},
    {"UN3082, ENVIRONMENTALLY HAZARDOUS SUBSTANCE, LIQUID, N.O.S., (%1), 9, PG III\r\n"
     "RQ (%1) - BULK ONLY. EMERGENCY RESPONSE GUIDE NO. 171. CONTAINERS LESS THAN THE REPORTABLE "
     "QUANTITY ARE NOT REGULATED FOR GROUND SHIPMENT",
     "9"},
    {"Non-Regulated\nKeep from freezing", "None Offered"},
    {"UN2783, ORGANOPHOSPHORUS PESTICIDE, SOLID, TOXIC, (%1), 6.1, PG III\n"
     "MARINE POLLUTANT; KEEP AWAY FROM FOOD AND FEED; PLACARD WHEN SHIPPED IN BULK; DO NOT STORE "
     "NEAR OXIDIZERS OR SOURCES OF HEAT",
     "KEEP AWAY"},
    {"UN1479, OXIDIZING SOLID, N.O.S. (%1), 5.1, PG III", "5.1"},
};

QString upper(const QString& s)
{
    return s.toUpper();
}

QString cut(const QString& s, int width)
{
    return s.size() > width ? s.left(width) : s;
}

} // namespace

std::vector<std::pair<QString, QString>> demoPlacards()
{
    return {{QStringLiteral("9"), QStringLiteral("CLASS 9, MISCELLANEOUS")},
            {QStringLiteral("6.1"), QStringLiteral("POISON, PG III")},
            {QStringLiteral("3"), QStringLiteral("FLAMMABLE")},
            {QStringLiteral("8"), QStringLiteral("CORROSIVE")},
            {QStringLiteral("5.1"), QStringLiteral("OXIDIZER")}};
}

std::vector<DemoProduct> demoProducts(const DemoOptions& options)
{
    Rng rng(options.seed * 7919u + 17u);
    std::vector<DemoProduct> out;
    out.reserve(options.products);
    QSet<QString> names;
    for (int i = 0; i < options.products; ++i) {
        DemoProduct p;
        QString name =
            pickOf(rng, Brands) + QLatin1Char(' ') + pickOf(rng, Suffixes) + pickOf(rng, Sizes);
        name = cut(name, 26);
        if (names.contains(name)) {
            int n = 2;
            while (names.contains(cut(name, 26) + QLatin1Char(' ') + QString::number(n)))
                ++n;
            name = cut(name, 26) + QLatin1Char(' ') + QString::number(n);
        }
        names.insert(name);
        p.name = name;
        p.epa = chance(rng, 0.15) ? QStringLiteral("%1-%2-%3")
                                        .arg(100 + pick(rng, 89900))
                                        .arg(pick(rng, 999), 3, 10, QLatin1Char('0'))
                                        .arg(1000 + pick(rng, 90000))
                                  : QStringLiteral("%1-%2")
                                        .arg(100 + pick(rng, 89900))
                                        .arg(pick(rng, 999), 3, 10, QLatin1Char('0'));
        p.manufacturer = pickOf(rng, Makers);
        const QString active = pickOf(rng, Actives);
        p.common =
            chance(rng, 0.3) ? active + QStringLiteral(" + ") + pickOf(rng, Actives) : active;
        if (chance(rng, 0.1)) {
            p.states << pickOf(rng, OtherStates);
            if (chance(rng, 0.5)) p.states << pickOf(rng, OtherStates);
        } else if (chance(rng, 0.5)) {
            p.states << options.state << pickOf(rng, OtherStates);
        }
        const int dots = chance(rng, 0.05) ? 0 : (chance(rng, 0.2) ? 2 : 1);
        for (int d = 0; d < dots; ++d) {
            const DotTemplate& t = Dots[pick(rng, int(std::size(Dots)))];
            const QString text = QString::fromLatin1(t.text);
            p.dots << (text.contains(QLatin1String("%1")) ? text.arg(upper(active)) : text);
            QString plac = QString::fromLatin1(t.placard);
            if (plac == QLatin1String("NONE OFFERED") && chance(rng, 0.5))
                plac = QStringLiteral("None offered");
            p.placards << plac;
        }
        p.listedOnly = chance(rng, 0.01);
        out.push_back(p);
    }
    return out;
}

void writeCdmsDataSet(const QString& dir, const std::vector<DemoProduct>& products,
                      const std::vector<std::pair<QString, QString>>& placards)
{
    QDir().mkpath(dir);
    QSaveFile file(QDir(dir).filePath(QStringLiteral("products.xml")));
    if (!file.open(QIODevice::WriteOnly)) throw Error(file.errorString());
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("cdms"));
    for (const auto& [code, text] : placards) {
        xml.writeEmptyElement(QStringLiteral("placard"));
        xml.writeAttribute(QStringLiteral("code"), code);
        xml.writeAttribute(QStringLiteral("text"), text);
    }
    for (const DemoProduct& p : products) {
        xml.writeStartElement(QStringLiteral("product"));
        xml.writeAttribute(QStringLiteral("name"), p.name);
        xml.writeAttribute(QStringLiteral("epa"), p.epa);
        xml.writeAttribute(QStringLiteral("manufacturer"), p.manufacturer);
        xml.writeAttribute(QStringLiteral("common"), p.common);
        if (p.listedOnly) xml.writeAttribute(QStringLiteral("listed-only"), QStringLiteral("true"));
        for (const QString& s : p.states)
            xml.writeTextElement(QStringLiteral("state"), s);
        for (int d = 0; d < p.dots.size(); ++d) {
            xml.writeStartElement(QStringLiteral("dot"));
            if (!p.placards[d].isEmpty())
                xml.writeAttribute(QStringLiteral("placard"), p.placards[d]);
            xml.writeCharacters(p.dots[d]);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    if (!file.commit()) throw Error(file.errorString());
}

QString agrianId(int productIndex)
{
    return QString::number(300000 + productIndex);
}

namespace {

QString placardTextOf(const std::vector<std::pair<QString, QString>>& placards, const QString& code)
{
    for (const auto& [c, t] : placards) {
        if (c == code) return t;
    }
    return code;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

} // namespace

void writeAgrianAnswers(const QString& dir, const std::vector<DemoProduct>& products,
                        const std::vector<std::pair<QString, QString>>& placards)
{
    const QString regulatory = QDir(dir).filePath(QStringLiteral("regulatory"));
    QDir(regulatory).removeRecursively();
    QDir().mkpath(regulatory);
    QString list;
    QXmlStreamWriter inner(&list);
    inner.writeStartElement(QStringLiteral("products"));
    for (int i = 0; i < int(products.size()); ++i) {
        const DemoProduct& p = products[size_t(i)];
        inner.writeStartElement(QStringLiteral("agrian_product"));
        inner.writeAttribute(QStringLiteral("active"), QStringLiteral("true"));
        inner.writeAttribute(QStringLiteral("agrian_product_id"), agrianId(i));
        inner.writeTextElement(QStringLiteral("product_name"), p.name.toLower());
        inner.writeTextElement(QStringLiteral("epa"), p.epa);
        inner.writeTextElement(QStringLiteral("manufacturer_name"), p.manufacturer);
        inner.writeEndElement();

        QByteArray doc;
        QXmlStreamWriter xml(&doc);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("response"));
        xml.writeStartElement(QStringLiteral("agrian_product"));
        xml.writeTextElement(QStringLiteral("product_name"), p.name);
        xml.writeStartElement(QStringLiteral("chemicals"));
        xml.writeStartElement(QStringLiteral("chemical"));
        xml.writeTextElement(QStringLiteral("chemical_description"), p.common);
        xml.writeEndElement();
        xml.writeEndElement();
        if (!p.dots.isEmpty()) {
            QString plac = placardTextOf(placards, p.placards.first());
            if (plac.compare(QLatin1String("NONE OFFERED"), Qt::CaseInsensitive) == 0) plac.clear();
            xml.writeStartElement(QStringLiteral("dot_description"));
            xml.writeStartElement(QStringLiteral("dot"));
            xml.writeTextElement(QStringLiteral("description"), p.dots.first());
            xml.writeTextElement(QStringLiteral("placard_text"),
                                 plac.section(QLatin1Char(','), 0, 0));
            xml.writeEndElement();
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndDocument();
        writeFile(QDir(regulatory).filePath(agrianId(i) + QStringLiteral(".xml")), doc);
    }
    inner.writeEndElement();
    // The service sends the list as text: only its markup's "<" and ">" are
    // escaped, which the retrieval repairs.
    list.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    list.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    writeFile(QDir(dir).filePath(QStringLiteral("changes.xml")),
              (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<response><data>"
                              "<string>") +
               list + QStringLiteral("</string></data></response>\n"))
                  .toUtf8());
}

DemoSummary writeDemoHome(const QString& dir, const DemoOptions& o)
{
    const bool agrian = !o.agrianDir.isEmpty();
    DemoSummary sum;
    QDir().mkpath(dir);
    QFile::remove(QDir(dir).filePath(QStringLiteral("INVSIG.INI")));
    Settings settings(QDir(dir).filePath(QStringLiteral("INVSIG.INI")));
    const QString transfer = QStringLiteral("Transfer");
    settings.writeText(transfer, QStringLiteral("Host"), o.system);
    settings.writeText(transfer, QStringLiteral("DataLib"), o.library);
    settings.writeText(transfer, QStringLiteral("User"), QStringLiteral("DEMOUSER"));
    settings.writeText(transfer, QStringLiteral("PWD"), encodePassword(QStringLiteral("demo")));
    settings.writeBool(transfer, QStringLiteral("Pwdv2"), true);
    settings.writeBool(transfer, QStringLiteral("CDMSHazard"), !agrian);
    // No item filter: the section as the window saves it.
    const QString filter = QStringLiteral("CDMSFilter");
    settings.writeEntries({{filter, QStringLiteral("cbxName"), QStringLiteral("0")},
                           {filter, QStringLiteral("cbxFlc"), QStringLiteral("0")},
                           {filter, QStringLiteral("cbxDept"), QStringLiteral("0")},
                           {filter, QStringLiteral("edName"), QString()},
                           {filter, QStringLiteral("edFLC"), QString()},
                           {filter, QStringLiteral("edDept"), QString()}});

    Rng rng(o.seed);
    const std::vector<DemoProduct> products = demoProducts(o);
    const auto placards = demoPlacards();
    auto placardText = [&](const QString& code) { return placardTextOf(placards, code); };
    auto inState = [&](const DemoProduct& p) {
        if (p.states.isEmpty()) return true;
        for (const QString& s : p.states) {
            if (s.compare(o.state, Qt::CaseInsensitive) == 0) return true;
        }
        return false;
    };

    const QString systemDir = QDir(dir).filePath(QStringLiteral("hosts/") + o.system);
    QDir(systemDir).removeRecursively();
    LibraryWriter lib(systemDir, o.library);
    for (const TableDef& t : hostTables())
        lib.createTable(t);
    // Decoys for the setup dialog's library list: only names that begin with
    // "CO" and end in "DATA" are data libraries.
    for (const char* decoy : {"CO02DATA", "COARCHIVE", "CO01DATAX", "QGPL", "WEBDATA"}) {
        if (o.library != QLatin1String(decoy))
            LibraryWriter(systemDir, QString::fromLatin1(decoy))
                .createTable(*hostTable(QStringLiteral("U4CONST")));
    }

    // Fine line codes and departments.
    std::vector<std::pair<int, QString>> flcs;
    for (int i = 0; i < 40; ++i)
        flcs.push_back({100 + i * 5, cut(QString::fromUtf8(Depts[i % 12]) +
                                             QStringLiteral(" LINE ") + QString::number(i + 1),
                                         30)});
    lib.insertRows(*hostTable(QStringLiteral("U4FLC")), int(flcs.size()), [&](int i) {
        return QVariantList{flcs[i].first, flcs[i].second};
    });
    lib.insertRows(*hostTable(QStringLiteral("U4DEPT")), int(std::size(Depts)), [&](int i) {
        return QVariantList{10 * (i + 1), QString::fromUtf8(Depts[i])};
    });
    lib.insertRows(*hostTable(QStringLiteral("U4CONST")), 2, [&](int i) {
        return i == 0 ? QVariantList{1, QStringLiteral("PRAIRIE AG COOPERATIVE"),
                                     QStringLiteral("WILLMAR"), o.state}
                      : QVariantList{2, QStringLiteral("PRAIRIE AG - FARGO"),
                                     QStringLiteral("FARGO"), QStringLiteral("ND")};
    });

    // Items: the first ones are chemicals named after products.
    std::vector<QString> itemIds(o.items), itemDesc(o.items);
    for (int i = 0; i < o.items; ++i) {
        itemIds[i] = QString::number(1000000 + i * 7);
        if (i < int(products.size()) * 2 && !products.empty())
            itemDesc[i] = cut(products[i % products.size()].name, 30);
        else
            itemDesc[i] = cut(
                pickOf(rng, Merch) + QLatin1Char(' ') + QString::number(pick(rng, 900) + 100), 30);
    }
    lib.insertRows(*hostTable(QStringLiteral("U4ITMMR")), o.items, [&](int i) {
        const bool chem = i < int(products.size()) * 2;
        return QVariantList{itemIds[i],
                            itemDesc[i],
                            chem ? 10 : 10 * (1 + pick(rng, 12)),
                            chem ? 100 + 5 * pick(rng, 4) : flcs[pick(rng, 40)].first,
                            QString(),
                            QString()};
    });
    sum.items = o.items;

    // DOT table rows for a share of the products.
    std::vector<int> dotRows;
    for (int i = 0; i < int(products.size()); ++i) {
        if (chance(rng, o.dotShare)) dotRows.push_back(i);
        if (inState(products[i])) ++sum.productsInState;
    }
    lib.insertRows(*hostTable(QStringLiteral("U4CDMSDOT")), int(dotRows.size()), [&](int k) {
        const DemoProduct& p = products[dotRows[k]];
        QString plac = p.placards.isEmpty() ? QString() : placardText(p.placards.first());
        if (plac.compare(QLatin1String("NONE OFFERED"), Qt::CaseInsensitive) == 0) plac.clear();
        plac = plac.section(QLatin1Char(','), 0, 0);
        // Older label data: the DOT text as it stood before the last update.
        const QString dot = p.dots.isEmpty()
                                ? QString()
                                : cut(p.dots.first().left(p.dots.first().size() * 3 / 4), 320);
        return QVariantList{agrian ? agrianId(dotRows[k]) : p.name,
                            p.name,
                            p.common,
                            p.epa,
                            p.manufacturer,
                            cut(plac, 15),
                            dot};
    });
    sum.dotRows = int(dotRows.size());

    // Cross references: distinct items, mostly to products of the state.
    const int xrefs = qMin(o.xrefs, o.items);
    std::vector<int> itemOrder(o.items);
    for (int i = 0; i < o.items; ++i)
        itemOrder[i] = i;
    std::shuffle(itemOrder.begin(), itemOrder.end(), rng);
    struct Xref {
        int item;
        QString name;
        QString id;
    };
    std::vector<Xref> xr;
    for (int k = 0; k < xrefs && !products.empty(); ++k) {
        const int item = itemOrder[k];
        QString pname, pid;
        if (chance(rng, 0.01)) {
            pid = pname = QStringLiteral("DISCONTINUED ") + QString::number(k);
        } else {
            const int p = pick(rng, int(products.size()));
            pname = products[size_t(p)].name;
            pid = agrian ? agrianId(p) : pname;
        }
        xr.push_back({item, pname, pid});
    }
    lib.insertRows(*hostTable(QStringLiteral("U4CDMSXRF")), int(xr.size()), [&](int k) {
        const Xref& x = xr[k];
        return QVariantList{itemIds[x.item],
                            x.name,
                            x.id,
                            cut(trimmed(itemDesc[x.item]) + QStringLiteral(" **") + x.name, 50),
                            QStringLiteral("   "),
                            1.0};
    });
    sum.xrefs = int(xr.size());

    // Hazard rows for a share of the cross-referenced items.
    std::vector<int> hz;
    for (int k = 0; k < int(xr.size()); ++k) {
        if (chance(rng, o.hazardShare)) hz.push_back(k);
    }
    lib.insertRows(*hostTable(QStringLiteral("U4ITHZD")), int(hz.size()), [&](int k) {
        const Xref& x = xr[hz[k]];
        QVariantList row{
            itemIds[x.item].left(13),  QStringLiteral("OLD HAZARD TEXT FOR ") + cut(x.name, 30),
            QStringLiteral(" "),       QStringLiteral(" "),
            QStringLiteral("CLASS 9"), 0.0,
            QStringLiteral(" ")};
        while (row.size() < 21)
            row << (row.size() == 13 ? QVariant(0) : QVariant(QString()));
        return row;
    });
    sum.hazardRows = int(hz.size());
    sum.products = int(products.size());
    lib.close();

    writeCdmsDataSet(QDir(dir).filePath(QStringLiteral("cdms")), products, placards);
    if (agrian) writeAgrianAnswers(o.agrianDir, products, placards);
    return sum;
}

} // namespace zelvaro::demo

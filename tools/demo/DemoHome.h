#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace zelvaro::demo {

struct DemoOptions {
    int items = 2000;
    int products = 400;
    int xrefs = 300;
    unsigned seed = 1;
    double dotShare = 0.8;    // products already in the host DOT table
    double hazardShare = 0.7; // cross-referenced items that already have a hazard row
    QString system = QStringLiteral("DEMO400");
    QString library = QStringLiteral("CO01DATA");
    QString state = QStringLiteral("MN");
    // Not empty: the home takes Agrian as its hazard source (product IDs
    // are Agrian's numbers) and this folder gets the service's answers
    // (see writeAgrianAnswers).
    QString agrianDir;
};

struct DemoProduct {
    QString name; // also the CDMS product ID
    QString epa;
    QString manufacturer;
    QString common;
    QStringList states;   // empty: registered everywhere
    QStringList dots;     // DOT descriptions
    QStringList placards; // placard code or text per DOT description
    bool listedOnly = false;
};

struct DemoSummary {
    int items = 0;
    int products = 0;
    int dotRows = 0;
    int xrefs = 0;
    int hazardRows = 0;
    int productsInState = 0;
};

// Writes a complete demo home into `dir`: INVSIG.INI, the embedded host
// with the seven tables filled, and the CDMS data set. Deterministic for a
// given seed.
DemoSummary writeDemoHome(const QString& dir, const DemoOptions& options);

// The products of a demo home, as its CDMS data set lists them.
std::vector<DemoProduct> demoProducts(const DemoOptions& options);

// The placard table of the demo data set: code and text pairs.
std::vector<std::pair<QString, QString>> demoPlacards();

// Writes products.xml of a CDMS data set.
void writeCdmsDataSet(const QString& dir, const std::vector<DemoProduct>& products,
                      const std::vector<std::pair<QString, QString>>& placards);

// The Agrian service's answers for a demo home's products, as the local
// test server serves them: `changes.xml` lists every product (its markup
// escaped as the service sends it) and `regulatory/<ID>.xml` holds each
// product's regulatory data.
void writeAgrianAnswers(const QString& dir, const std::vector<DemoProduct>& products,
                        const std::vector<std::pair<QString, QString>>& placards);

// A product's Agrian ID in an Agrian demo home.
QString agrianId(int productIndex);

} // namespace zelvaro::demo

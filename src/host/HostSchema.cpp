#include "host/HostSchema.h"

namespace zelvaro {

const ColumnDef* TableDef::column(const QString& name) const
{
    // Every result column is looked up here: the exact spelling first.
    for (const ColumnDef& c : columns) {
        if (c.field.name == name) return &c;
    }
    for (const ColumnDef& c : columns) {
        if (c.field.name.compare(name, Qt::CaseInsensitive) == 0) return &c;
    }
    return nullptr;
}

namespace {

ColumnDef chr(const char* name, int width, const char* h1, const char* h2 = "", const char* h3 = "")
{
    return {{QString::fromLatin1(name), FieldType::Char, width, 0},
            {QString::fromLatin1(h1), QString::fromLatin1(h2), QString::fromLatin1(h3)}};
}

ColumnDef num(const char* name, int digits, int scale, const char* h1, const char* h2 = "",
              const char* h3 = "")
{
    return {{QString::fromLatin1(name), scale == 0 ? FieldType::Integer : FieldType::Decimal,
             digits, scale},
            {QString::fromLatin1(h1), QString::fromLatin1(h2), QString::fromLatin1(h3)}};
}

std::vector<TableDef> buildTables()
{
    std::vector<TableDef> t;
    t.push_back({QStringLiteral("U4ITMMR"),
                 QStringLiteral("U4IMREC"),
                 {chr("IMPROD", 14, "Item", "Number"), chr("IMDESC", 30, "Item", "Description"),
                  num("IMDEPT", 9, 0, "Dept"), num("IMFLCD", 9, 0, "Fine", "Line", "Code"),
                  chr("IMASUB", 20, "EPA", "Registration", "Number"),
                  chr("IMSUB#", 14, "Substitute", "Item")},
                 {QStringLiteral("IMPROD")}});
    t.push_back({QStringLiteral("U4CDMSDOT"),
                 QStringLiteral("CDMSREC"),
                 {chr("CDITEM", 35, "Product", "ID"), chr("CDNAME", 45, "Product", "Name"),
                  chr("CDCNAME", 50, "Common", "Name"), chr("CDEPA#", 35, "EPA", "Number"),
                  chr("CDMANF", 50, "Manufacturer"), chr("CDPLAC", 15, "Placard"),
                  chr("CDDOTTXT", 320, "DOT Shipping", "Description")},
                 {QStringLiteral("CDITEM"), QStringLiteral("CDNAME")}});
    t.push_back(
        {QStringLiteral("U4CDMSXRF"),
         QStringLiteral("CDXRREC"),
         {chr("CXAGITEM", 14, "Item", "Number"), chr("CXCDMSID", 45, "Product", "Name"),
          chr("CXCDMSPID", 30, "Product", "ID"), chr("CXNAME", 50, "Cross Reference", "Name"),
          chr("CXUM", 3, "U/M"), num("CXFACT", 11, 5, "Factor")},
         {}});
    t.push_back({QStringLiteral("U4ITHZD"),
                 QStringLiteral("U4HZREC"),
                 {chr("HZPROD", 13, "Item", "Number"),
                  chr("HZDS1", 60, "Hazard", "Text 1"),
                  chr("HZDS2", 60, "Hazard", "Text 2"),
                  chr("HZDS3", 60, "Hazard", "Text 3"),
                  chr("HZCLAS", 12, "Hazard", "Class"),
                  num("HZFACT", 9, 5, "Factor"),
                  chr("HZCRPD", 10, "Crop", "Code"),
                  chr("HZPPE1", 2, "PPE", "1"),
                  chr("HZPPE2", 2, "PPE", "2"),
                  chr("HZPPE3", 2, "PPE", "3"),
                  chr("HZPPE4", 2, "PPE", "4"),
                  chr("HZPPE5", 2, "PPE", "5"),
                  chr("HZPPE6", 2, "PPE", "6"),
                  num("HZREI", 9, 0, "Re-entry", "Interval"),
                  chr("HZDEL", 1, "Del"),
                  chr("HZBK1", 50, "Block", "1"),
                  chr("HZBK2", 50, "Block", "2"),
                  chr("HZBK3", 50, "Block", "3"),
                  chr("HZBK4", 50, "Block", "4"),
                  chr("HZBK5", 50, "Block", "5"),
                  chr("HZBK50", 50, "Block", "50")},
                 {QStringLiteral("HZPROD")}});
    t.push_back({QStringLiteral("U4FLC"),
                 QStringLiteral("U4FLREC"),
                 {num("FLFLC", 9, 0, "Fine Line", "Code"), chr("FLDESC", 30, "Description")},
                 {}});
    t.push_back({QStringLiteral("U4DEPT"),
                 QStringLiteral("U4DPREC"),
                 {num("DPDEPT", 9, 0, "Dept"), chr("DPDESC", 30, "Description")},
                 {}});
    t.push_back({QStringLiteral("U4CONST"),
                 QStringLiteral("U4CNREC"),
                 {num("C4LC", 9, 0, "Location"), chr("C4NAME", 30, "Company", "Name"),
                  chr("C4CITY", 20, "City"), chr("C4STAT", 2, "State")},
                 {}});
    return t;
}

} // namespace

const std::vector<TableDef>& hostTables()
{
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef* hostTable(const QString& name)
{
    for (const TableDef& t : hostTables()) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

} // namespace zelvaro

#pragma once

#include "sources/cdms/CdmsLibrary.h"

#include <memory>

namespace zelvaro {

// The CDMS libraries over a data set folder:
// - products.xml (root "cdms"): "placard" elements (code, text) and
//   "product" elements (name, epa, manufacturer, common, optional
//   listed-only="true") with "state" children (none: every state) and "dot"
//   children in order (text = DOT text, optional placard = code or text);
// - optional list-<P>.xml files, returned byte for byte by ListXML for P.
// A missing or malformed data set makes Connect fail.
class CdmsFileLibrary : public CdmsLibraryFactory {
public:
    // CDMS_DATA_DIR when set, otherwise <home>/cdms.
    static QString defaultFolder();

    explicit CdmsFileLibrary(QString folder = defaultFolder());
    std::unique_ptr<CdmsNames> createNames() override;
    std::unique_ptr<CdmsDot> createDot() override;

    struct DataSet;

private:
    QString m_folder;
    // The data set while a names or DOT library of this factory holds it.
    std::shared_ptr<std::weak_ptr<DataSet>> m_loaded;
};

} // namespace zelvaro

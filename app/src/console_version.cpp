// The "Ver" page: built once at start-up, never refreshed.
#include <string>

#include "app/console_dlg.h"
#include "app/version_texts.h"

void CConsoleDlg::FillVersionPage() {
    std::string system;
    ReadSystemVersion(system);
    std::string ini;
    ReadAppIni(ini);
    m_editSystemVersion.SetWindowText(system + ini);

    std::string factoryCode;
    ReadFactoryCode(factoryCode);
    m_editFactoryCode.SetWindowText(factoryCode);

    std::string listing;
    ReadNaviListing(listing);
    m_editNaviFiles.SetWindowText(listing);
}

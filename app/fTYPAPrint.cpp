// The print command of the main window: it lends the print job its lists, the current group and
// folder, the installed fonts and the printer object.
#include "app/fTYPA.h"

#include "print/PrintJob.h"

namespace typa {

void TfrmTYPA::mnuFontPrintClick()
{
    PrintJobSource source;
    source.owner = m_wnd;
    source.installedList = &m_installed.List();
    source.availableList = &m_available.List();
    source.installedCatalogue = &InstalledCatalogue;
    source.availableCatalogueCount = AvailableCatalogue.Count();
    HTREEITEM group = m_groups.Selected();
    if (!group) group = m_groups.Current();
    source.currentGroupIsRoot = group == m_groups.Root();
    if (group) {
        source.currentGroupCaption = m_groups.Caption(group);
        source.currentGroupHasKey = m_groups.IsUserGroup(group);
    }
    const GroupMembership membership = m_groups.Membership();
    source.membership = &membership;
    source.folderPath = m_folders.CurrentPath();
    source.sampleText = SampleText;
    source.printer = &m_printer;
    RunScope run(*this); // the job prints the catalogue's own items
    typa::mnuFontPrintClick(source);
}

} // namespace typa

// The print command of the main window: it lends the print job its lists, the current group and
// folder, the installed fonts and the printer object.
#include "app/fTYPA.h"

#include "groups/TreeProps.h"
#include "print/PrintJob.h"

namespace typa {

void TfrmTYPA::mnuFontPrintClick()
{
    PrintJobSource source;
    source.owner = m_wnd;
    source.installedList = m_lbInstalledFonts;
    source.availableList = m_lbAvailableFonts;
    source.installedCatalogue = &InstalledCatalogue;
    source.availableCatalogueCount = AvailableCatalogue.Count();
    HTREEITEM group = reinterpret_cast<HTREEITEM>(SendMessageA(m_twInstalledGroup, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!group) group = CurrentGroupNode;
    source.currentGroupIsRoot = group == InstalledRootNode;
    if (group) {
        source.currentGroupCaption = NodeCaption(m_twInstalledGroup, group);
        const TTreeViewProps* props = NodeProps(m_twInstalledGroup, group);
        source.currentGroupHasKey = props && !props->Location.empty();
    }
    const TTreeViewProps* folder = NodeProps(m_twAvailableGroup, CurrentFolderNode ? CurrentFolderNode : FolderRootNode);
    if (folder) source.folderPath = folder->Location;
    source.sampleText = SampleText;
    source.printer = &m_printer;
    RunScope run(*this); // the job prints the catalogue's own items
    typa::mnuFontPrintClick(source);
}

} // namespace typa

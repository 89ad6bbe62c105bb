#pragma once
// Which commands of the main window can be used now, from what the two sides hold and show: the
// buttons, the main menu's items and the popup items follow it. Pure rules, no window.
namespace typa {

struct CommandInput {
    bool availableSelectionInstallable = false; // a selected folder row whose font is not installed
    bool groupChosen = false;                   // a node other than the root is selected in the group tree
    bool userGroupChosen = false;               // ... and it is a group of the user's
    bool installedSideActive = true;
    int installedSelected = 0;                  // selected rows of the installed list
    int groupNodes = 0;                         // nodes of the group tree, the root included
    int activeRows = 0;                         // rows of the active side's list
};

struct CommandStates {
    bool installable = false; // "&Installer >>", "&Installer vers"
    bool deletable = false;   // "S&upprimer" (fonts)
    bool movable = false;     // "&Déplacer", "&Déplacer vers"
    bool groupEditable = false; // "&Renommer", "&Supprimer groupe"
    bool markable = false;    // "Sélectionner &tout"
};

constexpr CommandStates ComputeCommandStates(const CommandInput& in)
{
    CommandStates s;
    s.installable = in.availableSelectionInstallable && in.groupChosen;
    s.deletable = in.installedSideActive && in.installedSelected > 0;
    // Moving needs a group to move to: the root and "Polices Windows" alone offer none.
    s.movable = s.deletable && in.groupNodes > 2;
    s.groupEditable = in.userGroupChosen;
    s.markable = in.activeRows > 0;
    return s;
}

} // namespace typa

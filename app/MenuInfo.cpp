#include "app/MenuInfo.h"
#include "res/Resource.h"

namespace typa {

MenuItemInfo MainMenuCommandInfo(int id)
{
    switch (id) {
    case mnuFontDelete: return {10, "Supprime les polices sélectionnées du système."};
    case mnuMarkAll: return {13, "Sélectionne toutes les polices affichées."};
    case mnuGroupNew: return {150, "Crée un nouveau groupe de polices."};
    case mnuGroupDelete: return {151, "Supprime le groupe choisi et ses polices."};
    case mnuGroupRename: return {152, "Renomme le groupe choisi."};
    case mnuFontPrint: return {16, "Imprime les polices avec les données supplémentaires."};
    case mnuFontTaskbar: return {0, "Réduit Typarium à une icône dans la barre des tâches."};
    case mnuFontExit: return {17, "Quitte Typarium."};
    case mnuViewStatusbar: return {21, "Affiche ou masque la barre d'état."};
    case mnuViewActual: return {22, "Lit à nouveau les polices installées et le dossier de polices."};
    case mnuViewOptions: return {23, "Configure les options d'affichage."};
    case mnuHelpTopic: return {90, "Affiche les rubriques d'aide de Typarium."};
    case mnuHelpAbout: return {91, "Affiche la version de Typarium."};
    default: return {};
    }
}

MenuItemInfo MainMenuPopupInfo(int topIndex, int subIndex)
{
    if (subIndex < 0) {
        switch (topIndex) {
        case 0: return {1, "Installe, déplace, supprime et imprime des polices ; gère les groupes."};
        case 1: return {2, "Règle l'affichage de Typarium."};
        case 2: return {9, "Aide sur Typarium."};
        default: return {};
        }
    }
    if (topIndex == 0) {
        switch (subIndex) {
        case 0: return {11, "Installe les polices sélectionnées dans le groupe choisi."};
        case 1: return {12, "Déplace les polices sélectionnées dans le groupe choisi."};
        case 6: return {15, "Crée, renomme ou supprime des groupes de polices."};
        default: break;
        }
    }
    return {};
}

const char* ControlHint(int controlId)
{
    switch (controlId) {
    case btFontInstall: return "Installe les polices sélectionnées dans le groupe choisi.";
    case btFontDelete: return MainMenuCommandInfo(mnuFontDelete).hint;
    case btFontMove: return "Déplace les polices sélectionnées dans le groupe choisi.";
    case btFontMarkAll: return MainMenuCommandInfo(mnuMarkAll).hint;
    case btGroupNew: return MainMenuCommandInfo(mnuGroupNew).hint;
    case btGroupRename: return MainMenuCommandInfo(mnuGroupRename).hint;
    case btGroupDelete: return MainMenuCommandInfo(mnuGroupDelete).hint;
    case btTaskbar: return MainMenuCommandInfo(mnuFontTaskbar).hint;
    case btExitProgram: return MainMenuCommandInfo(mnuFontExit).hint;
    default: return "";
    }
}

} // namespace typa

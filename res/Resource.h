// Identifiers shared by the resource script and the code.
#pragma once

#define IDI_TYPARIUM 1
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101

// Main menu commands. Top-level menus and submenus carry no command of their own.
#define mnuFontDelete 1010
#define mnuMarkAll 1013
#define mnuGroupNew 1150
#define mnuGroupDelete 1151
#define mnuGroupRename 1152
#define mnuFontPrint 1016
#define mnuFontTaskbar 1018
#define mnuFontExit 1017
#define mnuViewStatusbar 1021
#define mnuViewActual 1022
#define mnuViewOptions 1023
#define mnuHelpTopic 1090
#define mnuHelpAbout 1091

// Items of the notification icon's menu pmQSTaskBar.
#define mnupmShow 4001
#define mnupmExit 4002
#define mnupmInfo 4003

// Items of the popup menus of the lists and trees. They act only through their shortcut keys;
// the submenu items carry these numbers only to be found by.
#define mnupmInstall 1300
#define mnupmMarkAvailable 1301
#define mnupmActualAvailable 1302
#define mnupmPrintAvailableFonts 1303
#define mnupmMove 1310
#define mnupmMarkInstalled 1311
#define mnupmDeleteInstalled 1312
#define mnupmActualInstalled 1313
#define mnupmPrintInstalled 1314
#define mnupmNewGroup 1320
#define mnupmDeleteGroup 1321
#define mnupmRenameGroup 1322
#define mnupmChangeFontDir 1330
#define mnupmActualFontDir 1331

// Main window controls.
#define idToolbar 2001
#define idStatusBar 2002
#define GroupBoxAvailable 2010
#define GroupBoxInstalled 2011
#define GroupBoxAction 2012
#define GroupBoxGroups 2013
#define GroupBoxProgram 2014
#define twAvailableGroup 2020
#define twInstalledGroup 2021
#define lbAvailableFonts 2022
#define lbInstalledFonts 2023
#define SplitterLeft 2024
#define SplitterRight 2025
#define PanelAvailableHighlight 2026
#define PanelInstalledHighlight 2027
#define btFontInstall 2030
#define btFontDelete 2031
#define btFontMove 2032
#define btFontMarkAll 2033
#define btGroupNew 2034
#define btGroupRename 2035
#define btGroupDelete 2036
#define btTaskbar 2037
#define btExitProgram 2038

// Messages of our own.
#define WM_TRAYCALLBACK (WM_USER + 1)
#define WM_SHOWREQUEST (WM_USER + 2)
// Posted by the main window to itself when its last run has ended: what waited for it runs now.
#define WM_RUNENDED (WM_USER + 3)
// Sent to the main window by its tool bar: paint me (the window holds the logo's font and icon).
#define WM_PAINTTOOLBAR (WM_USER + 4)
// Sent to the main window by the options dialog: the lists are to be filled again, as after a
// change of the system's fonts, with the options just chosen.
#define WM_REFRESHLISTS (WM_USER + 5)

// Items generated in the group-target menus: base + index of the group's node in tree order.
#define kInstallToGroupBase 3000
#define kMoveToGroupBase 3500
#define kMaxGroupTargets 499

; Typarium's installer, typa-setup.exe (NSIS 3).
;
; Installs TYPA.EXE and its help, TYPA.HLP for WinHelp and TYPA.CHM for HTML Help (Windows 10 and
; later have no WinHelp), into one folder, asks for the font folder that the
; program shows on its left side and stores it as FontPath under
; HKEY_LOCAL_MACHINE\SOFTWARE\Orvane Media\Typarium, creates the Start-menu shortcut and the
; uninstaller. Both see the 32-bit registry, as TYPA.EXE does, also on 64-bit Windows.
;
; Silent installation for administrators:
;   typa-setup.exe /S [/POLICES=<font folder>] [/D=<program folder>]
; /POLICES= defaults to the font folder of an earlier installation, else to the first CD-ROM
; drive, else to C:\Polices; /D= must come last. A value with blanks is quoted either in itself
; (/POLICES="D:\Mes polices") or as the whole option ("/POLICES=D:\Mes polices"), as PowerShell
; and deployment tools write it. Exit code 0 on success, 2 when the font folder given cannot be
; used (not a full path, empty, an unclosed quote), 3 when Typarium is running, 4 when FontPath
; cannot be written, 5 for an option the installer does not know, 6 on a system older than
; Windows XP, which cannot run the program.
;
; The uninstaller removes the program's files, the shortcut and the machine-wide key; it asks
; whether to remove the user's own settings and groups as well (default: keep them; silent:
; keep them). It never touches the fonts installed with the program.
;
; Defined by the build: TYPA_EXE, TYPA_HLP, TYPA_CHM (files to install), ICON, OUTFILE.

Unicode false                  ; ANSI, as the program
SetCompressor /SOLID lzma
RequestExecutionLevel admin    ; Program Files and HKEY_LOCAL_MACHINE
ManifestSupportedOS all
ManifestDPIAware true
AllowSkipFiles off

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinVer.nsh

!define PRODUCT "Typarium"
!define VERSION "3.0"
!define PUBLISHER "Orvane Media"
!define PROGRAM_KEY "SOFTWARE\Orvane Media\Typarium"
!define COMPANY_KEY "SOFTWARE\Orvane Media"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Typarium"
!define UNINSTALLER "Desinstaller.exe"
!define MAIN_WINDOW_CLASS "TfrmTYPA"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1036 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1036 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de ${PRODUCT}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "© ${PUBLISHER}"

Var FontFolder          ; the font folder chosen, as it will be stored
Var FontFolderField     ; its edit field on the font-folder page
Var FontFolderOption    ; the value of /POLICES= as given
Var FontFolderGiven     ; 1 when /POLICES= was given

; ---- Pages --------------------------------------------------------------------------------------

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Vous allez installer ${PRODUCT} ${VERSION}, le gestionnaire de polices TrueType.$\r$\n$\r$\n${PRODUCT} montre côte à côte les polices d'un dossier, par exemple d'un CD-ROM de polices, et celles qui sont installées dans Windows. Il les installe, les range en groupes, les supprime et en imprime des échantillons.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom FontFolderPage FontFolderPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\TYPA.EXE"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "French"

; ---- Shared helpers -----------------------------------------------------------------------------

; Waits until no Typarium runs: its files cannot be replaced or removed while it does.
!macro WAIT_UNTIL_CLOSED UN
Function ${UN}WaitUntilClosed
  retry:
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    StrCmp $0 0 closed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} est ouvert, peut-être sous la forme d'une icône près de l'horloge.$\r$\n$\r$\nQuittez-le (menu Police, commande Quitter), puis cliquez sur Réessayer." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Quit
  closed:
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_CLOSED ""
!insertmacro WAIT_UNTIL_CLOSED "un."

; ---- Font folder --------------------------------------------------------------------------------

; $0 := the root of the first CD-ROM drive ("D:\"), or "" when there is none.
Function FirstCdRomDrive
  StrCpy $0 ""
  ${GetDrives} "CDROM" FirstCdRomDriveFound
FunctionEnd
Function FirstCdRomDriveFound
  StrCpy $0 $9
  Push "StopGetDrives"
FunctionEnd

; Cleans the folder in $FontFolder: no blanks or quotes around it, no final "\" except after a
; drive ("D:\"). Sets the error flag when it is not a full path ("X:\..." or "\\server\...").
Function NormalizeFontFolder
  ClearErrors
  ; surrounding blanks and quotes
  ${Do}
    StrCpy $1 $FontFolder 1
    ${If} $1 == " "
    ${OrIf} $1 == '"'
      StrCpy $FontFolder $FontFolder "" 1
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  ${Do}
    StrCpy $1 $FontFolder "" -1
    ${If} $1 == " "
    ${OrIf} $1 == '"'
      StrCpy $FontFolder $FontFolder -1
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  ; final backslashes
  ${Do}
    StrCpy $1 $FontFolder "" -1
    ${If} $1 == "\"
      StrCpy $FontFolder $FontFolder -1
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  StrCpy $1 $FontFolder 1 1
  StrCpy $2 $FontFolder 2
  StrLen $3 $FontFolder
  ${If} $1 == ":"
    ${If} $3 = 2
      StrCpy $FontFolder "$FontFolder\"
    ${Else}
      StrCpy $1 $FontFolder 1 2
      ${If} $1 != "\"
        SetErrors
      ${EndIf}
    ${EndIf}
  ${ElseIf} $2 == "\\"
    ${If} $3 < 5
      SetErrors
    ${EndIf}
  ${Else}
    SetErrors
  ${EndIf}
FunctionEnd

; $0 := the type of the drive that holds $FontFolder (GetDriveType: 2 removable, 5 CD-ROM...).
Function FontFolderDriveType
  StrCpy $1 $FontFolder 3
  System::Call 'kernel32::GetDriveTypeA(t r1) i .r0'
FunctionEnd

Function FontFolderPage
  !insertmacro MUI_HEADER_TEXT "Dossier de polices" "Choisissez le dossier dont ${PRODUCT} montrera les polices."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 48u "${PRODUCT} affiche, à gauche de sa fenêtre, les polices TrueType d'un dossier et de ses sous-dossiers : celles que vous pourrez installer. Indiquez ce dossier, par exemple le lecteur de votre CD-ROM de polices ou un dossier de votre disque dur."
  Pop $0
  ${NSD_CreateGroupBox} 0 54u 100% 40u "Dossier de polices"
  Pop $0
  ${NSD_CreateDirRequest} 8u 70u -70u 13u "$FontFolder"
  Pop $FontFolderField
  ${NSD_CreateBrowseButton} -58u 69u 50u 15u "Pa&rcourir..."
  Pop $0
  ${NSD_OnClick} $0 FontFolderBrowse
  ${NSD_CreateLabel} 0 102u 100% 30u "Si le dossier n'existe pas encore, il sera créé. Pour changer plus tard de dossier de polices, installez ${PRODUCT} une nouvelle fois."
  Pop $0
  ${NSD_SetFocus} $FontFolderField
  nsDialogs::Show
FunctionEnd

Function FontFolderBrowse
  ${NSD_GetText} $FontFolderField $0
  nsDialogs::SelectFolderDialog "Choisissez le dossier de polices :" "$0"
  Pop $0
  ${If} $0 != error
    ${NSD_SetText} $FontFolderField "$0"
  ${EndIf}
FunctionEnd

Function FontFolderPageLeave
  ${NSD_GetText} $FontFolderField $FontFolder
  Call NormalizeFontFolder
  ${If} $FontFolder == ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "Veuillez indiquer le dossier de polices."
    Abort
  ${EndIf}
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "« $FontFolder » n'est pas un chemin complet.$\r$\nIndiquez le dossier avec sa lettre de lecteur, par exemple D:\ ou C:\Polices."
    Abort
  ${EndIf}
  ${NSD_SetText} $FontFolderField $FontFolder
  ${IfNot} ${FileExists} "$FontFolder\*.*"
    Call FontFolderDriveType
    ${If} $0 != 2            ; a removable medium or a CD-ROM may simply not be in its drive
    ${AndIf} $0 != 5
      MessageBox MB_YESNO|MB_ICONQUESTION "Le dossier « $FontFolder » n'existe pas. Faut-il le créer ?" IDYES +2
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; Reads the options of the command line, one word at a time. A word ends at a blank outside
; double quotes; the quotes themselves are dropped, wherever they stand in the word. Sets
; $FontFolderOption and $FontFolderGiven for /POLICES=; /S and /NCRC belong to the installer
; itself, and /D= takes the rest of the line. Anything else ends the installation with exit
; code 5; an unclosed quote in /POLICES= makes its value unusable ($R7 = 1).
Function ParseOptions
  StrCpy $FontFolderGiven 0
  StrCpy $FontFolderOption ""
  StrCpy $R7 0
  ${GetParameters} $R0
  StrLen $R3 $R0
  StrCpy $R2 0
  ${Do}
    ; the blanks before a word
    ${Do}
      ${If} $R2 >= $R3
        ${Break}
      ${EndIf}
      StrCpy $R6 $R0 1 $R2
      ${If} $R6 != " "
      ${AndIf} $R6 != "$\t"
        ${Break}
      ${EndIf}
      IntOp $R2 $R2 + 1
    ${Loop}
    ${If} $R2 >= $R3
      ${Break}
    ${EndIf}
    ; /D= is the last option and its folder may hold blanks without quotes
    StrCpy $R6 $R0 3 $R2
    ${If} $R6 == "/D="
      ${Break}
    ${EndIf}
    ; the word, without its quotes
    StrCpy $R4 ""
    StrCpy $R5 0
    ${Do}
      ${If} $R2 >= $R3
        ${Break}
      ${EndIf}
      StrCpy $R6 $R0 1 $R2
      IntOp $R2 $R2 + 1
      ${If} $R6 == '"'
        IntOp $R5 1 - $R5
        ${Continue}
      ${EndIf}
      ${If} $R5 = 0
        ${If} $R6 == " "
        ${OrIf} $R6 == "$\t"
          ${Break}
        ${EndIf}
      ${EndIf}
      StrCpy $R4 "$R4$R6"
    ${Loop}
    StrCpy $R6 $R4 9
    ${If} $R6 == "/POLICES="
      StrCpy $FontFolderOption $R4 "" 9
      StrCpy $FontFolderGiven 1
      StrCpy $R7 $R5
    ${ElseIf} $R4 S== "/S"
    ${OrIf} $R4 S== "/NCRC"
      ; the installer's own (it knows them in capitals only)
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "Option inconnue : « $R4 ».$\r$\nUtilisation : typa-setup.exe /S [/POLICES=<dossier de polices>] [/D=<dossier du programme>]" /SD IDOK
      SetErrorLevel 5
      Quit
    ${EndIf}
  ${Loop}
FunctionEnd

Function .onInit
  SetRegView 32
  ; The program imports functions that older systems lack: it would not even start there.
  ${IfNot} ${AtLeastWinXP}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} nécessite Windows XP ou une version ultérieure de Windows." /SD IDOK
    SetErrorLevel 6
    Quit
  ${EndIf}
  Call WaitUntilClosed
  Call ParseOptions
  ${If} $FontFolderGiven = 1
    StrCpy $FontFolder $FontFolderOption
    Call NormalizeFontFolder
    ${If} ${Errors}
    ${OrIf} $FontFolder == ""
    ${OrIf} $R7 = 1
      MessageBox MB_OK|MB_ICONSTOP "Le dossier de polices « $FontFolderOption » n'est pas un chemin complet." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    Return
  ${EndIf}
  ReadRegStr $FontFolder HKLM "${PROGRAM_KEY}" "FontPath"
  ${If} $FontFolder != ""
    Return
  ${EndIf}
  Call FirstCdRomDrive
  StrCpy $FontFolder $0
  ${If} $FontFolder == ""
    StrCpy $FontFolder "$WINDIR" 2
    StrCpy $FontFolder "$FontFolder\Polices"
  ${EndIf}
FunctionEnd

; ---- Installation -------------------------------------------------------------------------------

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  File "/oname=TYPA.EXE" "${TYPA_EXE}"
  File "/oname=TYPA.HLP" "${TYPA_HLP}"
  File "/oname=TYPA.CHM" "${TYPA_CHM}"
  Delete "$INSTDIR\TYPA.GID"  ; the help viewer's notes on an older help file
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ${IfNot} ${FileExists} "$FontFolder\*.*"
    Call FontFolderDriveType
    ${If} $0 != 2
    ${AndIf} $0 != 5
      CreateDirectory "$FontFolder"
    ${EndIf}
  ${EndIf}
  ClearErrors
  WriteRegStr HKLM "${PROGRAM_KEY}" "FontPath" "$FontFolder"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Le dossier de polices n'a pas pu être enregistré dans la base de registres. Installez ${PRODUCT} avec les droits d'administrateur." /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\TYPA.EXE" "" "$INSTDIR\TYPA.EXE" 0 \
    SW_SHOWNORMAL "" "Gérer et installer des polices TrueType"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\TYPA.EXE,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---- Uninstallation -----------------------------------------------------------------------------

Function un.onInit
  SetRegView 32
  Call un.WaitUntilClosed
FunctionEnd

Section "Uninstall"
  ; Asked first, so that nothing is removed while the question waits. The fonts installed with
  ; Typarium stay installed whatever the answer: they belong to Windows now.
  StrCpy $R9 "keep"
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Faut-il aussi effacer vos réglages de ${PRODUCT} et vos groupes de polices ?$\r$\n$\r$\nRépondez Non pour les garder en vue d'une nouvelle installation. Les polices installées avec ${PRODUCT} restent installées dans Windows dans tous les cas." \
    /SD IDNO IDNO +2
  StrCpy $R9 "remove"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\TYPA.EXE"
  Delete "$INSTDIR\TYPA.HLP"
  Delete "$INSTDIR\TYPA.CHM"
  ; what the help viewer writes beside a help file: its notes and its full-text index
  Delete "$INSTDIR\TYPA.GID"
  Delete "$INSTDIR\TYPA.FTS"
  Delete "$INSTDIR\TYPA.FTG"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${PROGRAM_KEY}"
  DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $R9 == "remove"
    DeleteRegKey HKCU "${PROGRAM_KEY}"
    DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"
  ${EndIf}
SectionEnd

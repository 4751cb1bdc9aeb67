# The installer's option to open .qlt files with Quillet: asked once (yes when installing silently), and
# written as the options dialog's button writes it, for the installing user. The uninstaller takes the
# association away only where it still names this installation.
string(CONCAT CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    "MessageBox MB_YESNO|MB_ICONQUESTION '用 Quillet 打开 .qlt 文件?' /SD IDYES IDNO quillet_no_association\n"
    "  WriteRegStr HKCU 'Software\\\\Classes\\\\.qlt' '' 'QuilletFile'\n"
    "  WriteRegStr HKCU 'Software\\\\Classes\\\\QuilletFile' '' 'Quillet File'\n"
    "  WriteRegStr HKCU 'Software\\\\Classes\\\\QuilletFile\\\\DefaultIcon' '' '$INSTDIR\\\\quillet.exe,0'\n"
    "  WriteRegStr HKCU 'Software\\\\Classes\\\\QuilletFile\\\\shell\\\\open\\\\command' '' '\\\"$INSTDIR\\\\quillet.exe\\\" \\\"%1\\\"'\n"
    "  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n"
    "quillet_no_association:\n")
string(CONCAT CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "ReadRegStr $0 HKCU 'Software\\\\Classes\\\\QuilletFile\\\\shell\\\\open\\\\command' ''\n"
    "StrCmp $0 '\\\"$INSTDIR\\\\quillet.exe\\\" \\\"%1\\\"' 0 quillet_association_kept\n"
    "  DeleteRegKey HKCU 'Software\\\\Classes\\\\QuilletFile'\n"
    "  DeleteRegKey HKCU 'Software\\\\Classes\\\\.qlt'\n"
    "  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n"
    "quillet_association_kept:\n")
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS -INPUTCHARSET UTF8)

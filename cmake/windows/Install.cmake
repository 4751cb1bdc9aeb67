# The Windows layout: everything in one folder, as the portable copy has it (settings and logs go beside
# the programs there, under %APPDATA%\Quillet for a copy the installer put under Program Files). The
# installer and the portable archive are made from these rules (scripts/windows/package.sh).
install(TARGETS quillet quillet-cli RUNTIME DESTINATION .)
install(FILES ${QUILLET_RUNTIME_DLLS} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/qt.conf DESTINATION .)
foreach(plugin IN LISTS QUILLET_RUNTIME_PLUGINS)
    get_filename_component(plugin_dir ${plugin} DIRECTORY)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/plugins/${plugin} DESTINATION plugins/${plugin_dir})
endforeach()
install(FILES ${QUILLET_QT_TRANSLATION} DESTINATION translations)
install(FILES LICENSE DESTINATION . RENAME License.txt)
install(FILES resources/linux/Quillet.html DESTINATION .)
include(cmake/windows/Packaging.cmake)

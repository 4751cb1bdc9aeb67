# What the Windows programs need beside them, copied into the build's bin folder, so that it runs as a
# portable copy (and the tests run there): the Qt, ICU and C++ runtime DLLs, the platform and style
# plugins, Qt's Chinese translation and a qt.conf that tells Qt to look for them there.
set(quillet_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

set(QUILLET_RUNTIME_DLLS)
foreach(qt_module IN ITEMS Core Gui Widgets)
    list(APPEND QUILLET_RUNTIME_DLLS $<TARGET_FILE:Qt6::${qt_module}>)
endforeach()
foreach(icu_dll IN ITEMS icuuc72 icuin72 icudt72)
    find_file(QUILLET_${icu_dll}_DLL ${icu_dll}.dll PATH_SUFFIXES bin REQUIRED)
    list(APPEND QUILLET_RUNTIME_DLLS ${QUILLET_${icu_dll}_DLL})
endforeach()
foreach(runtime_dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime_dll}
        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "${runtime_dll} not found beside ${CMAKE_CXX_COMPILER}")
    endif()
    get_filename_component(runtime_path ${runtime_path} REALPATH)
    list(APPEND QUILLET_RUNTIME_DLLS ${runtime_path})
endforeach()
set(QUILLET_RUNTIME_PLUGINS platforms/$<TARGET_FILE_NAME:Qt6::QWindowsIntegrationPlugin>
    styles/$<TARGET_FILE_NAME:Qt6::QWindowsVistaStylePlugin>)
find_file(QUILLET_QT_TRANSLATION qtbase_zh_CN.qm
    PATHS ${QUILLET_WINDOWS_TOOLCHAIN}/translations ${QT6_INSTALL_PREFIX}/translations NO_CMAKE_FIND_ROOT_PATH
    REQUIRED)

file(WRITE ${quillet_bin}/qt.conf "[Paths]\nPrefix=.\n")
add_custom_target(quillet-runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${quillet_bin}/plugins/platforms ${quillet_bin}/plugins/styles
            ${quillet_bin}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUILLET_RUNTIME_DLLS} $<TARGET_FILE:Qt6::Test> ${quillet_bin}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
            $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin> ${quillet_bin}/plugins/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
            ${quillet_bin}/plugins/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QUILLET_QT_TRANSLATION} ${quillet_bin}/translations
    COMMENT "Copying the Qt, ICU and runtime DLLs beside the programs"
    VERBATIM)

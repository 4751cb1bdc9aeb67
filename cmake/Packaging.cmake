# The Debian package: `cpack -G DEB` in a configured build tree (scripts/package.sh) makes
# quillet_<version>_<architecture>.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VENDOR "Quillet developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillet developers <${QUILLET_CONTACT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "notes and task-list manager")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillet keeps notes and task lists in one enciphered .qlt file. Every note has a caption line, one of \
four priorities, a done mark and a plain-text body; notes are added, edited, sorted and found from the \
keyboard. quillet-cli lists, shows and changes notes from scripts and terminals. A password protects a \
file with Argon2id and XChaCha20-Poly1305 (libsodium); the classic cipher, which older versions read, keeps \
notes only from casual eyes.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

execute_process(COMMAND dpkg --print-architecture
    OUTPUT_VARIABLE quillet_deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE quillet_deb_arch_result)
if(NOT quillet_deb_arch_result EQUAL 0 OR NOT quillet_deb_arch)
    set(quillet_deb_arch amd64)
endif()

set(CPACK_DEBIAN_PACKAGE_NAME quillet)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${quillet_deb_arch})
set(CPACK_DEBIAN_FILE_NAME quillet_${PROJECT_VERSION}_${quillet_deb_arch}.deb)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillet developers <${QUILLET_CONTACT_EMAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLET_WEB_ADDRESS})
# dpkg-shlibdeps finds the libraries the programs link (Qt, ICU, libsodium23); the icons are SVG, drawn
# by the Qt SVG plugins that nothing links, Qt's own dialog texts come from its Chinese translation, and the
# user-interface texts are Chinese. Qt's Wayland plugin lets the window run natively in a Wayland session
# (GNOME's default) instead of through XWayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-wayland")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The desktop, MIME and icon caches are refreshed by the triggers of the packages that own them.

include(CPack)

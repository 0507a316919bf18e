# Installation and the Debian package. Layout under the prefix:
#   bin/erp-host
#   lib/erp-qmt318/libhost.so            the host framework, private to erp-host
#   lib/erp-qmt318/modules/Pkg_qmt31800.so
#   share/erp-qmt318/{reports,db}        report definitions and the demo schema
#   share/applications/erp-host.desktop
#   share/man/man1/erp-host.1.gz         the manual page, erp-host and erp-host report
#   include/erp-host/                    the module interface's headers (component erp-dev; see
#                                        host/CMakeLists.txt), to build a module against libhost above
# The Debian package adds, outside the prefix:
#   /etc/erp-host/erp-host.conf          the machine's settings, a conffile (an upgrade keeps edits)
#   /var/lib/erp-host/reports            the office's report definitions, made by postinst (not a
#                                        packaged file, so an upgrade never replaces what is in it)
# The English language resource module is an example outside the default install:
#   cmake --install <build> --component idiomas
# The variables ERP_INSTALL_* come from app/CMakeLists.txt. The package: cpack -G DEB in the build folder.

file(RELATIVE_PATH _erp_lib_from_bin /p/${CMAKE_INSTALL_BINDIR} /p/${ERP_INSTALL_PKGLIBDIR})
set_target_properties(erp-host PROPERTIES INSTALL_RPATH "$ORIGIN/${_erp_lib_from_bin}")
set_target_properties(Pkg_qmt31800 PROPERTIES INSTALL_RPATH "$ORIGIN/..")

install(TARGETS erp-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT erp)
install(TARGETS host LIBRARY DESTINATION ${ERP_INSTALL_PKGLIBDIR} COMPONENT erp)
install(TARGETS Pkg_qmt31800 LIBRARY DESTINATION ${ERP_INSTALL_MODULEDIR} COMPONENT erp)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/reports/ DESTINATION ${ERP_INSTALL_DATADIR}/reports COMPONENT erp)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/db/ DESTINATION ${ERP_INSTALL_DATADIR}/db COMPONENT erp
        FILES_MATCHING PATTERN "*.sql")
install(FILES ${CMAKE_SOURCE_DIR}/app/erp-host.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT erp)
# Compressed at build time, as Debian ships manual pages; -n keeps the file the same from build to build.
set(_erp_manpage ${CMAKE_BINARY_DIR}/man/erp-host.1.gz)
add_custom_command(OUTPUT ${_erp_manpage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND sh -c "gzip -9nc '${CMAKE_SOURCE_DIR}/app/erp-host.1' > '${_erp_manpage}'"
  DEPENDS ${CMAKE_SOURCE_DIR}/app/erp-host.1 VERBATIM)
add_custom_target(erp-host-manpage ALL DEPENDS ${_erp_manpage})
add_dependencies(erp-host erp-host-manpage)
install(FILES ${_erp_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT erp)
# Absolute, so a component of its own that only the package installs: a plain cmake --install into
# a prefix leaves the machine's /etc alone.
install(FILES ${CMAKE_SOURCE_DIR}/cmake/deb/erp-host.conf DESTINATION /etc/erp-host COMPONENT conf
        EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/app/lang/Pkg_qmt31800.so.en DESTINATION ${ERP_INSTALL_MODULEDIR}
        COMPONENT idiomas EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME erp-qmt318)
set(CPACK_PACKAGE_VENDOR "ERP")
set(CPACK_PACKAGE_CONTACT "ERP <erp@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ERP - Dados do Cliente (QMT31800): tela de relatórios de clientes")
set(CPACK_PACKAGE_DESCRIPTION "Aplicação desktop erp-host com o módulo Pkg_qmt31800 (tela Dados do Cliente, \
relatório QMT318), banco de demonstração SQLite e suporte a Firebird.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL erp conf erp-dev)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
# One package of all three. The module headers go with the host they describe rather than in a -dev
# package of their own: a module must be built against the very libhost it will load into (the
# loader refuses another interface version), and one package cannot pair headers of one version
# with a host of another.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};erp;/;${CMAKE_BINARY_DIR};${PROJECT_NAME};conf;/;\
${CMAKE_BINARY_DIR};${PROJECT_NAME};erp-dev;/")
# postinst makes the group erp and the office's folder of report definitions; conffiles lists the
# settings file.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/cmake/deb/postinst;${CMAKE_SOURCE_DIR}/cmake/deb/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SQL drivers, Qt's translations, the fonts
# the forms are measured with and the fallback faces of names in other scripts; and addgroup for postinst.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-ibase, libqt6sql6-psql, qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation, \
fonts-dejavu-core, fonts-noto-core, fonts-droid-fallback, fonts-symbola, adduser")
include(CPack)

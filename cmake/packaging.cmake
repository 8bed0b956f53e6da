# The native side as a Debian package (scripts/package native): whatever
# cmake --install lays out under /usr, so what the install rules gain, the
# package carries. Time stamps inside follow SOURCE_DATE_EPOCH.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TAVORIN item lookup library (native enumeration core)")
set(CPACK_PACKAGE_DESCRIPTION "libtavorin.so walks the computers, devices, storage areas, item
types and items of a Kelvast store one name per call. The package also
carries the stand-in storage library libkelvast.so, which serves a folder
tree, the tavorin-browse tool and the headers.")
set(CPACK_PACKAGE_CONTACT "TAVORIN developers <tavorin@example.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The linker cache is renewed by dpkg's ldconfig trigger. CPack would write
# postinst and postrm scripts for it instead, and a package with a postrm
# stays in dpkg's records after apt-get remove, waiting for a purge. Naming
# scripts that do not exist keeps CPack from writing them (it warns and
# packs none).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/deb/triggers
    ${CMAKE_CURRENT_LIST_DIR}/deb/none/postinst ${CMAKE_CURRENT_LIST_DIR}/deb/none/postrm)
include(CPack)

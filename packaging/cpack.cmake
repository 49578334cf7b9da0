# The Debian package: `cpack -G DEB` in the build directory writes
# tevalin_1.00_<arch>.deb. Included from the top level, after every install
# rule is known.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tevalin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kelvaro)
set(TEVALIN_MAINTAINER "Kelvaro <kelvaro@users.noreply.github.com>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TEVALIN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "memory-training game: repeat the colours in the order shown")
set(CPACK_PACKAGE_DESCRIPTION [=[
Eight coloured squares sit around a Start button. Press it, and one square
flashes a sequence of their colours, then click the squares in the same
order. Every correct round is one colour longer. The time per colour and
the place where the colours are shown can be set in the window.]=])
string(STRIP "${CPACK_PACKAGE_DESCRIPTION}" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/kelvaro/tevalin)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# Libraries from dpkg-shlibdeps; besides them, the face every caption is laid
# out for and Qt's platform plugins, without which no window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, qt6-qpa-plugins")

set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)

# SPDX-License-Identifier: GPL-3.0-or-later
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

# Libraries from dpkg-shlibdeps (Qt's xcb and offscreen platforms come with
# libqt6gui6); besides them, the face every caption is laid out for, Tahoma,
# or where a release has no Wine the narrow face that stands in for it. On a
# Wayland desktop Qt's wayland platform lets the game run natively instead of
# through Xwayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine | fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# The program goes stripped; its debug information goes to
# tevalin-dbgsym_1.00_<arch>.ddeb beside it. (CPACK_STRIP_FILES would strip
# before the debug information could be taken out.)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/dbgsym.cmake)

set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Reproducible packages: CPack dates every file in the package by
# SOURCE_DATE_EPOCH. When the caller sets none, the time of the last commit
# (or, outside a clone, of the changelog entry) stands in for it.
find_package(Git QUIET)
set(TEVALIN_SOURCE_DATE_EPOCH "")
if(GIT_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE TEVALIN_SOURCE_DATE_EPOCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT TEVALIN_SOURCE_DATE_EPOCH)
    set(TEVALIN_SOURCE_DATE_EPOCH 1099828800) # 2004-11-07 12:00 UTC, the changelog's date
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack_project.cmake.in
               ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)

include(CPack)

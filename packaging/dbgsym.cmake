# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack once the packages are written (CPACK_POST_BUILD_SCRIPTS). CMake
# 3.25 writes the debug-symbols package's md5sums with the absolute path of
# its staging directory, which dpkg and lintian reject and which makes the
# package differ from one build folder to the next. This builds it again
# with dpkg-deb, as Debian's own tools make a -dbgsym package: paths relative
# to the root, the debug file not executable, the documentation a link to
# the main package's.
find_program(DPKG_DEB dpkg-deb REQUIRED)

foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.ddeb$")
        continue()
    endif()
    set(root "${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-rebuild")
    file(REMOVE_RECURSE "${root}")
    execute_process(COMMAND ${DPKG_DEB} --raw-extract "${package}" "${root}"
                    COMMAND_ERROR_IS_FATAL ANY)

    file(READ "${root}/DEBIAN/md5sums" sums)
    string(REGEX REPLACE "  [^\n]*/(usr/lib/debug/)" "  \\1" sums "${sums}")
    string(STRIP "${sums}" sums)
    string(APPEND sums "\n")
    file(WRITE "${root}/DEBIAN/md5sums" "${sums}")

    file(GLOB_RECURSE debugFiles "${root}/usr/lib/debug/*.debug")
    foreach(f IN LISTS debugFiles)
        file(CHMOD "${f}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endforeach()
    file(MAKE_DIRECTORY "${root}/usr/share/doc")
    file(CREATE_LINK ${CPACK_PACKAGE_NAME} "${root}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym"
         SYMBOLIC)

    # Every file dated as the rest of the package.
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        file(GLOB_RECURSE everything LIST_DIRECTORIES true "${root}/*")
        execute_process(COMMAND touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH}
                                ${everything} "${root}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(REMOVE "${package}")
    execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Zxz --build "${root}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${root}")
endforeach()

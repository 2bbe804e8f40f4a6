# How the game leaves the build folder: `make install` (the game, its manual
# page and the README under a prefix), `make package` (a Debian package made
# by CPack) and, for Windows, the zip that `make windows` makes.

if(WIN32)
    # quillonex.exe, stripped, and the README's Windows part as README.txt with
    # the line ends Notepad expects.
    set(WINDOWS_ZIP ${CMAKE_BINARY_DIR}/quillonex-${PROJECT_VERSION}-win64.zip)
    set(ZIP_STAGE ${CMAKE_BINARY_DIR}/zip)
    file(MAKE_DIRECTORY ${ZIP_STAGE})
    if(CMAKE_STRIP)
        set(COPY_EXE ${CMAKE_STRIP} -o ${ZIP_STAGE}/quillonex.exe $<TARGET_FILE:quillonex>)
    else()
        set(COPY_EXE ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillonex> ${ZIP_STAGE}/quillonex.exe)
    endif()
    add_custom_command(OUTPUT ${WINDOWS_ZIP}
        COMMAND ${COPY_EXE}
        COMMAND ${CMAKE_COMMAND} -DREADME=${PROJECT_SOURCE_DIR}/README.md
                -DOUTPUT=${ZIP_STAGE}/README.txt -DVERSION=${PROJECT_VERSION}
                -P ${PROJECT_SOURCE_DIR}/cmake/windows-readme.cmake
        COMMAND ${CMAKE_COMMAND} -E tar cf ${WINDOWS_ZIP} --format=zip quillonex.exe README.txt
        WORKING_DIRECTORY ${ZIP_STAGE}
        DEPENDS quillonex ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/cmake/windows-readme.cmake
        VERBATIM)
    add_custom_target(windows_zip ALL DEPENDS ${WINDOWS_ZIP})
    return()
endif()

include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# `cmake --install` and `make install`: component "game", the game where
# Debian puts games, its manual page and the README, and nothing else.
install(TARGETS quillonex RUNTIME DESTINATION games COMPONENT game)
install(FILES docs/quillonex.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT game)

# The Debian package: component "debian", installed only by CPack (`make
# package` builds its files first, with the target debian_files). The same
# files laid out as Debian wants them, the manual page and the changelog
# compressed (without a time stamp, so that the same sources give the same
# package), the copyright and lintian's overrides. The maintainer names the
# project; it has no mail address of its own, which the reserved .invalid
# domain says openly.
set(QUILLONEX_MAINTAINER "quillonex developers <developers@quillonex.invalid>")
set(DEB_STAGE ${CMAKE_BINARY_DIR}/debian)
configure_file(debian/changelog.in ${DEB_STAGE}/changelog.Debian @ONLY)
configure_file(debian/copyright.in ${DEB_STAGE}/copyright @ONLY)
add_custom_command(OUTPUT ${DEB_STAGE}/quillonex.6.gz ${DEB_STAGE}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/quillonex.6 ${DEB_STAGE}/quillonex.6
    COMMAND gzip -9nf ${DEB_STAGE}/quillonex.6
    COMMAND ${CMAKE_COMMAND} -E copy ${DEB_STAGE}/changelog.Debian ${DEB_STAGE}/changelog
    COMMAND gzip -9nf ${DEB_STAGE}/changelog
    COMMAND ${CMAKE_COMMAND} -E rename ${DEB_STAGE}/changelog.gz ${DEB_STAGE}/changelog.Debian.gz
    DEPENDS docs/quillonex.6 ${DEB_STAGE}/changelog.Debian
    VERBATIM)
add_custom_target(debian_files DEPENDS ${DEB_STAGE}/quillonex.6.gz ${DEB_STAGE}/changelog.Debian.gz)

install(TARGETS quillonex RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
# strip keeps the compilers' names in .comment, which Debian's own packages drop.
if(CMAKE_OBJCOPY)
    install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
                      \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/quillonex)"
        COMPONENT debian EXCLUDE_FROM_ALL)
endif()
install(FILES ${DEB_STAGE}/quillonex.6.gz DESTINATION share/man/man6 COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES README.md ${DEB_STAGE}/copyright ${DEB_STAGE}/changelog.Debian.gz
    DESTINATION share/doc/quillonex COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES debian/lintian-overrides RENAME quillonex
    DESTINATION share/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_VENDOR "The quillonex authors")
set(CPACK_PACKAGE_CONTACT "${QUILLONEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "maze game for the text terminal")
set(CPACK_PACKAGE_DESCRIPTION
"You are a white block in the top-left corner of a board of coloured cells:
walk to the goal in the bottom-right corner without touching a red cell. The
only floor is one winding path, laid anew for every level, and every level is
one cell wider and taller than the last. Keyboard or gamepad (with rumble), a
saved game, and 24-bit, 256 or 8 colours as the terminal allows.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the game links (the C and C++ runtimes, terminfo) name their
# packages: dpkg-shlibdeps reads them off the binary. SDL2 is opened only when
# it is there, for the gamepad: recommended, so that a terminal-only machine
# can leave it and the desktop libraries it brings out.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libsdl2-2.0-0)
include(CPack)

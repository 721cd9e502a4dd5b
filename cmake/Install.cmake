# Installing (cmake --install, GNUInstallDirs) and the Debian package (cpack, see scripts/package.sh).
#
# The build folder holds the programs in bin/ and stages what they read at run time in share/, so
# a program finds its files the same way, relative to its own folder, whether it runs from the
# build folder or from the installed tree. The man pages, icons and the rest are staged there too.
include(GNUInstallDirs)

set(VELK_APP_ID "org.velk.Velk" CACHE STRING "Reverse-DNS id of the desktop program: desktop entry, icon, metainfo")
set(VELK_HOMEPAGE "https://velk.example" CACHE STRING "The project's web address, for the package and the metainfo")
set(VELK_MAINTAINER "velk maintainers <maintainers@velk.example>")

find_program(VELK_SCDOC scdoc REQUIRED)
find_program(VELK_GZIP gzip REQUIRED)
if(VELK_BUILD_UI)
    # cmark-gfm renders the documents' tables (plain cmark leaves them as lines of pipes).
    find_program(VELK_CMARK_GFM cmark-gfm REQUIRED)
    find_program(VELK_RSVG_CONVERT rsvg-convert REQUIRED)
endif()

set(stage ${PROJECT_BINARY_DIR})
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

# The changelog's latest entry names the version and the date of the release.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging}/changelog)
file(STRINGS ${packaging}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
string(REGEX MATCH "^velk \\(([^)]+)\\)" _ "${changelog_head}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog starts with version '${CMAKE_MATCH_1}', the project is "
                        "${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}")
endif()
list(FILTER changelog_lines INCLUDE REGEX "^ -- ")
list(GET changelog_lines 0 changelog_trailer)
string(REGEX MATCH ">  (.+)$" _ "${changelog_trailer}")
execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%s OUTPUT_VARIABLE VELK_RELEASE_EPOCH
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -d "@${VELK_RELEASE_EPOCH}" +%F OUTPUT_VARIABLE VELK_RELEASE_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(staged_files)

# Man pages, one scdoc source each.
set(man_pages velkctl velk-panel-sim)
if(VELK_BUILD_UI)
    list(APPEND man_pages velk)
endif()
set(man_outputs)
foreach(page ${man_pages})
    set(output ${stage}/${CMAKE_INSTALL_MANDIR}/man1/${page}.1.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DSCDOC=${VELK_SCDOC} -DGZIP=${VELK_GZIP} -DEPOCH=${VELK_RELEASE_EPOCH}
                -DINPUT=${PROJECT_SOURCE_DIR}/man/${page}.1.scd -DOUTPUT=${output}
                -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.1.scd ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        COMMENT "Man page ${page}(1)" VERBATIM)
    list(APPEND man_outputs ${output})
endforeach()
list(APPEND staged_files ${man_outputs})

# Debian keeps the changelog compressed beside the copyright file.
set(changelog_gz ${stage}/${CMAKE_INSTALL_DOCDIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${packaging}/changelog ${stage}/${CMAKE_INSTALL_DOCDIR}/changelog
    COMMAND ${VELK_GZIP} -9nf ${stage}/${CMAKE_INSTALL_DOCDIR}/changelog
    DEPENDS ${packaging}/changelog VERBATIM)
list(APPEND staged_files ${changelog_gz})

install(TARGETS velkctl velk-panel-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/completion/velkctl ${PROJECT_SOURCE_DIR}/completion/velk-panel-sim
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${changelog_gz} ${packaging}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(VELK_BUILD_UI)
    # The about box opens the guide at the same place relative to the program, installed or not.
    file(RELATIVE_PATH guide_from_program ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DOCDIR}/guide.html)
    target_compile_definitions(velk_ui_dialogs PRIVATE VELK_GUIDE_FROM_PROGRAM="${guide_from_program}")
    # Wayland finds the desktop entry, and so the icon, by this name.
    target_compile_definitions(velk_ui_app PRIVATE VELK_APP_ID="${VELK_APP_ID}")

    # The guide and the documents it links, as HTML side by side, so its links work installed.
    cmake_path(SET guide_html NORMALIZE "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${guide_from_program}")
    cmake_path(GET guide_html PARENT_PATH doc_stage)
    set(doc_pages)
    foreach(document "guide|velk user guide" "project-text|velk projects as text"
                     "site-writes|velk: writing and reading many panels")
        string(REPLACE "|" ";" document "${document}")
        list(GET document 0 name)
        list(GET document 1 title)
        set(page ${doc_stage}/${name}.html)
        add_custom_command(OUTPUT ${page}
            COMMAND ${CMAKE_COMMAND} -DCMARK=${VELK_CMARK_GFM} -DINPUT=${PROJECT_SOURCE_DIR}/docs/${name}.md
                    -DTITLE=${title} -DTEMPLATE=${packaging}/doc.html.in -DOUTPUT=${page}
                    -P ${PROJECT_SOURCE_DIR}/cmake/DocHtml.cmake
            DEPENDS ${PROJECT_SOURCE_DIR}/docs/${name}.md ${packaging}/doc.html.in
                    ${PROJECT_SOURCE_DIR}/cmake/DocHtml.cmake
            COMMENT "${name}.md as HTML" VERBATIM)
        list(APPEND doc_pages ${page})
    endforeach()
    list(APPEND staged_files ${doc_pages})

    # The icon is the panel mark of the logo (Clogo): one SVG, and PNGs drawn from it.
    set(icons ${stage}/${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    set(icon_svg ${icons}/scalable/apps/${VELK_APP_ID}.svg)
    configure_file(${packaging}/velk-icon.svg ${icon_svg} COPYONLY)
    install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 48 128 256)
        set(png ${icons}/${size}x${size}/apps/${VELK_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${icons}/${size}x${size}/apps
            COMMAND ${VELK_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_svg}
            DEPENDS ${packaging}/velk-icon.svg VERBATIM)
        list(APPEND staged_files ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()

    set(desktop_entry ${stage}/${CMAKE_INSTALL_DATADIR}/applications/${VELK_APP_ID}.desktop)
    set(metainfo ${stage}/${CMAKE_INSTALL_DATADIR}/metainfo/${VELK_APP_ID}.metainfo.xml)
    configure_file(${packaging}/velk.desktop.in ${desktop_entry} @ONLY)
    configure_file(${packaging}/velk.metainfo.xml.in ${metainfo} @ONLY)

    install(TARGETS velk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${doc_pages} DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/completion/velk DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
    # doc-base lists the guide in the system's documentation browsers; it names installed paths.
    install(FILES ${packaging}/velk.doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME velk.velk-guide)
    install(FILES ${desktop_entry} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

add_custom_target(velk_data ALL DEPENDS ${staged_files})
if(VELK_BUILD_UI)
    add_dependencies(velk velk_data)
endif()

# The Debian package: cpack -G DEB in this build folder, after a build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velk)
set(CPACK_PACKAGE_VENDOR "velk maintainers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for the TAV8 wall panel")
set(CPACK_PACKAGE_DESCRIPTION "\
velk builds the configuration of a TAV8 wall panel, a controller with eight
keys and two IO inputs: for every key event a list of actions (infrared codes,
IO outputs and relays, strings sent to TCP or UDP peers or out of a serial
port). Every edit is kept at once in a project file, and the whole
configuration is written into the panel over the network.

The package holds the desktop program velk, velkctl for the same work from a
terminal, and velk-panel-sim, a panel simulator for trying a project without
hardware.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELK_HOMEPAGE}")
# Depends comes from the shared libraries the programs link. The Chinese texts need a CJK font, and
# Qt's own dialogs and buttons speak Chinese only with Qt's translations installed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/cpack)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
include(CPack)

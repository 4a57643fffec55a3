# `cmake --install`: the executables in bin/, everything they read at run time in
# share/quorvel/ (their application folder, found from bin/ at run time), and the desktop
# integration files where desktops look for them.
include(GNUInstallDirs)

set(QUORVEL_APP_ID "example.quorvel.Quorvel" CACHE STRING
    "Reverse-DNS id of the desktop entry and the AppStream metainfo")  # also set in src/
set(QUORVEL_RELEASE_DATE "2026-12-07" CACHE STRING "Date of this release, for the metainfo")
set(quorvel_data_dir ${CMAKE_INSTALL_DATADIR}/quorvel)

foreach(program quorvel quorvel-catalogue quorvel-reg quorvel-guide)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# Started by quorvel-catalogue for its network commands, never by the user.
if(TARGET quorvel-catalogue-net)
  install(TARGETS quorvel-catalogue-net RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorvel)
endif()

# The application folder of an installed program: it is not written by the program, and the
# marker tells it so even when it runs as root.
file(WRITE ${PROJECT_BINARY_DIR}/install/.installed
     "Installed copy: files the program writes go to $XDG_DATA_HOME/quorvel.\n")
install(FILES ${PROJECT_BINARY_DIR}/install/.installed DESTINATION ${quorvel_data_dir})
if(TARGET quorvel_sample_catalogue)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Data.txt DESTINATION ${quorvel_data_dir})
endif()
# Run-time resources that exist in this checkout: the help page and the translations.
foreach(folder help localization)
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/resources/${folder})
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/${folder}/ DESTINATION ${quorvel_data_dir}
            PATTERN "CMakeLists.txt" EXCLUDE PATTERN "*.cmake" EXCLUDE PATTERN "*.in" EXCLUDE)
  endif()
endforeach()
# The language window lists the languages of Localization.txt: the same file, second name.
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/localization/Localization.xml)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/localization/Localization.xml
          DESTINATION ${quorvel_data_dir} RENAME Localization.txt)
endif()

# Texts from the branding options, escaped for the desktop entry and for XML.
function(quorvel_desktop_escape out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(quorvel_xml_escape out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

quorvel_desktop_escape(DESKTOP_NAME "${QUORVEL_PRODUCT_NAME}")
set(APP_ID ${QUORVEL_APP_ID})
quorvel_xml_escape(XML_NAME "${QUORVEL_PRODUCT_NAME}")
quorvel_xml_escape(XML_COMPANY "${QUORVEL_COMPANY_NAME}")
if(QUORVEL_WEBSITE MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://")
  quorvel_xml_escape(XML_HOMEPAGE "${QUORVEL_WEBSITE}")
else()
  quorvel_xml_escape(XML_HOMEPAGE "https://${QUORVEL_WEBSITE}")
endif()
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/quorvel.desktop.in
               ${PROJECT_BINARY_DIR}/install/${QUORVEL_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/quorvel.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/install/${QUORVEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/install/${QUORVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/install/${QUORVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Icons: resources/icons/quorvel-<size>.png and quorvel.svg, whichever exist.
file(GLOB icon_pngs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/quorvel-*.png)
foreach(png IN LISTS icon_pngs)
  if(png MATCHES "quorvel-([0-9]+)\\.png$")
    set(size ${CMAKE_MATCH_1})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quorvel.png)
  endif()
endforeach()
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/icons/quorvel.svg)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quorvel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

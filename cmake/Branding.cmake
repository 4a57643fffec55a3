# The identity of a build. A reseller build sets these at configure time,
# e.g. -DQUORVEL_COMPANY_NAME="Dravmont Software".
set(QUORVEL_PRODUCT_NAME "Quorvel" CACHE STRING "Product name of the build")
set(QUORVEL_COMPANY_NAME "Larkspur Media Works" CACHE STRING "Company name of the build")
set(QUORVEL_WEBSITE "quorvel.example" CACHE STRING "Web site (comments field), a bare domain")
set(QUORVEL_VERSION_MAJOR 1 CACHE STRING "Major version")
set(QUORVEL_VERSION_MINOR 1 CACHE STRING "Minor version")
set(QUORVEL_VERSION_REVISION 0 CACHE STRING "Revision")
set(QUORVEL_FILE_VERSION_TEXT "1.01" CACHE STRING "File version text")
set(QUORVEL_PRODUCT_UPDATE_HOST "www.quorvel.example" CACHE STRING "Host of the product's own update page")
set(QUORVEL_VENDOR_UPDATE_HOST "www.larkspur-media.example" CACHE STRING "Host of the vendor's update page")
# Skin and banner: both off as delivered.
option(QUORVEL_SKIN "Skin every window with the skin chosen by QUORVEL_SKIN_FILE" OFF)
set(QUORVEL_SKIN_FILE "light" CACHE STRING "Skin the skinned build loads: light or dark")
set_property(CACHE QUORVEL_SKIN_FILE PROPERTY STRINGS light dark)
option(QUORVEL_BANNER "Show the banner strip of the main window" OFF)
set(QUORVEL_BANNER_URL "http://" CACHE STRING "Page the banner strip shows")
include(${CMAKE_CURRENT_LIST_DIR}/BuildVersionHeader.cmake)

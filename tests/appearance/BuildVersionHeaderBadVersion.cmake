cmake_minimum_required(VERSION 3.25)
# Helper of BuildVersionHeaderTest.cmake: must fail.
include(${SOURCE_DIR}/cmake/BuildVersionHeader.cmake)
set(QUORVEL_VERSION_MAJOR 1)
set(QUORVEL_VERSION_MINOR "1; int x")
set(QUORVEL_VERSION_REVISION 0)
quorvel_write_build_version(${SOURCE_DIR}/src/appearance/BuildVersion.h.in
                            ${WORK_DIR}/BuildVersion.h)

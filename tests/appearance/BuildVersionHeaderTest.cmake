cmake_minimum_required(VERSION 3.25)
# Generates the version header from awkward branding values, compiles a program that
# includes it and checks that every value reads back byte for byte.
# Run with -DCXX=<compiler> -DSOURCE_DIR=<project> -DWORK_DIR=<scratch folder>.
include(${SOURCE_DIR}/cmake/BuildVersionHeader.cmake)

set(QUORVEL_PRODUCT_NAME "Say \"Hi\" TV")
set(QUORVEL_COMPANY_NAME "Back\\slash \\\"Media\\\" ??= Café \\")
set(QUORVEL_WEBSITE "line\nbreak\ttab @QUORVEL_PRODUCT_NAME@ \${x}")
set(QUORVEL_FILE_VERSION_TEXT "1.01")
set(QUORVEL_PRODUCT_UPDATE_HOST "")
set(QUORVEL_VENDOR_UPDATE_HOST "a\"b")
set(QUORVEL_VERSION_MAJOR 2)
set(QUORVEL_VERSION_MINOR 010)
set(QUORVEL_VERSION_REVISION 0)

file(REMOVE_RECURSE ${WORK_DIR})
quorvel_write_build_version(${SOURCE_DIR}/src/appearance/BuildVersion.h.in
                            ${WORK_DIR}/appearance/BuildVersion.h)

# The expected bytes travel as hex, untouched by any quoting.
set(checks "")
foreach(name PRODUCT_NAME COMPANY_NAME WEBSITE PRODUCT_UPDATE_HOST VENDOR_UPDATE_HOST)
  file(WRITE ${WORK_DIR}/value.bin "${QUORVEL_${name}}")
  file(READ ${WORK_DIR}/value.bin hex HEX)
  string(APPEND checks "  failures += Check(\"${name}\", V_${name}, \"${hex}\");\n")
endforeach()
file(WRITE ${WORK_DIR}/check.cpp "
#include <cstdio>
#include <string>
#include \"appearance/BuildVersion.h\"
using namespace quorvel::build;
static const char* V_PRODUCT_NAME = kProductName;
static const char* V_COMPANY_NAME = kCompanyName;
static const char* V_WEBSITE = kComments;
static const char* V_PRODUCT_UPDATE_HOST = kProductUpdateHost;
static const char* V_VENDOR_UPDATE_HOST = kVendorUpdateHost;
static int Check(const char* name, const std::string& value, const std::string& hex) {
  std::string got;
  for (unsigned char c : value) { char b[3]; std::snprintf(b, 3, \"%02x\", c); got += b; }
  if (got == hex) return 0;
  std::printf(\"%s: got %s, want %s\\n\", name, got.c_str(), hex.c_str());
  return 1;
}
int main() {
  int failures = 0;
${checks}  if (kVersionMajor != 2 || kVersionMinor != 10) { std::puts(\"version\"); ++failures; }
  return failures;
}
")
execute_process(COMMAND ${CXX} -std=c++20 -Wall -Werror -I${WORK_DIR} ${WORK_DIR}/check.cpp
                        -o ${WORK_DIR}/check
                RESULT_VARIABLE compiled OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT compiled EQUAL 0)
  message(FATAL_ERROR "the generated header does not compile:\n${out}")
endif()
execute_process(COMMAND ${WORK_DIR}/check RESULT_VARIABLE ran OUTPUT_VARIABLE out)
if(NOT ran EQUAL 0)
  message(FATAL_ERROR "values do not read back:\n${out}")
endif()

# A version that is not a number is refused at configure time, not by the compiler.
set(QUORVEL_VERSION_MINOR "1; int x")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -DWORK_DIR=${WORK_DIR}/bad
                        -P ${CMAKE_CURRENT_LIST_DIR}/BuildVersionHeaderBadVersion.cmake
                RESULT_VARIABLE refused OUTPUT_QUIET ERROR_QUIET)
if(refused EQUAL 0)
  message(FATAL_ERROR "a version that is not a number was accepted")
endif()

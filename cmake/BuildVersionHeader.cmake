# Writes the generated header of the build's version information. Text values become C++
# string literals with every backslash, quote and line break escaped, so any name builds and
# reads back exactly; numbers must be plain decimal numbers.

function(quorvel_c_string_literal out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  string(REPLACE "\n" "\\n" value "${value}")
  string(REPLACE "\r" "\\r" value "${value}")
  string(REPLACE "\t" "\\t" value "${value}")
  # "??" followed by another character could start a trigraph in an older dialect.
  string(REPLACE "?" "\\?" value "${value}")
  set(${out} "\"${value}\"" PARENT_SCOPE)
endfunction()

function(quorvel_write_build_version template output)
  # The skin and banner switches are off unless the build turns them on.
  foreach(name SKIN BANNER)
    if(QUORVEL_${name})
      set(QUORVEL_${name}_BOOL true)
    else()
      set(QUORVEL_${name}_BOOL false)
    endif()
  endforeach()
  if(NOT DEFINED QUORVEL_BANNER_URL)
    set(QUORVEL_BANNER_URL "http://")
  endif()
  if(NOT DEFINED QUORVEL_SKIN_FILE)
    set(QUORVEL_SKIN_FILE "light")
  endif()
  if(NOT QUORVEL_SKIN_FILE MATCHES "^(light|dark)$")
    message(FATAL_ERROR "QUORVEL_SKIN_FILE must be light or dark, not \"${QUORVEL_SKIN_FILE}\"")
  endif()
  foreach(name PRODUCT_NAME COMPANY_NAME WEBSITE FILE_VERSION_TEXT PRODUCT_UPDATE_HOST
               VENDOR_UPDATE_HOST BANNER_URL SKIN_FILE)
    quorvel_c_string_literal(QUORVEL_${name}_LITERAL "${QUORVEL_${name}}")
  endforeach()
  foreach(name VERSION_MAJOR VERSION_MINOR VERSION_REVISION)
    if(NOT "${QUORVEL_${name}}" MATCHES "^[0-9]+$")
      message(FATAL_ERROR "QUORVEL_${name} must be a decimal number, not \"${QUORVEL_${name}}\"")
    endif()
    # Without leading zeros, which C++ would read as octal.
    math(EXPR QUORVEL_${name}_NUMBER "${QUORVEL_${name}}")
  endforeach()
  configure_file(${template} ${output} @ONLY)
endfunction()

# cmake -DTOOL=<quorvel-catalogue> -DSOURCE=<channels.txt> -DOUTPUT=<Data.txt> -P EncodeCatalogue.cmake
# Encodes into a temporary file first, so a refused source never leaves a broken Data.txt.
execute_process(
  COMMAND ${TOOL} encode ${SOURCE}
  OUTPUT_FILE ${OUTPUT}.part
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "quorvel-catalogue encode ${SOURCE} failed (${result})")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})

# cmake -DGZIP=... -DINPUT=FILE.gz -DOUTPUT=FILE -P Gunzip.cmake
execute_process(COMMAND ${GZIP} -dc ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "cannot decompress ${INPUT}")
endif()

# lumivar_embed_file(INPUT SYMBOL OUTPUT_VAR): a source, made at build time by
# EmbedFile.cmake, that holds the file INPUT as the byte array SYMBOL (and
# SYMBOLSize); its path goes into OUTPUT_VAR, to be added to a target.
function(lumivar_embed_file INPUT SYMBOL OUTPUT_VAR)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${SYMBOL}.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${INPUT} -DOUTPUT=${output} -DSYMBOL=${SYMBOL}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${INPUT} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${INPUT}")
  set(${OUTPUT_VAR} ${output} PARENT_SCOPE)
endfunction()

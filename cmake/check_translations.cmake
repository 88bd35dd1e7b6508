# Fails when a text the program shows has no finished Slovak translation: lupdate reads the
# sources into a copy of the Slovak file, whose unfinished entries are then listed.
# Arguments: -DLUPDATE=<lupdate> -DTS=<zep_sk.ts> -DCOPY=<scratch copy> -DSOURCES=<folders>
configure_file(${TS} ${COPY} COPYONLY)
execute_process(COMMAND ${LUPDATE} -no-obsolete -locations none ${SOURCES} -ts ${COPY}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed: ${errors}")
endif()
file(READ ${COPY} text)
string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation type=\"unfinished\""
       unfinished "${text}")
if(unfinished)
    set(list "")
    foreach(entry ${unfinished})
        string(REGEX REPLACE "^<source>([^<]*)</source>.*" "\\1" source "${entry}")
        string(APPEND list "\n  ${source}")
    endforeach()
    message(FATAL_ERROR "Texts without a Slovak translation in ${TS} (cmake --build build "
                        "--target update_translations adds them):${list}")
endif()

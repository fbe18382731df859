# The kernel files built for wider instruction sets (*Avx*.o) may define nothing the linker
# could keep for other callers: a weak (COMDAT) function there, compiled for AVX2 or AVX-512,
# may be the copy every caller gets, and a processor without the set then stops on an
# illegal instruction. Run by ctest with -DNM=... -DOBJECTS=<the library's objects>.
string(REPLACE "|" ";" OBJECTS "${OBJECTS}")
set(Checked 0)
foreach(Object IN LISTS OBJECTS)
    get_filename_component(Name "${Object}" NAME)
    if(NOT Name MATCHES "Avx")
        continue()
    endif()
    math(EXPR Checked "${Checked} + 1")
    execute_process(COMMAND "${NM}" --defined-only -C "${Object}" OUTPUT_VARIABLE Symbols
                    RESULT_VARIABLE Failed)
    if(Failed)
        message(FATAL_ERROR "${NM} failed on ${Object}")
    endif()
    string(REPLACE "\n" ";" Lines "${Symbols}")
    foreach(Line IN LISTS Lines)
        # W/V: weak; u: unique global. The personality routine's reference is data.
        if(Line MATCHES "^[0-9a-f]* [WVu] " AND NOT Line MATCHES "DW\\.ref\\.__gxx_personality")
            message(SEND_ERROR "${Name} defines a shared symbol: ${Line}")
        endif()
    endforeach()
endforeach()
if(Checked EQUAL 0)
    message(STATUS "No kernel objects for wider instruction sets in this build")
endif()

# Two builds of one source give the same korimo.exe and the same zip, byte for byte, so a user can check a download
# against the source. The package is built once more from a copy of the working tree (uncommitted work included;
# build/, out/ and .git left out) at another path, in a build folder of its own, in another time zone and locale,
# and both files of both builds are compared by their SHA-256.
# cmake -DKORIMO_SOURCE=... -DKORIMO_BUILD=... -DKORIMO_EXE=... -DKORIMO_OUT=... -DKORIMO_VERSION=...
#       -P check_reproducible.cmake
set(work ${KORIMO_BUILD}/reproducible)
set(copy ${work}/korimo-source)
set(zip korimo-${KORIMO_VERSION}-win64.zip)

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${what} failed:\n${output}")
    endif()
endfunction()

run("the package build" ${CMAKE_COMMAND} --build ${KORIMO_BUILD} --target korimo_zip)
file(REMOVE_RECURSE ${work})
file(GLOB entries LIST_DIRECTORIES true RELATIVE ${KORIMO_SOURCE} ${KORIMO_SOURCE}/*)
foreach(entry IN LISTS entries)
    set(path "${KORIMO_SOURCE}/${entry}")
    cmake_path(IS_PREFIX path "${KORIMO_BUILD}" NORMALIZE holds_build)
    if(NOT entry MATCHES "^(build|out|\\.git)$" AND NOT holds_build)
        file(COPY "${path}" DESTINATION ${copy})
    endif()
endforeach()
# A time zone 13.5 hours east of UTC, written so that no time zone database is needed.
set(ENV{TZ} KRM-13:30)
set(ENV{LC_ALL} C.UTF-8)
set(ENV{LANG} C.UTF-8)
run("configuring the copy in ${copy}" ${CMAKE_COMMAND} -S ${copy} --preset windows)
run("building the copy's package" ${CMAKE_COMMAND} --build ${copy}/build/windows --target korimo_zip)

set(differ "")
foreach(pair "${KORIMO_EXE}|${copy}/build/windows/korimo.exe" "${KORIMO_OUT}/${zip}|${copy}/out/${zip}")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 first)
    list(GET pair 1 second)
    file(SHA256 ${first} first_sum)
    file(SHA256 ${second} second_sum)
    get_filename_component(file ${first} NAME)
    if(first_sum STREQUAL second_sum)
        message(STATUS "${file}: the same in both builds, SHA-256 ${first_sum}")
    else()
        string(APPEND differ "\n  ${file}: ${first_sum} (${first})\n  ${file}: ${second_sum} (${second})")
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "two builds of one source differ:${differ}\nThe second build stays in ${work}; cmp -l shows"
                        " where the files differ (a time stamp, a path, an owner...).")
endif()
file(REMOVE_RECURSE ${work})

# Writes out/korimo-<version>-win64.zip: korimo.exe, the two guides, the licence and SHA256SUMS over them.
# cmake -DKORIMO_EXE=... -DKORIMO_VERSION=... -DKORIMO_SOURCE=... -DKORIMO_OUT=... -P package.cmake
set(name korimo-${KORIMO_VERSION}-win64)
set(stage ${KORIMO_OUT}/${name})
set(zip ${KORIMO_OUT}/${name}.zip)
set(files korimo.exe README.zh-CN.md README.md LICENSE)

file(REMOVE_RECURSE ${stage})
file(REMOVE ${zip})
file(MAKE_DIRECTORY ${stage})
file(COPY ${KORIMO_EXE} ${KORIMO_SOURCE}/README.zh-CN.md ${KORIMO_SOURCE}/README.md ${KORIMO_SOURCE}/LICENSE
     DESTINATION ${stage})
set(sums "")
foreach(f IN LISTS files)
    file(SHA256 ${stage}/${f} hash)
    string(APPEND sums "${hash}  ${f}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${files} SHA256SUMS
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${stage})
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${zip}")
endif()
message(STATUS "wrote ${zip}")

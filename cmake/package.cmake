# Writes out/korimo-<version>-win64.zip: korimo.exe, the two guides, the licence, every file the guides link to by a
# relative link (at the same path, so that each link works in the unpacked folder) and SHA256SUMS over all of them.
# A link to a file the source does not have stops the package. The zip's bytes follow from its files alone.
# cmake -DKORIMO_EXE=... -DKORIMO_VERSION=... -DKORIMO_SOURCE=... -DKORIMO_OUT=... -P package.cmake
include(${CMAKE_CURRENT_LIST_DIR}/guide_links.cmake)
set(name korimo-${KORIMO_VERSION}-win64)
set(stage ${KORIMO_OUT}/${name})
set(zip ${KORIMO_OUT}/${name}.zip)
set(guides README.zh-CN.md README.md)

file(REMOVE_RECURSE ${stage})
file(REMOVE ${zip})
korimo_guide_files(${KORIMO_SOURCE} linked problems ${guides})
if(problems)
    list(JOIN problems "\n  " problems)
    message(FATAL_ERROR "the guides link to files the package cannot hold (add the file or correct the link):\n"
                        "  ${problems}")
endif()

# korimo.exe and the main files first, then what the guides link to, by path; SHA256SUMS last.
set(files korimo.exe ${guides} LICENSE)
list(REMOVE_ITEM linked ${files})
list(APPEND files ${linked})
file(MAKE_DIRECTORY ${stage})
configure_file(${KORIMO_EXE} ${stage}/korimo.exe COPYONLY)
foreach(f IN LISTS files)
    if(NOT f STREQUAL "korimo.exe")
        configure_file("${KORIMO_SOURCE}/${f}" "${stage}/${f}" COPYONLY)
    endif()
endforeach()
set(sums "")
foreach(f IN LISTS files)
    file(SHA256 "${stage}/${f}" hash)
    string(APPEND sums "${hash}  ${f}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")

find_program(KORIMO_BASH bash REQUIRED) # with gzip and coreutils, for write_zip.sh
execute_process(COMMAND ${KORIMO_BASH} ${CMAKE_CURRENT_LIST_DIR}/write_zip.sh ${zip} ${files} SHA256SUMS
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${stage})
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${zip} (see the message above)")
endif()
list(LENGTH files count)
math(EXPR count "${count} + 1")
message(STATUS "wrote ${zip} (${count} files)")

# Writes out/korimo-<version>-win64.zip: korimo.exe (signed when a certificate is given, see below), the two guides,
# the licence, every file the guides link to by a relative link (at the same path, so that each link works in the
# unpacked folder), the Chinese guide as a page for the browser (使用说明.html) and SHA256SUMS over all of them, the
# exe as shipped.
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
# Signed (Authenticode, SHA-256) when a certificate is given: KORIMO_SIGN_PFX names the .pfx file,
# KORIMO_SIGN_PASSWORD_FILE a file holding its password (never the password itself on a command line), and
# KORIMO_SIGN_TIMESTAMP_URL an RFC 3161 time-stamp server, if any. Without a certificate the exe goes as built.
if(NOT "$ENV{KORIMO_SIGN_PFX}" STREQUAL "")
    if(NOT EXISTS "$ENV{KORIMO_SIGN_PFX}")
        message(FATAL_ERROR "KORIMO_SIGN_PFX names '$ENV{KORIMO_SIGN_PFX}', which is not there")
    endif()
    find_program(KORIMO_OSSLSIGNCODE osslsigncode)
    if(NOT KORIMO_OSSLSIGNCODE)
        message(FATAL_ERROR "signing needs osslsigncode (the Debian package osslsigncode)")
    endif()
    set(sign sign -pkcs12 "$ENV{KORIMO_SIGN_PFX}" -h sha256 -n Korimo -in ${stage}/unsigned.exe -out ${stage}/korimo.exe)
    if(NOT "$ENV{KORIMO_SIGN_PASSWORD_FILE}" STREQUAL "")
        list(APPEND sign -readpass "$ENV{KORIMO_SIGN_PASSWORD_FILE}")
    endif()
    if(NOT "$ENV{KORIMO_SIGN_TIMESTAMP_URL}" STREQUAL "")
        list(APPEND sign -ts "$ENV{KORIMO_SIGN_TIMESTAMP_URL}")
    endif()
    file(RENAME ${stage}/korimo.exe ${stage}/unsigned.exe)
    execute_process(COMMAND ${KORIMO_OSSLSIGNCODE} ${sign} RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
    file(REMOVE ${stage}/unsigned.exe)
    if(NOT rc EQUAL 0)
        file(REMOVE_RECURSE ${stage})
        message(FATAL_ERROR "osslsigncode could not sign korimo.exe:\n${said}")
    endif()
    message(STATUS "korimo.exe signed with $ENV{KORIMO_SIGN_PFX}")
endif()
foreach(f IN LISTS files)
    if(NOT f STREQUAL "korimo.exe")
        configure_file("${KORIMO_SOURCE}/${f}" "${stage}/${f}" COPYONLY)
    endif()
endforeach()
# The Chinese guide also as one page that a double-click opens in the browser: a .md file opens in Notepad as raw
# text, tables and picture links included. Its pictures are the ones beside it already.
set(page "使用说明.html")
find_program(KORIMO_CMARK cmark-gfm)
if(NOT KORIMO_CMARK)
    message(FATAL_ERROR "the guide's page needs cmark-gfm (the Debian package cmark-gfm)")
endif()
execute_process(COMMAND ${KORIMO_CMARK} -e table -e autolink ${KORIMO_SOURCE}/README.zh-CN.md OUTPUT_VARIABLE body
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmark-gfm could not render README.zh-CN.md")
endif()
file(READ ${CMAKE_CURRENT_LIST_DIR}/guide_page.html.in frame)
string(REPLACE "@BODY@" "${body}" html "${frame}")
file(WRITE "${stage}/${page}" "${html}")
list(APPEND files "${page}")

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

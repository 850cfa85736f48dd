# The package follows its guides' links. A made-up source whose guides link in each form markdown has (a title, an
# anchor, <spaces>, a reference, a folder, a Chinese name, ./), beside text that is no link to a file (web and mail
# addresses, in-page anchors, code, a footnote), is packed with exactly the files linked, at their paths, each whole.
# Then a link to a missing file, one outside the source and one from a web site's root stop the package, each named.
# cmake -DKORIMO_SOURCE=<source> -DKORIMO_WORK=<scratch folder> -P check_links.cmake
set(tree ${KORIMO_WORK}/source)
set(out ${KORIMO_WORK}/out)
file(REMOVE_RECURSE ${KORIMO_WORK})
set(linked LICENSE docs/a.png docs/b.md "docs/c d.png" docs/e.png docs/中文.png docs/more/f.png docs/more/sub/g.png)
foreach(f korimo.exe ${linked} docs/unlinked.png docs/in-code.png)
    file(WRITE "${tree}/${f}" "${f}\n")
endforeach()
file(WRITE ${tree}/README.md [=[
[中文](README.zh-CN.md) [site](https://example.org/x.png) [top](#using-it) [mail](mailto:a@example.org)
![picture](docs/a.png "A title") [part](docs/b.md#part) [spaced](<docs/c d.png>) [by reference][r] a note[^1]
`[in code](docs/in-code.png)` and [the licence](./LICENSE 'MIT')
```sh
echo "[fenced](docs/in-code.png)"
```
[a folder](docs/more/)

[r]: docs/e.png
[^1]: a footnote on docs/in-code.png
]=])
file(WRITE ${tree}/README.zh-CN.md "![图](docs/a.png) [图二](docs/中文.png) [English](README.md#korimo)\n")

function(package result)
    execute_process(COMMAND ${CMAKE_COMMAND} -DKORIMO_EXE=${tree}/korimo.exe -DKORIMO_VERSION=0.0.0
                            -DKORIMO_SOURCE=${tree} -DKORIMO_OUT=${out} -P ${KORIMO_SOURCE}/cmake/package.cmake
                    RESULT_VARIABLE rc OUTPUT_VARIABLE output ERROR_VARIABLE output)
    set(${result} ${rc} PARENT_SCOPE)
    set(output "${output}" PARENT_SCOPE)
endfunction()

package(rc)
set(zip ${out}/korimo-0.0.0-win64.zip)
if(NOT rc EQUAL 0 OR NOT EXISTS ${zip})
    message(FATAL_ERROR "the package of the made-up source failed:\n${output}")
endif()
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${KORIMO_WORK}/unpacked)
file(GLOB_RECURSE names RELATIVE ${KORIMO_WORK}/unpacked ${KORIMO_WORK}/unpacked/*)
set(expected korimo.exe README.md README.zh-CN.md SHA256SUMS "使用说明.html" ${linked})
list(SORT names)
list(SORT expected)
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "the zip holds '${names}', not '${expected}'")
endif()
list(REMOVE_ITEM names SHA256SUMS "使用说明.html")
foreach(f IN LISTS names)
    file(SHA256 "${tree}/${f}" want)
    file(SHA256 "${KORIMO_WORK}/unpacked/${f}" got)
    if(NOT got STREQUAL want)
        message(FATAL_ERROR "the zip's ${f} is not the source's")
    endif()
endforeach()

file(APPEND ${tree}/README.md "[gone](docs/gone.png) ![up](../outside.png) [root](/docs/a.png)\n")
package(rc)
foreach(said "README.md links to docs/gone.png, which is not in" "README.md links to ../outside.png, which is outside"
             "README.md links to /docs/a.png, a path from the root of a web site")
    string(FIND "${output}" "${said}" at)
    if(rc EQUAL 0 OR at EQUAL -1 OR EXISTS ${zip})
        message(FATAL_ERROR "a broken link did not stop the package with '${said}' (result ${rc}):\n${output}")
    endif()
endforeach()
file(REMOVE_RECURSE ${KORIMO_WORK})
message(STATUS "the package holds what its guides link to, and a broken link stops it")

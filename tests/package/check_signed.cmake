# A release signed as a publisher signs it, with a certificate made here for the test: a throwaway certificate
# authority and a code-signing certificate it issues (openssl), the .pfx's password in a file. The package is built
# with them (no time-stamp server: these machines reach none); then, in the unpacked zip, osslsigncode must find the
# signature valid against that authority and covering the exe, SHA256SUMS must list the exe as signed, the signed
# exe must still start and end (the end-to-end test of the close mark, under Wine where there is no Windows), and a
# byte changed after signing must fail the check.
# cmake -DKORIMO_SOURCE=... -DKORIMO_EXE=... -DKORIMO_VERSION=... -DKORIMO_WORK=... -DKORIMO_E2E=... -DKORIMO_TITLED=...
#       -P check_signed.cmake
file(REMOVE_RECURSE ${KORIMO_WORK})
file(MAKE_DIRECTORY ${KORIMO_WORK})
find_program(OPENSSL openssl REQUIRED)
find_program(OSSLSIGNCODE osslsigncode REQUIRED)

function(run what)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${KORIMO_WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${what} failed:\n${out}")
    endif()
    set(said "${out}" PARENT_SCOPE)
endfunction()

file(WRITE ${KORIMO_WORK}/signing.cnf "[ca]\nbasicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign\n"
                                       "[signer]\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                                       "extendedKeyUsage=codeSigning\n")
file(WRITE ${KORIMO_WORK}/password "kor1mo-test\n")
run("making the test authority" ${OPENSSL} req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2
    -subj "/CN=Korimo Test CA" -config ${KORIMO_WORK}/signing.cnf -extensions ca)
run("making the signer's request" ${OPENSSL} req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr
    -subj "/CN=Korimo Test Publisher")
run("issuing the code-signing certificate" ${OPENSSL} x509 -req -in signer.csr -CA ca.pem -CAkey ca.key
    -CAcreateserial -out signer.pem -days 2 -extfile ${KORIMO_WORK}/signing.cnf -extensions signer)
run("packing the .pfx" ${OPENSSL} pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.pfx
    -passout file:${KORIMO_WORK}/password)

run("the signed package" ${CMAKE_COMMAND} -E env KORIMO_SIGN_PFX=${KORIMO_WORK}/signer.pfx
    KORIMO_SIGN_PASSWORD_FILE=${KORIMO_WORK}/password ${CMAKE_COMMAND} -DKORIMO_EXE=${KORIMO_EXE}
    -DKORIMO_VERSION=${KORIMO_VERSION} -DKORIMO_SOURCE=${KORIMO_SOURCE} -DKORIMO_OUT=${KORIMO_WORK}/out
    -P ${KORIMO_SOURCE}/cmake/package.cmake)
set(unpacked ${KORIMO_WORK}/unpacked)
file(ARCHIVE_EXTRACT INPUT ${KORIMO_WORK}/out/korimo-${KORIMO_VERSION}-win64.zip DESTINATION ${unpacked})
set(exe ${unpacked}/korimo.exe)

run("verifying the signature" ${OSSLSIGNCODE} verify -CAfile ${KORIMO_WORK}/ca.pem -in ${exe})
if(NOT said MATCHES "Signature verification: ok" OR NOT said MATCHES "Korimo Test Publisher")
    message(FATAL_ERROR "the signature is not the test publisher's, or not valid:\n${said}")
endif()
file(SHA256 ${exe} signed)
file(SHA256 ${KORIMO_EXE} built)
file(STRINGS ${unpacked}/SHA256SUMS listed REGEX "  korimo.exe$")
if(signed STREQUAL built OR NOT listed STREQUAL "${signed}  korimo.exe")
    message(FATAL_ERROR "SHA256SUMS lists '${listed}'; the shipped exe is ${signed}, the unsigned one ${built}")
endif()

if(CMAKE_HOST_WIN32)
    set(starter "")
else()
    find_program(starter wine REQUIRED)
endif()
run("starting and ending the signed exe" ${starter} ${KORIMO_E2E} --exe ${exe} --titled-window ${KORIMO_TITLED}
    --gtest_filter=ShellTest.CloseMarkEndsTheProcessAndRemovesTheIcon)

# One byte of the code changed after signing: the signature no longer covers what is there.
file(READ ${exe} byte OFFSET 4096 LIMIT 1 HEX)
if(byte STREQUAL "55")
    set(other "\\xaa")
else()
    set(other "\\x55")
endif()
find_program(KORIMO_BASH bash REQUIRED)
run("changing one byte" ${KORIMO_BASH} -c "cp '${exe}' tampered.exe && printf '${other}' |
    dd of=tampered.exe bs=1 seek=4096 conv=notrunc status=none")
execute_process(COMMAND ${OSSLSIGNCODE} verify -CAfile ${KORIMO_WORK}/ca.pem -in ${KORIMO_WORK}/tampered.exe
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
    message(FATAL_ERROR "a byte changed after signing passed the check:\n${out}")
endif()
file(REMOVE_RECURSE ${KORIMO_WORK})
message(STATUS "signed with a test certificate: valid against its authority, listed in SHA256SUMS, starts and ends, "
               "and one byte changed fails the check")

@echo off
rem The Windows-side tests and the end-to-end tests of korimo.exe on a Windows desktop, from the built programs
rem alone: test-windows.cmd [build folder]   (default: build\windows beside this script's folder)
rem The folder holds korimo.exe, tests\win\korimo_win_tests.exe, tests\win\tray_probe_tests.exe and tests\e2e\
rem (korimo_e2e.exe, titled_window.exe, titled_console.exe, dpi_switch.exe) as the build lays them out. Leave the
rem mouse and the keyboard alone while it runs: the end-to-end tests click and type on the desktop. Run it as a
rem user who may write the machine-wide Run key (an administrator): the tests write and empty the value "fy".
rem Ends with "N passed, N failed" and exit code 1 when any test failed or a program ended without its summary.
setlocal EnableExtensions EnableDelayedExpansion
set "BUILD=%~1"
if "%BUILD%"=="" set "BUILD=%~dp0..\build\windows"
set "KORIMO_EXE=%BUILD%\korimo.exe"
set "TITLED=%BUILD%\tests\e2e\titled_window.exe"
for %%p in ("%KORIMO_EXE%" "%BUILD%\tests\win\korimo_win_tests.exe" "%BUILD%\tests\win\tray_probe_tests.exe" "%BUILD%\tests\e2e\korimo_e2e.exe" "%TITLED%") do (
    if not exist %%p (
        echo missing %%~p: build everything first ^(cmake --build build^) or name the build folder
        exit /b 2
    )
)
set /a PASSED=0
set /a FAILED=0
set "RUN=%TEMP%\korimo-test-windows-%RANDOM%"
mkdir "%RUN%"

rem What the Linux script prepares is prepared here with Windows' own means, or skipped with one line. A folder set
rem beforehand (scripts/test.sh sets them under Wine) is taken as it is.
if not defined KORIMO_E2E_FOLDER (
    set "KORIMO_E2E_FOLDER=%RUN%\program"
    mkdir "!KORIMO_E2E_FOLDER!"
    mklink /D "%RUN%\alias" "!KORIMO_E2E_FOLDER!" >nul 2>&1
    if exist "%RUN%\alias\" (
        set "KORIMO_E2E_ALIAS=%RUN%\alias"
    ) else (
        echo skipped: the start through a second spelling of the program's path ^(mklink /D needs an administrator or developer mode^)
    )
)
if not defined KORIMO_READONLY_VIEW echo skipped: the read-only program folder ^(run korimo.exe from C:\Program Files as a standard user to see it; see docs\windows-checks.md^)
if not defined KORIMO_SMALL_DISK echo skipped: the journal on a full disk ^(it needs a small disk of its own, which only an administrator can attach^)
echo skipped: the automatic save under code page 1252 ^(a Western system locale needs a restart of Windows^)

call :run "%BUILD%\tests\win\korimo_win_tests.exe"
call :run "%BUILD%\tests\win\tray_probe_tests.exe"
call :run "%BUILD%\tests\e2e\korimo_e2e.exe" --exe "%KORIMO_EXE%" --titled-window "%TITLED%"
rmdir /s /q "%RUN%" >nul 2>&1
echo %PASSED% passed, %FAILED% failed
if %FAILED% gtr 0 exit /b 1
exit /b 0

rem Runs one test program, shows what it says, and counts its summary: "[  PASSED  ] N tests." and
rem "[  FAILED  ] N tests, listed below:". A program that ends without its summary counts as one failure.
:run
set "SUMMARY=no"
%* > "%RUN%\output.txt" 2>&1
type "%RUN%\output.txt"
for /f "usebackq tokens=1-5" %%a in ("%RUN%\output.txt") do (
    if "%%a %%b %%c"=="[ PASSED ]" (
        set /a PASSED+=%%d
        set "SUMMARY=yes"
    )
    if "%%a %%b %%c %%e"=="[ FAILED ] tests," set /a FAILED+=%%d
    if "%%a %%b %%c %%e"=="[ FAILED ] test," set /a FAILED+=%%d
)
if "%SUMMARY%"=="no" (
    echo %~nx1 ended without its summary
    set /a FAILED+=1
)
exit /b 0

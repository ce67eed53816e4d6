@echo off
rem The rehearsal of a label transfer without devices, for Windows, with the programs
rem beside this file (the folder of the ZIP): starts the simulated device-management
rem service in the background on a port the system chooses, so that it runs beside the real
rem service (which holds port 7000) and never touches it, and tells every program that port
rem with ZEL_SERVICE_PORT. Then writes the example label file (answering "y" at the
rem prompt), backs the labels up to a file in the TEMP folder, verifies the devices
rem against the example file, syncs an edited copy of it (one label added: only that
rem entry's fields are written, each read back) and verifies the devices against the copy
rem (the script's exit status is the first check's that failed, or 0), lists the network, and
rem stops the simulator it started. Started by a double click, it waits for a key before
rem its window closes; from a console, or a script, it does not.
rem
rem     demo.cmd
setlocal EnableExtensions
cd /d "%~dp0"
set "script=%~f0"
call :started_by_double_click

rem A folder of its own for the simulator's output.
:make_work
set "work=%TEMP%\write_brimel_label_demo_%RANDOM%%RANDOM%"
if exist "%work%" goto make_work
rem Wine's cmd runs what follows "||" after a built-in command even when it succeeded.
mkdir "%work%"
if not exist "%work%\" exit /b 1
set "sim_pid="
set "status=1"
set "why="
rem A rehearsal: a service that does not say it is simulated gets no command at all.
set "ZEL_REHEARSAL=1"

rem The simulators that ran before this one, by process id: the one this script starts is
rem the one that was not among them, and only that one is stopped.
call :simulators before
start "zel_service_sim" /b zel_service_sim.exe --port 0 > "%work%\sim.out" 2>&1
call :simulators after
for %%p in (%after%) do call :find_own_simulator %%p
set "ZEL_SERVICE_PORT="
if not defined sim_pid (
    set "why=zel_service_sim did not start, or Windows did not list it"
    goto stop
)

rem Its port is the one it names in its line "zel_service_sim: listening on 127.0.0.1:PORT"
rem once it listens; a second between looks (ping waits a second between its two echoes).
rem Loops are written with goto: Wine's cmd does not run a block under "for ... do if".
set "looks=0"
:wait_for_port
call :read_port
set /a looks+=1
if not defined ZEL_SERVICE_PORT if %looks% lss 60 (
    ping -n 2 127.0.0.1 > nul
    goto wait_for_port
)
if not defined ZEL_SERVICE_PORT (
    set "why=zel_service_sim did not say its port within a minute"
    goto stop
)

echo y| write_brimel_label.exe examples\stage_labels.ini
echo write_brimel_label exit status: %errorlevel%

echo.
rem The backup stays for the operator to open (it is UTF-8, which "type" would garble in a
rem console); the next demo replaces it.
read_brimel_label.exe --output "%TEMP%\write_brimel_label_demo_backup.ini" --force
echo read_brimel_label exit status: %errorlevel%

echo.
read_brimel_label.exe --verify examples\stage_labels.ini
set "status=%errorlevel%"
echo read_brimel_label --verify exit status: %status%

echo.
rem An edited copy of the example, one label added for NEW-DEVICE2 (the file's last
rem section): the sync writes that entry's three fields alone and reads each back.
set "show=%work%\show.ini"
copy /y examples\stage_labels.ini "%show%" > nul
>> "%show%" echo Talkback 2 = TB-2@Intercom-1
echo An edited copy, one label added, synced:
sync_brimel_label.exe --yes "%show%"
echo sync_brimel_label exit status: %errorlevel%

echo.
read_brimel_label.exe --verify "%show%"
set "copy_status=%errorlevel%"
echo read_brimel_label --verify exit status: %copy_status%
if %status% equ 0 set "status=%copy_status%"

echo.
read_brimel_label.exe --list
echo read_brimel_label --list exit status: %errorlevel%

:stop
if defined sim_pid taskkill /pid %sim_pid% /f > nul
if defined why (
    type "%work%\sim.out"
    echo Demo stopped: %why%.
)
rem The simulator's output file is free once it has ended.
set "looks=0"
:remove_work
rd /s /q "%work%" 2> nul
set /a looks+=1
if exist "%work%\" if %looks% lss 10 (
    ping -n 2 127.0.0.1 > nul
    goto remove_work
)
if defined double_clicked pause
exit /b %status%

rem Sets double_clicked when Explorer started this script: it runs cmd /c with the script's
rem whole path, and closes the window as soon as the script ends. A console, or a script
rem that runs "cmd /c demo.cmd" (CI), starts it otherwise: nothing waits there.
:started_by_double_click
set "double_clicked="
set "launcher=%cmdcmdline:"=%"
call set "without_script=%%launcher:%script%=%%"
if /i not "%without_script%"=="%launcher%" set "double_clicked=yes"
exit /b 0

rem Sets the variable its argument names to the process ids of the running simulators,
rem each between blanks. Windows lists them with tasklist; Wine's tasklist lists nothing,
rem its wmic does.
:simulators
set "%1= "
for /f "tokens=2 delims=," %%p in (
    'tasklist /fi "imagename eq zel_service_sim.exe" /fo csv /nh 2^>nul'
) do call set "%1=%%%1%% %%~p "
for /f "skip=1 tokens=1,2" %%a in ('wmic process get name^,processid 2^>nul') do (
    if /i "%%a"=="zel_service_sim.exe" call set "%1=%%%1%% %%b "
)
exit /b 0

rem Sets ZEL_SERVICE_PORT to the port of the simulator's listening line, when it is there.
:read_port
for /f "usebackq tokens=1,2,3 delims=:" %%a in ("%work%\sim.out") do (
    if "%%a:%%b"=="zel_service_sim: listening on 127.0.0.1" set "ZEL_SERVICE_PORT=%%c"
)
exit /b 0

rem Sets sim_pid to its argument, a running simulator's process id, when it did not run
rem before.
:find_own_simulator
call set "others=%%before: %1 =%%"
if "%others%"=="%before%" set "sim_pid=%1"
exit /b 0

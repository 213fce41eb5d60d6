@echo off
rem The morning load: the price list VelkoCon.txt into each scale in turn.
rem It stops with a message at the first scale whose load does not end with
rem exit code 0, and ends with that exit code (0 when every scale was loaded).
rem
rem VelkoCon reads and writes everything in the working folder, so this batch
rem first changes to its own folder, the shop folder: Task Scheduler starts it
rem in C:\Windows\System32 otherwise.
rem
rem SCALES: the scale identifiers, in the order they are loaded.
rem SEPARATOR: the separator digit of VelkoCon.txt (1 comma, 2 semicolon,
rem 3 #, 4 full stop, anything else TAB).
setlocal
set SCALES=001 002 003
set SEPARATOR=2

cd /d "%~dp0"
set failed=
for %%s in (%SCALES%) do (
  if not defined failed call :load %%s
)
if defined failed exit /b %code%
echo All scales loaded.
exit /b 0

:load
echo Loading scale %1 ...
VelkoCon.exe %1 %SEPARATOR%
set code=%errorlevel%
if "%code%"=="0" exit /b 0
set failed=%1
echo.
echo The load of scale %1 stopped with exit code %code%; the scales after it were not loaded.
if "%code%"=="1" echo The command line is wrong: check SCALES and SEPARATOR in this batch.
if "%code%"=="2" echo VelkoCon.txt cannot be read: the shop's software has not written the price list.
if "%code%"=="3" echo A file cannot be written in the shop folder: check the free space and the rights.
if "%code%"=="5" echo Lines of VelkoCon.txt were rejected, each named above: correct them. The other articles were sent.
if "%code%"=="6" echo A transfer failed: check that the scale is on and on the network, then run the batch again.
if "%code%"=="-1" echo velkocon.ini is missing or wrong: see the message above.
if "%code%"=="255" echo velkocon.ini is missing or wrong: see the message above.
echo The run log is velkocon.log in %CD%.
exit /b %code%

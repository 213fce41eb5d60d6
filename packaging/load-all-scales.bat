@echo off
rem The morning load: the price list VelkoCon.txt into every scale of the
rem shop (the setting Scales in velkocon.ini) in one run, all of them at once.
rem A scale that is off or fails does not hold the others back. The batch ends
rem with the converter's exit code (0 when every scale was loaded) and says
rem what that code asks of the operator.
rem
rem VelkoCon reads and writes everything in the working folder, so this batch
rem first changes to its own folder, the shop folder: Task Scheduler starts it
rem in C:\Windows\System32 otherwise.
rem
rem SEPARATOR: the separator digit of VelkoCon.txt (1 comma, 2 semicolon,
rem 3 #, 4 full stop, anything else TAB).
setlocal
set SEPARATOR=2

cd /d "%~dp0"
echo Loading every scale of velkocon.ini ...
VelkoCon.exe all %SEPARATOR%
set code=%errorlevel%
if "%code%"=="0" (
  echo All scales loaded.
  exit /b 0
)
echo.
echo The load ended with exit code %code%; each scale's outcome is named above.
if "%code%"=="1" echo The command line is wrong: check SEPARATOR in this batch.
if "%code%"=="2" echo VelkoCon.txt cannot be read: the shop's software has not written the price list.
if "%code%"=="3" echo A file cannot be written in the shop folder: check the free space and the rights.
if "%code%"=="5" echo Lines of VelkoCon.txt were rejected, or it holds no article: correct the list as said above.
if "%code%"=="6" echo A transfer failed: check that each scale named above is on and on the network, then run the batch again.
if "%code%"=="7" echo A scale does not hold the price list as sent: its line above names the PLUs; run the batch again, and if the same PLUs come up, have the scale seen to.
if "%code%"=="-1" echo velkocon.ini is missing or wrong: see the message above.
if "%code%"=="255" echo velkocon.ini is missing or wrong: see the message above.
echo The run log is velkocon.log in %CD%.
exit /b %code%

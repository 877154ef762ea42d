@echo off
rem Záloha údajov ORVAN do prieèinka ZALOHA
xcopy \ORVAN\DATA \ORVAN\ZALOHA /E /I /Y
pause

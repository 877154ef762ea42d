@echo off
rem Roèná uzávierka úètovníctva
\ORVAN\TAV\tav.exe /uzavierka

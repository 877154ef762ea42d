@echo off
rem Mesaèná uzávierka miezd
\ORVAN\PEM\pem.exe /uzavierka

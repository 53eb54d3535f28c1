@echo off
rem Dossier d'une matière : %1 le dossier, %2 la matière.
md %1

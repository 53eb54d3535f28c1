@echo off
rem Dossier personnel d'un élève : %1 le dossier, %2 le login.
rem Le dossier est créé s'il manque, puis partagé sous le nom login$ (le dossier de base du compte).
md %1
net share %2$=%1 /unlimited

@echo off
rem Partage d'un dossier existant : %1 le nom du partage, %2 le dossier, %3 les options (/unlimited).
net share %1=%2 %3

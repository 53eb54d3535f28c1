@echo off
rem Dossier public d'une classe : %1 le dossier, %2 la classe.
rem Le dossier est créé s'il manque, puis partagé sous le nom de la classe (lecteur U: des élèves).
md %1
net share %2=%1 /unlimited

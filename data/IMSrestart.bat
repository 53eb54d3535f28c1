@echo off
rem Redémarrage du serveur de messagerie.
echo Aucun serveur de messagerie n'est configuré sur cette machine : placez la commande qui le redémarre dans IMSrestart.bat, dans le dossier du programme.

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sk_SK">
    <context>
        <name>AdminScreen</name>
        <message>
            <source>Administration</source>
            <translation>Administrácia</translation>
        </message>
        <message>
            <source>People</source>
            <translation>Ľudia</translation>
        </message>
        <message>
            <source>Settings</source>
            <translation>Nastavenia</translation>
        </message>
        <message>
            <source>System</source>
            <translation>Systém</translation>
        </message>
        <message>
            <source>Close</source>
            <translation>Zavrieť</translation>
        </message>
        <message>
            <source>Esc</source>
            <translation>Esc</translation>
        </message>
        <message>
            <source>A card can be read here only to assign it to a person.</source>
            <translation>Kartu tu možno načítať len na priradenie osobe.</translation>
        </message>
    </context>
    <context>
        <name>Base</name>
        <message>
            <source>Virtual terminal (V-ZEP)</source>
            <translation>Virtuálny terminál (V-ZEP)</translation>
        </message>
    </context>
    <context>
        <name>ConfirmButton</name>
        <message>
            <source>Press again to confirm</source>
            <translation>Stlačte znova na potvrdenie</translation>
        </message>
    </context>
    <context>
        <name>CopyBackups</name>
        <message>
            <source>Building directory list...</source>
            <translation>Zostavujem zoznam priečinkov...</translation>
        </message>
        <message>
            <source>Copying files...</source>
            <translation>Kopírujem súbory...</translation>
        </message>
    </context>
    <context>
        <name>CopyThread</name>
        <message>
            <source>The USB drive is not present.</source>
            <translation>USB disk nie je pripojený.</translation>
        </message>
        <message>
            <source>Not enough space on the USB drive: %1 MB needed, %2 MB free.</source>
            <translation>Na USB disku nie je dosť miesta: treba %1 MB, voľných je %2 MB.</translation>
        </message>
        <message>
            <source>Copying was cancelled.</source>
            <translation>Kopírovanie bolo prerušené.</translation>
        </message>
        <message>
            <source>The USB drive was removed during the copy.</source>
            <translation>USB disk bol počas kopírovania odpojený.</translation>
        </message>
        <message>
            <source>The USB drive is full.</source>
            <translation>USB disk je plný.</translation>
        </message>
        <message>
            <source>Some folders could not be copied.</source>
            <translation>Niektoré priečinky sa nepodarilo skopírovať.</translation>
        </message>
        <message>
            <source>There is nothing to copy: %1 holds no backups.</source>
            <translation>Nie je čo kopírovať: %1 neobsahuje žiadne zálohy.</translation>
        </message>
    </context>
    <context>
        <name>DirectionChoice</name>
        <message>
            <source>Press 1 for arrival, 0 for departure, Esc to go back.</source>
            <translation>Stlačte 1 pre príchod, 0 pre odchod, Esc pre návrat.</translation>
        </message>
    </context>
    <context>
        <name>EntranceConfirmation</name>
        <message>
            <source>Recorded</source>
            <translation>Zapísané</translation>
        </message>
        <message>
            <source>Recorded at %1</source>
            <translation>Zapísané o %1</translation>
        </message>
    </context>
    <context>
        <name>EntranceScreen</name>
        <message>
            <source>The terminal cannot tell whether the entrance was recorded. Please do not record it again and tell the office.</source>
            <translation>Terminál nevie zistiť, či sa prerušenie zapísalo. Nezapisujte ho znova a oznámte to v kancelárii.</translation>
        </message>
        <message>
            <source>The entrance could not be recorded. Please try again.</source>
            <translation>Prerušenie sa nepodarilo zapísať. Skúste to znova.</translation>
        </message>
        <message>
            <source>The entrance could not be deleted.</source>
            <translation>Prerušenie sa nepodarilo vymazať.</translation>
        </message>
        <message>
            <source>The entrance was deleted.</source>
            <translation>Prerušenie bolo vymazané.</translation>
        </message>
        <message>
            <source>No previous entrance</source>
            <translation>Žiadne predchádzajúce prerušenie</translation>
        </message>
        <message>
            <source>Last entrance: %1  %2</source>
            <translation>Posledné prerušenie: %1  %2</translation>
        </message>
        <message>
            <source>Choose the interruption type</source>
            <translation>Zvoľte prerušenie</translation>
        </message>
        <message>
            <source>No interruption types are available yet. The terminal loads them from the server.</source>
            <translation>Zatiaľ nie sú k dispozícii žiadne prerušenia. Terminál ich načíta zo servera.</translation>
        </message>
        <message>
            <source>Arrival</source>
            <translation>Príchod</translation>
        </message>
        <message>
            <source>Departure</source>
            <translation>Odchod</translation>
        </message>
        <message>
            <source>The time for deleting the last entrance is over: it can no longer be deleted.</source>
            <translation>Čas na zmazanie posledného prerušenia uplynul: už ho nemožno zmazať.</translation>
        </message>
        <message>
            <source>There is no entrance to delete.</source>
            <translation>Nie je čo zmazať.</translation>
        </message>
    </context>
    <context>
        <name>FormFlickable</name>
        <message>
            <source>More below</source>
            <translation>Ďalej nižšie</translation>
        </message>
    </context>
    <context>
        <name>IdleScreen</name>
        <message>
            <source>Attendance terminal</source>
            <translation>Dochádzkový terminál</translation>
        </message>
        <message>
            <source>Administration</source>
            <translation>Administrácia</translation>
        </message>
        <message>
            <source>Personal number: %1</source>
            <translation>Osobné číslo: %1</translation>
        </message>
        <message>
            <source>Please present your card to the reader.</source>
            <translation>Priložte, prosím, kartu k čítačke.</translation>
        </message>
        <message>
            <source>Present your card</source>
            <translation>Priložte kartu</translation>
        </message>
        <message>
            <source>Enter personal number</source>
            <translation>Zadať osobné číslo</translation>
        </message>
        <message>
            <source>F2, or type the number and press Enter</source>
            <translation>F2, alebo napíšte číslo a stlačte Enter</translation>
        </message>
    </context>
    <context>
        <name>LastEntranceBar</name>
        <message>
            <source>Delete</source>
            <translation>Vymazať</translation>
        </message>
        <message>
            <source>Del</source>
            <translation>Del</translation>
        </message>
        <message>
            <source>Done</source>
            <translation>Hotovo</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Zrušiť</translation>
        </message>
        <message>
            <source>Enter</source>
            <translation>Enter</translation>
        </message>
        <message>
            <source>Esc</source>
            <translation>Esc</translation>
        </message>
        <message>
            <source>Back</source>
            <translation>Späť</translation>
        </message>
    </context>
    <context>
        <name>LastEntrance</name>
        <message>
            <source>entry</source>
            <translation>Príchod</translation>
        </message>
        <message>
            <source>leave</source>
            <translation>Odchod</translation>
        </message>
    </context>
    <context>
        <name>PeoplePage</name>
        <message>
            <source>Search by name or personal number</source>
            <translation>Hľadať podľa mena alebo osobného čísla</translation>
        </message>
        <message>
            <source>Type to search…</source>
            <translation>Píšte pre hľadanie…</translation>
        </message>
        <message>
            <source>List</source>
            <translation>Zoznam</translation>
        </message>
        <message>
            <source>Groups</source>
            <translation>Skupiny</translation>
        </message>
        <message>
            <source>Add person</source>
            <translation>Pridať osobu</translation>
        </message>
        <message numerus="yes">
            <source>%n colour group(s)</source>
            <translation>
                <numerusform>%n farebná skupina</numerusform>
                <numerusform>%n farebné skupiny</numerusform>
                <numerusform>%n farebných skupín</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n person(s)</source>
            <translation>
                <numerusform>%n osoba</numerusform>
                <numerusform>%n osoby</numerusform>
                <numerusform>%n osôb</numerusform>
            </translation>
        </message>
        <message>
            <source>Group %1  ✕</source>
            <translation>Skupina %1  ✕</translation>
        </message>
        <message>
            <source>Admin</source>
            <translation>Admin</translation>
        </message>
        <message>
            <source>Card</source>
            <translation>Karta</translation>
        </message>
        <message>
            <source>No card</source>
            <translation>Bez karty</translation>
        </message>
        <message>
            <source>Nobody found.</source>
            <translation>Nikto sa nenašiel.</translation>
        </message>
        <message numerus="yes">
            <source>Group %1 · %n person(s)</source>
            <translation>
                <numerusform>Skupina %1 · %n osoba</numerusform>
                <numerusform>Skupina %1 · %n osoby</numerusform>
                <numerusform>Skupina %1 · %n osôb</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>PersonEditor</name>
        <message>
            <source>Enter a personal number greater than 0.</source>
            <translation>Zadajte osobné číslo väčšie ako 0.</translation>
        </message>
        <message>
            <source>Enter a name.</source>
            <translation>Zadajte meno.</translation>
        </message>
        <message>
            <source>The person could not be added. Is the personal number already used?</source>
            <translation>Osobu sa nepodarilo pridať. Nie je osobné číslo už použité?</translation>
        </message>
        <message>
            <source>The changes could not be saved.</source>
            <translation>Zmeny sa nepodarilo uložiť.</translation>
        </message>
        <message>
            <source>The person was added. You can assign a card now.</source>
            <translation>Osoba bola pridaná. Teraz jej môžete priradiť kartu.</translation>
        </message>
        <message>
            <source>The changes were saved.</source>
            <translation>Zmeny boli uložené.</translation>
        </message>
        <message>
            <source>The person could not be deleted.</source>
            <translation>Osobu sa nepodarilo vymazať.</translation>
        </message>
        <message>
            <source>The person was deleted.</source>
            <translation>Osoba bola vymazaná.</translation>
        </message>
        <message>
            <source>This card already belongs to another person.</source>
            <translation>Táto karta už patrí inej osobe.</translation>
        </message>
        <message>
            <source>The card was assigned.</source>
            <translation>Karta bola priradená.</translation>
        </message>
        <message>
            <source>The card could not be assigned.</source>
            <translation>Kartu sa nepodarilo priradiť.</translation>
        </message>
        <message>
            <source>New person</source>
            <translation>Nová osoba</translation>
        </message>
        <message>
            <source>Edit person</source>
            <translation>Úprava osoby</translation>
        </message>
        <message>
            <source>Personal number</source>
            <translation>Osobné číslo</translation>
        </message>
        <message>
            <source>Title</source>
            <translation>Titul</translation>
        </message>
        <message>
            <source>First name</source>
            <translation>Meno</translation>
        </message>
        <message>
            <source>Surname</source>
            <translation>Priezvisko</translation>
        </message>
        <message>
            <source>Administrator</source>
            <translation>Administrátor</translation>
        </message>
        <message>
            <source>Card: %1</source>
            <translation>Karta: %1</translation>
        </message>
        <message>
            <source>No card assigned</source>
            <translation>Karta nie je priradená</translation>
        </message>
        <message>
            <source>Save</source>
            <translation>Uložiť</translation>
        </message>
        <message>
            <source>Read card</source>
            <translation>Načítať kartu</translation>
        </message>
        <message>
            <source>Delete person</source>
            <translation>Vymazať osobu</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Zrušiť</translation>
        </message>
        <message>
            <source>Esc</source>
            <translation>Esc</translation>
        </message>
        <message>
            <source>Present the card to the reader</source>
            <translation>Priložte kartu k čítačke</translation>
        </message>
        <message>
            <source>Esc cancels</source>
            <translation>Esc zruší</translation>
        </message>
        <message>
            <source>The card could not be removed.</source>
            <translation>Kartu sa nepodarilo odobrať.</translation>
        </message>
        <message>
            <source>The card was removed.</source>
            <translation>Karta bola odobratá.</translation>
        </message>
        <message>
            <source>Last unknown card: %1, read at %2</source>
            <translation>Posledná neznáma karta: %1, načítaná %2</translation>
        </message>
        <message>
            <source>Assign the last unknown card</source>
            <translation>Priradiť poslednú neznámu kartu</translation>
        </message>
        <message>
            <source>Remove card</source>
            <translation>Odobrať kartu</translation>
        </message>
    </context>
    <context>
        <name>PersonHeader</name>
        <message>
            <source>Personal number %1</source>
            <translation>Osobné číslo %1</translation>
        </message>
        <message>
            <source>Balance %1</source>
            <translation>Saldo %1</translation>
        </message>
    </context>
    <context>
        <name>PinPad</name>
        <message>
            <source>Back</source>
            <translation>Späť</translation>
        </message>
        <message>
            <source>Esc</source>
            <translation>Esc</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>PinScreen</name>
        <message>
            <source>Enter your personal number</source>
            <translation>Zadajte osobné číslo</translation>
        </message>
        <message>
            <source>Confirm with OK or Enter.</source>
            <translation>Potvrďte tlačidlom OK alebo klávesom Enter.</translation>
        </message>
    </context>
    <context>
        <name>RestartButton</name>
        <message>
            <source>The application could not be restarted. It keeps running.</source>
            <translation>Aplikáciu sa nepodarilo reštartovať. Beží ďalej.</translation>
        </message>
    </context>
    <context>
        <name>ServerStatePill</name>
        <message>
            <source>Online</source>
            <translation>Online</translation>
        </message>
        <message>
            <source>Rejected by server</source>
            <translation>Odmietnuté serverom</translation>
        </message>
        <message>
            <source>Server error</source>
            <translation>Chyba servera</translation>
        </message>
        <message>
            <source>Server unreachable</source>
            <translation>Server nedostupný</translation>
        </message>
        <message>
            <source>Offline</source>
            <translation>Offline</translation>
        </message>
        <message>
            <source>Connecting…</source>
            <translation>Pripájam sa…</translation>
        </message>
    </context>
    <context>
        <name>SettingsPage</name>
        <message>
            <source>The port must be a number from 1 to 65535.</source>
            <translation>Port musí byť číslo od 1 do 65535.</translation>
        </message>
        <message>
            <source>The screen saver delay must be at least 5 seconds.</source>
            <translation>Šetrič obrazovky musí mať aspoň 5 sekúnd.</translation>
        </message>
        <message>
            <source>Settings saved. Restart the application to apply all of them.</source>
            <translation>Nastavenia sú uložené. Reštartujte aplikáciu, aby sa uplatnili všetky.</translation>
        </message>
        <message>
            <source>Settings saved.</source>
            <translation>Nastavenia sú uložené.</translation>
        </message>
        <message>
            <source>Settings</source>
            <translation>Nastavenia</translation>
        </message>
        <message>
            <source>Terminal name</source>
            <translation>Názov terminálu</translation>
        </message>
        <message>
            <source>Server address</source>
            <translation>Adresa servera</translation>
        </message>
        <message>
            <source>Server port</source>
            <translation>Port servera</translation>
        </message>
        <message>
            <source>Screen saver after (seconds)</source>
            <translation>Šetrič obrazovky po (sekundách)</translation>
        </message>
        <message>
            <source>Networking</source>
            <translation>Sieťová komunikácia</translation>
        </message>
        <message>
            <source>Mute sounds</source>
            <translation>Stlmiť zvuky</translation>
        </message>
        <message>
            <source>Volume %1 %</source>
            <translation>Hlasitosť %1 %</translation>
        </message>
        <message>
            <source>Quieter</source>
            <translation>Tichšie</translation>
        </message>
        <message>
            <source>Louder</source>
            <translation>Hlasnejšie</translation>
        </message>
        <message>
            <source>Language *</source>
            <translation>Jazyk *</translation>
        </message>
        <message>
            <source>* takes effect after a restart of the application.</source>
            <translation>* sa uplatní po reštarte aplikácie.</translation>
        </message>
        <message>
            <source>Save</source>
            <translation>Uložiť</translation>
        </message>
        <message>
            <source>Test server connection</source>
            <translation>Vyskúšať spojenie so serverom</translation>
        </message>
        <message>
            <source>Contacting the server…</source>
            <translation>Kontaktujem server…</translation>
        </message>
        <message>
            <source>Restart now</source>
            <translation>Reštartovať teraz</translation>
        </message>
        <message>
            <source>The settings could not be saved.</source>
            <translation>Nastavenia sa nepodarilo uložiť.</translation>
        </message>
        <message>
            <source>The server %1 answered.</source>
            <translation>Server %1 odpovedal.</translation>
        </message>
        <message>
            <source>The server %1 did not answer.</source>
            <translation>Server %1 neodpovedal.</translation>
        </message>
        <message>
            <source>Identify by personal number</source>
            <translation>Identifikácia osobným číslom</translation>
        </message>
    </context>
    <context>
        <name>SetupGate</name>
        <message>
            <source>Enter the setup PIN</source>
            <translation>Zadajte servisný PIN</translation>
        </message>
        <message>
            <source>Choose a new setup PIN</source>
            <translation>Zvoľte nový servisný PIN</translation>
        </message>
        <message>
            <source>Enter the new setup PIN again</source>
            <translation>Zadajte nový servisný PIN ešte raz</translation>
        </message>
        <message>
            <source>The administration is protected by the setup PIN.</source>
            <translation>Administrácia je chránená servisným PIN-om.</translation>
        </message>
        <message>
            <source>Up to 9 digits. Keep it safe: it protects the administration.</source>
            <translation>Najviac 9 číslic. Dobre si ho uschovajte: chráni administráciu.</translation>
        </message>
        <message>
            <source>Wrong setup PIN</source>
            <translation>Nesprávny servisný PIN</translation>
        </message>
        <message>
            <source>The setup PIN was saved.</source>
            <translation>Servisný PIN bol uložený.</translation>
        </message>
        <message>
            <source>The PINs do not match. Try again.</source>
            <translation>PIN-y sa nezhodujú. Skúste to znova.</translation>
        </message>
        <message numerus="yes">
            <source>Too many wrong setup PINs. Try again in %n second(s).</source>
            <translation>
                <numerusform>Príliš veľa nesprávnych PIN. Skúste znova o %n sekundu.</numerusform>
                <numerusform>Príliš veľa nesprávnych PIN. Skúste znova o %n sekundy.</numerusform>
                <numerusform>Príliš veľa nesprávnych PIN. Skúste znova o %n sekúnd.</numerusform>
            </translation>
        </message>
        <message>
            <source>A setup PIN of only zeros would leave the administration open. Choose another.</source>
            <translation>PIN zložený len z núl by nechal administráciu otvorenú. Zvoľte iný.</translation>
        </message>
        <message>
            <source>The setup PIN could not be saved.</source>
            <translation>PIN sa nepodarilo uložiť.</translation>
        </message>
    </context>
    <context>
        <name>SystemPage</name>
        <message>
            <source>Synchronisation finished.</source>
            <translation>Synchronizácia skončila.</translation>
        </message>
        <message>
            <source>System</source>
            <translation>Systém</translation>
        </message>
        <message>
            <source>Version</source>
            <translation>Verzia</translation>
        </message>
        <message>
            <source>Terminal</source>
            <translation>Terminál</translation>
        </message>
        <message>
            <source>not installed</source>
            <translation>nenainštalovaný</translation>
        </message>
        <message>
            <source>login %1</source>
            <translation>prihlásenie %1</translation>
        </message>
        <message>
            <source>Server</source>
            <translation>Server</translation>
        </message>
        <message>
            <source>Synchronise now</source>
            <translation>Synchronizovať teraz</translation>
        </message>
        <message>
            <source>Synchronisation started.</source>
            <translation>Synchronizácia sa začala.</translation>
        </message>
        <message>
            <source>Contact remote management</source>
            <translation>Spojiť sa so vzdialenou správou</translation>
        </message>
        <message>
            <source>Copy photos to USB</source>
            <translation>Kopírovať fotografie na USB</translation>
        </message>
        <message>
            <source>Copy logs to USB</source>
            <translation>Kopírovať logy na USB</translation>
        </message>
        <message>
            <source>Change setup PIN</source>
            <translation>Zmeniť servisný PIN</translation>
        </message>
        <message>
            <source>Insert a USB drive to copy photos or logs.</source>
            <translation>Pre kopírovanie fotografií alebo logov vložte USB disk.</translation>
        </message>
        <message>
            <source>Restart application</source>
            <translation>Reštartovať aplikáciu</translation>
        </message>
        <message>
            <source>Quit application</source>
            <translation>Ukončiť aplikáciu</translation>
        </message>
        <message>
            <source>Networking is off: nothing was synchronised.</source>
            <translation>Sieť je vypnutá: nič sa nesynchronizovalo.</translation>
        </message>
        <message>
            <source>No server is set up: nothing was synchronised.</source>
            <translation>Nie je nastavený server: nič sa nesynchronizovalo.</translation>
        </message>
        <message>
            <source>Synchronisation failed: the server did not accept it.</source>
            <translation>Synchronizácia zlyhala: server ju neprijal.</translation>
        </message>
        <message>
            <source>Synchronisation failed: the server did not answer.</source>
            <translation>Synchronizácia zlyhala: server neodpovedal.</translation>
        </message>
        <message>
            <source>Networking is off: remote management was not contacted.</source>
            <translation>Sieť je vypnutá: vzdialená správa nebola kontaktovaná.</translation>
        </message>
        <message>
            <source>Contacting remote management…</source>
            <translation>Kontaktujem vzdialenú správu…</translation>
        </message>
        <message>
            <source>Remote management answered.</source>
            <translation>Vzdialená správa odpovedala.</translation>
        </message>
        <message>
            <source>Remote management was not reached.</source>
            <translation>Vzdialenú správu sa nepodarilo zastihnúť.</translation>
        </message>
        <message>
            <source>Abort</source>
            <translation>Prerušiť</translation>
        </message>
        <message>
            <source>Entrances that cannot be uploaded</source>
            <translation>Prerušenia, ktoré nemožno odoslať</translation>
        </message>
        <message>
            <source>CPU / RAM / disk</source>
            <translation>CPU / RAM / disk</translation>
        </message>
        <message>
            <source>Low disk space: %1 MB free. The oldest photo backups already on the server are removed to make room.</source>
            <translation>Málo miesta na disku: voľných %1 MB. Najstaršie zálohy fotografií, ktoré už sú na serveri, sa odstraňujú, aby sa uvoľnilo miesto.</translation>
        </message>
    </context>
    <context>
        <name>UsbCopyStatus</name>
        <message>
            <source>Entrance photos copied to the USB drive.</source>
            <translation>Fotografie prerušení sú skopírované na USB disk.</translation>
        </message>
        <message>
            <source>Logs copied to the USB drive.</source>
            <translation>Logy sú skopírované na USB disk.</translation>
        </message>
        <message>
            <source>Copying to USB: %1 %</source>
            <translation>Kopírujem na USB: %1 %</translation>
        </message>
        <message>
            <source>Copying to USB…</source>
            <translation>Kopírujem na USB…</translation>
        </message>
    </context>
    <context>
        <name>vMainLoader</name>
        <message>
            <source>User interface not found</source>
            <translation>Používateľské rozhranie sa nenašlo</translation>
        </message>
    </context>
    <context>
        <name>vmain</name>
        <message>
            <source>This card is not registered.</source>
            <translation>Neregistrovaná karta.</translation>
        </message>
        <message>
            <source>This personal number is not registered.</source>
            <translation>Neregistrované osobné číslo.</translation>
        </message>
        <message>
            <source>The terminal cannot record now.</source>
            <translation>Terminál teraz nemôže zapisovať.</translation>
        </message>
    </context>
</TS>

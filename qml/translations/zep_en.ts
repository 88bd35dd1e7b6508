<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
    <context>
        <name>AdminScreen</name>
        <message>
            <source>Administration</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>People</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>System</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Close</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Esc</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A card can be read here only to assign it to a person.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>Base</name>
        <message>
            <source>Virtual terminal (V-ZEP)</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ConfirmButton</name>
        <message>
            <source>Press again to confirm</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>CopyBackups</name>
        <message>
            <source>Building directory list...</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copying files...</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>CopyThread</name>
        <message>
            <source>The USB drive is not present.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Not enough space on the USB drive: %1 MB needed, %2 MB free.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copying was cancelled.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The USB drive was removed during the copy.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The USB drive is full.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Some folders could not be copied.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>There is nothing to copy: %1 holds no backups.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>DirectionChoice</name>
        <message>
            <source>Press 1 for arrival, 0 for departure, Esc to go back.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>EntranceConfirmation</name>
        <message>
            <source>Recorded</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Recorded at %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>EntranceScreen</name>
        <message>
            <source>The terminal cannot tell whether the entrance was recorded. Please do not record it again and tell the office.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The entrance could not be recorded. Please try again.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The entrance could not be deleted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The entrance was deleted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No previous entrance</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Last entrance: %1  %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose the interruption type</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No interruption types are available yet. The terminal loads them from the server.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Arrival</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Departure</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The time for deleting the last entrance is over: it can no longer be deleted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>There is no entrance to delete.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>FormFlickable</name>
        <message>
            <source>More below</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>IdleScreen</name>
        <message>
            <source>Attendance terminal</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Administration</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Personal number: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Please present your card to the reader.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Present your card</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Enter personal number</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>F2, or type the number and press Enter</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>LastEntranceBar</name>
        <message>
            <source>Delete</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Del</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Done</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Enter</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Esc</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Back</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>LastEntrance</name>
        <message>
            <source>entry</source>
            <translation>Arrival</translation>
        </message>
        <message>
            <source>leave</source>
            <translation>Departure</translation>
        </message>
    </context>
    <context>
        <name>PeoplePage</name>
        <message>
            <source>Search by name or personal number</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Type to search…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>List</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Groups</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Add person</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n colour group(s)</source>
            <translation>
                <numerusform>%n colour group</numerusform>
                <numerusform>%n colour groups</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n person(s)</source>
            <translation>
                <numerusform>%n person</numerusform>
                <numerusform>%n people</numerusform>
            </translation>
        </message>
        <message>
            <source>Group %1  ✕</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Admin</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Card</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No card</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Nobody found.</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>Group %1 · %n person(s)</source>
            <translation>
                <numerusform>Group %1 · %n person</numerusform>
                <numerusform>Group %1 · %n people</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>PersonEditor</name>
        <message>
            <source>Enter a personal number greater than 0.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Enter a name.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The person could not be added. Is the personal number already used?</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The changes could not be saved.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The person was added. You can assign a card now.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The changes were saved.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The person could not be deleted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The person was deleted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This card already belongs to another person.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The card was assigned.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The card could not be assigned.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>New person</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Edit person</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Personal number</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Title</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>First name</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Surname</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Administrator</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Card: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No card assigned</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Read card</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Delete person</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Esc</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Present the card to the reader</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Esc cancels</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The card could not be removed.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The card was removed.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Last unknown card: %1, read at %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Assign the last unknown card</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Remove card</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PersonHeader</name>
        <message>
            <source>Personal number %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Balance %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PinPad</name>
        <message>
            <source>Back</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Esc</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>OK</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PinScreen</name>
        <message>
            <source>Enter your personal number</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Confirm with OK or Enter.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>RestartButton</name>
        <message>
            <source>The application could not be restarted. It keeps running.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ServerStatePill</name>
        <message>
            <source>Online</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Rejected by server</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Server error</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Server unreachable</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Offline</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Connecting…</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>SettingsPage</name>
        <message>
            <source>The port must be a number from 1 to 65535.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The screen saver delay must be at least 5 seconds.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings saved. Restart the application to apply all of them.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings saved.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Settings</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Terminal name</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Server address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Server port</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Screen saver after (seconds)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Networking</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Mute sounds</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Volume %1 %</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quieter</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Louder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Language *</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>* takes effect after a restart of the application.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Test server connection</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Contacting the server…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Restart now</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The settings could not be saved.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server %1 answered.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server %1 did not answer.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Identify by personal number</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>SetupGate</name>
        <message>
            <source>Enter the setup PIN</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose a new setup PIN</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Enter the new setup PIN again</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The administration is protected by the setup PIN.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Up to 9 digits. Keep it safe: it protects the administration.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Wrong setup PIN</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The setup PIN was saved.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The PINs do not match. Try again.</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>Too many wrong setup PINs. Try again in %n second(s).</source>
            <translation>
                <numerusform>Too many wrong setup PINs. Try again in %n second.</numerusform>
                <numerusform>Too many wrong setup PINs. Try again in %n seconds.</numerusform>
            </translation>
        </message>
        <message>
            <source>A setup PIN of only zeros would leave the administration open. Choose another.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The setup PIN could not be saved.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>SystemPage</name>
        <message>
            <source>Synchronisation finished.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>System</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Version</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Terminal</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>not installed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>login %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Server</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Synchronise now</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Synchronisation started.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Contact remote management</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy photos to USB</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy logs to USB</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Change setup PIN</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Insert a USB drive to copy photos or logs.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Restart application</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Quit application</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Networking is off: nothing was synchronised.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No server is set up: nothing was synchronised.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Synchronisation failed: the server did not accept it.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Synchronisation failed: the server did not answer.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Networking is off: remote management was not contacted.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Contacting remote management…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Remote management answered.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Remote management was not reached.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Abort</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Entrances that cannot be uploaded</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>CPU / RAM / disk</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Low disk space: %1 MB free. The oldest photo backups already on the server are removed to make room.</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>UsbCopyStatus</name>
        <message>
            <source>Entrance photos copied to the USB drive.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Logs copied to the USB drive.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copying to USB: %1 %</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copying to USB…</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>vMainLoader</name>
        <message>
            <source>User interface not found</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>vmain</name>
        <message>
            <source>This card is not registered.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This personal number is not registered.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The terminal cannot record now.</source>
            <translation type="unfinished" />
        </message>
    </context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AppState</name>
    <message>
        <source>Orvane cannot read its settings file, %1, and leaves it as it is: changes made now last only until Orvane quits.</source>
        <translation>Orvane kann seine Einstellungsdatei %1 nicht lesen und lässt sie unverändert: Änderungen gelten nur, bis Orvane beendet wird.</translation>
    </message>
    <message>
        <source>Orvane could not save its settings to %1: changes made now last only until Orvane quits.</source>
        <translation>Orvane konnte seine Einstellungen nicht in %1 speichern: Änderungen gelten nur, bis Orvane beendet wird.</translation>
    </message>
</context>
<context>
    <name>CardTexts</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Copy &amp; Save</source>
        <translation>Kopieren &amp; speichern</translation>
    </message>
    <message>
        <source>Copies to clipboard &amp; keeps file...</source>
        <translation>Kopiert &amp; behält die Datei...</translation>
    </message>
    <message>
        <source>Copy Only</source>
        <translation>Nur kopieren</translation>
    </message>
    <message>
        <source>Copies to clipboard &amp; trashes file</source>
        <translation>Kopiert, Datei in den Papierkorb</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Teilen</translation>
    </message>
    <message>
        <source>Share via Mail, Clipboard, Other Apps...</source>
        <translation>Per E-Mail, Zwischenablage oder andere Programme teilen...</translation>
    </message>
    <message>
        <source>Markup</source>
        <translation>Markieren</translation>
    </message>
    <message>
        <source>Annotate &amp; Draw in the Image Viewer</source>
        <translation type="vanished">Im Bildbetrachter beschriften &amp; zeichnen</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Show in the File Manager</source>
        <translation>Im Dateimanager zeigen</translation>
    </message>
    <message>
        <source>Move to Trash</source>
        <translation>In den Papierkorb verschieben</translation>
    </message>
    <message>
        <source>Copy File</source>
        <translation>Datei kopieren</translation>
    </message>
    <message>
        <source>Email…</source>
        <translation>E-Mail…</translation>
    </message>
    <message>
        <source>Open With</source>
        <translation>Öffnen mit</translation>
    </message>
    <message>
        <source>Not Copied — File Unreadable</source>
        <translation>Nicht kopiert — Datei unlesbar</translation>
    </message>
    <message>
        <source>Copied — File Not Trashed</source>
        <translation>Kopiert — nicht verworfen</translation>
    </message>
    <message>
        <source>Copied &amp; Saved!</source>
        <translation>Kopiert &amp; gespeichert!</translation>
    </message>
    <message>
        <source>Copied &amp; Discarded!</source>
        <translation>Kopiert &amp; verworfen!</translation>
    </message>
    <message>
        <source>Not Trashed — File Kept</source>
        <translation>Nicht verworfen — Datei bleibt</translation>
    </message>
    <message>
        <source>Not Trashed — File Missing</source>
        <translation>Nicht verworfen — Datei fehlt</translation>
    </message>
    <message>
        <source>Not Opened — File Missing</source>
        <translation>Nicht geöffnet — Datei fehlt</translation>
    </message>
    <message>
        <source>Not Opened — No Image Viewer</source>
        <translation>Nicht geöffnet — kein Betrachter</translation>
    </message>
    <message>
        <source>Not Shown — Folder Missing</source>
        <translation>Nicht gezeigt — Ordner fehlt</translation>
    </message>
    <message>
        <source>Not Shown — No File Manager</source>
        <translation>Nicht gezeigt — kein Dateimanager</translation>
    </message>
    <message>
        <source>Not Shared — File Missing</source>
        <translation>Nicht geteilt — Datei fehlt</translation>
    </message>
    <message>
        <source>Not Shared — No Mail Program</source>
        <translation>Nicht geteilt — kein Mailprogramm</translation>
    </message>
    <message>
        <source>Not Opened — Application Failed</source>
        <translation>Nicht geöffnet — Programmfehler</translation>
    </message>
    <message>
        <source>Annotate &amp; Draw in the Markup Application</source>
        <translation>Im Programm zum Markieren beschriften &amp; zeichnen</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Uninstall &amp; Move to Trash</source>
        <translation>Deinstallieren &amp; in den Papierkorb</translation>
    </message>
    <message>
        <source>Uninstall</source>
        <translation>Deinstallieren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>LinuxCardPlatformServices</name>
    <message>
        <source>Image Viewer</source>
        <translation>Bildbetrachter</translation>
    </message>
</context>
<context>
    <name>LinuxLoginServices</name>
    <message>
        <source>%1 was not found; nothing was removed.</source>
        <translation>%1 wurde nicht gefunden; nichts wurde entfernt.</translation>
    </message>
    <message>
        <source>%1 was installed with the package &quot;%2&quot; and stays: remove it with the package manager, for example &quot;sudo apt remove %2&quot;.</source>
        <translation>%1 wurde mit dem Paket „%2“ installiert und bleibt: Entfernen Sie es mit der Paketverwaltung, zum Beispiel mit „sudo apt remove %2“.</translation>
    </message>
    <message>
        <source>%1 is not installed in your home folder and stays: remove it the way it was installed.</source>
        <translation>%1 ist nicht in Ihrem persönlichen Ordner installiert und bleibt: Entfernen Sie es so, wie es installiert wurde.</translation>
    </message>
    <message>
        <source>%1 is a build in a CMake build folder and stays.</source>
        <translation>%1 ist ein Build in einem CMake-Build-Ordner und bleibt.</translation>
    </message>
    <message>
        <source>%1 stays for now: the package manager has not yet said whether it installed it.</source>
        <translation>%1 bleibt vorerst: Die Paketverwaltung hat noch nicht gesagt, ob sie es installiert hat.</translation>
    </message>
    <message>
        <source>%1 will be moved to the Trash.</source>
        <translation>%1 wird in den Papierkorb verschoben.</translation>
    </message>
</context>
<context>
    <name>MarkupCard</name>
    <message>
        <source>Markup Application</source>
        <translation>Programm zum Markieren</translation>
    </message>
    <message>
        <source>%1 is no longer installed: Markup uses %2 instead.</source>
        <translation>%1 ist nicht mehr installiert: Markieren verwendet stattdessen %2.</translation>
    </message>
</context>
<context>
    <name>MenuTexts</name>
    <message>
        <source>● Active &amp; Monitoring</source>
        <translation>● Aktiv – Überwachung läuft</translation>
    </message>
    <message>
        <source>⚠️ Monitoring Paused</source>
        <translation>⚠️ Überwachung pausiert</translation>
    </message>
    <message>
        <source>Preferences &amp; Settings...</source>
        <translation>Einstellungen...</translation>
    </message>
    <message>
        <source>Auto-Copy on Capture (Zero-Click)</source>
        <translation>Bei Aufnahme automatisch kopieren (ohne Klick)</translation>
    </message>
    <message>
        <source>Play Sound Effects</source>
        <translation>Soundeffekte abspielen</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Screenshot Folder</source>
        <translation>Ordner für Bildschirmfotos</translation>
    </message>
    <message>
        <source>HUD Auto-Dismiss Timer</source>
        <translation>Karte automatisch ausblenden nach</translation>
    </message>
    <message>
        <source>Pause Monitoring</source>
        <translation>Überwachung pausieren</translation>
    </message>
    <message>
        <source>Resume Monitoring</source>
        <translation>Überwachung fortsetzen</translation>
    </message>
    <message>
        <source>About Orvane...</source>
        <translation>Über Orvane...</translation>
    </message>
    <message>
        <source>Uninstall Orvane &amp; Restore Defaults...</source>
        <translation>Orvane deinstallieren &amp; Standards wiederherstellen...</translation>
    </message>
    <message>
        <source>Quit Orvane</source>
        <translation>Orvane beenden</translation>
    </message>
    <message>
        <source>Current: </source>
        <translation>Aktuell: </translation>
    </message>
    <message>
        <source>Choose Custom Folder...</source>
        <translation>Eigenen Ordner wählen...</translation>
    </message>
    <message>
        <source>Choose the folder where your screenshots are saved:</source>
        <translation>Wählen Sie den Ordner, in dem Ihre Bildschirmfotos gespeichert werden:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Reset to Desktop Default</source>
        <translation>Auf Vorgabe der Arbeitsumgebung zurücksetzen</translation>
    </message>
    <message>
        <source>A lightweight Linux utility by Tarnwell that brings instant &apos;Copy &amp; Save&apos; and quick actions to your desktop&apos;s screenshots.</source>
        <translation>Ein schlankes Linux-Werkzeug von Tarnwell, das den Bildschirmfotos Ihrer Arbeitsumgebung sofortiges „Kopieren &amp; speichern“ und schnelle Aktionen bringt.</translation>
    </message>
    <message>
        <source>Uninstall Orvane &amp; Restore Desktop Defaults</source>
        <translation>Orvane deinstallieren &amp; Vorgaben der Arbeitsumgebung wiederherstellen</translation>
    </message>
    <message>
        <source>This will remove Orvane&apos;s autostart entry, so that it no longer starts at login, and quit Orvane.</source>
        <translation>Dadurch wird der Autostart-Eintrag von Orvane entfernt, sodass es nicht mehr bei der Anmeldung startet, und Orvane beendet.</translation>
    </message>
    <message>
        <source>%1 Seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>%1 Seconds (Default)</source>
        <translation>%1 Sekunden (Standard)</translation>
    </message>
</context>
<context>
    <name>PreferencesTexts</name>
    <message>
        <source>Standard KDE Plasma Shortcuts:</source>
        <translation>Standard-Tastenkürzel von KDE Plasma:</translation>
    </message>
    <message>
        <source>• Meta + Shift + Print : Select area to capture</source>
        <translation>• Meta + Umschalt + Druck : Bereich zum Aufnehmen auswählen</translation>
    </message>
    <message>
        <source>• Shift + Print : Full screen screenshot</source>
        <translation>• Umschalt + Druck : Bildschirmfoto des ganzen Bildschirms</translation>
    </message>
    <message>
        <source>• Print : Spectacle, the interactive screenshot tool</source>
        <translation>• Druck : Spectacle, das interaktive Bildschirmfoto-Werkzeug</translation>
    </message>
    <message>
        <source>Standard Xfce Shortcuts:</source>
        <translation>Standard-Tastenkürzel von Xfce:</translation>
    </message>
    <message>
        <source>• Shift + Print : Select area to capture</source>
        <translation>• Umschalt + Druck : Bereich zum Aufnehmen auswählen</translation>
    </message>
    <message>
        <source>• Print : Full screen screenshot</source>
        <translation>• Druck : Bildschirmfoto des ganzen Bildschirms</translation>
    </message>
    <message>
        <source>• Alt + Print : Window screenshot</source>
        <translation>• Alt + Druck : Bildschirmfoto eines Fensters</translation>
    </message>
    <message>
        <source>Standard GNOME Shortcuts:</source>
        <translation>Standard-Tastenkürzel von GNOME:</translation>
    </message>
    <message>
        <source>• Print : Interactive screenshot &amp; recording tool</source>
        <translation>• Druck : Interaktives Werkzeug für Bildschirmfotos &amp; -aufnahmen</translation>
    </message>
    <message>
        <source>Standard Desktop Shortcuts:</source>
        <translation>Standard-Tastenkürzel der Arbeitsumgebung:</translation>
    </message>
    <message>
        <source>• Print : Your desktop&apos;s screenshot tool</source>
        <translation>• Druck : Das Bildschirmfoto-Werkzeug Ihrer Arbeitsumgebung</translation>
    </message>
    <message>
        <source>• Cards appear for screenshots saved to Pictures, its Screenshots folder, the Desktop or the save location above</source>
        <translation>• Karten erscheinen für Bildschirmfotos in „Bilder“, dessen Ordner für Bildschirmfotos, auf der Arbeitsfläche oder am Speicherort oben</translation>
    </message>
    <message>
        <source>Supercharged Linux Screenshot Assistant</source>
        <translation>Der flinke Bildschirmfoto-Assistent für Linux</translation>
    </message>
    <message>
        <source>Automatically start Orvane when you log in</source>
        <translation>Orvane bei der Anmeldung automatisch starten</translation>
    </message>
    <message>
        <source>Open in File Manager</source>
        <translation>Im Dateimanager öffnen</translation>
    </message>
    <message>
        <source>Removes Orvane&apos;s autostart entry and quits. An AppImage or a copy in your home folder goes to the Trash; an installed package is removed with the package manager.</source>
        <translation>Entfernt den Autostart-Eintrag von Orvane und beendet es. Ein AppImage oder eine Kopie in Ihrem persönlichen Ordner wird in den Papierkorb verschoben; ein installiertes Paket wird mit der Paketverwaltung entfernt.</translation>
    </message>
    <message>
        <source>Uninstall Orvane &amp; Restore Desktop Defaults?</source>
        <translation>Orvane deinstallieren &amp; Vorgaben der Arbeitsumgebung wiederherstellen?</translation>
    </message>
    <message>
        <source>This will immediately unregister Orvane from login, removing its autostart entry, and quit it.</source>
        <translation>Dadurch wird Orvane sofort vom Start bei der Anmeldung abgemeldet, sein Autostart-Eintrag entfernt und Orvane beendet.</translation>
    </message>
    <message>
        <source>Choose where screenshots should be saved:</source>
        <translation>Wählen Sie, wo Bildschirmfotos gespeichert werden sollen:</translation>
    </message>
    <message>
        <source>Orvane Preferences</source>
        <translation>Orvane-Einstellungen</translation>
    </message>
    <message>
        <source>The application Markup opens a screenshot in, to draw on it</source>
        <translation>Das Programm, in dem Markieren ein Bildschirmfoto zum Zeichnen öffnet</translation>
    </message>
</context>
<context>
    <name>PreferencesView</name>
    <message>
        <source>Monitoring Paused</source>
        <translation>Überwachung pausiert</translation>
    </message>
    <message>
        <source>Active</source>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Orvane monitoring is currently paused.</source>
        <translation>Die Überwachung durch Orvane ist derzeit pausiert.</translation>
    </message>
    <message>
        <source>Orvane floating HUD with &apos;Copy &amp; Save&apos; is active.</source>
        <translation>Die schwebende Orvane-Karte mit „Kopieren &amp; speichern“ ist aktiv.</translation>
    </message>
    <message>
        <source>Enable Orvane Screenshot HUD</source>
        <translation>Orvane-Karte für Bildschirmfotos aktivieren</translation>
    </message>
</context>
<context>
    <name>PreviewBlock</name>
    <message>
        <source>Simulate Screenshot HUD (Preview)</source>
        <translation>Bildschirmfoto-Karte simulieren (Vorschau)</translation>
    </message>
    <message>
        <source>Simulates a sample capture to preview your floating HUD design, actions, and countdown duration.</source>
        <translation>Simuliert eine Beispielaufnahme als Vorschau auf Aussehen, Aktionen und Anzeigedauer Ihrer schwebenden Karte.</translation>
    </message>
</context>
<context>
    <name>SaveLocationCard</name>
    <message>
        <source>Screenshot Save Location</source>
        <translation>Speicherort für Bildschirmfotos</translation>
    </message>
    <message>
        <source>Change...</source>
        <translation>Ändern...</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
</context>
<context>
    <name>SettingsCard</name>
    <message>
        <source>Launch at Login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Auto-Copy on Capture (Zero-Click)</source>
        <translation>Bei Aufnahme automatisch kopieren (ohne Klick)</translation>
    </message>
    <message>
        <source>Instantly copy screenshot to clipboard the moment you take it</source>
        <translation>Bildschirmfotos sofort bei der Aufnahme in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Play Sound Effects</source>
        <translation>Soundeffekte abspielen</translation>
    </message>
    <message>
        <source>Audible feedback for copy, save, and trash actions</source>
        <translation>Akustische Rückmeldung beim Kopieren, Speichern und Löschen</translation>
    </message>
    <message>
        <source>Auto-Dismiss Timer</source>
        <translation>Automatisch ausblenden nach</translation>
    </message>
    <message>
        <source>How long the floating card stays before fading</source>
        <translation>Wie lange die schwebende Karte sichtbar bleibt, bevor sie verblasst</translation>
    </message>
    <message>
        <source>%1s (Default)</source>
        <translation>%1 s (Standard)</translation>
    </message>
    <message>
        <source>%1s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>Offer Undo after trashing</source>
        <translation>Rückgängig nach dem Verschieben in den Papierkorb anbieten</translation>
    </message>
    <message>
        <source>A notification to put back a screenshot moved to the Trash</source>
        <translation>Eine Benachrichtigung, um ein in den Papierkorb verschobenes Bildschirmfoto zurückzulegen</translation>
    </message>
</context>
<context>
    <name>SimulatedCapture</name>
    <message>
        <source>Sample Screenshot Simulation</source>
        <translation>Simuliertes Beispiel-Bildschirmfoto</translation>
    </message>
    <message>
        <source>Live preview of Orvane Floating HUD</source>
        <translation>Live-Vorschau der schwebenden Orvane-Karte</translation>
    </message>
</context>
<context>
    <name>TrashUndo</name>
    <message>
        <source>Moved to the Trash</source>
        <translation>In den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Restored under a new name</source>
        <translation>Unter neuem Namen wiederhergestellt</translation>
    </message>
    <message>
        <source>%1 was taken, so the screenshot is back as %2.</source>
        <translation>%1 war schon vergeben, daher ist das Bildschirmfoto als %2 zurück.</translation>
    </message>
    <message>
        <source>Could not restore %1</source>
        <translation>%1 konnte nicht wiederhergestellt werden</translation>
    </message>
    <message>
        <source>It is no longer in the Trash.</source>
        <translation>Es ist nicht mehr im Papierkorb.</translation>
    </message>
    <message>
        <source>It is still in the Trash (%1).</source>
        <translation>Es ist noch im Papierkorb (%1).</translation>
    </message>
</context>
<context>
    <name>UninstallCard</name>
    <message>
        <source>Uninstall Orvane</source>
        <translation>Orvane deinstallieren</translation>
    </message>
    <message>
        <source>Uninstall &amp; Restore Defaults...</source>
        <translation>Deinstallieren &amp; Standards wiederherstellen...</translation>
    </message>
</context>
<context>
    <name>macOS</name>
    <message>
        <source>%1 is not an application bundle and stays.</source>
        <translation>%1 ist kein Programmpaket und bleibt, wo es ist.</translation>
    </message>
    <message>
        <source>Share via AirDrop, Messages, Mail, Notes...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Annotate &amp; Draw in Preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show in Finder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset to macOS Default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A lightweight macOS utility by Tarnwell that brings instant &apos;Copy &amp; Save&apos; and quick actions to macOS screenshots.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uninstall Orvane &amp; Restore macOS Defaults</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This will restore Apple&apos;s original screenshot thumbnail behavior, remove the background service, and safely move Orvane to Trash.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Supercharged macOS Screenshot Assistant</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatically start Orvane when your Mac turns on</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open in Finder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard macOS Shortcuts:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>• Cmd + Shift + 4 : Select area to capture
• Cmd + Shift + 3 : Full screen screenshot
• Cmd + Shift + 5 : Interactive screenshot &amp; recording bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restores Apple&apos;s original screenshot behavior and cleanly moves Orvane to Trash without terminal commands.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uninstall Orvane &amp; Restore macOS Defaults?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This will immediately restore Apple&apos;s original native screenshot thumbnail behavior, unregister from login, and safely move Orvane to the Trash.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not Opened — Preview Unavailable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not Shown — Finder Unavailable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Markup opens screenshots in Preview</source>
        <translation>Markieren öffnet Bildschirmfotos in Vorschau</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>The preferences could not be opened.</source>
        <translation>Die Einstellungen konnten nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Orvane&apos;s menu and windows could not be opened.</source>
        <translation type="vanished">Das Menü und die Fenster von Orvane konnten nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Part of Orvane could not be loaded (%1). Reinstalling Orvane should repair it.</source>
        <translation>Ein Teil von Orvane konnte nicht geladen werden (%1). Eine Neuinstallation von Orvane sollte das beheben.</translation>
    </message>
</context>
<context>
    <name>orvane::PreferencesBackend</name>
    <message>
        <source>Automatic (%1)</source>
        <translation>Automatisch (%1)</translation>
    </message>
</context>
</TS>

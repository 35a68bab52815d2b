<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CMainFrame</name>
    <message>
        <source>None</source>
        <translation>Kein Raster</translation>
    </message>
    <message>
        <source>Quarter Notes</source>
        <translation>Viertelnoten</translation>
    </message>
    <message>
        <source>Quarter Note Triplets</source>
        <translation>Viertel-Triolen</translation>
    </message>
    <message>
        <source>8th Notes</source>
        <translation>Achtelnoten</translation>
    </message>
    <message>
        <source>8th Note Triplets</source>
        <translation>Achtel-Triolen</translation>
    </message>
    <message>
        <source>16th Notes</source>
        <translation>Sechzehntelnoten</translation>
    </message>
    <message>
        <source>16th Note Triplets</source>
        <translation>Sechzehntel-Triolen</translation>
    </message>
    <message>
        <source>32nd Notes</source>
        <translation>Zweiunddreißigstelnoten</translation>
    </message>
    <message>
        <source>32nd Note Triplets</source>
        <translation>Zweiunddreißigstel-Triolen</translation>
    </message>
    <message>
        <source>64th Notes</source>
        <translation>Vierundsechzigstelnoten</translation>
    </message>
    <message>
        <source>64th Note Triplets</source>
        <translation>Vierundsechzigstel-Triolen</translation>
    </message>
    <message>
        <source>Varda Quillon Project Files (*.vpf)</source>
        <translation>Varda-Quillon-Projektdateien (*.vpf)</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Create a new project</source>
        <translation>Ein neues Projekt anlegen</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>Ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>Open an existing project</source>
        <translation>Ein vorhandenes Projekt öffnen</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Save the active project</source>
        <translation>Das aktive Projekt speichern</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>Speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save the active project with a new name</source>
        <translation>Das aktive Projekt unter neuem Namen speichern</translation>
    </message>
    <message>
        <source>Insert Audio File(s)...</source>
        <translation>Audiodatei(en) einfügen...</translation>
    </message>
    <message>
        <source>Insert audio files at the cursor into the current track</source>
        <translation>Audiodateien an der Cursorposition in die aktuelle Spur einfügen</translation>
    </message>
    <message>
        <source>Configure Save Options...</source>
        <translation>Speicheroptionen einstellen...</translation>
    </message>
    <message>
        <source>Set how audio files are written</source>
        <translation>Festlegen, wie Audiodateien geschrieben werden</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit the application; prompts to save the project</source>
        <translation>Das Programm beenden; fragt, ob das Projekt gespeichert werden soll</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>Undo the last action</source>
        <translation>Die letzte Aktion rückgängig machen</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederherstellen</translation>
    </message>
    <message>
        <source>Redo the previously undone action</source>
        <translation>Die zuletzt rückgängig gemachte Aktion wiederherstellen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>Cut the selected clips to the clipboard</source>
        <translation>Die ausgewählten Clips in die Zwischenablage verschieben</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Copy the selected clips to the clipboard</source>
        <translation>Die ausgewählten Clips in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>Insert the clipboard's clips at the cursor</source>
        <translation>Die Clips der Zwischenablage an der Cursorposition einfügen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Delete the selected clips</source>
        <translation>Die ausgewählten Clips löschen</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>Alle&amp;s auswählen</translation>
    </message>
    <message>
        <source>Select every clip</source>
        <translation>Alle Clips auswählen</translation>
    </message>
    <message>
        <source>Select all Following Clips</source>
        <translation>Alle folgenden Clips auswählen</translation>
    </message>
    <message>
        <source>In selected track</source>
        <translation>In der ausgewählten Spur</translation>
    </message>
    <message>
        <source>Select the clips after the cursor in the current track</source>
        <translation>Die Clips nach dem Cursor in der aktuellen Spur auswählen</translation>
    </message>
    <message>
        <source>All tracks</source>
        <translation>In allen Spuren</translation>
    </message>
    <message>
        <source>Select the clips after the cursor in every track</source>
        <translation>Die Clips nach dem Cursor in allen Spuren auswählen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Show half the time around the cursor</source>
        <translation>Die halbe Zeit um den Cursor zeigen</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Show twice the time</source>
        <translation>Die doppelte Zeit zeigen</translation>
    </message>
    <message>
        <source>Show only Marked Section</source>
        <translation>Nur markierten Bereich zeigen</translation>
    </message>
    <message>
        <source>Show the marked section across the window</source>
        <translation>Den markierten Bereich über die ganze Breite zeigen</translation>
    </message>
    <message>
        <source>View whole Project</source>
        <translation>Ganzes Projekt zeigen</translation>
    </message>
    <message>
        <source>Show the whole project</source>
        <translation>Das ganze Projekt zeigen</translation>
    </message>
    <message>
        <source>Time Format</source>
        <translation>Zeitformat</translation>
    </message>
    <message>
        <source>Hour : Min : Sec : MS</source>
        <translation>Std : Min : Sek : MS</translation>
    </message>
    <message>
        <source>Display time in the metric format (Hour : Min : Sec : MS)</source>
        <translation>Zeit im metrischen Format anzeigen (Std : Min : Sek : MS)</translation>
    </message>
    <message>
        <source>Bars and Beats</source>
        <translation>Takte und Schläge</translation>
    </message>
    <message>
        <source>Display time in terms of bars and beats (Bar : Beat : Tick)</source>
        <translation>Zeit in Takten und Schlägen anzeigen (Takt : Schlag : Tick)</translation>
    </message>
    <message>
        <source>SMPTE (25 Frames per Second)</source>
        <translation>SMPTE (25 Bilder pro Sekunde)</translation>
    </message>
    <message>
        <source>Display time in the European SMPTE format</source>
        <translation>Zeit im europäischen SMPTE-Format anzeigen</translation>
    </message>
    <message>
        <source>Sample Index</source>
        <translation>Sample-Index</translation>
    </message>
    <message>
        <source>Display time as samples elapsed</source>
        <translation>Zeit als Anzahl vergangener Samples anzeigen</translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation>Raster anzeigen</translation>
    </message>
    <message>
        <source>Check this menu item to show grid lines in the project view</source>
        <translation>Diesen Menüpunkt ankreuzen, um Rasterlinien in der Projektansicht zu zeigen</translation>
    </message>
    <message>
        <source>&amp;Track</source>
        <translation>&amp;Spur</translation>
    </message>
    <message>
        <source>Insert Track</source>
        <translation>Spur einfügen</translation>
    </message>
    <message>
        <source>Insert a new track above the current track</source>
        <translation>Eine neue Spur über der aktuellen einfügen</translation>
    </message>
    <message>
        <source>Delete Track</source>
        <translation>Spur löschen</translation>
    </message>
    <message>
        <source>Delete the current track and its content</source>
        <translation>Die aktuelle Spur samt Inhalt löschen</translation>
    </message>
    <message>
        <source>Track Properties...</source>
        <translation>Spureigenschaften...</translation>
    </message>
    <message>
        <source>Name the current track</source>
        <translation>Die aktuelle Spur benennen</translation>
    </message>
    <message>
        <source>Deactivate Track</source>
        <translation>Spur deaktivieren</translation>
    </message>
    <message>
        <source>Deactivates the current track</source>
        <translation>Deaktiviert die aktuelle Spur</translation>
    </message>
    <message>
        <source>Add Volume Curve</source>
        <translation>Lautstärkekurve hinzufügen</translation>
    </message>
    <message>
        <source>Add a volume envelope to the current track</source>
        <translation>Der aktuellen Spur eine Lautstärkehüllkurve geben</translation>
    </message>
    <message>
        <source>Add Pan Curve</source>
        <translation>Panoramakurve hinzufügen</translation>
    </message>
    <message>
        <source>Add a pan envelope to the current track</source>
        <translation>Der aktuellen Spur eine Panoramahüllkurve geben</translation>
    </message>
    <message>
        <source>Insert CD Track Split</source>
        <translation>CD-Titelgrenze einfügen</translation>
    </message>
    <message>
        <source>Start a new CD track at the cursor</source>
        <translation>An der Cursorposition einen neuen CD-Titel beginnen</translation>
    </message>
    <message>
        <source>Insert CD Index</source>
        <translation>CD-Index einfügen</translation>
    </message>
    <message>
        <source>Add a CD index at the cursor</source>
        <translation>An der Cursorposition einen CD-Index setzen</translation>
    </message>
    <message>
        <source>Insert Label...</source>
        <translation>Marke einfügen...</translation>
    </message>
    <message>
        <source>Add a label at the cursor</source>
        <translation>An der Cursorposition eine Marke setzen</translation>
    </message>
    <message>
        <source>Adjust Silence between Tracks...</source>
        <translation>Pausen zwischen Titeln anpassen...</translation>
    </message>
    <message>
        <source>Give every CD track the same pause</source>
        <translation>Jedem CD-Titel dieselbe Pause geben</translation>
    </message>
    <message>
        <source>&amp;Audio</source>
        <translation>A&amp;udio</translation>
    </message>
    <message>
        <source>Play from Cursor</source>
        <translation>Ab Cursor abspielen</translation>
    </message>
    <message>
        <source>Play project from cursor</source>
        <translation>Projekt ab Cursorposition abspielen</translation>
    </message>
    <message>
        <source>Play All</source>
        <translation>Alles abspielen</translation>
    </message>
    <message>
        <source>Plays from beginning of the project</source>
        <translation>Spielt ab dem Anfang des Projekts</translation>
    </message>
    <message>
        <source>Play Looped</source>
        <translation>In Schleife abspielen</translation>
    </message>
    <message>
        <source>Plays selected area or the project in loop</source>
        <translation>Spielt den markierten Bereich oder das Projekt in einer Schleife</translation>
    </message>
    <message>
        <source>Stop Playing</source>
        <translation>Wiedergabe anhalten</translation>
    </message>
    <message>
        <source>Stop playback</source>
        <translation>Die Wiedergabe anhalten</translation>
    </message>
    <message>
        <source>Rewind</source>
        <translation>Zurückspulen</translation>
    </message>
    <message>
        <source>Fast Forward</source>
        <translation>Vorspulen</translation>
    </message>
    <message>
        <source>Go to Start</source>
        <translation>Zum Anfang</translation>
    </message>
    <message>
        <source>Go to previous CD Track</source>
        <translation>Zum vorigen CD-Titel</translation>
    </message>
    <message>
        <source>Go to End</source>
        <translation>Zum Ende</translation>
    </message>
    <message>
        <source>Go to next CD Track</source>
        <translation>Zum nächsten CD-Titel</translation>
    </message>
    <message>
        <source>E&amp;ffects</source>
        <translation>E&amp;ffekte</translation>
    </message>
    <message>
        <source>Add to Track Effect Chain</source>
        <translation>Zur Effektkette der Spur hinzufügen</translation>
    </message>
    <message>
        <source>Add to Master Effect Chain</source>
        <translation>Zur Master-Effektkette hinzufügen</translation>
    </message>
    <message>
        <source>T&amp;ools</source>
        <translation>&amp;Werkzeuge</translation>
    </message>
    <message>
        <source>Edit Audio File in Wave Editor...</source>
        <translation>Audiodatei im Wave-Editor bearbeiten...</translation>
    </message>
    <message>
        <source>Open the selected clip's file in the wave editor</source>
        <translation>Die Datei des ausgewählten Clips im Wave-Editor öffnen</translation>
    </message>
    <message>
        <source>Burn CD...</source>
        <translation>CD brennen...</translation>
    </message>
    <message>
        <source>Write the project to an Audio CD</source>
        <translation>Das Projekt auf eine Audio-CD schreiben</translation>
    </message>
    <message>
        <source>LP to CD Wizard...</source>
        <translation>Assistent Schallplatte auf CD...</translation>
    </message>
    <message>
        <source>Turn an LP recording into CD tracks</source>
        <translation>Eine Schallplattenaufnahme in CD-Titel teilen</translation>
    </message>
    <message>
        <source>Cassette to CD Wizard...</source>
        <translation>Assistent Kassette auf CD...</translation>
    </message>
    <message>
        <source>Turn a cassette recording into CD tracks</source>
        <translation>Eine Kassettenaufnahme in CD-Titel teilen</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>Grid</source>
        <translation>Raster</translation>
    </message>
    <message>
        <source>Snap edits to this grid</source>
        <translation>Bearbeitungen an diesem Raster ausrichten</translation>
    </message>
    <message>
        <source>Project Settings...</source>
        <translation>Projekteinstellungen...</translation>
    </message>
    <message>
        <source>Edit the project's texts, length, tempo and meter</source>
        <translation>Texte, Länge, Tempo und Taktart des Projekts bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About Varda Quillon...</source>
        <translation>Ü&amp;ber Varda Quillon...</translation>
    </message>
    <message>
        <source>Display program information and version</source>
        <translation>Programminformationen und Version anzeigen</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Total Project Length: 000m 00s:000</source>
        <translation>Gesamtlänge des Projekts: 000m 00s:000</translation>
    </message>
    <message>
        <source>Position 000m 00s:000</source>
        <translation>Position 000m 00s:000</translation>
    </message>
    <message>
        <source>Track 99 of 99</source>
        <translation>Spur 99 von 99</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Activate Track</source>
        <translation>Spur aktivieren</translation>
    </message>
    <message>
        <source>Total Project Length:</source>
        <translation>Gesamtlänge des Projekts:</translation>
    </message>
    <message>
        <source>Position:</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>Track %1 of %2</source>
        <translation>Spur %1 von %2</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Save changes to %1?</source>
        <translation>Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>Insert Audio File(s)</source>
        <translation>Audiodatei(en) einfügen</translation>
    </message>
    <message>
        <source>Track Properties</source>
        <translation>Spureigenschaften</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Pause Length</source>
        <translation>Pausenlänge</translation>
    </message>
    <message>
        <source>Length of pauses between CD tracks:</source>
        <translation>Länge der Pausen zwischen CD-Titeln:</translation>
    </message>
    <message>
        <source>Effect added to the master chain.</source>
        <translation>Effekt zur Master-Kette hinzugefügt.</translation>
    </message>
    <message>
        <source>Effect added to the chain of track %1.</source>
        <translation>Effekt zur Kette von Spur %1 hinzugefügt.</translation>
    </message>
    <message>
        <source>About Varda Quillon</source>
        <translation>Über Varda Quillon</translation>
    </message>
    <message>
        <source>Version %1.%2.%3.%4</source>
        <translation>Version %1.%2.%3.%4</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later.</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder später.</translation>
    </message>
    <message>
        <source>These files could not be read as audio and were not inserted:</source>
        <translation>Diese Dateien konnten nicht als Audio gelesen werden und wurden nicht eingefügt:</translation>
    </message>
    <message>
        <source>The %1 is not available yet.</source>
        <translation>Der %1 ist noch nicht verfügbar.</translation>
    </message>
    <message>
        <source>Add Assignable Effect Group</source>
        <translation>Zuweisbare Effektgruppe hinzufügen</translation>
    </message>
    <message>
        <source>Add an effect group that every track can send to</source>
        <translation>Eine Effektgruppe hinzufügen, an die jede Spur senden kann</translation>
    </message>
    <message>
        <source>Start or stop track playback</source>
        <translation>Wiedergabe der Spur starten oder anhalten</translation>
    </message>
    <message>
        <source>Play the current track alone, or switch it on or off while playing</source>
        <translation>Die aktuelle Spur allein abspielen oder sie während der Wiedergabe ein- und ausschalten</translation>
    </message>
    <message>
        <source>&amp;Preferences...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Edit the program's settings and the defaults of new projects</source>
        <translation>Die Einstellungen des Programms und die Vorgaben für neue Projekte bearbeiten</translation>
    </message>
    <message>
        <source>Master Effect Chain...</source>
        <translation>Master-Effektkette...</translation>
    </message>
    <message>
        <source>Edit the effects of the master chain</source>
        <translation>Die Effekte der Master-Kette bearbeiten</translation>
    </message>
    <message>
        <source>Edit Track &amp;Effect Chain...</source>
        <translation>Effekt&amp;kette der Spur bearbeiten...</translation>
    </message>
    <message>
        <source>Edit the effects of the current track</source>
        <translation>Die Effekte der aktuellen Spur bearbeiten</translation>
    </message>
    <message>
        <source>Assignable Effect Groups...</source>
        <translation>Zuweisbare Effektgruppen...</translation>
    </message>
    <message>
        <source>Add, remove and edit the assignable effect groups</source>
        <translation>Zuweisbare Effektgruppen hinzufügen, entfernen und bearbeiten</translation>
    </message>
    <message>
        <source>the audio file "%1": %2</source>
        <translation>die Audiodatei „%1“: %2</translation>
    </message>
    <message>
        <source>the command line is empty or has an unclosed quote</source>
        <translation>die Befehlszeile ist leer oder enthält ein nicht geschlossenes Anführungszeichen</translation>
    </message>
    <message>
        <source>"%1": %2</source>
        <translation>„%1“: %2</translation>
    </message>
    <message>
        <source>the program "%1" could not be started</source>
        <translation>das Programm „%1“ konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>The wave editor command "%1" failed: %2.</source>
        <translation>Der Wave-Editor-Befehl „%1“ ist fehlgeschlagen: %2.</translation>
    </message>
    <message>
        <source>The editor is chosen by the setting "%1" in the section "%2" of the user settings; without it the command is "%3".</source>
        <translation>Der Editor wird mit der Einstellung „%1“ im Abschnitt „%2“ der Benutzereinstellungen gewählt; ohne sie lautet der Befehl „%3“.</translation>
    </message>
    <message>
        <source>Import CUE Sheet...</source>
        <translation>CUE-Sheet importieren...</translation>
    </message>
    <message>
        <source>Build a new project from a CUE sheet and its audio</source>
        <translation>Aus einem CUE-Sheet und seinen Audiodaten ein neues Projekt erstellen</translation>
    </message>
    <message>
        <source>Export as FLAC with CUE Sheet...</source>
        <translation>Als FLAC mit CUE-Sheet exportieren...</translation>
    </message>
    <message>
        <source>Write the compilation as one FLAC file with its CUE sheet</source>
        <translation>Die Zusammenstellung als eine FLAC-Datei mit ihrem CUE-Sheet schreiben</translation>
    </message>
    <message>
        <source>&amp;Export to Audio File...</source>
        <translation>In Audiodatei &amp;exportieren...</translation>
    </message>
    <message>
        <source>Write the whole mix into one audio file</source>
        <translation>Die gesamte Mischung in eine Audiodatei schreiben</translation>
    </message>
    <message>
        <source>Export CD Tracks to Audio Files...</source>
        <translation>CD-Titel in Audiodateien exportieren...</translation>
    </message>
    <message>
        <source>Write one audio file per CD track into a folder</source>
        <translation>Für jeden CD-Titel eine Audiodatei in einen Ordner schreiben</translation>
    </message>
    <message>
        <source>Record...</source>
        <translation>Aufnehmen...</translation>
    </message>
    <message>
        <source>Record a new take at the cursor of the current track</source>
        <translation>An der Cursorposition der aktuellen Spur eine neue Aufnahme machen</translation>
    </message>
    <message>
        <source>&amp;Erase CD Rewritable...</source>
        <translation>Wiederbeschreibbare CD &amp;löschen...</translation>
    </message>
    <message>
        <source>Erase a rewritable CD</source>
        <translation>Eine wiederbeschreibbare CD löschen</translation>
    </message>
    <message>
        <source>Open in Varda &amp;Cover Designer...</source>
        <translation>Im Varda &amp;Cover Designer öffnen...</translation>
    </message>
    <message>
        <source>Hand the CD track list to the cover designer</source>
        <translation>Die CD-Titelliste an den Cover Designer übergeben</translation>
    </message>
    <message>
        <source>Device Settings...</source>
        <translation>Geräteeinstellungen...</translation>
    </message>
    <message>
        <source>Choose the sound devices that record and play</source>
        <translation>Die Audiogeräte für Aufnahme und Wiedergabe wählen</translation>
    </message>
    <message>
        <source>Autosave failed: %1</source>
        <translation>Automatisches Speichern fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Search for the missing audio files</source>
        <translation>Nach den fehlenden Audiodateien suchen</translation>
    </message>
</context>
<context>
    <name>CMasterView</name>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>Pan</source>
        <translation>Panorama</translation>
    </message>
</context>
<context>
    <name>CTrackInfoView</name>
    <message>
        <source>Volume</source>
        <translation>Pegel</translation>
    </message>
    <message>
        <source>Pan</source>
        <translation>Pan</translation>
    </message>
    <message>
        <source>FX G%1</source>
        <translation>FX G%1</translation>
    </message>
    <message>
        <source>Assignable Effect Group %1</source>
        <translation>Zuweisbare Effektgruppe %1</translation>
    </message>
    <message>
        <source>Add Assignable Effect Group</source>
        <translation>Zuweisbare Effektgruppe hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Edit Assignable Effect Groups...</source>
        <translation>Zuweisbare Effektgruppen &amp;bearbeiten...</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Master</source>
        <translation>Master</translation>
    </message>
    <message>
        <source>Volume Slider (range -40 dB to +12 dB)</source>
        <translation>Lautstärkeregler (Bereich -40 dB bis +12 dB)</translation>
    </message>
    <message>
        <source>Pan Slider (range -100% = left to 100% = right)</source>
        <translation>Panoramaregler (Bereich -100% = links bis 100% = rechts)</translation>
    </message>
    <message>
        <source>Start or stop track playback</source>
        <translation>Wiedergabe der Spur starten oder anhalten</translation>
    </message>
    <message>
        <source>Track Level Meter (range -60 dB to 0 dB)</source>
        <translation>Pegelanzeige der Spur (Bereich -60 dB bis 0 dB)</translation>
    </message>
</context>
<context>
    <name>CdTrackExportDialog</name>
    <message>
        <source>Export CD Tracks to Audio Files</source>
        <translation>CD-Titel in Audiodateien exportieren</translation>
    </message>
    <message>
        <source>Destination File Name</source>
        <translation>Name der Zieldatei</translation>
    </message>
    <message>
        <source>Track Number</source>
        <translation>Titelnummer</translation>
    </message>
    <message>
        <source>Destination Folder:</source>
        <translation>Zielordner:</translation>
    </message>
    <message>
        <source>A track with the same destination already exists.</source>
        <translation>Es gibt bereits einen CD-Titel mit demselben Ziel.</translation>
    </message>
    <message>
        <source>Please choose a new folder:</source>
        <translation>Bitte einen neuen Ordner wählen:</translation>
    </message>
</context>
<context>
    <name>ClipTool</name>
    <message>
        <source>Match Tempos...</source>
        <translation>Tempi angleichen...</translation>
    </message>
    <message>
        <source>Edit Audio File in Wave Editor...</source>
        <translation>Audiodatei im Wave-Editor bearbeiten...</translation>
    </message>
    <message>
        <source>Delete Selected Audio Clip(s)</source>
        <translation>Ausgewählte(n) Audioclip(s) löschen</translation>
    </message>
    <message>
        <source>Select all Following Files</source>
        <translation>Alle folgenden Dateien auswählen</translation>
    </message>
    <message>
        <source>In selected track</source>
        <translation>In der ausgewählten Spur</translation>
    </message>
    <message>
        <source>All tracks</source>
        <translation>In allen Spuren</translation>
    </message>
    <message>
        <source>Change Color of Selected Audio File(s)...</source>
        <translation>Farbe der ausgewählten Audiodatei(en) ändern...</translation>
    </message>
    <message>
        <source>&amp;Linear Crossfade</source>
        <translation>&amp;Lineare Überblendung</translation>
    </message>
    <message>
        <source>&amp;Logarithmic Crossfade</source>
        <translation>L&amp;ogarithmische Überblendung</translation>
    </message>
    <message>
        <source>&amp;Exponential Crossfade</source>
        <translation>&amp;Exponentielle Überblendung</translation>
    </message>
    <message>
        <source>Sinusodial Crossfade</source>
        <translation>Sinusförmige Überblendung</translation>
    </message>
    <message>
        <source>No Crossfade</source>
        <translation>Keine Überblendung</translation>
    </message>
</context>
<context>
    <name>CoverPainter</name>
    <message>
        <source>Audio CD</source>
        <translation>Audio-CD</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Titel %1</translation>
    </message>
    <message>
        <source>Total %1</source>
        <translation>Gesamt %1</translation>
    </message>
</context>
<context>
    <name>CrossfadeTempoDialog</name>
    <message>
        <source>%1 BPM</source>
        <translation>%1 BPM</translation>
    </message>
</context>
<context>
    <name>CurveTool</name>
    <message>
        <source>Pan: %1 %</source>
        <translation>Panorama: %1 %</translation>
    </message>
    <message>
        <source>Vol: %1 dB</source>
        <translation>Lautst.: %1 dB</translation>
    </message>
    <message>
        <source>Pan Curve</source>
        <translation>Panoramakurve</translation>
    </message>
    <message>
        <source>Volume Curve</source>
        <translation>Lautstärkekurve</translation>
    </message>
    <message>
        <source>Edit Curve Point...</source>
        <translation>Kurvenpunkt bearbeiten...</translation>
    </message>
    <message>
        <source>Remove Curve Point</source>
        <translation>Kurvenpunkt entfernen</translation>
    </message>
    <message>
        <source>Reset Curve</source>
        <translation>Kurve zurücksetzen</translation>
    </message>
    <message>
        <source>Remove Curve</source>
        <translation>Kurve entfernen</translation>
    </message>
</context>
<context>
    <name>DemoProject</name>
    <message>
        <source>Cannot write %1.</source>
        <translation>%1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Cannot create %1.</source>
        <translation>%1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Cannot open %1 as a clip.</source>
        <translation>%1 kann nicht als Clip geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>DestinationDialog</name>
    <message>
        <source>Export to Audio File</source>
        <translation>In Audiodatei exportieren</translation>
    </message>
</context>
<context>
    <name>DeviceSettingsDialog</name>
    <message>
        <source>Device Settings</source>
        <translation>Geräteeinstellungen</translation>
    </message>
    <message>
        <source>Input Device:</source>
        <translation>Eingabegerät:</translation>
    </message>
    <message>
        <source>Output Device:</source>
        <translation>Ausgabegerät:</translation>
    </message>
    <message>
        <source>(wave mapper)</source>
        <translation>(Standardgerät)</translation>
    </message>
</context>
<context>
    <name>Effects</name>
    <message>
        <source>Declick</source>
        <translation>Knackser entfernen</translation>
    </message>
    <message>
        <source>Decrackle</source>
        <translation>Knistern entfernen</translation>
    </message>
    <message>
        <source>Removed only</source>
        <translation>Nur Entferntes</translation>
    </message>
    <message>
        <source>Click Reduction</source>
        <translation>Knackserentfernung</translation>
    </message>
    <message>
        <source>Restoration</source>
        <translation>Restaurierung</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Schwelle</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Ratio</source>
        <translation>Verhältnis</translation>
    </message>
    <message>
        <source>:1</source>
        <translation>:1</translation>
    </message>
    <message>
        <source>Attack</source>
        <translation>Ansprechzeit</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Release</source>
        <translation>Abklingzeit</translation>
    </message>
    <message>
        <source>Knee</source>
        <translation>Knie</translation>
    </message>
    <message>
        <source>Make-up gain</source>
        <translation>Aufholverstärkung</translation>
    </message>
    <message>
        <source>Compressor</source>
        <translation>Kompressor</translation>
    </message>
    <message>
        <source>Dynamics</source>
        <translation>Dynamik</translation>
    </message>
    <message>
        <source>Low shelf frequency</source>
        <translation>Low-Shelf-Frequenz</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>Low shelf gain</source>
        <translation>Low-Shelf-Verstärkung</translation>
    </message>
    <message>
        <source>Band 1 frequency</source>
        <translation>Band 1: Frequenz</translation>
    </message>
    <message>
        <source>Band 1 gain</source>
        <translation>Band 1: Verstärkung</translation>
    </message>
    <message>
        <source>Band 1 Q</source>
        <translation>Band 1: Güte</translation>
    </message>
    <message>
        <source>Band 2 frequency</source>
        <translation>Band 2: Frequenz</translation>
    </message>
    <message>
        <source>Band 2 gain</source>
        <translation>Band 2: Verstärkung</translation>
    </message>
    <message>
        <source>Band 2 Q</source>
        <translation>Band 2: Güte</translation>
    </message>
    <message>
        <source>Band 3 frequency</source>
        <translation>Band 3: Frequenz</translation>
    </message>
    <message>
        <source>Band 3 gain</source>
        <translation>Band 3: Verstärkung</translation>
    </message>
    <message>
        <source>Band 3 Q</source>
        <translation>Band 3: Güte</translation>
    </message>
    <message>
        <source>High shelf frequency</source>
        <translation>High-Shelf-Frequenz</translation>
    </message>
    <message>
        <source>High shelf gain</source>
        <translation>High-Shelf-Verstärkung</translation>
    </message>
    <message>
        <source>High-pass</source>
        <translation>Hochpass</translation>
    </message>
    <message>
        <source>High-pass frequency</source>
        <translation>Hochpass-Frequenz</translation>
    </message>
    <message>
        <source>Low-pass</source>
        <translation>Tiefpass</translation>
    </message>
    <message>
        <source>Low-pass frequency</source>
        <translation>Tiefpass-Frequenz</translation>
    </message>
    <message>
        <source>Output gain</source>
        <translation>Ausgangsverstärkung</translation>
    </message>
    <message>
        <source>Parametric Equaliser</source>
        <translation>Parametrischer Equalizer</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Verstärkung</translation>
    </message>
    <message>
        <source>Balance</source>
        <translation>Balance</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>Invert polarity</source>
        <translation>Polarität umkehren</translation>
    </message>
    <message>
        <source>Mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>Gain and Balance</source>
        <translation>Verstärkung und Balance</translation>
    </message>
    <message>
        <source>Input gain</source>
        <translation>Eingangsverstärkung</translation>
    </message>
    <message>
        <source>Ceiling</source>
        <translation>Obergrenze</translation>
    </message>
    <message>
        <source>Look-ahead</source>
        <translation>Vorausschau</translation>
    </message>
    <message>
        <source>Limiter</source>
        <translation>Limiter</translation>
    </message>
    <message>
        <source>Denoise</source>
        <translation>Rauschen entfernen</translation>
    </message>
    <message>
        <source>Derumble</source>
        <translation>Rumpeln entfernen</translation>
    </message>
    <message>
        <source>Dehum</source>
        <translation>Brummen entfernen</translation>
    </message>
    <message>
        <source>Noise Reduction</source>
        <translation>Rauschunterdrückung</translation>
    </message>
    <message>
        <source>Room size</source>
        <translation>Raumgröße</translation>
    </message>
    <message>
        <source>Damping</source>
        <translation>Dämpfung</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Stereobreite</translation>
    </message>
    <message>
        <source>Pre-delay</source>
        <translation>Vorverzögerung</translation>
    </message>
    <message>
        <source>Reverb level</source>
        <translation>Hallanteil</translation>
    </message>
    <message>
        <source>Dry level</source>
        <translation>Direktanteil</translation>
    </message>
    <message>
        <source>Reverb</source>
        <translation>Hall</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>Raum</translation>
    </message>
    <message>
        <source>Hall</source>
        <translation>Saal</translation>
    </message>
    <message>
        <source>Plate</source>
        <translation>Plattenhall</translation>
    </message>
    <message>
        <source>Left time</source>
        <translation>Zeit links</translation>
    </message>
    <message>
        <source>Right time</source>
        <translation>Zeit rechts</translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation>Rückkopplung</translation>
    </message>
    <message>
        <source>Cross-feed</source>
        <translation>Kreuzkopplung</translation>
    </message>
    <message>
        <source>High cut</source>
        <translation>Höhenfilter</translation>
    </message>
    <message>
        <source>Echo level</source>
        <translation>Echopegel</translation>
    </message>
    <message>
        <source>Stereo Delay</source>
        <translation>Stereo-Delay</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>Effekte</translation>
    </message>
    <message>
        <source>Enhancement</source>
        <translation>Klangverbesserung</translation>
    </message>
</context>
<context>
    <name>FileDialogFilters</name>
    <message>
        <source>Playlist File (*.pls; *.m3u)|*.pls;*.m3u|</source>
        <translation>Wiedergabeliste (*.pls; *.m3u)|*.pls;*.m3u|</translation>
    </message>
</context>
<context>
    <name>FileTypes</name>
    <message>
        <source>Wave audio (*.wav)</source>
        <translation>Wave-Audio (*.wav)</translation>
    </message>
    <message>
        <source>AIFF audio (*.aiff)</source>
        <translation>AIFF-Audio (*.aiff)</translation>
    </message>
    <message>
        <source>FLAC lossless audio (*.flac)</source>
        <translation>Verlustfreies FLAC-Audio (*.flac)</translation>
    </message>
    <message>
        <source>Ogg Vorbis audio (*.ogg)</source>
        <translation>Ogg-Vorbis-Audio (*.ogg)</translation>
    </message>
    <message>
        <source>Opus audio (*.opus)</source>
        <translation>Opus-Audio (*.opus)</translation>
    </message>
    <message>
        <source>MP3 audio (*.mp3)</source>
        <translation>MP3-Audio (*.mp3)</translation>
    </message>
    <message>
        <source>Wave files</source>
        <translation>Wave-Dateien</translation>
    </message>
    <message>
        <source>RF64 files</source>
        <translation>RF64-Dateien</translation>
    </message>
    <message>
        <source>AIFF files</source>
        <translation>AIFF-Dateien</translation>
    </message>
    <message>
        <source>FLAC files</source>
        <translation>FLAC-Dateien</translation>
    </message>
    <message>
        <source>Ogg Vorbis files</source>
        <translation>Ogg-Vorbis-Dateien</translation>
    </message>
    <message>
        <source>Opus files</source>
        <translation>Opus-Dateien</translation>
    </message>
    <message>
        <source>MP3 files</source>
        <translation>MP3-Dateien</translation>
    </message>
    <message>
        <source>Core Audio files</source>
        <translation>Core-Audio-Dateien</translation>
    </message>
    <message>
        <source>Wave 64 files</source>
        <translation>Wave64-Dateien</translation>
    </message>
    <message>
        <source>All audio files</source>
        <translation>Alle Audiodateien</translation>
    </message>
</context>
<context>
    <name>InsertPlaylistDialog</name>
    <message>
        <source>Insert Playlist</source>
        <translation>Wiedergabeliste einfügen</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Crossfade between clips</source>
        <translation>Überblendung zwischen Clips</translation>
    </message>
    <message>
        <source>Compilation Options</source>
        <translation>Optionen der Zusammenstellung</translation>
    </message>
    <message>
        <source>Time in seconds:</source>
        <translation>Zeit in Sekunden:</translation>
    </message>
    <message>
        <source>Audio Files to Import:</source>
        <translation>Zu importierende Audiodateien:</translation>
    </message>
</context>
<context>
    <name>MarkerStripTool</name>
    <message>
        <source>(no entry)</source>
        <translation>(kein Eintrag)</translation>
    </message>
    <message>
        <source>Title: %1, Artist: %2</source>
        <translation>Titel: %1, Interpret: %2</translation>
    </message>
    <message>
        <source>Remove Label</source>
        <translation>Marke entfernen</translation>
    </message>
    <message>
        <source>Properties...</source>
        <translation>Eigenschaften...</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Unexpected file format.</source>
        <translation>Unerwartetes Dateiformat.</translation>
    </message>
    <message>
        <source>Unable to create instance of class com interface (ClassCom Error).</source>
        <translation>Die Instanz der Klassenschnittstelle konnte nicht erzeugt werden (ClassCom-Fehler).</translation>
    </message>
    <message>
        <source>This operation deletes the track and its entire content. Are you sure you want to proceed?</source>
        <translation>Dieser Vorgang löscht die Spur mit ihrem gesamten Inhalt. Wirklich fortfahren?</translation>
    </message>
    <message>
        <source>Unable to create a new audio file. Please select a new location.</source>
        <translation>Es konnte keine neue Audiodatei angelegt werden. Bitte einen anderen Speicherort wählen.</translation>
    </message>
    <message>
        <source>Cannot open "%1": %2</source>
        <translation>„%1“ kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot save "%1": %2</source>
        <translation>„%1“ kann nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>Could not measure tempo of clips.</source>
        <translation>Das Tempo der Clips konnte nicht gemessen werden.</translation>
    </message>
    <message>
        <source>The two clips have the same tempo</source>
        <translation>Die beiden Clips haben dasselbe Tempo</translation>
    </message>
    <message>
        <source>Only projects with two channels can be exported.</source>
        <translation>Nur Projekte mit zwei Kanälen können exportiert werden.</translation>
    </message>
    <message>
        <source>A track with the same destination already exists.</source>
        <translation>Es gibt bereits einen CD-Titel mit demselben Ziel.</translation>
    </message>
    <message>
        <source>An error occurred while trying to open the audio input device.</source>
        <translation>Beim Öffnen des Audio-Eingabegeräts ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>The audio input device stopped delivering sound. What was recorded so far is kept.</source>
        <translation>Das Audio-Eingabegerät liefert keinen Ton mehr. Das bisher Aufgenommene bleibt erhalten.</translation>
    </message>
    <message>
        <source>An error occurred while trying to open the wave output device.</source>
        <translation>Beim Öffnen des Audio-Ausgabegeräts ist ein Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>Please insert a CDR or just click OK if you are using the Image Recorder.</source>
        <translation>Bitte einen CD-R-Rohling einlegen oder einfach auf OK klicken, wenn der Image-Recorder verwendet wird.</translation>
    </message>
    <message>
        <source>The inserted CD-RW is not empty. Do you wish to erase the disc?</source>
        <translation>Die eingelegte CD-RW ist nicht leer. Soll die Disc gelöscht werden?</translation>
    </message>
    <message>
        <source>An error occurred while trying to access the VardaAPI</source>
        <translation>Beim Zugriff auf die VardaAPI ist ein Fehler aufgetreten</translation>
    </message>
    <message>
        <source>VardaAPI was not able to open the selected CD device.</source>
        <translation>Die VardaAPI konnte das ausgewählte CD-Laufwerk nicht öffnen.</translation>
    </message>
    <message>
        <source>There are too many CD tracks in the project. The Audio CD standard does not support more than 98 CD tracks. Some CD tracks were truncated</source>
        <translation>Das Projekt enthält zu viele CD-Titel. Der Audio-CD-Standard erlaubt höchstens 98 CD-Titel. Einige CD-Titel wurden abgeschnitten</translation>
    </message>
    <message>
        <source>The project has no CD tracks to burn.</source>
        <translation>Das Projekt enthält keine CD-Titel zum Brennen.</translation>
    </message>
    <message>
        <source>There is no CD-RW in the recorder</source>
        <translation>Im Brenner liegt keine CD-RW</translation>
    </message>
    <message>
        <source>The selected recorder does not support CD-RW</source>
        <translation>Der ausgewählte Brenner unterstützt keine CD-RW</translation>
    </message>
    <message>
        <source>The inserted CD is not rewritable</source>
        <translation>Die eingelegte CD ist nicht wiederbeschreibbar</translation>
    </message>
    <message>
        <source>(fixed speed)</source>
        <translation>(feste Geschwindigkeit)</translation>
    </message>
    <message>
        <source>No compatible recorders were found on this system</source>
        <translation>Auf diesem System wurden keine kompatiblen Brenner gefunden</translation>
    </message>
    <message>
        <source>The entered sample rate was invalid. Please enter a number between 4000 and 96000. The changes were discarded.</source>
        <translation>Die eingegebene Abtastrate war ungültig. Bitte eine Zahl zwischen 4000 und 96000 eingeben. Die Änderungen wurden verworfen.</translation>
    </message>
    <message>
        <source>A catalogue number has exactly 13 digits.</source>
        <translation>Eine Katalognummer hat genau 13 Ziffern.</translation>
    </message>
    <message>
        <source>These audio files of the project were not found:</source>
        <translation>Diese Audiodateien des Projekts wurden nicht gefunden:</translation>
    </message>
    <message>
        <source>Audio files of the project are missing. Search a folder for them (by name and size)?</source>
        <translation>Audiodateien des Projekts fehlen. Soll ein Ordner nach ihnen durchsucht werden (nach Name und Größe)?</translation>
    </message>
    <message>
        <source>Do you want to keep what was recorded?</source>
        <translation>Soll das Aufgenommene behalten werden?</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>This operation will remove the content of the current project. Do you want to proceed?</source>
        <translation>Dieser Vorgang entfernt den Inhalt des aktuellen Projekts. Wirklich fortfahren?</translation>
    </message>
    <message>
        <source>Do you want to keep the recording?</source>
        <translation>Soll die Aufnahme behalten werden?</translation>
    </message>
    <message>
        <source>Step %1 of %2:</source>
        <translation>Schritt %1 von %2:</translation>
    </message>
    <message>
        <source>An audio file of the project cannot be opened.</source>
        <translation>Eine Audiodatei des Projekts kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The audio file "%1" cannot be opened.</source>
        <translation>Die Audiodatei „%1“ kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The effect %1 is not installed.</source>
        <translation>Der Effekt %1 ist nicht installiert.</translation>
    </message>
    <message>
        <source>The effect "%1" (%2) cannot be created.</source>
        <translation>Der Effekt „%1“ (%2) kann nicht erzeugt werden.</translation>
    </message>
    <message>
        <source>%1 (code %2)</source>
        <translation>%1 (Code %2)</translation>
    </message>
    <message>
        <source>The path of the image file is too long: %1</source>
        <translation>Der Pfad der Image-Datei ist zu lang: %1</translation>
    </message>
    <message>
        <source>The track file %1 cannot be written.</source>
        <translation>Die Titeldatei %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>CD track %1 could not be rendered: %2</source>
        <translation>CD-Titel %1 konnte nicht berechnet werden: %2</translation>
    </message>
    <message>
        <source>CD track %1 could not be rendered.</source>
        <translation>CD-Titel %1 konnte nicht berechnet werden.</translation>
    </message>
    <message>
        <source>CD track %1 could not be rendered completely.</source>
        <translation>CD-Titel %1 konnte nicht vollständig berechnet werden.</translation>
    </message>
    <message>
        <source>The Temporary folder's path is too long for the track files: %1</source>
        <translation>Der Pfad des temporären Ordners ist für die Titeldateien zu lang: %1</translation>
    </message>
    <message>
        <source>The project could not be measured for normalisation.</source>
        <translation>Das Projekt konnte für die Normalisierung nicht gemessen werden.</translation>
    </message>
    <message>
        <source>The old track file %1 cannot be removed.</source>
        <translation>Die alte Titeldatei %1 kann nicht entfernt werden.</translation>
    </message>
    <message>
        <source>CD track %1 could not be measured for normalisation.</source>
        <translation>CD-Titel %1 konnte für die Normalisierung nicht gemessen werden.</translation>
    </message>
    <message>
        <source>The written disc cannot be read back for verification (%1).</source>
        <translation>Die geschriebene Disc kann zur Überprüfung nicht zurückgelesen werden (%1).</translation>
    </message>
    <message>
        <source>The written disc has %1 tracks, not %2.</source>
        <translation>Die geschriebene Disc hat %1 Titel statt %2.</translation>
    </message>
    <message>
        <source>The image's BIN file cannot be read back for verification (%1).</source>
        <translation>Die BIN-Datei des Images kann zur Überprüfung nicht zurückgelesen werden (%1).</translation>
    </message>
    <message>
        <source>The track file %1 cannot be read for verification.</source>
        <translation>Die Titeldatei %1 kann zur Überprüfung nicht gelesen werden.</translation>
    </message>
    <message>
        <source>CD track %1 cannot be read back at block %2.</source>
        <translation>CD-Titel %1 kann bei Block %2 nicht zurückgelesen werden.</translation>
    </message>
    <message>
        <source>Verification failed: CD track %1 differs from its file at block %2.</source>
        <translation>Überprüfung fehlgeschlagen: CD-Titel %1 weicht bei Block %2 von seiner Datei ab.</translation>
    </message>
    <message>
        <source>CD track %1 could not be measured: %2</source>
        <translation>CD-Titel %1 konnte nicht gemessen werden: %2</translation>
    </message>
    <message>
        <source>CD track %1 could not be measured.</source>
        <translation>CD-Titel %1 konnte nicht gemessen werden.</translation>
    </message>
    <message>
        <source>An Audio CD holds 1 to 99 tracks.</source>
        <translation>Eine Audio-CD enthält 1 bis 99 Titel.</translation>
    </message>
    <message>
        <source>The first CD track needs a pause of at least 2 seconds.</source>
        <translation>Der erste CD-Titel braucht eine Pause von mindestens 2 Sekunden.</translation>
    </message>
    <message>
        <source>The project's title or artist contains a quotation mark or a control character, which CD-TEXT in a disc image cannot hold.</source>
        <translation>Titel oder Interpret des Projekts enthalten ein Anführungszeichen oder ein Steuerzeichen, das CD-TEXT in einem Disc-Image nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>CD track %1 has more than 98 indexes.</source>
        <translation>CD-Titel %1 hat mehr als 98 Indizes.</translation>
    </message>
    <message>
        <source>CD track %1 is shorter than 4 seconds. The Audio CD standard requires at least 4 seconds per track.</source>
        <translation>CD-Titel %1 ist kürzer als 4 Sekunden. Der Audio-CD-Standard verlangt mindestens 4 Sekunden pro Titel.</translation>
    </message>
    <message>
        <source>CD track %1 (%2) is shorter than 4 seconds. The Audio CD standard requires at least 4 seconds per track.</source>
        <translation>CD-Titel %1 (%2) ist kürzer als 4 Sekunden. Der Audio-CD-Standard verlangt mindestens 4 Sekunden pro Titel.</translation>
    </message>
    <message>
        <source>The CD-TEXT of CD track %1 contains a quotation mark or a control character, which CD-TEXT in a disc image cannot hold.</source>
        <translation>Der CD-TEXT von CD-Titel %1 enthält ein Anführungszeichen oder ein Steuerzeichen, das CD-TEXT in einem Disc-Image nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>The ISRC of CD track %1 (%2) is not valid. %3</source>
        <translation>Der ISRC von CD-Titel %1 (%2) ist ungültig. %3</translation>
    </message>
    <message>
        <source>The disc's catalogue number (%1) is not valid. %2</source>
        <translation>Die Katalognummer der Disc (%1) ist ungültig. %2</translation>
    </message>
    <message>
        <source>The project is %1 long and does not fit on the %2 the %3-minute CD in the recorder holds.</source>
        <translation>Das Projekt ist %1 lang und passt nicht auf die %2, die die %3-Minuten-CD im Brenner fasst.</translation>
    </message>
    <message>
        <source>The project is %1 long and does not fit on the %2 the largest CD holds.</source>
        <translation>Das Projekt ist %1 lang und passt nicht auf die %2, die die größte CD fasst.</translation>
    </message>
    <message>
        <source>The CD-TEXT is too long: it needs %1 packs, and a CD holds %2. Shorten the titles or artists.</source>
        <translation>Der CD-TEXT ist zu lang: Er braucht %1 Pakete, eine CD fasst %2. Bitte Titel oder Interpreten kürzen.</translation>
    </message>
    <message>
        <source>An ISRC has 12 characters: 2 letters (country), 3 letters or digits (owner), 2 digits (year) and 5 digits, as in USS1Z9900001.</source>
        <translation>Ein ISRC hat 12 Zeichen: 2 Buchstaben (Land), 3 Buchstaben oder Ziffern (Rechteinhaber), 2 Ziffern (Jahr) und 5 Ziffern, wie in USS1Z9900001.</translation>
    </message>
    <message>
        <source>The project "%1" was not closed properly. Changes to it were saved for recovery. Recover them?</source>
        <translation>Das Projekt „%1“ wurde nicht ordnungsgemäß geschlossen. Seine Änderungen wurden zur Wiederherstellung gesichert. Sollen sie wiederhergestellt werden?</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>CD track %1 cannot reach %2 LUFS without a true peak above %3 dBTP and was lowered.</source>
        <translation>CD-Titel %1 kann %2 LUFS nicht ohne einen True Peak über %3 dBTP erreichen und wurde leiser gemacht.</translation>
    </message>
    <message>
        <source>CD tracks %1 cannot reach %2 LUFS without a true peak above %3 dBTP and were lowered.</source>
        <translation>Die CD-Titel %1 können %2 LUFS nicht ohne einen True Peak über %3 dBTP erreichen und wurden leiser gemacht.</translation>
    </message>
    <message>
        <source>File %1 cannot reach %2 LUFS without a true peak above %3 dBTP and was lowered.</source>
        <translation>Datei %1 kann %2 LUFS nicht ohne einen True Peak über %3 dBTP erreichen und wurde leiser gemacht.</translation>
    </message>
    <message>
        <source>Files %1 cannot reach %2 LUFS without a true peak above %3 dBTP and were lowered.</source>
        <translation>Die Dateien %1 können %2 LUFS nicht ohne einen True Peak über %3 dBTP erreichen und wurden leiser gemacht.</translation>
    </message>
    <message>
        <source>The disc-burning library reported an unknown error.</source>
        <translation>Die Brennbibliothek hat einen unbekannten Fehler gemeldet.</translation>
    </message>
    <message>
        <source>Two CD tracks start at the same position (%1).</source>
        <translation>Zwei CD-Titel beginnen an derselben Position (%1).</translation>
    </message>
    <message>
        <source>These characters cannot be written as CD-TEXT and will be replaced by '?': %1</source>
        <translation>Diese Zeichen können nicht als CD-TEXT geschrieben werden und werden durch '?' ersetzt: %1</translation>
    </message>
    <message>
        <source>The disc runs %1, past the 80 minutes of a standard CD-R. It needs a 90- or 99-minute blank, and some CD players and drives cannot read beyond 80 minutes. Write it anyway?</source>
        <translation>Die Disc hat eine Spielzeit von %1 und überschreitet damit die 80 Minuten eines Standard-CD-R-Rohlings. Sie braucht einen 90- oder 99-Minuten-Rohling, und manche CD-Player und Laufwerke können über 80 Minuten hinaus nicht lesen. Trotzdem schreiben?</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>%1 hours</source>
        <translation>%1 Stunden</translation>
    </message>
    <message>
        <source>%1x (%2 KB per second)</source>
        <translation>%1x (%2 KB pro Sekunde)</translation>
    </message>
    <message>
        <source>Unable to create file %1.</source>
        <translation>Die Datei %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Unable to write to file %1. The recording was paused.</source>
        <translation>In die Datei %1 kann nicht geschrieben werden. Die Aufnahme wurde angehalten.</translation>
    </message>
    <message>
        <source>%1, %2% done</source>
        <translation>%1, %2 % erledigt</translation>
    </message>
    <message>
        <source>Preparing Audio Data</source>
        <translation>Audiodaten werden vorbereitet</translation>
    </message>
    <message>
        <source>Verifying</source>
        <translation>Überprüfen</translation>
    </message>
    <message>
        <source>Measuring Loudness</source>
        <translation>Lautheit wird gemessen</translation>
    </message>
    <message>
        <source>Simulating</source>
        <translation>Simulieren</translation>
    </message>
    <message>
        <source>Writing disc image</source>
        <translation>Disc-Image wird geschrieben</translation>
    </message>
    <message>
        <source>Image written</source>
        <translation>Image geschrieben</translation>
    </message>
    <message>
        <source>Writing</source>
        <translation>Schreiben</translation>
    </message>
    <message>
        <source>Exporting</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>%1
%2</source>
        <translation>%1
%2</translation>
    </message>
    <message>
        <source>The project is empty.</source>
        <translation>Das Projekt ist leer.</translation>
    </message>
    <message>
        <source>The export was cancelled.</source>
        <translation>Der Export wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The FLAC file could not be written.</source>
        <translation>Die FLAC-Datei konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The CUE sheet could not be embedded in %1: %2</source>
        <translation>Das CUE-Sheet konnte nicht in %1 eingebettet werden: %2</translation>
    </message>
    <message>
        <source>Cannot write %1.</source>
        <translation>%1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>'%1' carries no CUE sheet.</source>
        <translation>„%1“ enthält kein CUE-Sheet.</translation>
    </message>
    <message>
        <source>Cannot open '%1'.</source>
        <translation>„%1“ kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The audio file '%1' of the CUE sheet cannot be opened.</source>
        <translation>Die Audiodatei „%1“ des CUE-Sheets kann nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>This is not a CUE sheet that can be read.</source>
        <translation>Dies ist kein lesbares CUE-Sheet.</translation>
    </message>
    <message>
        <source>Track %1 of the CUE sheet is no audio track.</source>
        <translation>Titel %1 des CUE-Sheets ist kein Audiotitel.</translation>
    </message>
    <message>
        <source>The CUE sheet has no tracks.</source>
        <translation>Das CUE-Sheet enthält keine Titel.</translation>
    </message>
    <message>
        <source>The project's title or artist contains a quotation mark, which a CUE sheet cannot hold.</source>
        <translation>Titel oder Interpret des Projekts enthalten ein Anführungszeichen, das ein CUE-Sheet nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>The CD-TEXT of CD track %1 contains a quotation mark, which a CUE sheet cannot hold.</source>
        <translation>Der CD-TEXT von CD-Titel %1 enthält ein Anführungszeichen, das ein CUE-Sheet nicht aufnehmen kann.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Print Cover</source>
        <translation>Cover drucken</translation>
    </message>
    <message>
        <source>Select the recording input and adjust the input level using the level slider until the level meters are mostly in the yellow area when an audio signal is present. Click the red record button to start recording.</source>
        <translation>Wählen Sie den Aufnahmeeingang und stellen Sie den Eingangspegel mit dem Pegelregler so ein, dass die Pegelanzeigen bei anliegendem Signal überwiegend im gelben Bereich liegen. Klicken Sie auf die rote Aufnahmetaste, um die Aufnahme zu starten.</translation>
    </message>
    <message>
        <source>LP to CD Wizard</source>
        <translation>Assistent Schallplatte auf CD</translation>
    </message>
    <message>
        <source>Cassette to CD Wizard</source>
        <translation>Assistent Kassette auf CD</translation>
    </message>
</context>
<context>
    <name>RecordingConsole</name>
    <message>
        <source>Recording Console</source>
        <translation>Aufnahmekonsole</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufnehmen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Pause recording after 20 seconds of silence</source>
        <translation>Aufnahme nach 20 Sekunden Stille anhalten</translation>
    </message>
    <message>
        <source>Change Target File...</source>
        <translation>Zieldatei ändern...</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Audio Input Line:</source>
        <translation>Audioeingang:</translation>
    </message>
    <message>
        <source>Recording Volume</source>
        <translation>Aufnahmepegel</translation>
    </message>
    <message>
        <source>Position: </source>
        <translation>Position: </translation>
    </message>
    <message>
        <source>Target disk drive:</source>
        <translation>Ziellaufwerk:</translation>
    </message>
    <message>
        <source>Target file name:</source>
        <translation>Name der Zieldatei:</translation>
    </message>
    <message>
        <source>Maximum recording time:</source>
        <translation>Maximale Aufnahmedauer:</translation>
    </message>
    <message>
        <source>Do you want to keep what was recorded?</source>
        <translation>Soll das Aufgenommene behalten werden?</translation>
    </message>
</context>
<context>
    <name>RecordingSettingsDialog</name>
    <message>
        <source>Recording Settings</source>
        <translation>Aufnahmeeinstellungen</translation>
    </message>
    <message>
        <source>Stereo recording</source>
        <translation>Stereoaufnahme</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>Auflösung:</translation>
    </message>
    <message>
        <source>Destination file:</source>
        <translation>Zieldatei:</translation>
    </message>
    <message>
        <source>8 bit</source>
        <translation>8 Bit</translation>
    </message>
    <message>
        <source>16 bit</source>
        <translation>16 Bit</translation>
    </message>
    <message>
        <source>24 bit</source>
        <translation>24 Bit</translation>
    </message>
    <message>
        <source>32 bit</source>
        <translation>32 Bit</translation>
    </message>
</context>
<context>
    <name>SaveOptionsDialog</name>
    <message>
        <source>%1 kbit/s</source>
        <translation>%1 kbit/s</translation>
    </message>
    <message>
        <source>As project</source>
        <translation>Wie im Projekt</translation>
    </message>
    <message>
        <source>16-bit</source>
        <translation>16 Bit</translation>
    </message>
    <message>
        <source>24-bit</source>
        <translation>24 Bit</translation>
    </message>
    <message>
        <source>32-bit</source>
        <translation>32 Bit</translation>
    </message>
    <message>
        <source>32-bit float</source>
        <translation>32 Bit Gleitkomma</translation>
    </message>
    <message>
        <source>FLAC compression level:</source>
        <translation>FLAC-Kompressionsstufe:</translation>
    </message>
    <message>
        <source>Ogg Vorbis quality:</source>
        <translation>Ogg-Vorbis-Qualität:</translation>
    </message>
    <message>
        <source>Opus quality:</source>
        <translation>Opus-Qualität:</translation>
    </message>
    <message>
        <source>MP3 bit rate:</source>
        <translation>MP3-Bitrate:</translation>
    </message>
    <message>
        <source>WAV and AIFF sample type:</source>
        <translation>Sample-Format für WAV und AIFF:</translation>
    </message>
    <message>
        <source>Save Options</source>
        <translation>Speicheroptionen</translation>
    </message>
</context>
<context>
    <name>TimeFormatter</name>
    <message>
        <source>m</source>
        <translation>m</translation>
    </message>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>%d:%.1d:%.3d</source>
        <translation>%d:%.1d:%.3d</translation>
    </message>
</context>
<context>
    <name>quillon::AssignableGroupsDialog</name>
    <message>
        <source>Add Group</source>
        <translation>Gruppe hinzufügen</translation>
    </message>
    <message>
        <source>Remove Group</source>
        <translation>Gruppe entfernen</translation>
    </message>
    <message>
        <source>Edit Effect Chain...</source>
        <translation>Effektkette bearbeiten...</translation>
    </message>
    <message>
        <source>Assignable Effect Groups</source>
        <translation>Zuweisbare Effektgruppen</translation>
    </message>
    <message>
        <source>Assignable Effect Group %1</source>
        <translation>Zuweisbare Effektgruppe %1</translation>
    </message>
    <message>
        <source>No effects</source>
        <translation>Keine Effekte</translation>
    </message>
    <message>
        <source>Effects: %1</source>
        <translation>Effekte: %1</translation>
    </message>
    <message>
        <source>Remove Assignable Effect Group %1 and its effects?</source>
        <translation>Zuweisbare Effektgruppe %1 samt ihren Effekten entfernen?</translation>
    </message>
</context>
<context>
    <name>quillon::AudioCdRecorderDialog</name>
    <message>
        <source>Simulate before recording</source>
        <translation>Vor dem Brennen simulieren</translation>
    </message>
    <message>
        <source>Test maximum speed before burning</source>
        <translation>Höchstgeschwindigkeit vor dem Brennen testen</translation>
    </message>
    <message>
        <source>Properties...</source>
        <translation>Eigenschaften...</translation>
    </message>
    <message>
        <source>Audio CD Recorder</source>
        <translation>Audio-CD brennen</translation>
    </message>
    <message>
        <source>Recorder:</source>
        <translation>Brenner:</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>Geschwindigkeit:</translation>
    </message>
    <message>
        <source>Track title (CD TEXT)</source>
        <translation>Titelname (CD-TEXT)</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Track Begin</source>
        <translation>Titelbeginn</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>Do not normalize</source>
        <translation>Nicht normalisieren</translation>
    </message>
    <message>
        <source>Normalize each CD track separately</source>
        <translation>Jeden CD-Titel einzeln normalisieren</translation>
    </message>
    <message>
        <source>Normalize globally</source>
        <translation>Gemeinsam normalisieren</translation>
    </message>
    <message>
        <source> dB</source>
        <translation> dB</translation>
    </message>
    <message>
        <source>Normalization:</source>
        <translation>Normalisierung:</translation>
    </message>
    <message>
        <source>Level:</source>
        <translation>Pegel:</translation>
    </message>
    <message>
        <source>Burn...</source>
        <translation>Brennen...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Save Disc Image</source>
        <translation>Disc-Image speichern</translation>
    </message>
    <message>
        <source>Image Files (*.cue);;All Files (*)</source>
        <translation>Image-Dateien (*.cue);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>13 digits</source>
        <translation>13 Ziffern</translation>
    </message>
    <message>
        <source>Catalogue number (MCN):</source>
        <translation>Katalognummer (MCN):</translation>
    </message>
    <message>
        <source>ISRC</source>
        <translation>ISRC</translation>
    </message>
    <message>
        <source>Match track loudness</source>
        <translation>Lautheit der Titel angleichen</translation>
    </message>
    <message>
        <source>Album loudness</source>
        <translation>Album-Lautheit</translation>
    </message>
    <message>
        <source> LUFS</source>
        <translation> LUFS</translation>
    </message>
    <message>
        <source>Loudness target:</source>
        <translation>Ziel-Lautheit:</translation>
    </message>
</context>
<context>
    <name>quillon::AudioFileExportDialog</name>
    <message>
        <source>Export to Audio File</source>
        <translation>In Audiodatei exportieren</translation>
    </message>
    <message>
        <source>Choose File...</source>
        <translation>Datei wählen...</translation>
    </message>
</context>
<context>
    <name>quillon::BurnProgressDialog</name>
    <message>
        <source>Not Burning</source>
        <translation>Brennen inaktiv</translation>
    </message>
    <message>
        <source>Burn progress</source>
        <translation>Brennfortschritt</translation>
    </message>
    <message>
        <source>Preparing Audio Data</source>
        <translation>Audiodaten werden vorbereitet</translation>
    </message>
    <message>
        <source>Current track:</source>
        <translation>Aktueller Titel:</translation>
    </message>
    <message>
        <source>Writing to CD</source>
        <translation>Schreiben auf CD</translation>
    </message>
    <message>
        <source>Burning Phase:</source>
        <translation>Brennphase:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>quillon::CAudioProperties</name>
    <message>
        <source>Use noise shaping when converting to lower bit depths</source>
        <translation>Beim Umwandeln in geringere Bittiefen Noise-Shaping verwenden</translation>
    </message>
    <message>
        <source>Use dithering when converting to lower bit depths</source>
        <translation>Beim Umwandeln in geringere Bittiefen Dithering verwenden</translation>
    </message>
    <message>
        <source>96000 Hz (HQ Mastering)</source>
        <translation>96000 Hz (HQ-Mastering)</translation>
    </message>
    <message>
        <source>48000 Hz (DAT)</source>
        <translation>48000 Hz (DAT)</translation>
    </message>
    <message>
        <source>44100 Hz (CD)</source>
        <translation>44100 Hz (CD)</translation>
    </message>
    <message>
        <source>32000 Hz (DAT Long Play)</source>
        <translation>32000 Hz (DAT Longplay)</translation>
    </message>
    <message>
        <source>22050 Hz</source>
        <translation>22050 Hz</translation>
    </message>
    <message>
        <source>11025 Hz</source>
        <translation>11025 Hz</translation>
    </message>
    <message>
        <source>8000 Hz (Telephone)</source>
        <translation>8000 Hz (Telefon)</translation>
    </message>
    <message>
        <source>8 Bit (Telephone)</source>
        <translation>8 Bit (Telefon)</translation>
    </message>
    <message>
        <source>16 Bit (CD and DAT)</source>
        <translation>16 Bit (CD und DAT)</translation>
    </message>
    <message>
        <source>24 Bit (HQ Mastering, packed)</source>
        <translation>24 Bit (HQ-Mastering, gepackt)</translation>
    </message>
    <message>
        <source>32 Bit (HQ Mastering, unpacked)</source>
        <translation>32 Bit (HQ-Mastering, ungepackt)</translation>
    </message>
    <message>
        <source>Rendering sample rate:</source>
        <translation>Abtastrate beim Rendern:</translation>
    </message>
    <message>
        <source>Rendering bit depth:</source>
        <translation>Bittiefe beim Rendern:</translation>
    </message>
    <message>
        <source>The entered sample rate was invalid. Please enter a number between 4000 and 96000. The changes were discarded.</source>
        <translation>Die eingegebene Abtastrate war ungültig. Bitte eine Zahl zwischen 4000 und 96000 eingeben. Die Änderungen wurden verworfen.</translation>
    </message>
</context>
<context>
    <name>quillon::CDirectoryPage</name>
    <message>
        <source>Temporary Directory:</source>
        <translation>Temporärer Ordner:</translation>
    </message>
    <message>
        <source>Preset Directory:</source>
        <translation>Ordner für Voreinstellungen:</translation>
    </message>
    <message>
        <source>Plug-In Directory:</source>
        <translation>Plug-in-Ordner:</translation>
    </message>
    <message>
        <source>Peak File Directory:</source>
        <translation>Ordner für Spitzenwertdateien:</translation>
    </message>
    <message>
        <source>My Music Directory:</source>
        <translation>Ordner „Eigene Musik“:</translation>
    </message>
    <message>
        <source>Please choose a new folder:</source>
        <translation>Bitte einen neuen Ordner wählen:</translation>
    </message>
</context>
<context>
    <name>quillon::CEffectChainEditor</name>
    <message>
        <source>Add &gt;&gt;</source>
        <translation>Hinzufügen &gt;&gt;</translation>
    </message>
    <message>
        <source>Preset &gt;&gt;</source>
        <translation>Voreinstellung &gt;&gt;</translation>
    </message>
    <message>
        <source>Effect Chain Editor</source>
        <translation>Effektketten-Editor</translation>
    </message>
    <message>
        <source>Master</source>
        <translation>Master</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Spur %1</translation>
    </message>
    <message>
        <source>FX G%1</source>
        <translation>FX G%1</translation>
    </message>
    <message>
        <source>(unnamed effect)</source>
        <translation>(unbenannter Effekt)</translation>
    </message>
    <message>
        <source>The preset file %1 is damaged; it is left as it is.</source>
        <translation>Die Voreinstellungsdatei %1 ist beschädigt; sie bleibt unverändert.</translation>
    </message>
    <message>
        <source>The presets could not be written to %1; the file is left as it was.</source>
        <translation>Die Voreinstellungen konnten nicht nach %1 geschrieben werden; die Datei bleibt, wie sie war.</translation>
    </message>
    <message>
        <source>Remove Effect</source>
        <translation>Effekt entfernen</translation>
    </message>
    <message>
        <source>Add Preset...</source>
        <translation>Voreinstellung hinzufügen...</translation>
    </message>
    <message>
        <source>Delete Preset...</source>
        <translation>Voreinstellung löschen...</translation>
    </message>
</context>
<context>
    <name>quillon::CGeneralPrefs</name>
    <message>
        <source>Automatically add CD track splits</source>
        <translation>CD-Titelgrenzen automatisch einfügen</translation>
    </message>
    <message>
        <source>Limit number of undo levels</source>
        <translation>Anzahl der Rückgängig-Schritte begrenzen</translation>
    </message>
    <message>
        <source>Maximum number of undo levels:</source>
        <translation>Höchstzahl der Rückgängig-Schritte:</translation>
    </message>
    <message>
        <source>Number of tracks in new projects:</source>
        <translation>Anzahl der Spuren in neuen Projekten:</translation>
    </message>
    <message>
        <source>Default duration of CD track splits (in seconds):</source>
        <translation>Standarddauer der CD-Titelpausen (in Sekunden):</translation>
    </message>
    <message>
        <source>Default Export File Format:</source>
        <translation>Standard-Exportformat:</translation>
    </message>
</context>
<context>
    <name>quillon::CMainFrame</name>
    <message>
        <source>Import CUE Sheet</source>
        <translation>CUE-Sheet importieren</translation>
    </message>
    <message>
        <source>CUE Sheets (*.cue);;FLAC Files with a CUE Sheet (*.flac);;All Files (*)</source>
        <translation>CUE-Sheets (*.cue);;FLAC-Dateien mit CUE-Sheet (*.flac);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Export as FLAC with CUE Sheet</source>
        <translation>Als FLAC mit CUE-Sheet exportieren</translation>
    </message>
    <message>
        <source>FLAC Files (*.flac)</source>
        <translation>FLAC-Dateien (*.flac)</translation>
    </message>
    <message>
        <source>Put the CUE sheet inside the FLAC file? (No writes it beside the file.)</source>
        <translation>Das CUE-Sheet in die FLAC-Datei einbetten? („Nein“ schreibt es neben die Datei.)</translation>
    </message>
</context>
<context>
    <name>quillon::CMultitrackerView</name>
    <message>
        <source>

Marked</source>
        <translation>

Markiert</translation>
    </message>
    <message>
        <source>Creating peak file, %1% done.</source>
        <translation>Spitzenwertdatei wird erstellt, %1% erledigt.</translation>
    </message>
    <message>
        <source>CD Track %1</source>
        <translation>CD-Titel %1</translation>
    </message>
    <message>
        <source>CD Index %1</source>
        <translation>CD-Index %1</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Duration of object: %1</source>
        <translation>Dauer des Objekts: %1</translation>
    </message>
</context>
<context>
    <name>quillon::CProjectInfoPage</name>
    <message>
        <source>Project Title:</source>
        <translation>Projekttitel:</translation>
    </message>
    <message>
        <source>Artist:</source>
        <translation>Interpret:</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Notizen:</translation>
    </message>
    <message>
        <source>Project Length (in minutes):</source>
        <translation>Projektlänge (in Minuten):</translation>
    </message>
</context>
<context>
    <name>quillon::CTempoProperties</name>
    <message>
        <source>Beats per minute:</source>
        <translation>Schläge pro Minute:</translation>
    </message>
    <message>
        <source>Beats per measure:</source>
        <translation>Schläge pro Takt:</translation>
    </message>
    <message>
        <source>Please enter a number between %1 and %2.</source>
        <translation>Bitte eine Zahl zwischen %1 und %2 eingeben.</translation>
    </message>
    <message>
        <source>Please enter an integer between %1 and %2.</source>
        <translation>Bitte eine ganze Zahl zwischen %1 und %2 eingeben.</translation>
    </message>
</context>
<context>
    <name>quillon::CViewPrefs</name>
    <message>
        <source>Automatically scale track heights to fill the main window</source>
        <translation>Spurhöhen automatisch an das Hauptfenster anpassen</translation>
    </message>
    <message>
        <source>Show path name in audio clips</source>
        <translation>Pfadnamen in Audioclips anzeigen</translation>
    </message>
</context>
<context>
    <name>quillon::CdTrackPropertiesDialog</name>
    <message>
        <source>CD Track Properties</source>
        <translation>CD-Titel-Eigenschaften</translation>
    </message>
    <message>
        <source>CD Track Title:</source>
        <translation>Name des CD-Titels:</translation>
    </message>
    <message>
        <source>CD Track Artist:</source>
        <translation>Interpret des CD-Titels:</translation>
    </message>
    <message>
        <source>ISRC:</source>
        <translation>ISRC:</translation>
    </message>
    <message>
        <source>An ISRC has 12 characters: 2 letters (country), 3 letters or digits (owner), 2 digits (year) and 5 digits, as in USS1Z9900001.</source>
        <translation>Ein ISRC hat 12 Zeichen: 2 Buchstaben (Land), 3 Buchstaben oder Ziffern (Inhaber), 2 Ziffern (Jahr) und 5 Ziffern, wie in USS1Z9900001.</translation>
    </message>
</context>
<context>
    <name>quillon::CompilationPage</name>
    <message>
        <source>Burn project immediately</source>
        <translation>Projekt sofort brennen</translation>
    </message>
    <message>
        <source>Launch Varda Cover Designer</source>
        <translation>Varda Cover Designer starten</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Crossfade</source>
        <translation>Überblendung</translation>
    </message>
    <message>
        <source>Seconds:</source>
        <translation>Sekunden:</translation>
    </message>
    <message>
        <source>Milliseconds:</source>
        <translation>Millisekunden:</translation>
    </message>
    <message>
        <source>Set the length of the pause between tracks or the length of the overlap if you want tracks crossfaded into each other.</source>
        <translation>Legen Sie die Länge der Pause zwischen den Titeln fest oder die Länge der Überlappung, wenn die Titel ineinander übergeblendet werden sollen.</translation>
    </message>
</context>
<context>
    <name>quillon::CrossfadeTempoDialog</name>
    <message>
        <source>Crossfade Tempo</source>
        <translation>Tempo der Überblendung</translation>
    </message>
    <message>
        <source>The two crossfaded audio files do not seem to have the same tempo. Do you wish to time scale the clips?</source>
        <translation>Die beiden übergeblendeten Audiodateien scheinen nicht dasselbe Tempo zu haben. Sollen die Clips zeitlich gestreckt werden?</translation>
    </message>
    <message>
        <source>Gradually alter tempo within transition</source>
        <translation>Tempo im Übergang allmählich ändern</translation>
    </message>
    <message>
        <source>Hard tempo scale within transition</source>
        <translation>Tempo im Übergang hart angleichen</translation>
    </message>
    <message>
        <source>Common Tempo:</source>
        <translation>Gemeinsames Tempo:</translation>
    </message>
</context>
<context>
    <name>quillon::CurvePointDialog</name>
    <message>
        <source>Edit Curve Point</source>
        <translation>Kurvenpunkt bearbeiten</translation>
    </message>
    <message>
        <source>Time Line Position</source>
        <translation>Position auf der Zeitleiste</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <source>sec</source>
        <translation>s</translation>
    </message>
    <message>
        <source>frames</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Pan (in %)</source>
        <translation>Panorama (in %)</translation>
    </message>
    <message>
        <source>Volume (in dB)</source>
        <translation>Lautstärke (in dB)</translation>
    </message>
</context>
<context>
    <name>quillon::EraseCdDialog</name>
    <message>
        <source>Complete erase of the CD-RW</source>
        <translation>CD-RW vollständig löschen</translation>
    </message>
    <message>
        <source>Quick erase of the CD-RW</source>
        <translation>CD-RW schnell löschen</translation>
    </message>
    <message>
        <source>Erase Rewritable CD</source>
        <translation>Wiederbeschreibbare CD löschen</translation>
    </message>
    <message>
        <source>Recorder:</source>
        <translation>Brenner:</translation>
    </message>
    <message>
        <source>Estimated time remaining:</source>
        <translation>Geschätzte Restzeit:</translation>
    </message>
    <message>
        <source>Elapsed time:</source>
        <translation>Verstrichene Zeit:</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>quillon::GenericEffectEditor</name>
    <message>
        <source>On</source>
        <translation>Ein</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
</context>
<context>
    <name>quillon::JobProgressDialog</name>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
</context>
<context>
    <name>quillon::LabelPropertiesDialog</name>
    <message>
        <source>Track Split Properties</source>
        <translation>Eigenschaften der Titelgrenze</translation>
    </message>
    <message>
        <source>Index Properties</source>
        <translation>Indexeigenschaften</translation>
    </message>
    <message>
        <source>Label Properties</source>
        <translation>Markeneigenschaften</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <source>sec</source>
        <translation>s</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Artist:</source>
        <translation>Interpret:</translation>
    </message>
</context>
<context>
    <name>quillon::LoudnessChoice</name>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Match track loudness</source>
        <translation>Lautheit der Titel angleichen</translation>
    </message>
    <message>
        <source>Album loudness</source>
        <translation>Album-Lautheit</translation>
    </message>
    <message>
        <source> LUFS</source>
        <translation> LUFS</translation>
    </message>
    <message>
        <source>Loudness:</source>
        <translation>Lautheit:</translation>
    </message>
    <message>
        <source>Loudness target:</source>
        <translation>Ziel-Lautheit:</translation>
    </message>
</context>
<context>
    <name>quillon::NewPresetDialog</name>
    <message>
        <source>New Preset</source>
        <translation>Neue Voreinstellung</translation>
    </message>
    <message>
        <source>Name of the new preset:</source>
        <translation>Name der neuen Voreinstellung:</translation>
    </message>
</context>
<context>
    <name>quillon::NoiseReductionPage</name>
    <message>
        <source>Preview</source>
        <translation>Vorhören</translation>
    </message>
    <message>
        <source>Adjust the level of noise reduction to what you find optimal. You can hear the result by clicking "preview".</source>
        <translation>Stellen Sie die Stärke der Rauschunterdrückung nach Ihrem Empfinden optimal ein. Das Ergebnis hören Sie mit einem Klick auf „Vorhören“.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Denoiser Level</source>
        <translation>Stärke der Rauschunterdrückung</translation>
    </message>
    <message>
        <source>Derumble Level</source>
        <translation>Stärke des Rumpelfilters</translation>
    </message>
    <message>
        <source>Declicker Level</source>
        <translation>Stärke der Knackserentfernung</translation>
    </message>
    <message>
        <source>Decrackler Level</source>
        <translation>Stärke der Knisterentfernung</translation>
    </message>
    <message>
        <source>Hear what is removed</source>
        <translation>Hören, was entfernt wird</translation>
    </message>
</context>
<context>
    <name>quillon::PreferencesSheet</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Project Defaults</source>
        <translation>Projektvorgaben</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Ordner</translation>
    </message>
</context>
<context>
    <name>quillon::ProjectSettingsDialog</name>
    <message>
        <source>Project Settings</source>
        <translation>Projekteinstellungen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Tempo and Meter</source>
        <translation>Tempo und Taktart</translation>
    </message>
    <message>
        <source>Audio Settings</source>
        <translation>Audioeinstellungen</translation>
    </message>
</context>
<context>
    <name>quillon::RecordingOverview</name>
    <message>
        <source>Reading the recording... %1 %</source>
        <translation>Die Aufnahme wird gelesen... %1 %</translation>
    </message>
</context>
<context>
    <name>quillon::RemovePresetDialog</name>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove Preset</source>
        <translation>Voreinstellung entfernen</translation>
    </message>
</context>
<context>
    <name>quillon::TrackDetectionPage</name>
    <message>
        <source>Any</source>
        <translation>Beliebig</translation>
    </message>
    <message>
        <source>Detect</source>
        <translation>Erkennen</translation>
    </message>
    <message>
        <source>Maximum noise level in pauses:</source>
        <translation>Höchster Rauschpegel in Pausen:</translation>
    </message>
    <message>
        <source>Minimum duration of pause:</source>
        <translation>Mindestdauer einer Pause:</translation>
    </message>
    <message>
        <source>Minimum duration of track:</source>
        <translation>Mindestdauer eines Titels:</translation>
    </message>
    <message>
        <source>Expected number of tracks:</source>
        <translation>Erwartete Anzahl der Titel:</translation>
    </message>
    <message>
        <source>Select the maximum noise level in pauses between tracks and the minimum length of pauses and tracks. Click "Detect" to scan the recording with new settings.</source>
        <translation>Wählen Sie den höchsten Rauschpegel in den Pausen zwischen den Titeln und die Mindestlänge von Pausen und Titeln. Klicken Sie auf „Erkennen“, um die Aufnahme mit den neuen Einstellungen zu durchsuchen.</translation>
    </message>
    <message>
        <source>Track %1: %2 s to %3 s</source>
        <translation>Titel %1: %2 s bis %3 s</translation>
    </message>
</context>
<context>
    <name>quillon::WizardFrame</name>
    <message>
        <source>&lt; &amp;Previous</source>
        <translation>&lt; &amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Next &gt;</source>
        <translation>&amp;Weiter &gt;</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Fertigstellen</translation>
    </message>
    <message>
        <source>Step %1 of %2:</source>
        <translation>Schritt %1 von %2:</translation>
    </message>
</context>
</TS>

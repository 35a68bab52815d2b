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
        <source>Master</source>
        <translation>Master</translation>
    </message>
    <message>
        <source>Tracks</source>
        <translation>Spuren</translation>
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
        <source>Insert the clipboard&apos;s clips at the cursor</source>
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
        <translation>&amp;Alles auswählen</translation>
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
        <source>Open the selected clip&apos;s file in the wave editor</source>
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
        <source>Edit the project&apos;s texts, length, tempo and meter</source>
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
    <name>ProjectFile</name>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot save %1: %2</source>
        <translation>%1 kann nicht gespeichert werden: %2</translation>
    </message>
</context>
<context>
    <name>quillon::CMultitrackerView</name>
    <message>
        <source>Label Properties</source>
        <translation>Markeneigenschaften</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
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
    <name>quillon::ProjectSettingsDialog</name>
    <message>
        <source>Project Settings</source>
        <translation>Projekteinstellungen</translation>
    </message>
    <message>
        <source> min</source>
        <translation> min</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
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
        <source>Project length:</source>
        <translation>Projektlänge:</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Tempo and Meter</source>
        <translation>Tempo und Taktart</translation>
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
    <name>Messages</name>
    <message>
        <source>An error occured while loading language pack.</source>
        <translation>Beim Laden des Sprachpakets ist ein Fehler aufgetreten.</translation>
    </message>
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
</context>
</TS>

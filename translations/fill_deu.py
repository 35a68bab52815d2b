#!/usr/bin/env python3
"""Fills the German catalogue after lupdate: every source text of the menus, the toolbar,
the status bar, the timeline and the dialogs gets its German text. Run from the
repository root after `lupdate ... -ts translations/quillon_deu.ts`."""
import html
import re
import sys

GERMAN = {
    "None": "Kein Raster",
    "Quarter Notes": "Viertelnoten",
    "Quarter Note Triplets": "Viertel-Triolen",
    "8th Notes": "Achtelnoten",
    "8th Note Triplets": "Achtel-Triolen",
    "16th Notes": "Sechzehntelnoten",
    "16th Note Triplets": "Sechzehntel-Triolen",
    "32nd Notes": "Zweiunddreißigstelnoten",
    "32nd Note Triplets": "Zweiunddreißigstel-Triolen",
    "64th Notes": "Vierundsechzigstelnoten",
    "64th Note Triplets": "Vierundsechzigstel-Triolen",
    "Varda Quillon Project Files (*.vpf)": "Varda-Quillon-Projektdateien (*.vpf)",
    "&File": "&Datei",
    "&New": "&Neu",
    "Create a new project": "Ein neues Projekt anlegen",
    "&Open...": "Ö&ffnen...",
    "Open an existing project": "Ein vorhandenes Projekt öffnen",
    "&Save": "&Speichern",
    "Save the active project": "Das aktive Projekt speichern",
    "Save &As...": "Speichern &unter...",
    "Save the active project with a new name": "Das aktive Projekt unter neuem Namen speichern",
    "Insert Audio File(s)...": "Audiodatei(en) einfügen...",
    "Insert audio files at the cursor into the current track": "Audiodateien an der Cursorposition in die aktuelle Spur einfügen",
    "Configure Save Options...": "Speicheroptionen einstellen...",
    "Set how audio files are written": "Festlegen, wie Audiodateien geschrieben werden",
    "E&xit": "&Beenden",
    "Quit the application; prompts to save the project": "Das Programm beenden; fragt, ob das Projekt gespeichert werden soll",
    "&Edit": "&Bearbeiten",
    "&Undo": "&Rückgängig",
    "Undo the last action": "Die letzte Aktion rückgängig machen",
    "&Redo": "&Wiederherstellen",
    "Redo the previously undone action": "Die zuletzt rückgängig gemachte Aktion wiederherstellen",
    "Cu&t": "&Ausschneiden",
    "Cut the selected clips to the clipboard": "Die ausgewählten Clips in die Zwischenablage verschieben",
    "&Copy": "&Kopieren",
    "Copy the selected clips to the clipboard": "Die ausgewählten Clips in die Zwischenablage kopieren",
    "&Paste": "&Einfügen",
    "Insert the clipboard's clips at the cursor": "Die Clips der Zwischenablage an der Cursorposition einfügen",
    "&Delete": "&Löschen",
    "Delete the selected clips": "Die ausgewählten Clips löschen",
    "Select &All": "&Alles auswählen",
    "Select every clip": "Alle Clips auswählen",
    "Select all Following Clips": "Alle folgenden Clips auswählen",
    "In selected track": "In der ausgewählten Spur",
    "Select the clips after the cursor in the current track": "Die Clips nach dem Cursor in der aktuellen Spur auswählen",
    "All tracks": "In allen Spuren",
    "Select the clips after the cursor in every track": "Die Clips nach dem Cursor in allen Spuren auswählen",
    "&View": "&Ansicht",
    "Zoom In": "Vergrößern",
    "Show half the time around the cursor": "Die halbe Zeit um den Cursor zeigen",
    "Zoom Out": "Verkleinern",
    "Show twice the time": "Die doppelte Zeit zeigen",
    "Show only Marked Section": "Nur markierten Bereich zeigen",
    "Show the marked section across the window": "Den markierten Bereich über die ganze Breite zeigen",
    "View whole Project": "Ganzes Projekt zeigen",
    "Show the whole project": "Das ganze Projekt zeigen",
    "Time Format": "Zeitformat",
    "Hour : Min : Sec : MS": "Std : Min : Sek : MS",
    "Display time in the metric format (Hour : Min : Sec : MS)": "Zeit im metrischen Format anzeigen (Std : Min : Sek : MS)",
    "Bars and Beats": "Takte und Schläge",
    "Display time in terms of bars and beats (Bar : Beat : Tick)": "Zeit in Takten und Schlägen anzeigen (Takt : Schlag : Tick)",
    "SMPTE (25 Frames per Second)": "SMPTE (25 Bilder pro Sekunde)",
    "Display time in the European SMPTE format": "Zeit im europäischen SMPTE-Format anzeigen",
    "Sample Index": "Sample-Index",
    "Display time as samples elapsed": "Zeit als Anzahl vergangener Samples anzeigen",
    "Show Grid": "Raster anzeigen",
    "Check this menu item to show grid lines in the project view": "Diesen Menüpunkt ankreuzen, um Rasterlinien in der Projektansicht zu zeigen",
    "&Track": "&Spur",
    "Insert Track": "Spur einfügen",
    "Insert a new track above the current track": "Eine neue Spur über der aktuellen einfügen",
    "Delete Track": "Spur löschen",
    "Delete the current track and its content": "Die aktuelle Spur samt Inhalt löschen",
    "Track Properties...": "Spureigenschaften...",
    "Name the current track": "Die aktuelle Spur benennen",
    "Deactivate Track": "Spur deaktivieren",
    "Activate Track": "Spur aktivieren",
    "Deactivates the current track": "Deaktiviert die aktuelle Spur",
    "Add Volume Curve": "Lautstärkekurve hinzufügen",
    "Add a volume envelope to the current track": "Der aktuellen Spur eine Lautstärkehüllkurve geben",
    "Add Pan Curve": "Panoramakurve hinzufügen",
    "Add a pan envelope to the current track": "Der aktuellen Spur eine Panoramahüllkurve geben",
    "Insert CD Track Split": "CD-Titelgrenze einfügen",
    "Start a new CD track at the cursor": "An der Cursorposition einen neuen CD-Titel beginnen",
    "Insert CD Index": "CD-Index einfügen",
    "Add a CD index at the cursor": "An der Cursorposition einen CD-Index setzen",
    "Insert Label...": "Marke einfügen...",
    "Add a label at the cursor": "An der Cursorposition eine Marke setzen",
    "Adjust Silence between Tracks...": "Pausen zwischen Titeln anpassen...",
    "Give every CD track the same pause": "Jedem CD-Titel dieselbe Pause geben",
    "&Audio": "A&udio",
    "Play from Cursor": "Ab Cursor abspielen",
    "Play project from cursor": "Projekt ab Cursorposition abspielen",
    "Play All": "Alles abspielen",
    "Plays from beginning of the project": "Spielt ab dem Anfang des Projekts",
    "Play Looped": "In Schleife abspielen",
    "Plays selected area or the project in loop": "Spielt den markierten Bereich oder das Projekt in einer Schleife",
    "Stop Playing": "Wiedergabe anhalten",
    "Stop playback": "Die Wiedergabe anhalten",
    "Rewind": "Zurückspulen",
    "Fast Forward": "Vorspulen",
    "Go to Start": "Zum Anfang",
    "Go to previous CD Track": "Zum vorigen CD-Titel",
    "Go to End": "Zum Ende",
    "Go to next CD Track": "Zum nächsten CD-Titel",
    "E&ffects": "E&ffekte",
    "Add to Track Effect Chain": "Zur Effektkette der Spur hinzufügen",
    "Add to Master Effect Chain": "Zur Master-Effektkette hinzufügen",
    "T&ools": "&Werkzeuge",
    "Edit Audio File in Wave Editor...": "Audiodatei im Wave-Editor bearbeiten...",
    "Open the selected clip's file in the wave editor": "Die Datei des ausgewählten Clips im Wave-Editor öffnen",
    "Burn CD...": "CD brennen...",
    "Write the project to an Audio CD": "Das Projekt auf eine Audio-CD schreiben",
    "LP to CD Wizard...": "Assistent Schallplatte auf CD...",
    "Turn an LP recording into CD tracks": "Eine Schallplattenaufnahme in CD-Titel teilen",
    "Cassette to CD Wizard...": "Assistent Kassette auf CD...",
    "Turn a cassette recording into CD tracks": "Eine Kassettenaufnahme in CD-Titel teilen",
    "&Options": "&Optionen",
    "Grid": "Raster",
    "Snap edits to this grid": "Bearbeitungen an diesem Raster ausrichten",
    "Project Settings...": "Projekteinstellungen...",
    "Edit the project's texts, length, tempo and meter": "Texte, Länge, Tempo und Taktart des Projekts bearbeiten",
    "&Help": "&Hilfe",
    "&About Varda Quillon...": "Ü&ber Varda Quillon...",
    "Display program information and version": "Programminformationen und Version anzeigen",
    "Total Project Length: 000m 00s:000": "Gesamtlänge des Projekts: 000m 00s:000",
    "Position 000m 00s:000": "Position 000m 00s:000",
    "Track 99 of 99": "Spur 99 von 99",
    "All Files (*.*)": "Alle Dateien (*.*)",
    "Master": "Master",
    "Tracks": "Spuren",
    "Standard": "Standard",
    "Open": "Öffnen",
    "Total Project Length:": "Gesamtlänge des Projekts:",
    "Position:": "Position:",
    "Track %1 of %2": "Spur %1 von %2",
    "Ready": "Bereit",
    "Untitled": "Unbenannt",
    "Save As": "Speichern unter",
    "Save changes to %1?": "Änderungen an %1 speichern?",
    "Insert Audio File(s)": "Audiodatei(en) einfügen",
    "Track Properties": "Spureigenschaften",
    "Name:": "Name:",
    "Pause Length": "Pausenlänge",
    "Length of pauses between CD tracks:": "Länge der Pausen zwischen CD-Titeln:",
    "Effect added to the master chain.": "Effekt zur Master-Kette hinzugefügt.",
    "Effect added to the chain of track %1.": "Effekt zur Kette von Spur %1 hinzugefügt.",
    "About Varda Quillon": "Über Varda Quillon",
    "Version %1.%2.%3.%4": "Version %1.%2.%3.%4",
    "Free software under the GNU General Public License, version 3 or later.": "Freie Software unter der GNU General Public License, Version 3 oder später.",
    "Cannot write %1.": "%1 kann nicht geschrieben werden.",
    "Cannot create %1.": "%1 kann nicht angelegt werden.",
    "Cannot open %1 as a clip.": "%1 kann nicht als Clip geöffnet werden.",
    "Cannot open %1: %2": "%1 kann nicht geöffnet werden: %2",
    "Cannot save %1: %2": "%1 kann nicht gespeichert werden: %2",
    "Label Properties": "Markeneigenschaften",
    "Title:": "Titel:",
    "\n\nMarked": "\n\nMarkiert",
    "Creating peak file, %1% done.": "Spitzenwertdatei wird erstellt, %1% erledigt.",
    "CD Track %1": "CD-Titel %1",
    "CD Index %1": "CD-Index %1",
    "Pause": "Pause",
    "Duration of object: %1": "Dauer des Objekts: %1",
    "Beats per minute:": "Schläge pro Minute:",
    "Beats per measure:": "Schläge pro Takt:",
    "Please enter a number between %1 and %2.": "Bitte eine Zahl zwischen %1 und %2 eingeben.",
    "Please enter an integer between %1 and %2.": "Bitte eine ganze Zahl zwischen %1 und %2 eingeben.",
    "Project Settings": "Projekteinstellungen",
    " min": " min",
    "Artist:": "Interpret:",
    "Notes:": "Notizen:",
    "Project length:": "Projektlänge:",
    "General": "Allgemein",
    "Tempo and Meter": "Tempo und Taktart",
    "m": "m",
    "s": "s",
    "%d:%.1d:%.3d": "%d:%.1d:%.3d",
}

# Texts the model hands to the message boxes; they are looked up in this context.
MESSAGES = {
    "An error occured while loading language pack.": "Beim Laden des Sprachpakets ist ein Fehler aufgetreten.",
    "Unexpected file format.": "Unerwartetes Dateiformat.",
    "Unable to create instance of class com interface (ClassCom Error).": "Die Instanz der Klassenschnittstelle konnte nicht erzeugt werden (ClassCom-Fehler).",
    "This operation deletes the track and its entire content. Are you sure you want to proceed?": "Dieser Vorgang löscht die Spur mit ihrem gesamten Inhalt. Wirklich fortfahren?",
}


def esc(text):
    return html.escape(text, quote=False).replace("'", "&apos;").replace('"', "&quot;")


def main(path):
    ts = open(path, encoding="utf-8").read()
    # The formatter translates in a plain context of its own.
    ts = ts.replace("<name>quillon::TimeFormatter</name>", "<name>TimeFormatter</name>")
    missing = []

    def fill(match):
        source = html.unescape(match.group(1))
        german = GERMAN.get(source)
        if german is None:
            missing.append(source)
            return match.group(0)
        return "<source>%s</source>\n        <translation>%s</translation>" % (match.group(1), esc(german))

    ts = re.sub(r'<source>(.*?)</source>\s*<translation type="unfinished"></translation>', fill, ts, flags=re.S)
    messages = "".join(
        "    <message>\n        <source>%s</source>\n        <translation>%s</translation>\n    </message>\n"
        % (esc(k), esc(v)) for k, v in MESSAGES.items())
    ts = ts.replace("</TS>", "<context>\n    <name>Messages</name>\n%s</context>\n</TS>" % messages)
    open(path, "w", encoding="utf-8").write(ts)
    if missing:
        print("untranslated:", missing, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "translations/quillon_deu.ts"))
